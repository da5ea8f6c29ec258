// SPDX-License-Identifier: GPL-3.0-or-later
#include "art_library.h"

#include "tools/pe_writer.h"

namespace art {
namespace {

// Each colour with the VGA face and back colours that stand for it in 16 colours.
const FolderColour kYellow { QColor(243, 205, 94), QColor(255, 255, 0), QColor(128, 128, 0) };
const FolderColour kBlue { QColor(90, 140, 230), QColor(0, 0, 255), QColor(0, 0, 128) };
const FolderColour kGreen { QColor(100, 190, 90), QColor(0, 255, 0), QColor(0, 128, 0) };
const FolderColour kRed { QColor(225, 85, 70), QColor(255, 0, 0), QColor(128, 0, 0) };
const FolderColour kPurple { QColor(160, 110, 210), QColor(255, 0, 255), QColor(128, 0, 128) };
const FolderColour kOrange { QColor(245, 150, 50), QColor(255, 255, 0), QColor(255, 0, 0) };
const FolderColour kGrey { QColor(170, 170, 175), QColor(192, 192, 192), QColor(128, 128, 128) };
const FolderColour kTeal { QColor(60, 180, 180), QColor(0, 255, 255), QColor(0, 128, 128) };

} // namespace

const std::vector<FolderIconRecipe>& bundledIcons()
{
    static const std::vector<FolderIconRecipe> icons = {
        { QStringLiteral("Ordner gelb"), kYellow, Emblem::None },
        { QStringLiteral("Ordner blau"), kBlue, Emblem::None },
        { QStringLiteral("Ordner grün"), kGreen, Emblem::None },
        { QStringLiteral("Ordner mit Stern"), kYellow, Emblem::Star },
        { QStringLiteral("Ordner Musik"), kYellow, Emblem::Music },
        { QStringLiteral("Ordner Bilder"), kYellow, Emblem::Picture },
        { QStringLiteral("Ordner Dokumente"), kYellow, Emblem::Document },
        { QStringLiteral("Archiv"), kYellow, Emblem::Zipper },
    };
    return icons;
}

const std::vector<FolderIconRecipe>& libraryIcons()
{
    // Plain folders in every colour first, then the emblems, each on a colour it stands out
    // from, then a second round of the emblems people use most.
    static const std::vector<FolderIconRecipe> icons = [] {
        const std::pair<FolderColour, Emblem> table[] = {
            { kYellow, Emblem::None },
            { kBlue, Emblem::None },
            { kGreen, Emblem::None },
            { kRed, Emblem::None },
            { kPurple, Emblem::None },
            { kOrange, Emblem::None },
            { kGrey, Emblem::None },
            { kTeal, Emblem::None },
            { kYellow, Emblem::Star },
            { kRed, Emblem::Music },
            { kGrey, Emblem::Picture },
            { kBlue, Emblem::Document },
            { kPurple, Emblem::Zipper },
            { kTeal, Emblem::Heart },
            { kGreen, Emblem::Check },
            { kOrange, Emblem::Cross },
            { kYellow, Emblem::Lock },
            { kRed, Emblem::Globe },
            { kGrey, Emblem::ArrowUp },
            { kYellow, Emblem::ArrowDown },
            { kPurple, Emblem::Plus },
            { kTeal, Emblem::Lightning },
            { kGreen, Emblem::Envelope },
            { kOrange, Emblem::Magnifier },
            { kYellow, Emblem::Disc },
            { kRed, Emblem::Clock },
            { kGrey, Emblem::Flag },
            { kBlue, Emblem::House },
            { kPurple, Emblem::Gear },
            { kTeal, Emblem::Film },
            { kGreen, Emblem::Person },
            { kPurple, Emblem::Star },
            { kBlue, Emblem::Music },
            { kGreen, Emblem::Picture },
            { kRed, Emblem::Document },
            { kYellow, Emblem::Heart },
            { kOrange, Emblem::Lock },
            { kGrey, Emblem::Globe },
            { kTeal, Emblem::Check },
            { kPurple, Emblem::Person },
        };
        std::vector<FolderIconRecipe> out;
        for (const auto& [colour, emblem] : table)
            out.push_back({ {}, colour, emblem });
        return out;
    }();
    return icons;
}

std::vector<IconImage> folderIconFile(const FolderIconRecipe& recipe)
{
    std::vector<IconImage> images;
    for (const int size : kFolderIconSizes) {
        const QImage image = folderIcon(size, recipe.colour, recipe.emblem);
        images.push_back(size == 256 ? iconImagePng(image) : iconImage32(image));
    }
    return images;
}

std::vector<IconImage> folderIconGroup(const FolderIconRecipe& recipe)
{
    std::vector<IconImage> images = folderIconFile(recipe);
    for (const int size : { 16, 32 })
        images.push_back(
            iconImageIndexed(toVga(folderIcon(size, recipe.colour, recipe.emblem, Look::Classic)), 4));
    return images;
}

std::vector<IconImage> programIcon()
{
    std::vector<IconImage> images;
    for (const int size : { 16, 32, 48 }) {
        images.push_back(iconImageIndexed(toVga(pencilIcon(size, Look::Classic)), 4));
        images.push_back(iconImageIndexed(toAdaptive(pencilIcon(size)), 8));
    }
    return images;
}

QByteArray iconLibrary(const std::vector<std::vector<IconImage>>& groups)
{
    // A PE32 image, as the libraries of the Windows versions the program was made for.
    pe_writer::PeWriter dll(pe_writer::Format::Pe32);
    std::uint16_t id = 1;
    for (const auto& group : groups) {
        std::vector<pe_writer::IconImage> images;
        for (const IconImage& image : group) {
            images.push_back(
                { image.width, image.height, image.bitCount, image.bitCount < 8 ? 1 << image.bitCount : 0,
                    pe_writer::Bytes(image.dib.begin(), image.dib.end()) });
        }
        dll.addIconGroup(id++, images, pe_writer::kGerman);
    }
    const pe_writer::Bytes bytes = dll.build();
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

} // namespace art
