// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader learns of the window through Qt's accessibility interfaces, what it
// hears when the counter changes, and where Tab takes the focus on each page.
#include "tests/pages/icons/icon_page_fixture.h"

#include <QAccessible>

namespace {

using Accessibility = IconPage;

QAccessibleInterface* spoken(QObject* object)
{
    return QAccessible::queryAccessibleInterface(object);
}

// Every object below `at` in the tree assistive technology walks.
void walk(QAccessibleInterface* at, QSet<QObject*>& seen)
{
    seen << at->object();
    for (int i = 0; i < at->childCount(); ++i)
        if (QAccessibleInterface* child = at->child(i)) walk(child, seen);
}

TEST_F(Accessibility, NamesRolesStatesAndRelations)
{
    openIconPage(icons);
    clickFile(u"lib.dll"_s);
    clickCell(3);
    w->Text1->setText(u"Fotos 2026, Sommer. Strand"_s);
    const QString left = u"94 Zeichen verbleiben"_s, dialog = u"Öffnet die Auswahl „Anderes Symbol“"_s;
    const std::tuple<QObject*, QAccessible::Role, QString, QString> cases[] = {
        { w.get(), QAccessible::Dialog, u"Mein Ordner – Morvane Quillmark"_s, {} },
        { w->Text1, QAccessible::EditableText, w->Label2->caption(), left },
        { w->LLänge, QAccessible::StaticText, left, {} },
        { w->IconFiles, QAccessible::List, u"Symboldateien"_s, {} },
        { w->Text2, QAccessible::ComboBox, u"Symbolordner"_s, {} },
        { w->CÖffnen, QAccessible::Button, u"Ordner suchen …"_s, {} },
        { w->CLöschen, QAccessible::Button, u"Symbolauswahl aufheben"_s, {} },
        { w->PImage, QAccessible::List, u"Symbole der Datei"_s, {} },
        { w->Bilddatei[3], QAccessible::ListItem, u"Symbol 4 von 20"_s, {} },
        { w->Bilddatei[19], QAccessible::ListItem, u"Symbol 20 von 20"_s, dialog },
    };
    for (const auto& [object, role, name, description] : cases) {
        SCOPED_TRACE(object->objectName().toStdString());
        QAccessibleInterface* it = spoken(object);
        ASSERT_TRUE(it);
        EXPECT_EQ(it->role(), role);
        EXPECT_EQ(it->text(QAccessible::Name), name);
        EXPECT_EQ(it->text(QAccessible::Description), description);
    }
    EXPECT_EQ(spoken(w->Text2)->text(QAccessible::Value), w->Text2->text());
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(spoken(w->Bilddatei[i])->state().selected, i == 3) << i;
    const auto labels = spoken(w->Text1)->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels.first().first->object(), w->Label2);

    QSet<QObject*> seen;
    walk(spoken(w.get()), seen);
    EXPECT_TRUE(seen.contains(w->Bilddatei[19]) && seen.contains(w->Text1));
    for (QObject* hidden :
        std::initializer_list<QObject*> { w->IconCache, w->IconCounts, w->Verzeichnis, w->Label5 })
        EXPECT_FALSE(seen.contains(hidden)) << hidden->objectName().toStdString();
}

TEST_F(Accessibility, TabFollowsTheTabIndexesOnEachPage)
{
    QStringList cells;
    for (int i = 0; i < 20; ++i)
        cells << u"Bilddatei(%1)"_s.arg(i);
    const std::tuple<int, QString> cases[] = {
        { 0, u"CWeiter CCancel"_s },
        { 1, u"Text1 CWeiter CZurück CCancel"_s },
        { 2, u"IconFiles Text2 CÖffnen CLöschen bKopieren CWeiter CZurück CCancel "_s + cells.join(u' ') },
    };
    for (const auto& [nexts, chain] : cases) {
        SCOPED_TRACE(nexts);
        start(nexts);
        QWidget* const first = nexts == 0 ? static_cast<QWidget*>(w->CWeiter)
            : nexts == 1                  ? static_cast<QWidget*>(w->Text1)
                                          : static_cast<QWidget*>(w->IconFiles);
        first->setFocus();
        QStringList went;
        do {
            went << focused()->objectName();
            QTest::keyClick(focused(), Qt::Key_Tab);
        } while (focused() != first && went.size() < 40);
        EXPECT_EQ(went.join(u' '), chain);
    }
}

} // namespace
