// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/icons/icon_api.h"

#include "platform/files/native_names.h"
#include "platform/icons/icon_choice.h"
#include "platform/icons/icon_decoder.h"
#include "platform/net/smb_client.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>

#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unordered_map>

namespace {

// A handle's image, and for a large icon the file and icon it came from, so
// that a screen of another pixel ratio can be drawn from the icon's entries.
struct IconHandle {
    QImage image;
    std::shared_ptr<const icons::IconFile> file;
    int index = -1;
};

struct HandleTable {
    std::mutex mutex;
    std::unordered_map<HICON, IconHandle> images;
    HICON next = 0x10000;
};

HandleTable& table()
{
    static HandleTable t;
    return t;
}

HICON newHandle(IconHandle handle)
{
    if (handle.image.isNull()) return 0;
    HandleTable& t = table();
    std::lock_guard lock(t.mutex);
    const HICON h = t.next++;
    t.images.emplace(h, std::move(handle));
    return h;
}

IconHandle handleOf(HICON icon)
{
    HandleTable& t = table();
    std::lock_guard lock(t.mutex);
    const auto it = t.images.find(icon);
    return it == t.images.end() ? IconHandle() : it->second;
}

constexpr UINT kCountIndex = 0xFFFFFFFFu;

// The file read last stays open until control returns to the event loop,
// so that the grid's twenty-one calls in one handler read it once instead of
// twenty-one times. Every call still checks that the path names the same,
// unchanged file. Without an event loop nothing is kept.
struct OpenedFile {
    QString path;
    struct stat info { };
    std::shared_ptr<const icons::IconFile> file;
};

struct FileCache {
    std::mutex mutex;
    OpenedFile last;
    bool releaseQueued = false;
};

FileCache& fileCache()
{
    static FileCache c;
    return c;
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size
        && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec
        && a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

// The opened file, or null when it cannot be read.
std::shared_ptr<const icons::IconFile> openIconFile(const QString& path)
{
    struct stat info { };
    if (net::Entry e; net::isNetworkPath(path)) {
        // A file on a server: the cache, kept until the next turn of the
        // event loop, knows it by its name and size.
        if (net::stat(path, e) != 0 || e.directory) return nullptr;
        info.st_size = off_t(e.size);
    } else if (::stat(files::nativePath(path).constData(), &info) != 0) {
        return nullptr;
    }
    FileCache& c = fileCache();
    std::lock_guard lock(c.mutex);
    if (c.last.file && c.last.path == path && sameFile(c.last.info, info)) return c.last.file;
    auto file = std::make_shared<icons::IconFile>();
    if (!file->open(path)) return nullptr;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return file;
    c.last = { path, info, file };
    if (!c.releaseQueued) {
        c.releaseQueued = true;
        QMetaObject::invokeMethod(
            app,
            [] {
                FileCache& cache = fileCache();
                std::lock_guard lock(cache.mutex);
                cache.last = {};
                cache.releaseQueued = false;
            },
            Qt::QueuedConnection);
    }
    return file;
}

// The position of icon `index`, where a negative index names a group by
// its resource id; -1 when there is none.
int iconPosition(const icons::IconFile& file, int index)
{
    if (index >= 0) return index;
    return file.indexOfGroupId(static_cast<std::uint32_t>(-static_cast<std::int64_t>(index)));
}

// Icon `index` of an opened file at one of the system sizes, for the screen.
HICON extractOne(const std::shared_ptr<const icons::IconFile>& file, int index, int size)
{
    index = iconPosition(*file, index);
    if (index < 0) return 0;
    const QImage image = icons::loadIcon(*file, index, size, icons::screenRatio());
    return newHandle(size == icons::kLargeIconSize ? IconHandle { image, file, index }
                                                   : IconHandle { image, nullptr, -1 });
}

} // namespace

namespace icons {

QImage loadIcon(const QString& path, int index, int size, qreal ratio)
{
    const auto file = openIconFile(path);
    const int position = file ? iconPosition(*file, index) : -1;
    return position < 0 ? QImage() : loadIcon(*file, position, size, ratio);
}

qreal screenRatio()
{
    const auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    return gui ? gui->devicePixelRatio() : 1.0;
}

HICON createIconHandle(const QImage& image)
{
    return newHandle({ image, nullptr, -1 });
}

QImage iconHandleImage(HICON icon)
{
    return handleOf(icon).image;
}

int iconPositionOfId(const QString& path, int id)
{
    const auto file = openIconFile(path);
    return file && id > 0 ? file->indexOfGroupId(std::uint32_t(id)) : -1;
}

int iconCountIn(const QByteArray& bytes)
{
    IconFile file;
    file.setData({ reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()) });
    return file.count();
}

} // namespace icons

HICON ExtractIconA(HINSTANCE, const QString& file, UINT index)
{
    const auto f = openIconFile(file);
    if (!f) return 0;
    if (index == kCountIndex) return static_cast<HICON>(f->count());
    return extractOne(f, static_cast<int>(index), icons::kLargeIconSize);
}

UINT ExtractIconExA(const QString& file, int index, HICON* large, HICON* small, UINT count)
{
    const auto f = openIconFile(file);
    const bool opened = f != nullptr;
    if (index == -1 && !large && !small) return opened ? static_cast<UINT>(f->count()) : 0;
    UINT extracted = 0;
    for (UINT k = 0; k < count; ++k) {
        // A resource id names one group only; further slots stay empty.
        const bool valid = opened && (k == 0 || index >= 0) && std::int64_t(index) + k <= INT32_MAX;
        const int i = index < 0 ? index : static_cast<int>(index + k);
        HICON l = 0, s = 0;
        if (valid && large) l = extractOne(f, i, icons::kLargeIconSize);
        if (valid && small) s = extractOne(f, i, icons::kSmallIconSize);
        if (large) large[k] = l;
        if (small) small[k] = s;
        if (l || s) ++extracted;
    }
    return extracted;
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon)
{
    const IconHandle handle = handleOf(icon);
    if (!dc || handle.image.isNull() || dc->image.isNull()) return 0;
    const qreal ratio = dc->image.devicePixelRatio();
    const int pixels = qRound(icons::kLargeIconSize * ratio);
    QImage image = handle.image;
    if (image.width() != pixels || image.height() != pixels) {
        // A surface on another screen than the handle was made for: its own
        // pick from the entries; a small icon is scaled up, as Windows does.
        if (handle.file) image = icons::loadIcon(*handle.file, handle.index, icons::kLargeIconSize, ratio);
        if (image.width() != pixels || image.height() != pixels)
            image = handle.image.scaled(pixels, pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    // In device pixels, so that every pixel of the image lands on one of the
    // surface's at any ratio.
    image.setDevicePixelRatio(1.0);
    dc->image.setDevicePixelRatio(1.0);
    {
        QPainter painter(&dc->image);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.drawImage(qRound(x * ratio), qRound(y * ratio), image);
    }
    dc->image.setDevicePixelRatio(ratio);
    if (dc->changed) dc->changed();
    return 1;
}

BOOL DestroyIcon(HICON icon)
{
    HandleTable& t = table();
    std::lock_guard lock(t.mutex);
    return t.images.erase(icon) ? 1 : 0;
}

int LiveIconHandles()
{
    HandleTable& t = table();
    std::lock_guard lock(t.mutex);
    return static_cast<int>(t.images.size());
}
