// The window as created: every control in its place with its text, font,
// state and tab index.
#include "wizard/root.h"

#include <QFontInfo>
#include <gtest/gtest.h>

namespace {

struct Expected {
    const char* name;
    const char* type;
    const char* container;
    int left, top, width, height;
    const char* text; // nullptr: not checked
    int tabIndex;
    bool visible;
    bool enabled;
};

// The control table as created (before start-up hides two pages).
const Expected kControls[] = {
    { "PSet1", "picture box", "root", 0, 0, 7175, 4710, nullptr, 0, true, true },
    { "PSet2", "picture box", "root", 0, 0, 7185, 4710, nullptr, 6, true, true },
    { "PSet3", "picture box", "root", 0, 0, 7185, 4710, nullptr, 14, true, true },
    { "CWeiter", "command button", "root", 4815, 4815, 1095, 410, "&Weiter >", 27, true, true },
    { "CZurück", "command button", "root", 3645, 4815, 1095, 410, "< &Zurück", 28, true, false },
    { "CCancel", "command button", "root", 5985, 4815, 1095, 410, "&Abbrechen", 29, true, true },
    { "IconCache", "text box", "root", 45, 5040, 510, 285, "", 45, false, true },
    { "IconCounts", "text box", "root", 630, 5040, 510, 285, "", 53, false, true },
    { "Verzeichnis", "label", "root", 45, 4815, 975, 195, "Verzeichnis", 54, false, true },
    { "Label3", "label", "PSet1", 2610, 270, 2820, 285, "Aktuelle Ordneransicht", 1, true, true },
    { "Label4", "label", "PSet1", 2610, 540, 1215, 285, "anpassen.", 2, true, true },
    { "LInformation", "label", "PSet1", 2625, 945, 4110, 690,
        "Sie können den aktuellen Ordner anpassen, indem Sie ihn beschriften und ihm ein anderes Symbol "
        "geben.",
        3, true, true },
    { "Label11", "label", "PSet1", 2610, 1710, 4110, 690,
        "Wenn Sie die Einstellungen wieder entfernen möchten, löschen Sie das Eingabefeld und wählen Sie "
        "kein "
        "Symbol aus.",
        4, true, true },
    { "Label1", "label", "PSet1", 2625, 4400, 3285, 210, "Klicken Sie auf Weiter, um fortzufahren.", 5, true,
        true },
    { "Label6", "label", "PSet1", 240, 4275, 2130, 165, nullptr, 51, true, true },
    { "Label10", "label", "PSet1", 1005, 4455, 1365, 165, "Morvane Dirurezuviro", 52, true, true },
    { "PTitel1", "picture box", "PSet2", 0, 0, 7180, 870, nullptr, 7, true, false },
    { "Picture1", "picture box", "PTitel1", 6390, 45, 735, 735, nullptr, 58, true, false },
    { "Label16", "label", "PTitel1", 315, 135, 2355, 210, "Tooltips anzeigen", 8, true, true },
    { "Label17", "label", "PTitel1", 720, 405, 4515, 210,
        "Geben Sie einen Text ein der angezeigt werden soll ...", 9, true, true },
    { "Frame1", "frame", "PSet2", 0, 810, 7190, 3900, nullptr, 10, true, true },
    { "Label2", "label", "Frame1", 420, 360, 5955, 465,
        "Wenn Sie im Arbeitsplatz mit die Maus über diesen Ordner halten oder im Explorer die Webansicht "
        "aktiviert "
        "haben, wird der Text angezeigt.",
        11, true, true },
    { "Text1", "text box", "Frame1", 405, 900, 6360, 1995, "", 12, true, true },
    { "LLänge", "label", "Frame1", 405, 3015, 315, 210, "120", 55, true, true },
    { "Label5", "label", "Frame1", 780, 3015, 1680, 210, "Zeichen verbleiben.", 13, true, true },
    { "PTitel2", "picture box", "PSet3", 0, 0, 7180, 870, nullptr, 15, true, false },
    { "Picture2", "picture box", "PTitel2", 6390, 45, 735, 735, nullptr, 57, true, false },
    { "Label8", "label", "PTitel2", 315, 135, 1710, 210, "Symbol auswählen", 16, true, true },
    { "Label9", "label", "PTitel2", 720, 405, 4920, 210,
        "Wählen Sie eine Datei mit einem Symbol für den Ordner ...", 17, true, true },
    { "Frame2", "frame", "PSet3", 0, 810, 7190, 3900, nullptr, 18, true, true },
    { "Label7", "label", "Frame2", 420, 360, 5775, 465,
        "Symboldateien (ico) können entweden eigenständige Dateien sein, oder in Bibliotheken (dll) und "
        "Anwendung "
        "(exe) enthalten sein.",
        19, true, true },
    { "IconFiles", "file list box", "Frame2", 405, 900, 3345, 1980, nullptr, 20, true, true },
    { "Text2", "combo box", "Frame2", 405, 3195, 2445, 330, nullptr, 21, true, true },
    { "CÖffnen", "command button", "Frame2", 2880, 3195, 430, 315, "...", 22, true, true },
    { "CLöschen", "command button", "Frame2", 3330, 3195, 430, 315, "x", 23, true, true },
    { "PImage", "picture box", "Frame2", 3915, 900, 3030, 2625, nullptr, 24, true, true },
    { "Picture3", "picture box", "Frame2", 3935, 3555, 3030, 285, nullptr, 25, true, true },
    { "bKopieren", "check box", "Picture3", 0, 10, 2985, 240, "&Symbol in den Ordner kopieren ", 26, true,
        true },
};

QString textOf(ui::Control* c)
{
    if (auto* l = dynamic_cast<ui::Label*>(c)) return l->caption();
    if (auto* b = dynamic_cast<ui::CommandButton*>(c)) return b->caption();
    if (auto* k = dynamic_cast<ui::CheckBox*>(c)) return k->caption();
    if (auto* t = dynamic_cast<ui::TextBox*>(c)) return t->text();
    if (auto* x = dynamic_cast<ui::ComboBox*>(c)) return x->text();
    return {};
}

class Window : public ::testing::Test {
protected:
    root w;
};

TEST_F(Window, EveryControlAsCreated)
{
    EXPECT_EQ(w.caption(), QStringLiteral("Morvane Quillmark"));
    EXPECT_EQ(w.size(), QSize(479, 355));
    for (const Expected& e : kControls) {
        SCOPED_TRACE(e.name);
        ui::Control* c = w.control(QString::fromUtf8(e.name));
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->type(), QString::fromUtf8(e.type));
        EXPECT_EQ(c->widget()->parentWidget()->objectName(), QString::fromUtf8(e.container));
        EXPECT_EQ(c->twips(), QRect(e.left, e.top, e.width, e.height));
        EXPECT_EQ(
            c->widget()->geometry(), QRect(ui::px(e.left), ui::px(e.top), ui::px(e.width), ui::px(e.height)));
        if (e.text) {
            EXPECT_EQ(textOf(c), QString::fromUtf8(e.text));
        }
        EXPECT_EQ(c->tabIndex(), e.tabIndex);
        EXPECT_EQ(c->visible(), e.visible);
        EXPECT_EQ(c->enabled(), e.enabled);
    }
    // The folder box starts on the icon files bundled with the program.
    EXPECT_EQ(w.Text2->text(), ResourcePath(QStringLiteral("icons")));
    EXPECT_TRUE(w.Text2->text().endsWith(QStringLiteral("/res/icons"))) << w.Text2->text().toStdString();
}

TEST_F(Window, IconCellsLieInFourRowsWithCellNineteenFirstInTheLast)
{
    const int rowOf[20] = { 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3 };
    const int colOf[20] = { 0, 1, 2, 3, 4, 0, 1, 2, 3, 4, 0, 1, 2, 3, 4, 1, 2, 3, 4, 0 };
    std::set<int> tabs;
    for (int i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        ui::PictureBox* cell = w.Bilddatei[i];
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->parentWidget(), w.PImage);
        EXPECT_EQ(cell->twips(), QRect(45 + colOf[i] * 585, 45 + rowOf[i] * 585, 510, 510));
        EXPECT_EQ(cell->borderStyle(), 0);
        EXPECT_FALSE(cell->picture());
        tabs.insert(cell->tabIndex());
    }
    EXPECT_EQ(tabs.size(), 20u);
    EXPECT_EQ(*tabs.begin(), 30);
    EXPECT_EQ(*tabs.rbegin(), 50);
    EXPECT_EQ(tabs.count(45), 0u) << "45 is IconCache's";
    EXPECT_EQ(w.PImage->borderStyle(), 1);
}

TEST_F(Window, FontsFollowTheirContainers)
{
    struct FontCase {
        QWidget* widget;
        int pixels;
        bool bold;
        bool italic;
    };
    const FontCase cases[] = {
        { w.CWeiter, 12, false, false }, // Tahoma 9 pt, the window's font
        { w.Label3, 16, true, false }, // Tahoma 12 pt bold
        { w.Label1, 11, false, false }, // the page's Verdana 8.25 pt
        { w.Label6, 9, false, false }, // Tahoma 6.75 pt
        { w.Label16, 12, true, false },
        { w.Text1, 11, false, false },
        { w.bKopieren, 12, false, true },
        { w.IconCache, 11, false, false },
    };
    for (const FontCase& f : cases) {
        SCOPED_TRACE(f.widget->objectName().toStdString());
        EXPECT_EQ(f.widget->font().pixelSize(), f.pixels);
        EXPECT_EQ(f.widget->font().bold(), f.bold);
        EXPECT_EQ(f.widget->font().italic(), f.italic);
    }
    EXPECT_EQ(w.Label3->font().family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(w.Label1->font().family(), QStringLiteral("Verdana"));
}

TEST_F(Window, TabOrderFollowsTabIndexesOverFocusableControls)
{
    // Among the controls that take the focus, Tab moves in tab-index order.
    std::vector<QString> order;
    QWidget* start = w.Text1;
    QWidget* now = start;
    do {
        order.push_back(now->objectName());
        now = now->nextInFocusChain();
        while (now && now->focusPolicy() == Qt::NoFocus && now != start)
            now = now->nextInFocusChain();
    } while (now && now != start && order.size() < 100);
    const std::vector<QString> expected
        = { QStringLiteral("Text1"), QStringLiteral("IconFiles"), QStringLiteral("Text2"),
              QStringLiteral("CÖffnen"), QStringLiteral("CLöschen"), QStringLiteral("bKopieren"),
              QStringLiteral("CWeiter"), QStringLiteral("CZurück"), QStringLiteral("CCancel") };
    std::vector<QString> seen;
    for (const QString& name : order) {
        if (std::find(expected.begin(), expected.end(), name) != expected.end()) seen.push_back(name);
    }
    EXPECT_EQ(seen, expected);
}

} // namespace
