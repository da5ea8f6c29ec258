// SPDX-License-Identifier: GPL-3.0-or-later
// Generates the program's pictures, window icon and bundled icon files into
// the given resource folder. The output is byte for byte the same on every
// run on one machine, so the generated files can live in version control next
// to this code; other processors may round antialiased pixels differently.
#include "art_library.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QSaveFile>

#include <cstdio>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        std::fprintf(stderr, "make_art: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// A sheet of images in rows on the classic dialog grey, for looking at the icons side by side.
QImage contactSheet(const std::vector<std::vector<QImage>>& rows)
{
    int width = 0, height = 0;
    for (const auto& row : rows) {
        int w = 4, h = 0;
        for (const QImage& image : row) {
            w += image.width() + 4;
            h = std::max(h, image.height());
        }
        width = std::max(width, w);
        height += h + 4;
    }
    QImage sheet(width, height + 4, QImage::Format_ARGB32);
    sheet.fill(QColor(212, 208, 200));
    QPainter p(&sheet);
    int y = 4;
    for (const auto& row : rows) {
        int x = 4, h = 0;
        for (const QImage& image : row) {
            p.drawImage(x, y, image);
            x += image.width() + 4;
            h = std::max(h, image.height());
        }
        y += h + 4;
    }
    return sheet;
}

bool writePreviews(const QString& dir)
{
    using namespace art;
    std::vector<std::vector<QImage>> library, bundled, program(2);
    const auto& recipes = libraryIcons();
    // Ten icons to a block: every size smooth, then 32 and 16 pixels in 16 colours.
    for (size_t first = 0; first < recipes.size(); first += 10) {
        const size_t row = library.size();
        library.resize(row + std::size(kFolderIconSizes) + 2);
        for (size_t k = first; k < std::min(recipes.size(), first + 10); ++k) {
            size_t r = row;
            for (const int size : kFolderIconSizes)
                library[r++].push_back(folderIcon(size, recipes[k].colour, recipes[k].emblem));
            for (const int size : { 32, 16 })
                library[r++].push_back(fromIndexed(
                    toVga(folderIcon(size, recipes[k].colour, recipes[k].emblem, Look::Classic))));
        }
    }
    bundled.resize(std::size(kFolderIconSizes));
    for (const FolderIconRecipe& recipe : bundledIcons()) {
        for (size_t i = 0; i < std::size(kFolderIconSizes); ++i)
            bundled[i].push_back(folderIcon(kFolderIconSizes[i], recipe.colour, recipe.emblem));
    }
    for (const int size : { 48, 32, 16 }) {
        program[0].push_back(fromIndexed(toVga(pencilIcon(size, Look::Classic))));
        program[1].push_back(fromIndexed(toAdaptive(pencilIcon(size))));
    }
    return contactSheet(library).save(dir + "/art-library.png")
        && contactSheet(bundled).save(dir + "/art-bundled.png")
        && contactSheet(program).save(dir + "/art-program.png");
}

bool writeArt(const QString& out)
{
    using namespace art;
    if (!QDir().mkpath(out + "/icons")) return false;
    bool ok = writeFile(out + "/side.bmp", bmpFile4(toVga(sideStrip())));
    ok = writeFile(out + "/title.bmp", bmpFile4(toVga(titlePicture()))) && ok;
    ok = writeFile(out + "/quillmark.ico", icoFile(programIcon())) && ok;
    for (const FolderIconRecipe& recipe : bundledIcons())
        ok = writeFile(out + "/icons/" + recipe.name + ".ico", icoFile(folderIconFile(recipe))) && ok;
    std::vector<std::vector<IconImage>> groups;
    for (const FolderIconRecipe& recipe : libraryIcons())
        groups.push_back(folderIconGroup(recipe));
    ok = writeFile(out + "/icons/ordner.dll", iconLibrary(groups)) && ok;
    // The launcher's icon in the hicolor theme: the window icon's 256-colour images.
    for (const int size : { 16, 32, 48 }) {
        const QString dir = QStringLiteral("%1/hicolor/%2x%2/apps").arg(out).arg(size);
        ok = QDir().mkpath(dir) && fromIndexed(toAdaptive(pencilIcon(size))).save(dir + "/quillmark.png") && ok;
    }
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    // Painting needs no display; the offscreen platform keeps the tool usable in builds.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2 && !(args.size() == 4 && args[2] == "--preview")) {
        std::fprintf(stderr, "usage: make_art RESOURCE_FOLDER [--preview FOLDER]\n");
        return 2;
    }
    if (!writeArt(args[1])) return 1;
    if (args.size() == 4 && !writePreviews(args[3])) {
        std::fprintf(stderr, "make_art: cannot write the previews\n");
        return 1;
    }
    return 0;
}
