// Damaged and hostile files: no icon, never a crash or a hang. The fuzz
// findings kept under tests/data/icons/fuzz/ run here too.
#include "platform/icons/icon_choice.h"
#include "tests/platform/icons/icon_test_util.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

using icon_test::flatImage;
using pe_writer::Bytes;
using pe_writer::get32;
using pe_writer::put16;
using pe_writer::put32;

namespace {

// A library with one group of one image, and where its parts lie.
struct Library {
    Bytes bytes;
    pe_writer::Layout layout;
    // File offset of the language directory below the first name of `type`.
    std::uint32_t languages(std::uint16_t type) const
    {
        return layout.resources + (get32(bytes, layout.nameDirectory.at(type) + 20) & 0x7FFFFFFF);
    }
    // File offset of the data entry of the first resource of `type`.
    std::uint32_t dataEntry(std::uint16_t type) const
    {
        return layout.resources + get32(bytes, languages(type) + 20);
    }
    std::uint32_t data(std::uint16_t type) const
    {
        return layout.resources + get32(bytes, dataEntry(type)) - layout.resourceRva;
    }
};

Library library(pe_writer::Format format = pe_writer::Format::Pe32Plus)
{
    pe_writer::PeWriter w(format);
    w.addIconGroup(1, { flatImage(32, 0x123456) });
    Library l;
    l.bytes = w.build();
    l.layout = w.layout();
    return l;
}

struct HostileCase {
    const char* name;
    std::function<Bytes()> make;
    int count;
};

std::vector<HostileCase> hostileCases()
{
    const std::uint32_t pe32PlusDirs = 24 + 112;
    return {
        { "text file",
            [] {
                return Bytes { 'h', 'e', 'l', 'l', 'o', '\n' };
            },
            0 },
        { "empty file", [] { return Bytes {}; }, 0 },
        { "MZ only",
            [] {
                return Bytes { 'M', 'Z' };
            },
            0 },
        { "PE header beyond the file",
            [] {
                Library l = library();
                put32(l.bytes, 0x3C, 0xFFFFFFF0u);
                return l.bytes;
            },
            0 },
        { "resources outside every section",
            [=] {
                Library l = library();
                put32(l.bytes, l.layout.peHeader + pe32PlusDirs + 16, 0x7FFF0000u);
                return l.bytes;
            },
            0 },
        { "65535 sections",
            [] {
                Library l = library();
                put16(l.bytes, l.layout.peHeader + 6, 0xFFFF);
                return l.bytes;
            },
            0 },
        { "65535 groups claimed",
            [] {
                Library l = library();
                put16(l.bytes, l.layout.nameDirectory.at(pe_writer::kRtGroupIcon) + 14, 0xFFFF);
                return l.bytes;
            },
            0 },
        { "group type is no directory",
            [] {
                Library l = library();
                for (std::uint32_t e = l.layout.resources + 16; e < l.layout.resources + 32; e += 8)
                    if (get32(l.bytes, e) == pe_writer::kRtGroupIcon)
                        put32(l.bytes, e + 4, get32(l.bytes, e + 4) & 0x7FFFFFFF);
                return l.bytes;
            },
            0 },
        { "name entry loops back to the root",
            [] {
                Library l = library();
                put32(l.bytes, l.layout.nameDirectory.at(pe_writer::kRtGroupIcon) + 20, 0x80000000u);
                return l.bytes;
            },
            1 },
        { "language entry nests a further directory",
            [] {
                Library l = library();
                const std::uint32_t at = l.languages(pe_writer::kRtGroupIcon) + 20;
                put32(l.bytes, at, get32(l.bytes, at) | 0x80000000u);
                return l.bytes;
            },
            1 },
        { "group data beyond the file",
            [] {
                Library l = library();
                put32(l.bytes, l.dataEntry(pe_writer::kRtGroupIcon) + 4, 0x7FFFFFFF);
                return l.bytes;
            },
            1 },
        { "group claims 65535 images",
            [] {
                Library l = library();
                put16(l.bytes, l.data(pe_writer::kRtGroupIcon) + 4, 0xFFFF);
                return l.bytes;
            },
            1 },
        { "image data beyond the file",
            [] {
                Library l = library();
                put32(l.bytes, l.dataEntry(pe_writer::kRtIcon), 0xFFFFFF00u);
                return l.bytes;
            },
            1 },
        { "group names a missing image",
            [] {
                pe_writer::PeWriter w;
                w.addResource(pe_writer::kRtIcon, 1, pe_writer::kEnglish, flatImage(32, 0).data);
                w.addResource(pe_writer::kRtGroupIcon, 1, pe_writer::kEnglish,
                    pe_writer::groupDirectory({ { flatImage(32, 0), 99 } }));
                return w.build();
            },
            1 },
        { "no RT_ICON type at all",
            [] {
                pe_writer::PeWriter w;
                w.addResource(pe_writer::kRtGroupIcon, 1, pe_writer::kEnglish,
                    pe_writer::groupDirectory({ { flatImage(32, 0), 1 } }));
                return w.build();
            },
            1 },
        { "ico claims 65535 images",
            [] {
                Bytes b = pe_writer::writeIco({ flatImage(32, 0) });
                put16(b, 4, 0xFFFF);
                return b;
            },
            0 },
        { "ico image beyond the file",
            [] {
                Bytes b = pe_writer::writeIco({ flatImage(32, 0) });
                put32(b, 6 + 12, 0xFFFFFFF0u);
                return b;
            },
            1 },
    };
}

TEST(HostileIconFiles, GiveNoIcon)
{
    QTemporaryDir dir;
    // The undamaged library first, so that the cases below fail for their damage.
    const QString good = icon_test::writeFile(dir, "good.dll", library().bytes);
    icons::IconFile ok;
    ASSERT_TRUE(ok.open(good));
    ASSERT_EQ(ok.count(), 1);
    ASSERT_FALSE(icons::loadIcon(ok, 0, 32).isNull());

    for (const HostileCase& c : hostileCases()) {
        SCOPED_TRACE(c.name);
        const QString path = icon_test::writeFile(dir, "hostile.dll", c.make());
        icons::IconFile f;
        ASSERT_TRUE(f.open(path));
        EXPECT_EQ(f.count(), c.count);
        for (int i = 0; i < f.count(); ++i) {
            EXPECT_TRUE(icons::loadIcon(f, i, icons::kLargeIconSize).isNull());
            EXPECT_TRUE(icons::loadIcon(f, i, icons::kSmallIconSize).isNull());
        }
    }
}

TEST(HostileIconFiles, FuzzFindingsRunThrough)
{
    // Small inputs that the fuzzer kept because they reach the most paths,
    // and every input that ever crashed, hung or over-allocated (none so far).
    const QDir fuzz(QStringLiteral(QM_TEST_DATA "/icons/fuzz"));
    const QStringList files = fuzz.entryList(QDir::Files);
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        icons::IconFile f;
        ASSERT_TRUE(f.open(fuzz.filePath(name)));
        const Bytes bytes = icon_test::readFile(fuzz.filePath(name));
        // No more icons than directory entries fit into the file.
        EXPECT_LE(std::size_t(f.count()), bytes.size() / 8);
        for (int i = 0; i < f.count(); ++i) {
            for (int size : { icons::kLargeIconSize, icons::kSmallIconSize }) {
                const QImage image = icons::loadIcon(f, i, size);
                EXPECT_TRUE(image.isNull() || image.size() == QSize(size, size));
            }
        }
    }
}

} // namespace
