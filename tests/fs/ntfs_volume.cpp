#include "tests/fs/ntfs_volume.h"

#include <QDir>
#include <QFile>

#include <linux/magic.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace fstest {

namespace {

constexpr qint64 kImageSize = 16 * 1024 * 1024;

bool isFuseMount(const QString& folder)
{
    struct statfs sf;
    return ::statfs(folder.toUtf8().constData(), &sf) == 0 && long(sf.f_type) == long(FUSE_SUPER_MAGIC);
}

} // namespace

NtfsVolume::NtfsVolume(const QString& folder)
    : m_image(folder + QStringLiteral("/ntfs.img"))
    , m_mountPoint(folder + QStringLiteral("/ntfs"))
{
}

NtfsVolume::~NtfsVolume()
{
    unmount();
}

QString NtfsVolume::unavailableReason()
{
    for (const char* tool : { "mkntfs", "ntfs-3g", "getfattr", "setfattr", "umount" }) {
        if (findTool(QString::fromLatin1(tool)).isEmpty())
            return QStringLiteral("%1 is not installed (Debian packages ntfs-3g and attr)")
                .arg(QLatin1String(tool));
    }
    if (::access("/dev/fuse", R_OK | W_OK) != 0) return QStringLiteral("/dev/fuse is not usable here");
    return mountingRefused();
}

bool NtfsVolume::create()
{
    QFile image(m_image);
    if (!image.open(QIODevice::WriteOnly | QIODevice::Truncate) || !image.resize(kImageSize)) {
        m_error = QStringLiteral("cannot make the image file ") + m_image;
        return false;
    }
    image.close();
    // --fast and --force: no zeroing, and a plain file is fine.
    const ToolRun run = runTool(findTool(QStringLiteral("mkntfs")),
        { QStringLiteral("--fast"), QStringLiteral("--force"), QStringLiteral("--quiet"), m_image });
    if (!run.ok) m_error = QStringLiteral("mkntfs: ") + QString::fromUtf8(run.output);
    return run.ok && QDir().mkpath(m_mountPoint);
}

bool NtfsVolume::mount(const QStringList& options)
{
    if (m_daemon) unmount();
    const QString opts = (QStringList { QStringLiteral("no_detach") } + options).join(QLatin1Char(','));
    m_daemon = std::make_unique<Daemon>();
    if (!m_daemon->start(
            findTool(QStringLiteral("ntfs-3g")), { QStringLiteral("-o"), opts, m_image, m_mountPoint })) {
        m_error = QStringLiteral("ntfs-3g does not start");
        m_daemon.reset();
        return false;
    }
    if (!waitFor([this] { return isFuseMount(m_mountPoint) || !m_daemon->running(); }, 10000)
        || !isFuseMount(m_mountPoint)) {
        m_error = QStringLiteral("ntfs-3g: ") + QString::fromUtf8(m_daemon->output());
        m_daemon.reset();
        return false;
    }
    return true;
}

bool NtfsVolume::unmount()
{
    if (!m_daemon) return true;
    bool ok = true;
    if (isFuseMount(m_mountPoint)) {
        const ToolRun run = runTool(findTool(QStringLiteral("umount")), { m_mountPoint });
        if (!run.ok) {
            m_error = QStringLiteral("umount: ") + QString::fromUtf8(run.output);
            ok = false;
            // Busy or stuck: detach it so that nothing stays mounted.
            runTool(findTool(QStringLiteral("umount")), { QStringLiteral("-l"), m_mountPoint });
        }
    }
    // The daemon writes the image and ends after the unmount.
    if (!m_daemon->waitForEnd(10000)) {
        m_error = QStringLiteral("ntfs-3g did not end after the unmount");
        ok = false;
    }
    m_daemon.reset(); // stops it if it is still there
    return ok;
}

} // namespace fstest
