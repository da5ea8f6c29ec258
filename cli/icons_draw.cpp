// SPDX-License-Identifier: GPL-3.0-or-later
// quillmark-icons-draw: the commands of quillmark-icons that draw icons as
// the wizard draws them (count, extract, dump), with the toolkit's image
// classes. quillmark-icons hands these commands over to it, so that it
// starts without those libraries itself.
#include "cli/icons_command.h"
#include "platform/files/native_names.h"
#include "platform/icons/icon_api.h"
#include "platform/icons/icon_choice.h"
#include "platform/icons/icon_decoder.h"

#include <QImage>
#include <QString>

#include <cstdio>
#include <unistd.h>

using icons_command::fail;
using icons_command::openFile;
using icons_command::openForDump;

namespace {

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

} // namespace

int main(int argc, char** argv)
{
    const QStringList args = icons_command::arguments(argc, argv);
    const QString command = args.value(0);
    if (command == QLatin1String("count") && args.size() == 2) return count(args[1]);
    if (command == QLatin1String("extract") && args.size() == 5)
        return extract(args[1], args[2], args[3], args[4]);
    if (command == QLatin1String("dump") && args.size() == 3) return dump(args[1], args[2]);
    return icons_command::usage();
}
