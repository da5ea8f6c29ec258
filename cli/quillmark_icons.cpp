// SPDX-License-Identifier: GPL-3.0-or-later
// quillmark-icons: counts, lists and extracts icons of .ico, .exe and .dll
// files with the same reader the wizard uses.
//
//   quillmark-icons count FILE                    what ExtractIconA gives for index -1
//   quillmark-icons list FILE                     the icons in order: index, resource name, and
//                                                 the image taken at the large size (number
//                                                 from 1 within the group, width x height x bits)
//   quillmark-icons extract FILE INDEX SIZE OUT   icon INDEX as the wizard draws it, as PNG
//   quillmark-icons dump FILE DIR                 every icon at the large size as DIR/000.png ...
//   quillmark-icons dump --all FILE DIR           every image of every icon, named as
//                                                 `wrestool -x -t14` and then `icotool -x`
//                                                 name them (see dumpAll)
#include "cli/png_writer.h"
#include "cli/shown_text.h"
#include "platform/files/native_names.h"
#include "platform/icons/icon_api.h"
#include "platform/icons/icon_choice.h"
#include "platform/icons/icon_decoder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QString>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int usage()
{
    std::fputs("usage: quillmark-icons count FILE\n"
               "       quillmark-icons list FILE\n"
               "       quillmark-icons extract FILE INDEX SIZE OUT.png   (SIZE 32: large, 16: small)\n"
               "       quillmark-icons dump FILE DIR\n"
               "       quillmark-icons dump --all FILE DIR\n",
        stderr);
    return 2;
}

// The message may quote a file name or a resource name: shown escaped.
int fail(const QString& message)
{
    std::fprintf(stderr, "quillmark-icons: %s\n", ShownText(message).toUtf8().constData());
    return 1;
}

// Opens FILE for reading; a message and false when it cannot.
bool openFile(const QString& path, icons::IconFile& file, QString& error)
{
    if (struct stat st; ::stat(files::nativePath(path).constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
        error = QStringLiteral("%1: no such file").arg(path);
        return false;
    }
    if (!file.open(path)) {
        error = QStringLiteral("%1: cannot be read").arg(path);
        return false;
    }
    return true;
}

bool savePng(const QImage& image, const QString& out)
{
    // Quality 100 stores the pixels without compression: icons are small,
    // and writing many of them fast counts more than their bytes.
    if (image.convertToFormat(QImage::Format_ARGB32).save(out, "PNG", 100)) return true;
    ::unlink(files::nativePath(out).constData());
    return false;
}

int count(const QString& path)
{
    icons::IconFile file;
    QString error;
    if (!openFile(path, file, error)) return fail(error);
    std::printf("%llu\n", static_cast<unsigned long long>(ExtractIconA(0, path, 0xFFFFFFFFu)));
    return 0;
}

int list(const QString& path)
{
    icons::IconFile file;
    QString error;
    if (!openFile(path, file, error)) return fail(error);
    for (int i = 0; i < file.count(); ++i) {
        const std::vector<icons::ImageEntry> images = file.images(i);
        const int chosen = icons::chooseImage(images, icons::kLargeIconSize, icons::kLargeIconSize);
        if (chosen < 0) {
            std::printf("%d %s -\n", i, ShownText(file.groupName(i)).toUtf8().constData());
            continue;
        }
        const icons::ImageEntry& e = images[chosen];
        std::printf("%d %s %d:%dx%dx%d\n", i, ShownText(file.groupName(i)).toUtf8().constData(), chosen + 1,
            e.width, e.height, e.bitCount);
    }
    return 0;
}

int extract(const QString& path, const QString& indexText, const QString& sizeText, const QString& out)
{
    bool indexOk = false, sizeOk = false;
    const int index = indexText.toInt(&indexOk);
    const int size = sizeText.toInt(&sizeOk);
    if (!sizeOk || (size != icons::kLargeIconSize && size != icons::kSmallIconSize))
        return fail(QStringLiteral("SIZE must be 32 (large icon) or 16 (small icon), not %1").arg(sizeText));
    icons::IconFile file;
    QString error;
    if (!openFile(path, file, error)) return fail(error);
    if (!indexOk || index < 0 || index >= file.count())
        return fail(QStringLiteral("%1: no icon %2 (the file has %3)")
                        .arg(path, indexText, QString::number(file.count())));
    HICON large = 0, small = 0;
    ExtractIconExA(path, index, size == icons::kLargeIconSize ? &large : nullptr,
        size == icons::kSmallIconSize ? &small : nullptr, 1);
    const HICON handle = large ? large : small;
    const QImage image = icons::iconHandleImage(handle);
    DestroyIcon(handle);
    if (image.isNull())
        return fail(QStringLiteral("%1: icon %2 cannot be decoded").arg(path, QString::number(index)));
    if (!savePng(image, out)) return fail(QStringLiteral("%1: cannot be written").arg(out));
    return 0;
}

// Opens FILE for a dump into DIR: the file must hold icons, and DIR is made.
int openForDump(const QString& path, const QString& dir, icons::IconFile& file)
{
    QString error;
    if (!openFile(path, file, error)) return fail(error);
    if (file.count() == 0) return fail(QStringLiteral("%1: holds no icons").arg(path));
    if (!QDir().mkpath(dir)) return fail(QStringLiteral("%1: cannot be created").arg(dir));
    return 0;
}

int dump(const QString& path, const QString& dir)
{
    icons::IconFile file;
    if (const int failed = openForDump(path, dir, file)) return failed;
    int broken = 0;
    for (int i = 0; i < file.count(); ++i) {
        const QImage image = icons::loadIcon(file, i, icons::kLargeIconSize);
        const QString out = dir + QStringLiteral("/%1.png").arg(i, 3, 10, QLatin1Char('0'));
        if (image.isNull()) {
            // A broken icon does not stop the others.
            fail(QStringLiteral("%1: icon %2 cannot be decoded").arg(path, QString::number(i)));
            ++broken;
        } else if (!savePng(image, out)) {
            return fail(QStringLiteral("%1: cannot be written").arg(out));
        }
    }
    return broken ? 1 : 0;
}

// Writes every image of one icon as DIR/STEM_N_WxHxBPP.png: N counts from
// 1 in the directory, the size and depth are those the image's own header
// states. A PNG image is written as stored, as icotool does; a bitmap is
// decoded. Counts the images that cannot be; false when one cannot be
// written.
bool dumpImages(const icons::IconFile& file, const std::vector<icons::ImageEntry>& images,
    const QString& stem, const QString& dir, int& broken)
{
    if (images.empty()) {
        fail(stem + QStringLiteral(": the icon's directory cannot be read"));
        ++broken;
    }
    std::vector<std::uint8_t> encoded;
    for (std::size_t n = 0; n < images.size(); ++n) {
        const icons::ByteView data = file.imageData(images[n]);
        icons::StoredFormat f;
        QImage image;
        if (!icons::readStoredFormat(data, f)
            || (!f.png && (image = icons::decodeIconImage(data)).isNull())) {
            // A broken image does not stop the others.
            fail(stem + QStringLiteral(": image %1 cannot be decoded").arg(n + 1));
            ++broken;
            continue;
        }
        const QString out = QStringLiteral("%1/%2_%3_%4x%5x%6.png")
                                .arg(dir, stem, QString::number(n + 1), QString::number(f.width),
                                    QString::number(f.height), QString::number(f.bitsPerPixel));
        if (!f.png) png_writer::encode(image, encoded);
        if (!png_writer::writeFile(
                out, f.png ? data.data : encoded.data(), f.png ? data.size : encoded.size())) {
            fail(QStringLiteral("%1: cannot be written").arg(out));
            return false;
        }
    }
    return true;
}

// The images get the names that `wrestool -x -t14 FILE` and then `icotool -x`
// give them. wrestool names one .ico per group and language after FILE's
// name, the type, the resource name and the language id, which it leaves
// out for US English (1033); icotool keeps that name without ".ico". An
// .ico FILE is named as icotool alone names it.
int dumpAll(const QString& path, const QString& dir)
{
    icons::IconFile file;
    if (const int failed = openForDump(path, dir, file)) return failed;
    const QString base = QFileInfo(path).fileName();
    int broken = 0;
    if (file.isIco()) {
        const QString stem
            = base.endsWith(QLatin1String(".ico"), Qt::CaseInsensitive) ? base.chopped(4) : base;
        return !dumpImages(file, file.images(0), stem, dir, broken) ? 1 : broken ? 1 : 0;
    }
    for (int i = 0; i < file.count(); ++i) {
        // A slash in a group's name would write outside DIR.
        const QString group = QStringLiteral("%1_14_%2")
                                  .arg(base, file.groupName(i).replace(QLatin1Char('/'), QLatin1Char('_')));
        const std::vector<std::uint16_t> languages = file.groupLanguages(i);
        for (std::size_t l = 0; l < languages.size(); ++l) {
            const QString stem = languages[l] == 1033 ? group : group + u'_' + QString::number(languages[l]);
            if (!dumpImages(file, file.images(i, int(l)), stem, dir, broken)) return 1;
        }
    }
    return broken ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << files::fromNative(QByteArray(argv[i]));
    const QString command = args.value(0);
    if (command == QLatin1String("count") && args.size() == 2) return count(args[1]);
    if (command == QLatin1String("list") && args.size() == 2) return list(args[1]);
    if (command == QLatin1String("extract") && args.size() == 5)
        return extract(args[1], args[2], args[3], args[4]);
    if (command == QLatin1String("dump") && args.size() == 3) return dump(args[1], args[2]);
    if (command == QLatin1String("dump") && args.size() == 4 && args[1] == QLatin1String("--all"))
        return dumpAll(args[2], args[3]);
    return usage();
}
