// Checks the committed pictures and icon files byte for byte against what the
// window and the icon reader expect of them, and that the generator still
// produces exactly the committed files.
#include "art_reader.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <set>

using namespace artcheck;

namespace {

const QString kRes = QStringLiteral(QM_RES_DIR);
constexpr QRgb kNavy = 0xFF000080;
constexpr QRgb kWhite = 0xFFFFFFFF;

QByteArray load(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const std::vector<QRgb> kVga
    = { 0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080, 0xFF008080, 0xFFC0C0C0,
          0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00, 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF };

QRgb at(const Bitmap& b, int x, int y)
{
    return b.palette[b.index[size_t(y * b.width + x)]];
}

struct PictureCase {
    const char* file;
    int width;
    int height;
    int plainFromRow; // rows from here down stay plain dark blue (text is drawn over them)
};

class Picture : public ::testing::TestWithParam<PictureCase> { };

TEST_P(Picture, IsASixteenColourBitmapOfItsSizeOnDarkBlue)
{
    const PictureCase& c = GetParam();
    const auto bitmap = readBitmap4(load(kRes + "/" + c.file));
    ASSERT_TRUE(bitmap) << c.file;
    EXPECT_EQ(bitmap->width, c.width);
    EXPECT_EQ(bitmap->height, c.height);
    EXPECT_EQ(bitmap->palette, kVga);
    std::set<QRgb> used;
    for (int y = 0; y < bitmap->height; ++y) {
        for (int x = 0; x < bitmap->width; ++x) {
            used.insert(at(*bitmap, x, y));
            const bool edge = x == 0 || y == 0 || x == bitmap->width - 1 || y == bitmap->height - 1;
            if (edge || y >= c.plainFromRow) {
                ASSERT_EQ(at(*bitmap, x, y), kNavy) << c.file << " at " << x << "," << y;
            }
        }
    }
    EXPECT_TRUE(used.count(kWhite)) << "the motif is drawn in " << c.file;
    EXPECT_GE(used.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Pictures, Picture,
    ::testing::Values(PictureCase { "side.bmp", 164, 314, 278 }, PictureCase { "title.bmp", 49, 49, 49 }),
    [](const ::testing::TestParamInfo<PictureCase>& info) {
        std::string name = info.param.file;
        std::replace(name.begin(), name.end(), '.', '_');
        return name;
    });

// What every icon image must satisfy whatever its depth: a readable DIB of the
// size its directory entry claims, a clear background and something opaque on it.
void expectWellFormed(const IconEntry& e, const QString& where)
{
    SCOPED_TRACE(
        where.toStdString() + " " + std::to_string(e.width) + "px " + std::to_string(e.bitCount) + "bpp");
    const auto dib = readIconDib(e.dib);
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->width, e.width);
    EXPECT_EQ(dib->height, e.height);
    EXPECT_EQ(dib->bitCount, e.bitCount);
    EXPECT_EQ(e.colourCount, e.bitCount == 4 ? 16 : 0);
    EXPECT_EQ(dib->transparent.front(), 1) << "the top left corner is background";
    size_t opaque = 0;
    for (size_t i = 0; i < dib->pixels.size(); ++i) {
        if (dib->transparent[i]) {
            // Clear pixels must be black in the colour bits, or they would tint the background.
            ASSERT_EQ(dib->pixels[i] & 0x00FFFFFF, 0u) << "pixel " << i;
        } else {
            ++opaque;
        }
        if (e.bitCount == 32) {
            ASSERT_EQ(dib->transparent[i], qAlpha(dib->pixels[i]) == 0 ? 1 : 0)
                << "mask follows alpha, pixel " << i;
        }
    }
    EXPECT_GT(opaque, dib->pixels.size() / 3);
    EXPECT_LT(opaque, dib->pixels.size() * 9 / 10);
}

TEST(ProgramIcon, HoldsSixteenAndTwoHundredFiftySixColourImagesAtThreeSizes)
{
    const auto entries = readIco(load(kRes + "/quillmark.ico"));
    ASSERT_TRUE(entries);
    std::set<std::pair<int, int>> found;
    for (const IconEntry& e : *entries) {
        found.insert({ e.width, e.bitCount });
        EXPECT_EQ(e.width, e.height);
        expectWellFormed(e, "quillmark.ico");
        const auto dib = readIconDib(e.dib);
        ASSERT_TRUE(dib);
        std::set<QRgb> colours(dib->pixels.begin(), dib->pixels.end());
        if (e.bitCount == 4) {
            EXPECT_TRUE(std::all_of(colours.begin(), colours.end(),
                [](QRgb c) { return std::find(kVga.begin(), kVga.end(), c) != kVga.end(); }));
        } else if (e.width >= 32) {
            EXPECT_GT(colours.size(), 16u) << "a 256-colour image that uses its palette";
        }
    }
    const std::set<std::pair<int, int>> wanted
        = { { 16, 4 }, { 32, 4 }, { 48, 4 }, { 16, 8 }, { 32, 8 }, { 48, 8 } };
    EXPECT_EQ(found, wanted);
    EXPECT_EQ(entries->size(), 6u);
}

QStringList bundledIcoFiles()
{
    QStringList names = QDir(kRes + "/icons").entryList({ "*.ico" }, QDir::Files, QDir::Name);
    return names;
}

TEST(BundledIcons, AreTrueColourIconsWithAlphaAtThreeSizes)
{
    const QStringList names = bundledIcoFiles();
    EXPECT_GE(names.size(), 8);
    EXPECT_TRUE(std::any_of(names.begin(), names.end(), [](const QString& n) { return n.contains(' '); }));
    for (const QString& name : names) {
        const auto entries = readIco(load(kRes + "/icons/" + name));
        ASSERT_TRUE(entries) << name.toStdString();
        std::vector<int> sizes;
        bool soft = false;
        for (const IconEntry& e : *entries) {
            sizes.push_back(e.width);
            EXPECT_EQ(e.bitCount, 32);
            expectWellFormed(e, name);
            const auto dib = readIconDib(e.dib);
            for (QRgb c : dib ? dib->pixels : std::vector<QRgb>())
                soft = soft || (qAlpha(c) > 0 && qAlpha(c) < 255);
        }
        EXPECT_EQ(sizes, (std::vector<int> { 16, 32, 48 })) << name.toStdString();
        EXPECT_TRUE(soft) << name.toStdString() << " has smooth edges";
    }
}

constexpr int kRtIcon = 3;
constexpr int kRtGroupIcon = 14;

TEST(IconLibrary, HoldsEnoughGroupsToFillTheGridEachWithItsImages)
{
    auto resources = readResources(load(kRes + "/icons/ordner.dll"));
    ASSERT_TRUE(resources);
    const auto& groups = resources->byType[kRtGroupIcon];
    const auto& icons = resources->byType[kRtIcon];
    EXPECT_GE(groups.size(), 20u);
    std::map<int, QByteArray> iconById(icons.begin(), icons.end());
    ASSERT_EQ(iconById.size(), icons.size()) << "icon ids are unique";
    std::set<int> referenced;
    for (const auto& [id, bytes] : groups) {
        const auto entries = readGroupDirectory(bytes);
        ASSERT_TRUE(entries) << "group " << id;
        EXPECT_FALSE(entries->empty());
        for (const GroupEntry& g : *entries) {
            ASSERT_TRUE(iconById.count(g.iconId)) << "group " << id << " names icon " << g.iconId;
            referenced.insert(g.iconId);
            IconEntry e = g.description;
            EXPECT_EQ(e.dib.size(), iconById[g.iconId].size()) << "size in the group matches the image";
            e.dib = iconById[g.iconId];
            expectWellFormed(e, QString("ordner.dll group %1").arg(id));
        }
    }
    EXPECT_EQ(referenced.size(), icons.size()) << "every image belongs to a group";
}

std::map<QString, QByteArray> tree(const QString& root)
{
    std::map<QString, QByteArray> out;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        out[QDir(root).relativeFilePath(path)] = load(path);
    }
    return out;
}

TEST(Generator, RedrawsExactlyTheCommittedFiles)
{
    QTemporaryDir first, second;
    ASSERT_TRUE(first.isValid() && second.isValid());
    for (const QTemporaryDir* dir : { &first, &second }) {
        QProcess run;
        run.start(QStringLiteral(QM_MAKE_ART), { dir->path() });
        ASSERT_TRUE(run.waitForFinished(120000));
        ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    }
    const auto a = tree(first.path()), b = tree(second.path()), committed = tree(kRes);
    EXPECT_FALSE(a.empty());
    EXPECT_TRUE(a == b) << "two runs give the same bytes";
    for (const auto& [name, bytes] : a) {
        ASSERT_TRUE(committed.count(name)) << name.toStdString() << " is not committed";
        EXPECT_TRUE(committed.at(name) == bytes) << name.toStdString() << " differs: re-run the generator";
    }
    for (const auto& [name, bytes] : committed)
        EXPECT_TRUE(a.count(name)) << name.toStdString() << " is no longer generated";
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
