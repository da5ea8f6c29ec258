// SPDX-License-Identifier: GPL-3.0-or-later
// quillmark-icons: counts, lists and extracts icons of .ico, .exe and .dll
// files with the same reader the wizard uses.
//
//   quillmark-icons count FILE                    what ExtractIconA gives for index -1
//   quillmark-icons list FILE                     the icons in order: index, resource name, the
//                                                 image taken at the large size (number from 1
//                                                 within the group, width x height x bits) and
//                                                 every image of the icon, joined by commas
//   quillmark-icons extract FILE INDEX SIZE OUT   icon INDEX as the wizard draws it, as PNG
//   quillmark-icons dump FILE DIR                 every icon at the large size as DIR/000.png ...
//   quillmark-icons dump --all FILE DIR           every image of every icon, named as
//                                                 `wrestool -x -t14` and then `icotool -x`
//                                                 name them (see dumpAll)
//
// Only list and dump --all are done here: they read and write images without
// drawing them. The others are handed to quillmark-icons-draw (icons_draw.cpp),
// so that this program starts without the toolkit's image libraries.
#include "cli/icons_command.h"
#include "cli/png_writer.h"
#include "platform/files/shown_text.h"
#include "platform/files/native_names.h"
#include "platform/icons/bitmap_decoder.h"
#include "platform/icons/icon_choice.h"

#include <QFileInfo>
#include <QString>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <thread>
#include <unistd.h>
#include <vector>

using icons_command::fail;
using icons_command::openFile;
using icons_command::openForDump;

namespace {

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
        QString all;
        for (const icons::ImageEntry& image : images)
            all += QStringLiteral("%1%2x%3x%4")
                       .arg(all.isEmpty() ? "" : ",")
                       .arg(image.width)
                       .arg(image.height)
                       .arg(image.bitCount);
        std::printf("%d %s %d:%dx%dx%d %s\n", i, ShownText(file.groupName(i)).toUtf8().constData(),
            chosen + 1, e.width, e.height, e.bitCount, all.toUtf8().constData());
    }
    return 0;
}

// What a thread of a dump reads, decodes and encodes into, image after image.
struct DumpBuffers {
    std::vector<std::uint8_t> stored, encoded;
    icons::Pixels pixels;
    icons::IndexedPixels indexed;
};

// An image as a PNG file: a stored PNG image as it is, a bitmap decoded and
// encoded, one of 256 colours or fewer with its palette (a quarter of the
// bytes). Empty when the bitmap cannot be decoded.
icons::ByteView pngFile(icons::ByteView data, const icons::StoredFormat& f, DumpBuffers& buffers)
{
    if (f.png) return data;
    if (icons::decodeIndexedBitmap(data, buffers.indexed))
        png_writer::encode(buffers.indexed, buffers.encoded);
    else if (icons::decodeBitmap(data, buffers.pixels))
        png_writer::encode(buffers.pixels, buffers.encoded);
    else
        return {};
    return { buffers.encoded.data(), buffers.encoded.size() };
}

// One image of a dump and the name it is written under.
struct DumpJob {
    icons::FileSpan span;
    QString stem;
    std::size_t number; // from 1 within its icon
};

// Writes one image as DIR/STEM_N_WxHxBPP.png, the size and depth those the
// image's own header states. A PNG image is written as stored, as icotool
// does; a bitmap is decoded. The message when that fails; `written` is
// false when the file could not be written (a broken image is not that).
QString dumpImage(const icons::IconFile& file, const DumpJob& job, int dirFd, const QString& dir,
    DumpBuffers& buffers, bool& written)
{
    written = true;
    file.readSpan(job.span, buffers.stored);
    const icons::ByteView data { buffers.stored.data(), buffers.stored.size() };
    icons::StoredFormat f;
    icons::ByteView png;
    if (!icons::readStoredFormat(data, f) || (png = pngFile(data, f, buffers)).empty())
        return job.stem + QStringLiteral(": image %1 cannot be decoded").arg(job.number);
    const QString name = QStringLiteral("%1_%2_%3x%4x%5.png")
                             .arg(job.stem, QString::number(job.number), QString::number(f.width),
                                 QString::number(f.height), QString::number(f.bitsPerPixel));
    if (png_writer::writeFile(dirFd, files::nativePath(name), png.data, png.size)) return {};
    written = false;
    return dir + u'/' + name + QStringLiteral(": cannot be written");
}

// The images get the names that `wrestool -x -t14 FILE` and then `icotool -x`
// give them. wrestool names one .ico per group and language after FILE's
// name, the type, the resource name and the language id, which it leaves
// out for US English (1033); icotool keeps that name without ".ico" and
// counts the images from 1. An .ico FILE is named as icotool alone names it.
// The images are read, decoded and written on several threads, each into
// buffers it uses again, and the messages printed afterwards in the order
// of the images; a file that cannot be written stops the dump, a broken
// image does not. Fresh memory costs the kernel more than the drawing
// costs, so freed memory also stays with the allocator.
int dumpAll(const QString& path, const QString& dir)
{
    icons::IconFile file;
    if (const int failed = openForDump(path, dir, file)) return failed;
    const QString base = QFileInfo(path).fileName();
    std::vector<std::vector<icons::ImageEntry>> icons;
    std::vector<QString> stems;
    if (file.isIco()) {
        stems.push_back(base.endsWith(QLatin1String(".ico"), Qt::CaseInsensitive) ? base.chopped(4) : base);
        icons.push_back(file.images(0));
    }
    for (int i = 0; !file.isIco() && i < file.count(); ++i) {
        // A slash in a group's name would write outside DIR.
        const QString group = QStringLiteral("%1_14_%2")
                                  .arg(base, file.groupName(i).replace(QLatin1Char('/'), QLatin1Char('_')));
        const std::vector<std::uint16_t> languages = file.groupLanguages(i);
        for (std::size_t l = 0; l < languages.size(); ++l) {
            stems.push_back(languages[l] == 1033 ? group : group + u'_' + QString::number(languages[l]));
            icons.push_back(file.images(i, int(l)));
        }
    }
    const int dirFd = ::open(files::nativePath(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return fail(dir + QStringLiteral(": cannot be opened"));
    ::mallopt(M_MMAP_THRESHOLD, 16 * 1024 * 1024);
    ::mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
    int broken = 0;
    std::vector<DumpJob> jobs;
    for (std::size_t i = 0; i < icons.size(); ++i) {
        if (icons[i].empty()) {
            fail(stems[i] + QStringLiteral(": the icon's directory cannot be read"));
            ++broken;
        }
        for (std::size_t n = 0; n < icons[i].size(); ++n) {
            icons::FileSpan span; // none: the image is missing, and reported as broken
            if (!file.imageSpan(icons[i][n], span)) span = {};
            jobs.push_back({ span, stems[i], n + 1 });
        }
    }

    std::vector<QString> messages(jobs.size());
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stopped{false};
    const auto work = [&] {
        DumpBuffers buffers;
        bool written = true;
        for (std::size_t j; !stopped && (j = next++) < jobs.size();) {
            messages[j] = dumpImage(file, jobs[j], dirFd, dir, buffers, written);
            if (!written) stopped = true;
        }
    };
    // One thread more than the cores: a thread waiting in the kernel for
    // the folder (every file is made in the one folder) leaves its core to
    // another (on two cores: 3 threads 56-61 ms, 2 threads 63-70, 4 no better).
    std::vector<std::thread> helpers(std::clamp(std::thread::hardware_concurrency(), 1u, 7u));
    for (std::thread& helper : helpers)
        helper = std::thread(work);
    work();
    for (std::thread& helper : helpers)
        helper.join();
    ::close(dirFd);
    for (const QString& message : messages) {
        if (message.isEmpty()) continue;
        fail(message);
        ++broken;
    }
    return broken ? 1 : 0;
}

// The drawing commands: quillmark-icons-draw beside this program (in the
// build folder) or in the folder of the program's private files. Only the
// kernel's word for where this program lies counts: without /proc there is
// none, and a name relative to the working directory would run whatever
// file lies there.
int handOver(char** argv)
{
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0 || self[0] != '/')
        return fail(QStringLiteral("quillmark-icons-draw cannot be found: where this program lies cannot be "
                                   "read (/proc/self/exe: %1)")
                        .arg(QString::fromLocal8Bit(std::strerror(n < 0 ? errno : ENOENT))));
    QByteArray bin(self, n);
    bin.truncate(bin.lastIndexOf('/') + 1);
    for (const QByteArray& helper :
        { bin + "quillmark-icons-draw", bin + QM_HELPERS_FROM_BIN "/quillmark-icons-draw" }) {
        if (::access(helper.constData(), X_OK) != 0) continue;
        argv[0] = const_cast<char*>(helper.constData());
        ::execv(helper.constData(), argv);
    }
    return fail(QStringLiteral("quillmark-icons-draw cannot be started: %1")
                    .arg(QString::fromLocal8Bit(std::strerror(errno))));
}

} // namespace

int main(int argc, char** argv)
{
    const QStringList args = icons_command::arguments(argc, argv);
    const QString command = args.value(0);
    if (command == QLatin1String("list") && args.size() == 2) return list(args[1]);
    if (command == QLatin1String("dump") && args.size() == 4 && args[1] == QLatin1String("--all"))
        return dumpAll(args[2], args[3]);
    if (command == QLatin1String("count") || command == QLatin1String("extract")
        || command == QLatin1String("dump"))
        return handOver(argv);
    return icons_command::usage();
}
