// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the seed inputs of the icon fuzz target into the folder given:
// .ico files with one image of each bit depth and kind, and PE32 and PE32+
// libraries that hold them in named and numbered groups and two languages.
#include "tools/icon_images.h"

#include <QDir>

#include <cstdio>

namespace {

std::vector<pe_writer::IconImage> allKinds()
{
    std::vector<pe_writer::IconImage> out;
    for (int bpp : { 1, 4, 8 }) {
        pe_writer::Dib d { 8, 8, bpp };
        for (std::uint32_t i = 0; i < (1u << bpp); ++i)
            d.palette.push_back(i * 0x010203u);
        for (int i = 0; i < 64; ++i)
            d.pixels.push_back(std::uint32_t(i) % (1u << bpp));
        d.mask.assign(64, 0);
        d.mask[3] = 1;
        out.push_back(d.image());
    }
    for (auto [bpp, compression] : { std::pair { 16, 0 }, { 16, 3 }, { 24, 0 }, { 32, 0 }, { 32, 3 } }) {
        pe_writer::Dib d { 8, 8, bpp, std::uint32_t(compression) };
        if (compression == 3)
            d.bitfields = bpp == 16 ? std::vector<std::uint32_t> { 0xF800, 0x07E0, 0x001F }
                                    : std::vector<std::uint32_t> { 0xFF0000, 0xFF00, 0xFF };
        for (int i = 0; i < 64; ++i) {
            d.pixels.push_back(std::uint32_t(i) * 0x01030507u);
            d.mask.push_back(i % 2);
        }
        out.push_back(d.image());
    }
    out.push_back({ 8, 8, 32, 0, pe_writer::pngOf(8, 8, 0x80402010) });
    return out;
}

void write(const QString& dir, const QString& name, const pe_writer::Bytes& bytes)
{
    QFile f(QDir(dir).filePath(name));
    if (f.open(QIODevice::WriteOnly))
        f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: fuzz_icons_seeds DIR\n", stderr);
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dir);
    const std::vector<pe_writer::IconImage> kinds = allKinds();
    for (std::size_t i = 0; i < kinds.size(); ++i)
        write(dir, QStringLiteral("kind%1.ico").arg(i), pe_writer::writeIco({ kinds[i] }));
    write(dir, QStringLiteral("all.ico"), pe_writer::writeIco(kinds));
    for (auto format : { pe_writer::Format::Pe32, pe_writer::Format::Pe32Plus }) {
        pe_writer::PeWriter w(format);
        w.addIconGroup(u"NAMED", { kinds[0], kinds[5] });
        for (std::size_t i = 0; i < kinds.size(); ++i)
            w.addIconGroup(
                std::uint16_t(i + 1), { kinds[i] }, i % 2 ? pe_writer::kGerman : pe_writer::kEnglish);
        w.addIconGroup(1, { kinds[2] }, pe_writer::kEnglish);
        write(dir,
            format == pe_writer::Format::Pe32 ? QStringLiteral("lib32.dll") : QStringLiteral("lib64.dll"),
            w.build());
    }
    return 0;
}
