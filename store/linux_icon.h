// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The folder's icon as Linux file managers read it. Dolphin and PCManFM-Qt
// read Icon= in the folder's .directory; Nautilus, Nemo and Caja read the
// gvfs metadata metadata::custom-icon of the user who looks. Both are
// written beside Desktop.ini, so that a folder seen from both systems shows
// the same icon. Linux reads .ico files, not icons inside libraries, so an
// icon that no .ico file holds as its only icon, in bitmaps, gets one small
// hidden image file of its own in the folder.
#include "store/directory_file.h"
#include "store/folder_customisation.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

inline const QString kDirectoryFileName = QStringLiteral(".directory");
// Dot-named for Linux, hidden (34) for Windows: neither lists it.
inline const QString kLinuxImageName = QStringLiteral(".quillmark.ico");

// Where the Linux icon comes from, for an icon as Desktop.ini names it.
struct LinuxIcon {
    QString value; // Icon= relative to the folder ("./…"); empty: Linux cannot show it
    QString image; // the image file as a path here
    QString source; // the file whose images the hidden image gets; empty when none is needed
    int index = 0;
    QString whyNot; // why Linux cannot show it (a German sentence), when value is empty
};
// reference and index as Desktop.ini holds them; content, when given, is the
// file that holds the icon's bytes now (a copy about to be made).
LinuxIcon LinuxIconFor(const QString& folder, const QString& reference, const QString& index,
    const QString& content = {});

// The icon's images at 16, 24, 32, 48 and 256 pixels, as far as it has them
// (else its largest), copied as stored into one .ico file, PNG images as
// 32-bit bitmaps (GTK's reader cannot read them in an .ico); empty when the
// icon cannot be read.
QByteArray LinuxIconImage(const QString& source, int index);

// Icon= of the folder's .directory, as a reader gets it; empty when none.
QString ReadLinuxIcon(const QString& folder);

// The steps that bring the Linux icon in line with what the plan leaves:
// written for an icon chosen now (when the choice asks for it), what the
// program wrote removed when the icon goes. icon: the icon being set.
void PlanLinuxIcon(CustomisationPlan& plan, const StoredCustomisation& now, const std::optional<IconChoice>& icon);
// Carries out one of those steps; a failure is skipped like any other step's.
void CarryOutLinuxStep(const CustomisationStep& step);

// Whether the Linux icon shows what Windows shows: a stable code and a
// German sentence ("same", "none", "missing", "different", "not-possible").
struct LinuxIconState {
    QString code;
    QString text;
    QString value; // Icon= as the folder holds it
    bool matches() const { return code == QLatin1String("same") || code == QLatin1String("none"); }
};
LinuxIconState ViewLinuxIcon(const QString& folder, const StoredCustomisation& stored);

// The wizard's choice, from its settings in the registry store: on unless
// the value LinuxIcon under its key is 0.
bool WizardWritesLinuxIcon();
