// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The wizard's one window, `root`: three stacked pages, the button strip and
// the hidden controls that hold the state its handlers share. The window
// keeps no variables of its own; everything lives in the controls.
//
// The handlers are defined in the file of the area they belong to:
//   wizard/root_design.cpp      the controls as created
//   wizard/events.cpp           the controls' events wired to the handlers
//   wizard/accessible_names.cpp what a screen reader says for the controls
//   wizard/startup.cpp          Form_Initialize, Form_Load, Sleep
//   wizard/navigation.cpp       CWeiter_Click, CZurück_Click, CCancel_Click
//   wizard/apply.cpp            the finish that writes the customisation
//   pages/tooltip/tooltip_page.cpp   Text1_Change, Text1_KeyPress
//   pages/icons/folder_entry.cpp     Text2_*, CLöschen_Click, CÖffnen_Click
//   pages/icons/icon_file_list.cpp   IconFiles_*
//   pages/icons/icon_grid.cpp        Bilddatei_Click, bKopieren_Click, ClearPics, ...
#include "platform/ui/toolkit.h"
#include "store/finish_journal.h"
#include "store/folder_customisation.h"
#include "store/folder_settings.h"

#include <array>

// The grid's choice at one moment: the file listed and selected, the chosen
// index and the cells' marks.
struct GridChoice {
    QString folder;
    QString file;
    QString index;
    std::array<int, 20> marks;
};

class root : public ui::Form {
public:
    // Runs Form_Initialize, then creates the controls.
    root();

    // Runs Form_Load, as the toolkit does before the window is first shown.
    void create();

    // --- the window's direct children
    ui::PictureBox* PSet1;
    ui::PictureBox* PSet2;
    ui::PictureBox* PSet3;
    ui::CommandButton* CWeiter;
    ui::CommandButton* CZurück;
    ui::CommandButton* CCancel;
    ui::TextBox* IconCache;
    ui::TextBox* IconCounts;
    ui::Label* Verzeichnis;

    // --- introduction page
    ui::Label* Label3;
    ui::Label* Label4;
    ui::Label* LInformation;
    ui::Label* Label11;
    ui::Label* Label1;
    ui::Label* Label6;
    ui::Label* Label10;
    ui::Line* Line1;
    // The folder being customised, in full, so that it can be checked by eye.
    ui::Label* LOrdner;

    // --- tooltip page
    ui::PictureBox* PTitel1;
    ui::PictureBox* Picture1;
    ui::Label* Label16;
    ui::Label* Label17;
    ui::Frame* Frame1;
    ui::Label* Label2;
    ui::TextBox* Text1;
    ui::Label* LLänge;
    ui::Label* Label5;

    // --- icon page
    ui::PictureBox* PTitel2;
    ui::PictureBox* Picture2;
    ui::Label* Label8;
    ui::Label* Label9;
    ui::Frame* Frame2;
    ui::Label* Label7;
    ui::FileListBox* IconFiles;
    ui::ComboBox* Text2;
    ui::CommandButton* CÖffnen;
    ui::CommandButton* CLöschen;
    ui::PictureBox* PImage;
    ui::PictureBox* Picture3;
    ui::CheckBox* bKopieren;
    std::array<ui::PictureBox*, 20> Bilddatei {};

    // --- start-up
    void Form_Initialize();
    void Form_Load();
    void Sleep(double Seconds);

    // --- page navigation and the finish
    void CWeiter_Click();
    void CZurück_Click();
    void CCancel_Click();

    // --- tooltip page
    void Text1_Change();
    void Text1_KeyPress(int& KeyAscii);

    // --- icon page: folder entry
    void Text2_Click();
    void Text2_GotFocus();
    void Text2_KeyPress(int& KeyAscii);
    void Text2_LostFocus();
    void CLöschen_Click();
    void CÖffnen_Click();

    // --- icon page: file list
    void IconFiles_Click();
    void IconFiles_GotFocus();
    void IconFiles_KeyPress(int& KeyAscii);
    void IconFiles_LostFocus();

    // --- icon page: grid
    bool Bilddatei_Click(int Index);
    void bKopieren_Click();
    QString ClearPics();
    QString ClearMarks();
    void ShowFileIcons();
    void IconChange();

private:
    void leaveIntroduction();
    void leaveTooltipPage();
    void stripFolderBoxQuotes();
    void restoreStoredIcon(const QString& folder, const StoredIcon& stored);
    GridChoice gridChoice() const;
    void keepChoiceOfSameFile(const GridChoice& before);

    void applyCustomisation();
    WantedCustomisation wantedCustomisation() const;
    // The icon file the icon page restored from the settings file: written
    // by whoever could write the folder, not chosen by the user.
    QString restoredIconFile;
    // Open while the icon page has unhidden the folder's icon copy.
    FinishJournal unhiddenCopy;
    void hideRestoredCopyAgain();

    void createButtonStrip();
    void createIntroductionPage();
    void createTooltipPage();
    void createIconPage();
    void createIconCells();
    void connectHandlers();
    void nameForAssistiveTechnology();
    void describeCharactersLeft();
};

// The program's name: the window's caption follows the folder's name, the
// message boxes keep this as their title.
inline const QString kProgramName = QStringLiteral("Morvane Quillmark");

// The icon sources the file list shows.
inline const QString kIconFilePatterns = QStringLiteral("*.ico;*.exe;*.dll");

// Where the program's pictures and bundled icon files are: `share/quillmark`
// beside the executable's folder once installed, `res` beside the executable
// in the build tree (or beside a parent folder of it, for the test programs).
QString ResourcePath(const QString& name);
