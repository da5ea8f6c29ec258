#include "art_library.h"

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

const std::vector<FolderIconSpec>& bundledIcons()
{
    static const std::vector<FolderIconSpec> icons = {
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

const std::vector<FolderIconSpec>& libraryIcons()
{
    // Plain folders in every colour first, then the emblems spread over the colours.
    static const std::vector<FolderIconSpec> icons = [] {
        const FolderColour colours[] = { kYellow, kBlue, kGreen, kRed, kPurple, kOrange, kGrey, kTeal };
        const Emblem emblems[] = { Emblem::Star, Emblem::Music, Emblem::Picture, Emblem::Document,
            Emblem::Zipper, Emblem::Heart, Emblem::Check, Emblem::Cross, Emblem::Lock, Emblem::Globe,
            Emblem::ArrowUp, Emblem::ArrowDown, Emblem::Plus, Emblem::Lightning, Emblem::Envelope,
            Emblem::Magnifier, Emblem::Disc, Emblem::Clock, Emblem::Flag, Emblem::House, Emblem::Gear,
            Emblem::Film, Emblem::Person };
        std::vector<FolderIconSpec> out;
        for (const FolderColour& c : colours)
            out.push_back({ {}, c, Emblem::None });
        int i = 0;
        for (const Emblem e : emblems)
            out.push_back({ {}, colours[(i++ * 3) % 8], e });
        // A second round of the emblems that people use most, in other colours.
        const Emblem favourites[] = { Emblem::Star, Emblem::Music, Emblem::Picture, Emblem::Document,
            Emblem::Heart, Emblem::Lock, Emblem::Globe, Emblem::Check, Emblem::Person };
        for (const Emblem e : favourites)
            out.push_back({ {}, colours[(i++ * 5 + 1) % 8], e });
        return out;
    }();
    return icons;
}

std::vector<IconImage> folderIconFile(const FolderIconSpec& spec)
{
    std::vector<IconImage> images;
    for (const int size : { 16, 32, 48 })
        images.push_back(iconImage32(folderIcon(size, spec.colour, spec.emblem)));
    return images;
}

std::vector<IconImage> folderIconGroup(const FolderIconSpec& spec)
{
    std::vector<IconImage> images;
    for (const int size : { 16, 32 }) {
        images.push_back(iconImage32(folderIcon(size, spec.colour, spec.emblem)));
        images.push_back(
            iconImageIndexed(toVga(folderIcon(size, spec.colour, spec.emblem, Look::Classic)), 4));
    }
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

} // namespace art
