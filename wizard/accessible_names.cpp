// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader says for the controls whose visible text says little
// alone ("...", "x", a counter in two labels, twenty pictures), without
// changing any visible text.
#include "wizard/root.h"

void root::nameForAssistiveTechnology()
{
    // The window's variables are nothing a user can reach.
    for (ui::Control* holder : std::initializer_list<ui::Control*> { IconCache, IconCounts, Verzeichnis })
        holder->hideFromAssistiveTechnology();
    // The counter is one text, spoken as LLänge.
    Label5->hideFromAssistiveTechnology();
    Label2->setBuddy(Text1);
    describeCharactersLeft();

    IconFiles->setAccessibleName(QStringLiteral("Symboldateien"));
    Text2->setSpokenName(QStringLiteral("Symbolordner"));
    CÖffnen->setAccessibleName(QStringLiteral("Ordner suchen …"));
    CLöschen->setAccessibleName(QStringLiteral("Symbolauswahl aufheben"));
    PImage->setAccessibleName(QStringLiteral("Symbole der Datei"));
    for (int i = 0; i < int(Bilddatei.size()); ++i)
        Bilddatei[i]->setAccessibleName(QStringLiteral("Symbol %1 von %2").arg(i + 1).arg(Bilddatei.size()));
    for (ui::PictureBox* dialogCell : { Bilddatei[18], Bilddatei[19] })
        dialogCell->setAccessibleDescription(QStringLiteral("Öffnet die Auswahl „Anderes Symbol“"));
}

// "94 Zeichen verbleiben": the counter's name, and the tooltip box's
// description, so a change is heard where the user types.
void root::describeCharactersLeft()
{
    QString left = LLänge->caption() + QLatin1Char(' ') + Label5->caption();
    if (left.endsWith(QLatin1Char('.'))) left.chop(1);
    LLänge->setAccessibleName(left);
    Text1->setAccessibleDescription(left);
}
