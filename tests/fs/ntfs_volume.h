#pragma once
// A small NTFS volume in an image file, mounted through NTFS-3G (FUSE) on a
// folder of the test's own. The daemon runs in the foreground as our child,
// so an unmount is complete, image written, when it has ended; whatever
// happens to the test, the destructor unmounts and ends it.
#include "tests/fs/fs_tools.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace fstest {

class NtfsVolume {
public:
    // The image and the mount point go into folder.
    explicit NtfsVolume(const QString& folder);
    ~NtfsVolume();
    NtfsVolume(const NtfsVolume&) = delete;
    NtfsVolume& operator=(const NtfsVolume&) = delete;

    // Why the volume cannot be used here (missing tools, no FUSE, not root);
    // empty when it can.
    static QString unavailableReason();

    bool create();
    // Extra NTFS-3G options, e.g. "ro" or "permissions".
    bool mount(const QStringList& options = {});
    bool unmount();
    bool remount(const QStringList& options = {}) { return unmount() && mount(options); }

    QString root() const { return m_mountPoint; }
    // What went wrong last, with the tool's own words.
    QString error() const { return m_error; }

private:
    QString m_image;
    QString m_mountPoint;
    QString m_error;
    std::unique_ptr<Daemon> m_daemon;
};

} // namespace fstest
