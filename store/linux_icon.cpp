// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/linux_icon.h"

#include "platform/files/case_paths.h"
#include "platform/files/file_api.h"
#include "platform/files/file_replace.h"
#include "platform/files/gvfs_metadata.h"
#include "platform/files/opened_folder.h"
#include "platform/icons/bitmap_decoder.h"
#include "platform/icons/icon_choice.h"
#include "platform/icons/icon_decoder.h"
#include "platform/icons/icon_file.h"
#include "platform/little_endian.h"
#include "store/Registry.h"
#include "store/folder_settings.h"
#include "store/icon_reference.h"
#include "sys/Dateiexistenz.h"

#include <QDir>

#include <memory>
#include <sys/stat.h>

namespace {

using Kind = CustomisationStep::Kind;

// The hidden image holds five bitmaps of at most 256 pixels, under 400 KB.
constexpr qint64 kMaxImageSize = 4 * 1024 * 1024;

QString directoryPath(const QString& folder)
{
    return folder + QLatin1Char('/') + kDirectoryFileName;
}

QString imagePath(const QString& folder)
{
    return folder + QLatin1Char('/') + kLinuxImageName;
}

// A whole file in the folder, never through a link.
std::optional<QByteArray> readEntry(const QString& path, qint64 maxSize)
{
    QByteArray bytes;
    if (files::readFile(path, bytes, files::Links::Refuse, maxSize) != 0) return std::nullopt;
    return bytes;
}

std::optional<QByteArray> readDirectory(const QString& folder)
{
    return readEntry(directoryPath(folder), files::kMaxProfileSize);
}

// The icon file, opened once for a run over many folders: a file on a
// server is read whole at each opening (a 1 MB library cost 30 round trips
// a folder). A local file is opened again when it changed.
const icons::IconFile* openedIcon(const QString& path)
{
    thread_local QString key;
    thread_local std::unique_ptr<icons::IconFile> file;
    QString identity = path;
    if (struct stat st; ::stat(files::nativePath(path).constData(), &st) == 0)
        identity += QStringLiteral("|%1:%2:%3:%4").arg(st.st_dev).arg(st.st_ino).arg(st.st_size).arg(st.st_mtim.tv_nsec + st.st_mtim.tv_sec * 1000000000LL);
    if (file && key == identity) return file.get();
    auto opened = std::make_unique<icons::IconFile>();
    if (!opened->open(path)) return nullptr;
    key = identity;
    file = std::move(opened);
    return file.get();
}

QString fileNameOf(const QString& path)
{
    return path.mid(std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\')) + 1);
}

// GTK's icon reader (gdk-pixbuf, behind Nautilus, Nemo and Caja) takes the
// PNG images of an .ico file for bitmaps and draws noise: an .ico holding
// one is not readable as it is.
bool holdsPng(const icons::IconFile& file, int index)
{
    const std::vector<icons::ImageEntry> all = file.images(index);
    return std::any_of(all.begin(), all.end(), [&file](const icons::ImageEntry& e) { return icons::isPng(file.imageData(e)); });
}

// A PNG image as the 32-bit bitmap an .ico file holds: its pixels bottom-up
// as BGRA, then the mask (set where fully transparent). Decoding a PNG is
// exact, so the bytes follow from the file alone.
QByteArray bitmapOf(const QImage& decoded)
{
    const QImage image = decoded.convertToFormat(QImage::Format_ARGB32);
    const int w = image.width(), h = image.height(), maskStride = (w + 31) / 32 * 4;
    QByteArray out(40 + qsizetype(w) * h * 4 + qsizetype(maskStride) * h, '\0');
    auto* p = reinterpret_cast<uchar*>(out.data());
    le::put32(p, 40);
    le::put32(p + 4, quint32(w));
    le::put32(p + 8, quint32(2 * h));
    le::put16(p + 12, 1);
    le::put16(p + 14, 32);
    uchar* pixels = p + 40;
    uchar* mask = pixels + qsizetype(w) * h * 4;
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(h - 1 - y));
        for (int x = 0; x < w; ++x) {
            le::put32(pixels + (qsizetype(y) * w + x) * 4, row[x]);
            if (qAlpha(row[x]) == 0) mask[qsizetype(y) * maskStride + x / 8] |= uchar(0x80 >> (x % 8));
        }
    }
    return out;
}

struct Converted {
    QByteArray png;
    QByteArray bytes;
    QSize size;
};

// The bitmap of a PNG image of at most 256 pixels. A run over many folders
// meets the same few images again and again: the last eight are kept.
std::optional<Converted> bitmapOfPng(icons::ByteView d)
{
    thread_local std::vector<Converted> kept;
    const QByteArray png(reinterpret_cast<const char*>(d.data), qsizetype(d.size));
    for (const Converted& c : kept)
        if (c.png == png) return c;
    const QImage decoded = icons::decodeIconImage(d);
    if (decoded.isNull() || decoded.width() > 256 || decoded.height() > 256) return std::nullopt;
    if (kept.size() == 8) kept.erase(kept.begin());
    kept.push_back({ png, bitmapOf(decoded), decoded.size() });
    return kept.back();
}

// An .ico file's directory entry (16 bytes) for an image copied as stored.
void appendEntry(QByteArray& out, const icons::ImageEntry& e, quint32 size, quint32 offset)
{
    uchar entry[16] = {};
    entry[0] = uchar(e.width >= 256 ? 0 : e.width);
    entry[1] = uchar(e.height >= 256 ? 0 : e.height);
    entry[2] = uchar(e.bitCount < 8 ? 1 << e.bitCount : 0);
    le::put16(entry + 4, 1);
    le::put16(entry + 6, quint16(e.bitCount));
    le::put32(entry + 8, size);
    le::put32(entry + 12, offset);
    out.append(reinterpret_cast<const char*>(entry), sizeof entry);
}

} // namespace

LinuxIcon LinuxIconFor(const QString& folder, const QString& reference, const QString& index, const QString& content)
{
    LinuxIcon icon;
    if (reference.isEmpty()) return icon;
    if (IsWindowsOnlyReference(reference)) {
        icon.whyNot = QStringLiteral("Das Symbol (%1) findet nur Windows.").arg(reference);
        return icon;
    }
    const bool isCopy = reference.compare(kIconCopyName, Qt::CaseInsensitive) == 0;
    const QString here = ResolvePathCase(isCopy ? IconCopyPath(folder) : StoredReferencePath(folder, reference));
    const QString bytesFrom = content.isEmpty() ? here : content;
    bool numeric = false;
    int n = index.isEmpty() ? 0 : index.toInt(&numeric);
    const icons::IconFile* file = openedIcon(bytesFrom);
    // A negative index names the icon by its resource id, as Explorer writes it.
    if (file && n < 0) n = file->indexOfGroupId(quint32(-qint64(n)));
    if (!file || (!index.isEmpty() && !numeric) || n < 0 || n >= file->count()) {
        icon.whyNot = QStringLiteral("Die Symboldatei lässt sich hier nicht lesen.");
        return icon;
    }
    // Linux reads an .ico file as it is, when the icon is its only one and
    // the reference stays with the folder.
    if (file->isIco() && !holdsPng(*file, 0) && (isCopy || !reference.startsWith(u'/'))) {
        const QString real = files::canonicalPath(folder);
        QString relative = isCopy ? fileNameOf(here) : real.isEmpty() ? reference : QDir(real).relativeFilePath(here);
        relative.replace(u'\\', u'/');
        if (!files::hasRawBytes(relative)) {
            icon.value = QStringLiteral("./") + relative;
            icon.image = here;
            return icon;
        }
    }
    icon.value = QStringLiteral("./") + kLinuxImageName;
    icon.image = imagePath(folder);
    icon.source = bytesFrom;
    icon.index = n;
    return icon;
}

QByteArray LinuxIconImage(const QString& source, int index)
{
    const icons::IconFile* opened = openedIcon(source);
    if (!opened) return {};
    const icons::IconFile& file = *opened;
    const std::vector<icons::ImageEntry> all = file.images(index);
    std::vector<icons::ImageEntry> taken;
    for (const int size : { 16, 24, 32, 48, 256 }) {
        std::vector<icons::ImageEntry> exact;
        for (const icons::ImageEntry& e : all)
            if (e.width == size && e.height == size) exact.push_back(e);
        if (const int i = icons::chooseImage(exact, size, size); i >= 0) taken.push_back(exact[std::size_t(i)]);
    }
    // None of those sizes: the largest it has, which readers scale down.
    if (taken.empty())
        if (const int i = icons::chooseImage(all, 256, 256); i >= 0) taken.push_back(all[std::size_t(i)]);
    std::vector<QByteArray> data;
    for (icons::ImageEntry& e : taken) {
        const icons::ByteView d = file.imageData(e);
        if (d.size == 0) return {};
        if (!icons::isPng(d)) {
            data.emplace_back(reinterpret_cast<const char*>(d.data), qsizetype(d.size));
            continue;
        }
        const std::optional<Converted> bitmap = bitmapOfPng(d);
        if (!bitmap) return {};
        data.push_back(bitmap->bytes);
        e.width = bitmap->size.width(), e.height = bitmap->size.height(), e.bitCount = 32;
    }
    if (data.empty()) return {};
    QByteArray out;
    uchar header[6] = { 0, 0, 1, 0, 0, 0 };
    le::put16(header + 4, quint16(taken.size()));
    out.append(reinterpret_cast<const char*>(header), sizeof header);
    quint32 offset = quint32(sizeof header + 16 * taken.size());
    for (std::size_t i = 0; i < taken.size(); ++i) {
        appendEntry(out, taken[i], quint32(data[i].size()), offset);
        offset += quint32(data[i].size());
    }
    for (const QByteArray& d : data)
        out += d;
    return out;
}

QString ReadLinuxIcon(const QString& folder)
{
    const auto bytes = readDirectory(folder);
    return bytes ? DirectoryIcon(*bytes).value_or(QString()) : QString();
}

void PlanLinuxIcon(CustomisationPlan& plan, const StoredCustomisation& now, const std::optional<IconChoice>& icon)
{
    if (icon && !icon->linuxIcon) return;
    const auto add = [&plan](Kind kind, const QString& path, const QString& value, const QString& key = {}) {
        plan.steps.push_back({ kind, path, key, value, 0 });
    };
    const auto hide = [&plan](const QString& path) { plan.steps.push_back({ Kind::Bits, path, {}, {}, kAttrHiddenArchive }); };
    const QString& folder = plan.folder;
    const QString directory = directoryPath(folder), image = imagePath(folder);
    const std::optional<QByteArray> current = readDirectory(folder);
    const bool imageExists = FileExists(image);
    const LinuxIcon wanted = icon ? LinuxIconFor(folder, plan.after.iconFile, plan.after.iconIndex, icon->file) : LinuxIcon();
    if (!wanted.value.isEmpty()) {
        if (!wanted.source.isEmpty()) {
            add(Kind::LinuxImage, image, wanted.source, QString::number(wanted.index));
            hide(image);
        } else if (imageExists) {
            add(Kind::DeleteFile, image, {});
        }
        add(Kind::LinuxIconKey, directory, wanted.value);
        // A .directory of our own is hidden from Windows as well.
        if (!current) hide(directory);
        add(Kind::GvfsIcon, folder, wanted.image);
        plan.linuxIcon = wanted.value;
        return;
    }
    // The icon goes, or Linux cannot show the new one: only what this program
    // wrote goes with it; an Icon= that Dolphin's user chose stays.
    const LinuxIcon before = LinuxIconFor(folder, now.iconFile, now.iconIndex);
    const std::optional<QString> stored = current ? DirectoryIcon(*current) : std::nullopt;
    if (stored && (*stored == QStringLiteral("./") + kLinuxImageName || (!before.value.isEmpty() && *stored == before.value)))
        add(Kind::LinuxIconKey, directory, {});
    if (imageExists) add(Kind::DeleteFile, image, {});
    add(Kind::GvfsIcon, folder, {}, before.image);
    plan.linuxIcon = QString();
}

void CarryOutLinuxStep(const CustomisationStep& step)
{
    switch (step.kind) {
    case Kind::LinuxImage: {
        const QByteArray bytes = LinuxIconImage(step.value, step.key.toInt());
        if (bytes.isEmpty()) return;
        files::ReplaceOptions options;
        options.maxCurrentSize = kMaxImageSize;
        files::replaceFile(step.path, [&bytes](const std::optional<QByteArray>& old) -> std::optional<QByteArray> {
            if (old == bytes) return std::nullopt;
            return bytes;
        }, options);
        return;
    }
    case Kind::LinuxIconKey: {
        const auto old = readEntry(step.path, files::kMaxProfileSize);
        const QByteArray next = DirectoryWithIcon(old.value_or(QByteArray()), step.value);
        if (old == next || (!old && step.value.isEmpty())) return;
        // A file with nothing left in it goes, as Desktop.ini does.
        if (step.value.isEmpty() && !DirectoryHasKeys(next)) {
            DeleteFileA(step.path);
            return;
        }
        files::replaceFile(step.path, [&next](const std::optional<QByteArray>&) { return std::optional(next); });
        return;
    }
    case Kind::GvfsIcon: {
        if (!step.value.isEmpty()) {
            files::setGvfsCustomIcon(step.path, step.value);
            return;
        }
        // Removed only where it names an image this program chose.
        const QString set = files::gvfsCustomIcon(step.path);
        if (!set.isEmpty()
            && (set == files::gvfsUriOf(imagePath(step.path)) || (!step.key.isEmpty() && set == files::gvfsUriOf(step.key))))
            files::setGvfsCustomIcon(step.path, {});
        return;
    }
    default:
        return;
    }
}

LinuxIconState ViewLinuxIcon(const QString& folder, const StoredCustomisation& stored)
{
    LinuxIconState state;
    state.value = ReadLinuxIcon(folder);
    const LinuxIcon wanted = LinuxIconFor(folder, stored.iconFile, stored.iconIndex);
    if (stored.iconFile.isEmpty() && state.value.isEmpty()) {
        state.code = QStringLiteral("none");
        state.text = QStringLiteral("kein Symbol, wie unter Windows");
    } else if (stored.iconFile.isEmpty()) {
        state.code = QStringLiteral("different");
        state.text = QStringLiteral("nein: .directory nennt ein Symbol, Windows zeigt keins");
    } else if (wanted.value.isEmpty()) {
        state.code = QStringLiteral("not-possible");
        state.text = QStringLiteral("nicht möglich: ") + wanted.whyNot;
    } else if (state.value.isEmpty()) {
        state.code = QStringLiteral("missing");
        state.text = QStringLiteral("nein: .directory nennt kein Symbol (quillmark-folder mirror schreibt es)");
    } else if (state.value != wanted.value) {
        state.code = QStringLiteral("different");
        state.text = QStringLiteral("nein: .directory nennt ein anderes Symbol");
    } else if (!wanted.source.isEmpty()
        && readEntry(wanted.image, kMaxImageSize) != LinuxIconImage(wanted.source, wanted.index)) {
        state.code = QStringLiteral("different");
        state.text = QStringLiteral("nein: ") + kLinuxImageName + QStringLiteral(" zeigt ein anderes Bild");
    } else {
        state.code = QStringLiteral("same");
        state.text = QStringLiteral("ja, wie unter Windows");
    }
    return state;
}

bool WizardWritesLinuxIcon()
{
    RegValue value = 1;
    RegValueRead(HKEY_CURRENT_USER, kRegSetFolders, QStringLiteral("LinuxIcon"), value);
    if (const int* number = std::get_if<int>(&value)) return *number != 0;
    return std::get<QString>(value).trimmed() != QLatin1String("0");
}
