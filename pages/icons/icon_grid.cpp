// SPDX-License-Identifier: GPL-3.0-or-later
// The icon grid: twenty cells showing the first icons of the selected file;
// a click chooses one and marks it; cells 18 and 19 open the icon-choice
// dialog. IconCounts holds the file's icon count, IconCache the choice.
#include "wizard/root.h"

#include "pages/icons/Icons.h"
#include "platform/app.h"
#include "platform/icons/icon_api.h"
#include "sys/FileDirPath.h"

namespace {
constexpr int kCells = 20;
} // namespace

QString root::ClearPics()
{
    for (ui::PictureBox* cell : Bilddatei)
        cell->Cls();
    IconCache->setText(QStringLiteral("0"));
    return {};
}

QString root::ClearMarks()
{
    for (ui::PictureBox* cell : Bilddatei)
        cell->setBorderStyle(0);
    return {};
}

void root::ShowFileIcons()
{
    ClearPics();
    const QString file = IconFiles->filePath();
    const auto count = static_cast<UINT>(ExtractIconA(App::hInstance(), file, UINT(-1)));
    IconCounts->setText(QString::number(count));
    // One handle at a time: extract, draw, release.
    for (UINT i = 0; i < kCells; ++i) {
        const HICON icon = ExtractIconA(App::hInstance(), file, i);
        DrawIcon(Bilddatei[i]->hDC(), 0, 0, icon);
        DestroyIcon(icon);
        if (i == count) break;
    }
}

bool root::Bilddatei_Click(int Index)
{
    ClearMarks();
    if (Index < 0 || Index >= kCells)
        return false; // only a stored index can be out of range; the caller ignores it
    Bilddatei[Index]->setBorderStyle(1);
    IconCache->setText(QString::number(Index));
    DoEvents();
    if (Index < 18) {
        // An empty cell (or no file shown yet) chooses nothing.
        if (IconCounts->text().toInt() <= Index) {
            ClearMarks();
            IconCache->setText(QStringLiteral("0"));
        }
    } else {
        ClearMarks();
        IconChange();
    }
    return true;
}

void root::IconChange()
{
    QString file = IconFiles->path() + QLatin1Char('/') + GetFilePart(IconFiles->fileName());
    int index = 0;
    const IconPictureResult result = GetIconPicture(file, index, 2, true, this);
    if (result.isEmpty()) {
        // A cancelled dialog leaves no file and no icon chosen.
        IconFiles->setFileName(QString());
        IconCache->setText(QString());
        return;
    }
    if (!result.isPair()) return;
    ClearMarks();
    ClearPics();
    Bilddatei[0]->setPicture(result.large());
    if (IconFiles->listCount() > 0) IconFiles->setListIndex(0);
    Bilddatei[0]->setBorderStyle(1);
    // The chosen file may lie anywhere and may be hidden by a narrowed
    // pattern: list its folder with every icon source first.
    IconFiles->setPattern(kIconFilePatterns);
    // A folder the list cannot show ends the choice here: a file of the same
    // name in the folder still listed would be the wrong one, so the first
    // file's first icon, as the grid shows it, stays chosen.
    if (!IconFiles->setPath(GetFolderPart(file))) return;
    IconFiles->setFileName(GetFilePart(file));
    IconCache->setText(QString::number(index));
}

void root::bKopieren_Click()
{
    if (bKopieren->value() == 0 && Text2->listCount() > 0) Text2->setListIndex(0);
}
