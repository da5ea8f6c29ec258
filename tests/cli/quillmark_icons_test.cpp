// The icon command as a user runs it: output, files and exit status.
#include "tests/cli/run_command.h"
#include "tests/support/icon_fixtures.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

Outcome iconsCommand(const QStringList& arguments)
{
    return runCommand("quillmark-icons", arguments);
}

const QString kData = QM_TEST_DATA "/icons/";

// The real library holds red, green and blue icons.
TEST(IconsCommand, CountsExtractsAndDumps)
{
    QTemporaryDir out;
    EXPECT_EQ(iconsCommand({ "count", kData + "library64.dll" }).out, "3\n");
    EXPECT_EQ(
        iconsCommand({ "extract", kData + "library32.dll", "0", "16", out.filePath("s.png") }).status, 0);
    const QImage image(out.filePath("s.png"));
    EXPECT_EQ(image.size(), QSize(16, 16));
    EXPECT_TRUE(image.hasAlphaChannel());
    EXPECT_EQ(iconsCommand({ "dump", kData + "library64.dll", out.filePath("all") }).status, 0);
    EXPECT_EQ(QDir(out.filePath("all")).entryList(QDir::Files, QDir::Name),
        QStringList({ "000.png", "001.png", "002.png" }));
    EXPECT_EQ(QImage(out.filePath("all/002.png")).pixel(16, 16), 0xFF0000FFu);
}

// Every image under the name wrestool -x -t14 and icotool -x give it: the
// language left out only for 1033, the number kept past a broken image, the
// size and depth from the image's own header (a PNG's depth times channels);
// the last image read back (one of 128 pixels fills two stored blocks).
TEST(IconsCommand, DumpAllNamesEveryImageAsIcoutils)
{
    QTemporaryDir dir;
    pe_writer::PeWriter dll(pe_writer::Format::Pe32);
    const pe_writer::IconImage broken { 16, 16, 32, 0, pe_writer::Bytes(10, 0) };
    dll.addIconGroup(
        u"Main", { flatImage(32, 0xFF0000, 8), broken, flatImage(16, 0xFF) }, pe_writer::kGerman);
    dll.addIconGroup(7, { { 4, 4, 8, 0, pngOf(4, 4, 0x80123456) } });
    dll.addIconGroup(7, { flatImage(48, 0xFF) }, pe_writer::kGerman);
    const std::tuple<QString, int, QStringList, QRgb> cases[] = {
        { writeFile(dir, "lib.dll", dll.build()), 1,
            { "lib.dll_14_7_1031_1_48x48x32.png", "lib.dll_14_7_1_4x4x32.png",
                "lib.dll_14_Main_1031_1_32x32x32.png", "lib.dll_14_Main_1031_3_16x16x32.png" },
            0xFF0000FF },
        { writeFile(dir, "Red.Icon.ICO", pe_writer::writeIco({ flatImage(16, 1), flatImage(128, 0x123456) })),
            0, { "Red.Icon_1_16x16x32.png", "Red.Icon_2_128x128x32.png" }, 0xFF123456 },
    };
    for (const auto& [file, status, names, lastPixel] : cases) {
        SCOPED_TRACE(file.toStdString());
        const QString out = file + ".png";
        EXPECT_EQ(iconsCommand({ "dump", "--all", file, out }).status, status);
        EXPECT_EQ(QDir(out).entryList(QDir::Files, QDir::Name), names);
        EXPECT_EQ(QImage(out + '/' + names.last()).pixel(15, 15), lastPixel);
    }
}

TEST(IconsCommand, FailuresSayWhyAndWriteNothing)
{
    QTemporaryDir out;
    const QString png = out.filePath("x.png");
    const QStringList cases[] = { { "extract", kData + "nothere.ico", "0", "32", png },
        { "extract", kData + "red.ico", "5", "32", png }, { "extract", kData + "red.ico", "x", "32", png },
        { "dump", kData + "nothere.dll", out.filePath("d") }, { "paint" } };
    for (const QStringList& arguments : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const Outcome r = iconsCommand(arguments);
        EXPECT_NE(r.status, 0);
        EXPECT_FALSE(r.err.trimmed().isEmpty());
        EXPECT_EQ(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }
}

} // namespace
