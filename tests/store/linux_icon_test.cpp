// SPDX-License-Identifier: GPL-3.0-or-later
// What Linux file managers get beside Desktop.ini: written, kept, replaced and removed, with
// the keys Dolphin keeps in .directory left as they were; and the hidden image's images.
#include "platform/files/file_attributes.h"
#include "platform/icons/icon_decoder.h"
#include "store/folder_customisation.h"
#include "store/linux_icon.h"
#include "tests/support/icon_fixtures.h"
#include "tests/support/test_util.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace testing_support;

const QByteArray kHandMade = "[Dolphin]\nViewMode=1\n\n[Desktop Entry]\nIcon=folder-red\nX-Farbe=rot\n";

TEST(LinuxIcon, WrittenKeptReplacedAndRemovedAsTheIconIs)
{
    QTemporaryDir tmp;
    const QString folder = tmp.filePath("Ordner"), icons = tmp.filePath("Symbole");
    ASSERT_TRUE(QDir().mkpath(icons));
    testutil::writeBytes(icons + "/a.ico", makeSolidIco(Qt::red));
    testutil::writeBytes(icons + "/lib.dll", makeIconLibrary(5));
    const auto with = [](QByteArray bytes, const QByteArray& icon) {
        return bytes.replace("Icon=folder-red\n", icon.isEmpty() ? "" : "Icon=" + icon + '\n');
    };
    // Wishes one after another: d lib.dll,3; o the same without the Linux icon; i a.ico;
    // t a tooltip only; n nothing at all.
    const struct {
        const char* what;
        QByteArray before;
        const char* wishes;
        QByteArray after;
        bool image;
    } rows[] = {
        { "written", "", "d", "[Desktop Entry]\nIcon=./.quillmark.ico\n", true },
        { "replaced", kHandMade, "i", with(kHandMade, "./../Symbole/a.ico"), false },
        { "replaced, image gone", "", "di", "[Desktop Entry]\nIcon=./../Symbole/a.ico\n", false },
        { "kept with the icon", kHandMade, "dt", with(kHandMade, "./.quillmark.ico"), true },
        { "kept, not ours", kHandMade, "n", kHandMade, false },
        { "removed, others kept", kHandMade, "dn", with(kHandMade, ""), false },
        { "removed with the file", "", "in", "<missing>", false },
        { "switched off", "", "o", "<missing>", false },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        QDir(folder).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(folder));
        if (!row.before.isEmpty()) testutil::writeBytes(folder + "/.directory", row.before);
        for (const char* w = row.wishes; *w; ++w) {
            WantedCustomisation wanted;
            wanted.tooltip = QString();
            wanted.keepIcon = *w == 't';
            if (*w == 'd' || *w == 'o') wanted.icon = IconChoice { icons + "/lib.dll", "3", false, true, *w == 'd' };
            if (*w == 'i') wanted.icon = IconChoice { icons + "/a.ico", "0" };
            if (*w == 't') wanted.tooltip = "T";
            ASSERT_EQ(ApplyCustomisation(folder, wanted), CustomisationRefused::None);
        }
        EXPECT_EQ(testutil::readBytes(folder + "/.directory"), row.after);
        EXPECT_EQ(QFileInfo::exists(folder + "/.quillmark.ico"), row.image);
        // Hidden from Windows: the image, and a .directory of our own.
        EXPECT_TRUE(!row.image || (GetFileAttributesA(folder + "/.quillmark.ico") & 0x27) == 34);
        EXPECT_TRUE(!row.image || !row.before.isEmpty() || (GetFileAttributesA(folder + "/.directory") & 0x27) == 34);
    }
}

// The images at 16, 24, 32, 48 and 256 pixels as stored, the best depth of each; the largest
// when it has none of them.
TEST(LinuxIcon, TheHiddenImageHoldsTheIconsImagesAsStored)
{
    QTemporaryDir tmp;
    const auto image = [](int size, int bits, std::uint32_t rgb) { return flatImage(size, rgb, bits); };
    const pe_writer::IconImage i16 = image(16, 32, 1), i20 = image(20, 32, 2), i32low = image(32, 8, 3),
                               i32 = image(32, 32, 4), i64 = image(64, 32, 5), i48 = image(48, 24, 6);
    const std::vector<std::vector<pe_writer::IconImage>> groups { { i20, i32low, i64, i16, i32 }, { i20, i64 },
        { i48 } };
    const std::vector<std::vector<pe_writer::IconImage>> expected { { i16, i32 }, { i64 }, { i48 } };
    pe_writer::PeWriter dll(pe_writer::Format::Pe32);
    for (std::size_t g = 0; g < groups.size(); ++g)
        dll.addIconGroup(std::uint16_t(g + 1), groups[g]);
    const QString path = tmp.filePath("lib.dll");
    testutil::writeBytes(path, toQByteArray(dll.build()));
    for (std::size_t g = 0; g < groups.size(); ++g)
        EXPECT_EQ(LinuxIconImage(path, int(g)), toQByteArray(pe_writer::writeIco(expected[g]))) << g;
    EXPECT_TRUE(LinuxIconImage(path, 3).isEmpty());
}

// GTK's reader draws noise for a PNG image in an .ico: such an icon gets the hidden image, its PNG
// a 32-bit bitmap with the same pixels.
TEST(LinuxIcon, PngImagesBecomeBitmapsPixelForPixel)
{
    QTemporaryDir tmp;
    QImage picture(256, 256, QImage::Format_ARGB32);
    picture.fill(0);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 100 + y / 4; ++x)
            picture.setPixel(x, y, qRgba(x, y, 200, 255 - y));
    QByteArray png;
    QBuffer buffer(&png);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "PNG"));
    ASSERT_TRUE(QDir().mkpath(tmp.filePath("Ordner")));
    testutil::writeBytes(tmp.filePath("a.ico"),
        toQByteArray(pe_writer::writeIco({ { 256, 256, 32, 0, pe_writer::Bytes(png.begin(), png.end()) } })));
    EXPECT_EQ(LinuxIconFor(tmp.filePath("Ordner"), "..\\a.ico", "0").value, "./.quillmark.ico");
    const QByteArray written = LinuxIconImage(tmp.filePath("a.ico"), 0);
    icons::IconFile file;
    file.setData({ reinterpret_cast<const std::uint8_t*>(written.constData()), std::size_t(written.size()) });
    const std::vector<icons::ImageEntry> images = file.images(0);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_FALSE(icons::isPng(file.imageData(images[0])));
    EXPECT_EQ(icons::decodeIconImage(file.imageData(images[0])), picture);
}

TEST(LinuxIcon, DirectoryValuesAreEscapedAsKdeReadsThem)
{
    const QByteArray crlf = "[Desktop Entry]\r\nName=x\r\n";
    const QString value = " a\\b\tc";
    const QByteArray written = DirectoryWithIcon(crlf, value);
    EXPECT_EQ(written, "[Desktop Entry]\r\nName=x\r\nIcon=\\sa\\\\b\\tc\n");
    EXPECT_EQ(DirectoryIcon(written), value);
    EXPECT_FALSE(DirectoryHasKeys("# nur\n[Desktop Entry]\n\n"));
}

} // namespace
