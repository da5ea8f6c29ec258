#include "platform/files/samba_shares.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>

namespace files {

namespace {

QStringList readSharePaths(const QStringList& arguments)
{
    const QString testparm = QStandardPaths::findExecutable(QStringLiteral("testparm"));
    if (testparm.isEmpty()) return {};
    QProcess run;
    run.setProcessChannelMode(QProcess::SeparateChannels);
    run.start(testparm, arguments, QIODevice::ReadOnly);
    // A broken configuration must not hold the finish for long.
    if (!run.waitForFinished(5000)) {
        run.kill();
        run.waitForFinished(1000);
        return {};
    }
    QStringList paths;
    // One share's path, kept when its section ends: a printer share
    // (printable) takes print jobs into its path and serves no files.
    bool inShare = false, printable = false;
    QString path;
    const auto endShare = [&] {
        // A path with substitutions (%U, %S) differs per client; it holds no
        // folder we can tell in advance.
        if (inShare && !printable && path.startsWith(QLatin1Char('/')) && !path.contains(QLatin1Char('%'))) {
            // Compared with canonical paths: the configured one may be a link.
            const QString canonical = QFileInfo(path).canonicalFilePath();
            paths << (canonical.isEmpty() ? QDir::cleanPath(path) : canonical);
        }
        printable = false;
        path.clear();
    };
    for (const QString& raw : QString::fromUtf8(run.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            endShare();
            inShare = line.compare(QLatin1String("[global]"), Qt::CaseInsensitive) != 0;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0) continue;
        const QString key = line.left(eq).trimmed().toLower(), value = line.mid(eq + 1).trimmed();
        if (key == QLatin1String("path")) path = value;
        if (key == QLatin1String("printable"))
            printable = value.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0
                || value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0
                || value == QLatin1String("1");
    }
    endShare();
    return paths;
}

} // namespace

QStringList sambaSharePaths()
{
    QStringList arguments { QStringLiteral("-s"), QStringLiteral("--suppress-prompt") };
    if (qEnvironmentVariableIsSet("QUILLMARK_SMB_CONF")) {
        const QString conf = qEnvironmentVariable("QUILLMARK_SMB_CONF");
        if (conf.isEmpty()) return {};
        arguments << conf;
    }
    // testparm takes a good part of a second; a command over a thousand
    // folders asks once per configuration.
    static QMutex lock;
    static QHash<QStringList, QStringList> known;
    const QMutexLocker locked(&lock);
    const auto found = known.constFind(arguments);
    if (found != known.constEnd()) return *found;
    return known[arguments] = readSharePaths(arguments);
}

QString sambaShareHolding(const QString& path, const QStringList& shares)
{
    QString best;
    for (const QString& share : shares) {
        const bool holds
            = path == share || share == QLatin1String("/") || path.startsWith(share + QLatin1Char('/'));
        if (holds && share.size() > best.size()) best = share;
    }
    return best;
}

} // namespace files
