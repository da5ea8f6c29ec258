// The icon command as a user runs it: its output, its files and its exit
// status, also for a missing file and a bad index.
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    int status;
    QString out;
    QString err;
};

Outcome iconsCommand(const QStringList& arguments)
{
    // The test programs live one folder below the command.
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/../quillmark-icons");
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(60000)) return { -1, {}, QStringLiteral("did not finish") };
    return { p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
        QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError()) };
}

const QString kData = QStringLiteral(QM_TEST_DATA "/icons/");

TEST(IconsCommand, CountsExtractsAndDumps)
{
    QTemporaryDir out;
    const Outcome count = iconsCommand({ QStringLiteral("count"), kData + QStringLiteral("red.ico") });
    EXPECT_EQ(count.status, 0) << count.err.toStdString();
    EXPECT_EQ(count.out.trimmed(), QStringLiteral("1"));

    const QString png = out.filePath(QStringLiteral("small.png"));
    const Outcome extract = iconsCommand({ QStringLiteral("extract"), kData + QStringLiteral("library32.dll"),
        QStringLiteral("0"), QStringLiteral("16"), png });
    EXPECT_EQ(extract.status, 0) << extract.err.toStdString();
    const QImage image(png);
    EXPECT_EQ(image.size(), QSize(16, 16));
    EXPECT_TRUE(image.hasAlphaChannel());

    const QString dir = out.filePath(QStringLiteral("all"));
    const Outcome dump
        = iconsCommand({ QStringLiteral("dump"), kData + QStringLiteral("library64.dll"), dir });
    EXPECT_EQ(dump.status, 0) << dump.err.toStdString();
    const Outcome n = iconsCommand({ QStringLiteral("count"), kData + QStringLiteral("library64.dll") });
    const QStringList written = QDir(dir).entryList({ QStringLiteral("*.png") }, QDir::Files, QDir::Name);
    ASSERT_EQ(written.size(), n.out.trimmed().toInt());
    EXPECT_EQ(written.first(), QStringLiteral("000.png"));
    EXPECT_EQ(QImage(QDir(dir).filePath(written.first())).size(), QSize(32, 32));
}

TEST(IconsCommand, FailuresWriteNothing)
{
    QTemporaryDir out;
    const QString png = out.filePath(QStringLiteral("x.png"));
    struct Case {
        const char* what;
        QStringList arguments;
    };
    const Case cases[] = {
        { "missing file",
            { QStringLiteral("extract"), kData + QStringLiteral("nothere.ico"), QStringLiteral("0"),
                QStringLiteral("32"), png } },
        { "bad index",
            { QStringLiteral("extract"), kData + QStringLiteral("red.ico"), QStringLiteral("5"),
                QStringLiteral("32"), png } },
        { "index that is no number",
            { QStringLiteral("extract"), kData + QStringLiteral("red.ico"), QStringLiteral("x"),
                QStringLiteral("32"), png } },
        { "dump of a missing file",
            { QStringLiteral("dump"), kData + QStringLiteral("nothere.dll"),
                out.filePath(QStringLiteral("d")) } },
        { "unknown command", { QStringLiteral("paint") } },
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        const Outcome r = iconsCommand(k.arguments);
        EXPECT_NE(r.status, 0);
        EXPECT_FALSE(r.err.trimmed().isEmpty()) << "a failure says why";
        EXPECT_EQ(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }
}

} // namespace
