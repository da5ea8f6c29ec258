// SPDX-License-Identifier: GPL-3.0-or-later
// Checks the committed pictures and icon files as the program reads them (its
// own icon reader, Qt's bitmap reader), and that the generator still draws them.
#include "platform/icons/icon_decoder.h"
#include "platform/icons/icon_file.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <set>

namespace {

const QString kRes = QStringLiteral(QM_RES_DIR);
constexpr QRgb kNavy = 0xFF000080;
constexpr QRgb kWhite = 0xFFFFFFFF;
const QList<QRgb> kVga
    = { 0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080, 0xFF008080, 0xFFC0C0C0,
          0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00, 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF };

QByteArray load(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// 32 bpp: the AND mask clears exactly the pixels of alpha 0, for shells that ignore alpha.
bool maskFollowsAlpha(icons::ByteView dib, int w, int h)
{
    const std::uint64_t maskAt = 40 + 4 * std::uint64_t(w * h), stride = (w + 31) / 32 * 4;
    if (!dib.contains(maskAt, stride * h)) return false;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (((dib.data[maskAt + stride * y + x / 8] >> (7 - x % 8)) & 1)
                != (dib.data[43 + 4 * (y * w + x)] == 0))
                return false;
    return true;
}

// Every image of an .ico or PE file, or the one picture of another file: what the file
// says about it (group, size and depth of an icon image; size and palette of a bitmap)
// and its pixels.
std::vector<std::pair<QString, QImage>> readPictures(const QString& path)
{
    std::vector<std::pair<QString, QImage>> out;
    icons::IconFile file;
    if (!(path.endsWith(".ico") || path.endsWith(".dll"))) {
        const QImage image(path);
        QString layout = QString("%1x%2").arg(image.width()).arg(image.height());
        for (const QRgb c : image.colorTable())
            layout += QString(" %1").arg(c, 8, 16);
        out.emplace_back(layout, image.convertToFormat(QImage::Format_ARGB32));
    } else if (file.open(path)) {
        for (int i = 0; i < file.count(); ++i)
            for (const icons::ImageEntry& e : file.images(i)) {
                icons::StoredFormat f;
                const bool read = icons::readStoredFormat(file.imageData(e), f);
                out.emplace_back(QString::asprintf("group %s: %dx%d %d bpp, stored %dx%d %d bpp",
                                     qPrintable(file.groupName(i)), e.width, e.height, e.bitCount, f.width,
                                     f.height, read ? f.bitsPerPixel : -1),
                    icons::decodeIconImage(file.imageData(e)));
            }
    }
    return out;
}

// Rows from plainFromRow down stay plain dark blue: the window writes text on them.
struct PictureCase {
    const char* file;
    int width, height, plainFromRow;
};

TEST(Pictures, AreSixteenColourBitmapsOfTheirSizeOnDarkBlue)
{
    for (const PictureCase& c :
        { PictureCase { "side.bmp", 164, 314, 278 }, PictureCase { "title.bmp", 49, 49, 49 } }) {
        SCOPED_TRACE(c.file);
        const QImage image(kRes + "/" + c.file);
        EXPECT_EQ(qFromLittleEndian<quint16>(load(kRes + "/" + c.file).constData() + 28), 4) << "bpp";
        ASSERT_EQ(image.size(), QSize(c.width, c.height));
        EXPECT_EQ(image.colorTable(), kVga);
        std::set<QRgb> used;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                used.insert(image.pixel(x, y));
                if (x == 0 || y == 0 || x == c.width - 1 || y == c.height - 1 || y >= c.plainFromRow) {
                    ASSERT_EQ(image.pixel(x, y), kNavy) << x << "," << y;
                }
            }
        EXPECT_TRUE(used.count(kWhite)) << "the motif is drawn";
    }
}

// An icon image scaled down to `size`, each pixel the mean of the pixels under
// it weighted by the area they share, premultiplied and in integers: no
// library's rounding enters.
std::vector<std::array<int, 4>> averaged(const QImage& image, int size)
{
    const int from = image.width();
    // In units of 1/(from*size) of the picture's side: source pixel s spans
    // [s*size, (s+1)*size), target pixel t spans [t*from, (t+1)*from).
    const auto overlap = [&](int s, int t) {
        return std::max(0, std::min((s + 1) * size, (t + 1) * from) - std::max(s * size, t * from));
    };
    std::vector<std::array<int, 4>> out;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            std::array<std::int64_t, 4> sum {};
            std::int64_t weights = 0;
            for (int sy = y * from / size; sy < std::min(from, ((y + 1) * from + size - 1) / size); ++sy)
                for (int sx = x * from / size; sx < std::min(from, ((x + 1) * from + size - 1) / size);
                     ++sx) {
                    const std::int64_t w = std::int64_t(overlap(sx, x)) * overlap(sy, y);
                    const QRgb p = image.pixel(sx, sy);
                    const int a = qAlpha(p);
                    sum = { sum[0] + w * a, sum[1] + w * qRed(p) * a / 255, sum[2] + w * qGreen(p) * a / 255,
                        sum[3] + w * qBlue(p) * a / 255 };
                    weights += w;
                }
            out.push_back({ int(sum[0] / weights), int(sum[1] / weights), int(sum[2] / weights),
                int(sum[3] / weights) });
        }
    return out;
}

// Per mille of the smaller image's pixels where the larger one, averaged down
// to its size, differs by more than kApart in a channel. Measured on the
// bundled icons: a copy scaled down from 256 pixels, or up from 16 by Qt's
// smooth scaling, gives 0; the drawings give 39 at least (16 against 32).
constexpr int kApart = 88;
constexpr int kOwnDrawing = 20;
int ownDrawing(const QImage& small, const QImage& large)
{
    const auto a = averaged(small, small.width()), b = averaged(large, small.width());
    int far = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        int d = 0;
        for (int c = 0; c < 4; ++c)
            d = std::max(d, std::abs(a[i][c] - b[i][c]));
        far += d > kApart;
    }
    return int(far * 1000 / a.size());
}

struct IconCase {
    QString file;
    std::multiset<std::pair<int, int>> sizesAndDepths; // of each icon (group)
    int minIcons;
    bool soft; // some pixels half transparent: smooth edges
};

// What the window needs of its icons: the program icon in 16 and 256 colours for every
// screen, the bundled icons in true colour with smooth edges, and a library that fills the grid.
TEST(IconFiles, HoldTheirSizesAndDepthsAndDrawAShapeOnAClearBackground)
{
    std::vector<IconCase> cases {
        { "quillmark.ico", { { 16, 4 }, { 32, 4 }, { 48, 4 }, { 16, 8 }, { 32, 8 }, { 48, 8 } }, 1, false },
        { "icons/ordner.dll",
            { { 16, 32 }, { 24, 32 }, { 32, 32 }, { 48, 32 }, { 256, 32 }, { 16, 4 }, { 32, 4 } }, 20, true }
    };
    for (const QString& name : QDir(kRes + "/icons").entryList({ "*.ico" }, QDir::Files))
        cases.push_back(
            { "icons/" + name, { { 16, 32 }, { 24, 32 }, { 32, 32 }, { 48, 32 }, { 256, 32 } }, 1, true });
    EXPECT_GE(cases.size(), 10u) << "eight bundled icons at least";
    for (const IconCase& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        icons::IconFile file;
        ASSERT_TRUE(file.open(kRes + "/" + c.file));
        EXPECT_GE(file.count(), c.minIcons);
        for (int i = 0; i < file.count(); ++i) {
            std::multiset<std::pair<int, int>> found;
            std::map<int, QImage> trueColour;
            bool soft = false;
            for (const icons::ImageEntry& e : file.images(i)) {
                SCOPED_TRACE(std::to_string(e.width) + "px " + std::to_string(e.bitCount) + " bpp");
                found.insert({ e.width, e.bitCount });
                const QImage image = icons::decodeIconImage(file.imageData(e));
                ASSERT_EQ(image.size(), QSize(e.width, e.height));
                EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "the top left corner is background";
                int opaque = 0;
                std::set<QRgb> colours;
                for (int y = 0; y < e.height; ++y)
                    for (int x = 0; x < e.width; ++x) {
                        const QRgb p = image.pixel(x, y);
                        opaque += qAlpha(p) > 0;
                        colours.insert(p);
                        soft = soft || (qAlpha(p) > 0 && qAlpha(p) < 255);
                        ASSERT_TRUE(e.bitCount != 4 || kVga.contains(p | 0xFF000000)) << x << "," << y;
                    }
                EXPECT_GT(opaque, e.width * e.height / 3);
                EXPECT_LT(opaque, e.width * e.height * 9 / 10);
                EXPECT_TRUE(e.bitCount != 8 || e.width < 32 || colours.size() > 16) << "uses its palette";
                EXPECT_TRUE(e.bitCount != 32 || icons::isPng(file.imageData(e))
                    || maskFollowsAlpha(file.imageData(e), e.width, e.height));
                if (e.bitCount == 32) trueColour[e.width] = image;
            }
            EXPECT_EQ(found, c.sizesAndDepths) << "icon " << i;
            // The bundled icons: each size drawn for itself, not scaled from another.
            for (auto small = trueColour.begin(); small != trueColour.end(); ++small)
                for (auto large = std::next(small); large != trueColour.end(); ++large)
                    EXPECT_GE(ownDrawing(small->second, large->second), kOwnDrawing)
                        << "icon " << i << ": " << large->first << " averaged to " << small->first;
            EXPECT_TRUE(soft || !c.soft) << "icon " << i << " has smooth edges";
        }
    }
}

// Qt and the C library round antialiased pixels by processor (SSE2 to AVX-512): measured, no
// channel moved by more than 1, in at most 7 pixels of an image. So a channel may move by
// kChannelSteps, and kFarPixels pixels per image (one in kFarPer of a large picture) may flip
// between two of the sixteen colours. Real changes exceed that: a shadow moved by one pixel
// changes 19 pixels, another star outline colour 52, the star moved by under a pixel 22.
constexpr int kChannelSteps = 4;
constexpr int kFarPixels = 3;
constexpr int kFarPer = 10000;

int farPixels(const QImage& a, const QImage& b)
{
    int far = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int d = std::max({ std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q)) });
            far += (qAlpha(p) || qAlpha(q)) && d > kChannelSteps;
        }
    return far;
}

std::map<QString, QByteArray> tree(const QString& root)
{
    std::map<QString, QByteArray> out;
    for (QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QString path = it.next();
        out[QDir(root).relativeFilePath(path)] = load(path);
    }
    return out;
}

// The generator's files against the committed ones: the same files, each with the same
// images of the same sizes and depths, and pixels within the tolerance above.
void expectSameArt(const QString& drawnRoot, const QString& committedRoot)
{
    const auto drawn = tree(drawnRoot), committed = tree(committedRoot);
    for (const auto& [name, bytes] : committed)
        EXPECT_TRUE(drawn.count(name)) << name.toStdString() << " is no longer generated";
    for (const auto& [name, bytes] : drawn) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_TRUE(committed.count(name)) << "not committed";
        const auto a = readPictures(drawnRoot + "/" + name), b = readPictures(committedRoot + "/" + name);
        ASSERT_FALSE(a.empty());
        ASSERT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size(); ++i) {
            ASSERT_EQ(a[i].first.toStdString(), b[i].first.toStdString());
            ASSERT_FALSE(a[i].second.isNull());
            const int far = farPixels(a[i].second, b[i].second), count = int(a[i].second.sizeInBytes() / 4);
            EXPECT_LE(far, std::max(kFarPixels, count / kFarPer))
                << a[i].first.toStdString() << ": " << far << " of " << count
                << " pixels differ by more than " << kChannelSteps << ": re-run the generator";
        }
    }
}

TEST(Generator, RedrawsTheCommittedFiles)
{
    QTemporaryDir first, second;
    ASSERT_TRUE(first.isValid() && second.isValid());
    // QM_MAKE_ART may name another command, e.g. the generator under an emulated processor.
    QStringList command = QProcess::splitCommand(qEnvironmentVariable("QM_MAKE_ART"));
    if (command.isEmpty()) command = QStringList { QStringLiteral(QM_MAKE_ART) };
    for (const QTemporaryDir* dir : { &first, &second }) {
        QProcess run;
        run.start(command.front(), command.mid(1) << dir->path());
        ASSERT_TRUE(run.waitForFinished(600000)) << run.errorString().toStdString();
        ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    }
    EXPECT_TRUE(tree(first.path()) == tree(second.path())) << "two runs on one machine give the same bytes";
    expectSameArt(first.path(), kRes);
}

} // namespace
