// SPDX-License-Identifier: GPL-3.0-or-later
// The window and every control as created: names, containers, places in
// twips, texts, fonts, colours and tab indexes.
#include "wizard/root.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>

#include "platform/app.h"
#include "platform/icons/icon_decoder.h"
#include "platform/icons/icon_file.h"

namespace {

const QColor kWhite(0xFF, 0xFF, 0xFF);

QFont tahoma(double points, bool bold = false, bool italic = false)
{
    return ui::makeFont(QStringLiteral("Tahoma"), points, bold, italic);
}

QFont verdana(double points)
{
    return ui::makeFont(QStringLiteral("Verdana"), points);
}

template <typename T> T* place(T* control, int left, int top, int width, int height, int tabIndex)
{
    control->setTwips(left, top, width, height);
    control->setTabIndex(tabIndex);
    return control;
}

ui::Label* label(
    QWidget* container, const QString& name, int l, int t, int w, int h, const QString& text, int tab)
{
    auto* c = place(new ui::Label(name, container), l, t, w, h, tab);
    c->setCaption(text);
    return c;
}

// The pictures are bitmaps, which Qt reads itself. Told so, and told not to
// guess, it does not load every image plugin to ask whether it knows the
// format better (the JPEG one brings its library along).
StdPicture loadPicture(const QString& file)
{
    QImageReader reader(ResourcePath(file), "bmp");
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    if (image.isNull()) return {};
    return std::make_shared<PictureObject>(
        PictureObject { image.convertToFormat(QImage::Format_ARGB32_Premultiplied) });
}

// The window's icon, every image of the program's .ico through our own icon
// reader: through QIcon's file loader, Qt searches its icon-engine and image
// plugins and loads its .ico plugin before the window shows.
QIcon programIcon()
{
    QIcon icon;
    icons::IconFile file;
    if (!file.open(ResourcePath(QStringLiteral("quillmark.ico")))) return icon;
    for (const icons::ImageEntry& entry : file.images(0))
        if (const QImage image = icons::decodeIconImage(file.imageData(entry)); !image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    return icon;
}

} // namespace

QString ResourcePath(const QString& name)
{
    const QString beside = App::path() + QStringLiteral("/res/") + name;
    if (QFileInfo::exists(beside)) return beside;
    // Installed under a prefix: bin/quillmark, share/quillmark.
    const QString installed = QDir::cleanPath(App::path() + QStringLiteral("/../share/quillmark/") + name);
    if (QFileInfo::exists(installed)) return installed;
    // The test programs lie in folders below the build tree's root.
    QDir dir(App::path());
    for (int up = 0; up < 3 && dir.cdUp(); ++up) {
        const QString candidate = dir.filePath(QStringLiteral("res/") + name);
        if (QFileInfo::exists(candidate)) return candidate;
    }
    return beside;
}

root::root()
    : ui::Form(QStringLiteral("root"))
{
    // The window's first event, before any control exists.
    Form_Initialize();
    setCaption(kProgramName);
    setClientTwips(7185, 5325);
    setFont(tahoma(9));
    setWindowIcon(programIcon());

    PSet1 = place(new ui::PictureBox(QStringLiteral("PSet1"), this), 0, 0, 7175, 4710, 0);
    PSet2 = place(new ui::PictureBox(QStringLiteral("PSet2"), this), 0, 0, 7185, 4710, 6);
    PSet3 = place(new ui::PictureBox(QStringLiteral("PSet3"), this), 0, 0, 7185, 4710, 14);
    for (ui::PictureBox* page : { PSet1, PSet2, PSet3 }) {
        page->setBackColour(kWhite);
        page->setFont(verdana(8.25));
    }
    createButtonStrip();
    createIntroductionPage();
    createTooltipPage();
    createIconPage();
    connectHandlers();
    nameForAssistiveTechnology();
    applyTabOrder();
}

void root::createButtonStrip()
{
    CWeiter = place(new ui::CommandButton(QStringLiteral("CWeiter"), this), 4815, 4815, 1095, 410, 27);
    CWeiter->setCaption(QStringLiteral("&Weiter >"));
    CZurück = place(new ui::CommandButton(QStringLiteral("CZurück"), this), 3645, 4815, 1095, 410, 28);
    CZurück->setCaption(QStringLiteral("< &Zurück"));
    CZurück->setEnabled(false);
    CCancel = place(new ui::CommandButton(QStringLiteral("CCancel"), this), 5985, 4815, 1095, 410, 29);
    CCancel->setCaption(QStringLiteral("&Abbrechen"));
    CCancel->setCancel(true);
    setCancelButton(CCancel);

    IconCache = place(new ui::TextBox(QStringLiteral("IconCache"), this, false), 45, 5040, 510, 285, 45);
    IconCounts = place(new ui::TextBox(QStringLiteral("IconCounts"), this, false), 630, 5040, 510, 285, 53);
    for (ui::TextBox* hidden : { IconCache, IconCounts }) {
        hidden->setFont(verdana(8.25));
        QPalette p = hidden->palette();
        p.setColor(QPalette::Base, p.color(QPalette::Button));
        hidden->setPalette(p);
        hidden->setVisible(false);
    }
    Verzeichnis
        = label(this, QStringLiteral("Verzeichnis"), 45, 4815, 975, 195, QStringLiteral("Verzeichnis"), 54);
    Verzeichnis->setVisible(false);
}

void root::createIntroductionPage()
{
    PSet1->setPicture(loadPicture(QStringLiteral("side.bmp")));
    Label3 = label(
        PSet1, QStringLiteral("Label3"), 2610, 270, 2820, 285, QStringLiteral("Aktuelle Ordneransicht"), 1);
    Label4 = label(PSet1, QStringLiteral("Label4"), 2610, 540, 1215, 285, QStringLiteral("anpassen."), 2);
    for (ui::Label* title : { Label3, Label4 })
        title->setFont(tahoma(12, true));
    LInformation = label(PSet1, QStringLiteral("LInformation"), 2625, 945, 4110, 690,
        QStringLiteral(
            "Sie können den aktuellen Ordner anpassen, indem Sie ihn beschriften und ihm ein anderes "
            "Symbol geben."),
        3);
    Label11 = label(PSet1, QStringLiteral("Label11"), 2610, 1710, 4110, 690,
        QStringLiteral("Wenn Sie die Einstellungen wieder entfernen möchten, löschen Sie das Eingabefeld und "
                       "wählen Sie kein Symbol aus."),
        4);
    LInformation->setWordWrap(true);
    Label11->setWordWrap(true);
    LOrdner = label(PSet1, QStringLiteral("LOrdner"), 2625, 2550, 4110, 840, QString(), 59);
    Label1 = label(PSet1, QStringLiteral("Label1"), 2625, 4400, 3285, 210,
        QStringLiteral("Klicken Sie auf Weiter, um fortzufahren."), 5);
    Label6 = label(
        PSet1, QStringLiteral("Label6"), 240, 4275, 2130, 165, QStringLiteral("Copyright © Morvane"), 51);
    Label10 = label(
        PSet1, QStringLiteral("Label10"), 1005, 4455, 1365, 165, QStringLiteral("Morvane Dirurezuviro"), 52);
    for (ui::Label* notice : { Label6, Label10 }) {
        notice->setFont(tahoma(6.75));
        notice->setForeColour(kWhite);
        notice->setAlignment(Qt::AlignRight | Qt::AlignTop);
    }
    Line1 = new ui::Line(QStringLiteral("Line1"), PSet1);
    Line1->setEnds(0, 4690, 7500, 4690);
}

void root::createTooltipPage()
{
    PTitel1 = place(new ui::PictureBox(QStringLiteral("PTitel1"), PSet2), 0, 0, 7180, 870, 7);
    Picture1 = place(new ui::PictureBox(QStringLiteral("Picture1"), PTitel1), 6390, 45, 735, 735, 58);
    Label16 = label(
        PTitel1, QStringLiteral("Label16"), 315, 135, 2355, 210, QStringLiteral("Tooltips anzeigen"), 8);
    Label17 = label(PTitel1, QStringLiteral("Label17"), 720, 405, 4515, 210,
        QStringLiteral("Geben Sie einen Text ein der angezeigt werden soll ..."), 9);
    Label16->setFont(tahoma(9, true));
    Frame1 = place(new ui::Frame(QStringLiteral("Frame1"), PSet2), 0, 810, 7190, 3900, 10);
    Label2 = label(Frame1, QStringLiteral("Label2"), 420, 360, 5955, 465,
        QStringLiteral("Wenn Sie im Arbeitsplatz mit die Maus über diesen Ordner halten oder im Explorer die "
                       "Webansicht aktiviert haben, wird der Text angezeigt."),
        11);
    Label2->setWordWrap(true);
    Text1 = place(new ui::TextBox(QStringLiteral("Text1"), Frame1, true), 405, 900, 6360, 1995, 12);
    LLänge = label(Frame1, QStringLiteral("LLänge"), 405, 3015, 315, 210, QStringLiteral("120"), 55);
    LLänge->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Label5 = label(
        Frame1, QStringLiteral("Label5"), 780, 3015, 1680, 210, QStringLiteral("Zeichen verbleiben."), 13);
}

void root::createIconPage()
{
    PTitel2 = place(new ui::PictureBox(QStringLiteral("PTitel2"), PSet3), 0, 0, 7180, 870, 15);
    Picture2 = place(new ui::PictureBox(QStringLiteral("Picture2"), PTitel2), 6390, 45, 735, 735, 57);
    Label8 = label(
        PTitel2, QStringLiteral("Label8"), 315, 135, 1710, 210, QStringLiteral("Symbol auswählen"), 16);
    Label9 = label(PTitel2, QStringLiteral("Label9"), 720, 405, 4920, 210,
        QStringLiteral("Wählen Sie eine Datei mit einem Symbol für den Ordner ..."), 17);
    Label8->setFont(tahoma(9, true));
    const StdPicture title = loadPicture(QStringLiteral("title.bmp"));
    for (ui::PictureBox* strip : { PTitel1, PTitel2 }) {
        strip->setBackColour(kWhite);
        strip->setEnabled(false);
    }
    for (ui::PictureBox* picture : { Picture1, Picture2 }) {
        picture->setBackColour(kWhite);
        picture->setEnabled(false);
        picture->setPicture(title);
    }
    Frame2 = place(new ui::Frame(QStringLiteral("Frame2"), PSet3), 0, 810, 7190, 3900, 18);
    Label7 = label(Frame2, QStringLiteral("Label7"), 420, 360, 5775, 465,
        QStringLiteral("Symboldateien (ico) können entweden eigenständige Dateien sein, oder in Bibliotheken "
                       "(dll) und Anwendung (exe) enthalten sein."),
        19);
    Label7->setWordWrap(true);
    IconFiles = place(new ui::FileListBox(QStringLiteral("IconFiles"), Frame2), 405, 900, 3345, 1980, 20);
    IconFiles->setPattern(kIconFilePatterns);
    Text2 = place(new ui::ComboBox(QStringLiteral("Text2"), Frame2), 405, 3195, 2445, 330, 21);
    // The icon files bundled with the program are the first source offered.
    Text2->setText(ResourcePath(QStringLiteral("icons")));
    CÖffnen = place(new ui::CommandButton(QStringLiteral("CÖffnen"), Frame2), 2880, 3195, 430, 315, 22);
    CÖffnen->setCaption(QStringLiteral("..."));
    CLöschen = place(new ui::CommandButton(QStringLiteral("CLöschen"), Frame2), 3330, 3195, 430, 315, 23);
    CLöschen->setCaption(QStringLiteral("x"));
    PImage = place(new ui::PictureBox(QStringLiteral("PImage"), Frame2), 3915, 900, 3030, 2625, 24);
    PImage->setBackColour(kWhite);
    PImage->setBorderStyle(1);
    createIconCells();
    Picture3 = place(new ui::PictureBox(QStringLiteral("Picture3"), Frame2), 3935, 3555, 3030, 285, 25);
    Picture3->setBackColour(kWhite);
    bKopieren = place(new ui::CheckBox(QStringLiteral("bKopieren"), Picture3), 0, 10, 2985, 240, 26);
    bKopieren->setCaption(QStringLiteral("&Symbol in den Ordner kopieren "));
    bKopieren->setFont(tahoma(9, false, true));
}

void root::createIconCells()
{
    // Four rows of five; the last row begins with cell 19, not with cell 15.
    static constexpr int kOrder[4][5]
        = { { 0, 1, 2, 3, 4 }, { 5, 6, 7, 8, 9 }, { 10, 11, 12, 13, 14 }, { 19, 15, 16, 17, 18 } };
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 5; ++col) {
            const int i = kOrder[row][col];
            // Tab indexes 30 to 50; 45 belongs to the hidden IconCache.
            const int tab = i < 15 ? 30 + i : 31 + i;
            auto* cell = new ui::PictureBox(QStringLiteral("Bilddatei(%1)").arg(i), PImage);
            place(cell, 45 + col * 585, 45 + row * 585, 510, 510, tab);
            cell->setBackColour(kWhite);
            cell->makeCell();
            Bilddatei[i] = cell;
        }
    }
}
