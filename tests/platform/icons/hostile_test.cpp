// SPDX-License-Identifier: GPL-3.0-or-later
// Damaged and hostile files: no icon, never a crash or a hang. The fuzz
// findings kept under tests/data/icons/fuzz/ run here too, and so do files
// on a share that another machine cuts short while we read them.
#include "platform/icons/icon_api.h"
#include "platform/icons/icon_choice.h"
#include "platform/icons/icon_decoder.h"
#include "tests/support/icon_fixtures.h"

using namespace testing_support;
using pe_writer::Bytes;
using pe_writer::get32;
using pe_writer::kRtGroupIcon;
using pe_writer::kRtIcon;

namespace {

Bytes patched(Bytes b, std::size_t at, std::uint32_t v, int width = 4)
{
    width == 2 ? pe_writer::put16(b, at, v) : pe_writer::put32(b, at, v);
    return b;
}

// A group of one image whose id is imageId, and one image of id 1 of imageType (0: none).
Bytes withoutImage(std::uint16_t imageId, std::uint16_t imageType)
{
    pe_writer::PeWriter w;
    if (imageType) w.addResource(imageType, 1, pe_writer::kEnglish, flatImage(32, 0).data);
    w.addResource(
        kRtGroupIcon, 1, pe_writer::kEnglish, pe_writer::groupDirectory({ { flatImage(32, 0), imageId } }));
    return w.build();
}

// Whether icon 0 of the bytes loads at the large size.
bool loads(const QTemporaryDir& dir, const Bytes& bytes, int* count = nullptr)
{
    icons::IconFile f;
    EXPECT_TRUE(f.open(writeFile(dir, "icons.dll", bytes)));
    if (count) *count = f.count();
    return !icons::loadIcon(f, 0, icons::kLargeIconSize).isNull();
}

TEST(HostileIconFiles, GiveNoIcon)
{
    pe_writer::PeWriter w; // PE32+
    w.addIconGroup(1, { flatImage(32, 0x123456) });
    const Bytes lib = w.build(), ico = pe_writer::writeIco({ flatImage(32, 0) });
    const pe_writer::Layout at = w.layout();
    // Name entry -> language directory -> its first entry -> data entry -> data.
    auto languages = [&](std::uint16_t type) {
        return at.resources + (get32(lib, at.nameDirectory.at(type) + 20) & 0x7FFFFFFF);
    };
    auto dataEntry = [&](std::uint16_t type) { return at.resources + get32(lib, languages(type) + 20); };
    const std::uint32_t groupData = at.resources + get32(lib, dataEntry(kRtGroupIcon)) - at.resourceRva;
    const std::uint32_t groups = at.nameDirectory.at(kRtGroupIcon), images = at.nameDirectory.at(kRtIcon);
    // Type ids are sorted, so the group type (14) follows the icon type (3).
    const std::uint32_t groupType = at.resources + 16 + 8, languageEntry = languages(kRtGroupIcon) + 20;
    const std::uint32_t optional = at.peHeader + 24, section = at.sectionTable;
    // The resources are the third data directory, 112 bytes into the PE32+ optional header.
    const std::uint32_t resourceDirectory = optional + 112 + 16;
    auto p = [&lib](std::size_t off, std::uint32_t v, int width = 4) { return patched(lib, off, v, width); };
    // The same file with a section before the resource section that does not hold them.
    Bytes twoSections = p(at.peHeader + 6, 2, 2);
    std::copy_n(lib.begin() + section, 40, twoSections.begin() + section + 40);
    twoSections = patched(twoSections, section + 12, at.resourceRva + 0x2000);
    // Each: what is damaged, the bytes, and the icons still counted.
    const std::tuple<const char*, Bytes, int> cases[] = {
        { "text file", { 'h', 'e', 'l', 'l', 'o', '\n' }, 0 },
        { "empty file", {}, 0 },
        { "no MZ", p(0, 0x5A4E, 2), 0 },
        { "PE header beyond the file", p(0x3C, 0xFFFFFFF0u), 0 },
        { "no PE signature", p(at.peHeader, 0x00004551), 0 },
        { "unknown optional header", p(optional, 0x107, 2), 0 },
        { "no resource directory entry", p(resourceDirectory - 20, 2), 0 },
        { "no resources, a section at 0", patched(p(resourceDirectory, 0), section + 12, 0), 0 },
        { "no sections", p(at.peHeader + 6, 0, 2), 0 },
        { "resources outside every section", p(resourceDirectory, 0x7FFF0000u), 0 },
        { "65535 sections", p(at.peHeader + 6, 0xFFFF, 2), 0 },
        { "section starts after the resources", p(section + 12, at.resourceRva + 1), 0 },
        { "section data beyond the file", p(section + 20, 0xFFFFFF00u), 0 },
        { "section holds only the root directory", p(section + 16, 16), 1 },
        { "section ends inside the root directory", p(section + 16, 15), 0 },
        { "65535 types claimed", p(at.resources + 14, 0xFFFF, 2), 0 },
        { "65535 groups claimed", p(groups + 14, 0xFFFF, 2), 0 },
        { "group type is no directory", p(groupType + 4, get32(lib, groupType + 4) & 0x7FFFFFFF), 0 },
        { "group type is named", p(groupType, 0x80000000u | kRtGroupIcon), 0 },
        { "name entry loops back to the root", p(groups + 20, 0x80000000u), 1 },
        { "name entry is no directory", p(groups + 20, get32(lib, groups + 20) & 0x7FFFFFFF), 1 },
        { "language directory is empty", p(languages(kRtGroupIcon) + 14, 0, 2), 1 },
        { "language entry nests a directory", p(languageEntry, get32(lib, languageEntry) | 1u << 31), 1 },
        { "group data beyond the file", p(dataEntry(kRtGroupIcon) + 4, 0x7FFFFFFF), 1 },
        { "group claims 65535 images", p(groupData + 4, 0xFFFF, 2), 1 },
        { "65535 images claimed", p(images + 14, 0xFFFF, 2), 1 },
        { "image data beyond the file", p(dataEntry(kRtIcon), 0xFFFFFF00u), 1 },
        { "group names a missing image", withoutImage(99, kRtIcon), 1 },
        { "no RT_ICON type at all", withoutImage(1, 0), 1 },
        { "the image among bitmaps, no RT_ICON type", withoutImage(1, 2), 1 },
        { "the group type left out of the count", p(at.resources + 14, 1, 2), 0 },
        { "cursor file", patched(ico, 2, 2, 2), 0 },
        { "ico reserved word set", patched(ico, 0, 1, 2), 0 },
        { "ico without images", patched(ico, 4, 0, 2), 0 },
        { "ico claims 65535 images", patched(ico, 4, 0xFFFF, 2), 0 },
        { "ico image beyond the file", patched(ico, 6 + 12, 0xFFFFFFF0u), 1 },
    };
    ASSERT_EQ(get32(lib, groupType), kRtGroupIcon);
    QTemporaryDir dir;
    // The undamaged files load, so that the cases fail for their damage.
    for (const Bytes& good : { lib, ico, withoutImage(1, kRtIcon), twoSections })
        ASSERT_TRUE(loads(dir, good));
    for (const auto& [name, bytes, counted] : cases) {
        int count = -1;
        EXPECT_FALSE(loads(dir, bytes, &count)) << name;
        EXPECT_EQ(count, counted) << name;
    }
}

TEST(HostileIconFiles, FuzzFindingsRunThrough)
{
    // Inputs the fuzzer kept because they reach the most paths, and every
    // input that ever crashed, hung or over-allocated.
    const QDir fuzz(QStringLiteral(QM_TEST_DATA "/icons/fuzz"));
    const QStringList files = fuzz.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& name : files) {
        icons::IconFile f;
        ASSERT_TRUE(f.open(fuzz.filePath(name)));
        // No more icons than directory entries fit into the file.
        EXPECT_LE(f.count(), QFileInfo(fuzz.filePath(name)).size() / 8) << name.toStdString();
        for (int i = 0; i < f.count(); ++i)
            for (int size : { icons::kLargeIconSize, icons::kSmallIconSize }) {
                const QImage image = icons::loadIcon(f, i, size);
                EXPECT_TRUE(image.isNull() || image.size() == QSize(size, size)) << name.toStdString();
            }
    }
}

// Read, not mapped: icons past the cut are missing, and no SIGBUS ends the
// program. A FIFO holds no icons, at once.
TEST(SharedIconFile, CutShortOrFifoGivesNoIconsAndNoSignal)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lib.dll"));
    testutil::writeBytes(path, testing_support::makeIconLibrary(25));
    icons::IconFile file;
    ASSERT_TRUE(file.open(path));
    ASSERT_EQ(file.count(), 25);
    ASSERT_EQ(::truncate(QFile::encodeName(path).constData(), 4096), 0);
    int drawn = 0;
    for (int i = 0; i < 25; ++i)
        drawn += icons::loadIcon(file, i, icons::kLargeIconSize).isNull() ? 0 : 1;
    EXPECT_LT(drawn, 25);

    const QString fifo = dir.filePath(QStringLiteral("x.dll"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    EXPECT_TRUE(testutil::passesWithin([&] {
        icons::IconFile f;
        return ExtractIconA(0x400000, fifo, UINT(-1)) == 0 && !f.open(fifo);
    }));
}

} // namespace
