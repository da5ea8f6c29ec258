// SPDX-License-Identifier: GPL-3.0-or-later
// Compares two folders of PNG files: which names only one of them holds,
// and, for each name both hold, whether the images are equal pixel for
// pixel. Prints four lines, `only_first N`, `only_second N`, `compared N`
// and `differing N`, and the names that differ on stderr. Pixels are
// compared as non-premultiplied ARGB, so the PNG colour types of the two
// sides may differ.
//
// Usage: qm_bench_compare_pngs FIRST_DIR SECOND_DIR
#include <QDir>
#include <QImage>
#include <QSet>
#include <QStringList>

#include <cstdio>

namespace {

bool samePixels(const QString& first, const QString& second)
{
    const QImage a = QImage(first).convertToFormat(QImage::Format_ARGB32);
    const QImage b = QImage(second).convertToFormat(QImage::Format_ARGB32);
    if (a.isNull() || b.isNull() || a.size() != b.size()) return false;
    for (int y = 0; y < a.height(); ++y) {
        const auto* p = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* q = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            if (p[x] != q[x]) return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: qm_bench_compare_pngs FIRST_DIR SECOND_DIR\n", stderr);
        return 2;
    }
    const QDir first(QString::fromLocal8Bit(argv[1])), second(QString::fromLocal8Bit(argv[2]));
    const QStringList firstNames = first.entryList({ "*.png" }, QDir::Files);
    const QStringList secondNames = second.entryList({ "*.png" }, QDir::Files);
    const QSet<QString> secondSet(secondNames.begin(), secondNames.end());
    int compared = 0, differing = 0, onlyFirst = 0;
    for (const QString& name : firstNames) {
        if (!secondSet.contains(name)) {
            ++onlyFirst;
            continue;
        }
        ++compared;
        if (!samePixels(first.filePath(name), second.filePath(name))) {
            ++differing;
            std::fprintf(stderr, "differs: %s\n", qPrintable(name));
        }
    }
    std::printf("only_first %d\nonly_second %d\ncompared %d\ndiffering %d\n", onlyFirst,
        int(secondNames.size()) - compared, compared, differing);
    return 0;
}
