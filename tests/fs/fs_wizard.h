#pragma once
// The wizard driven to its finish on a folder of a real file system, and
// the final states it must leave there, by what the user left on the pages.
#include "tests/fs/fs_tools.h"
#include "tests/wizard/wizard_fixture.h"

#include <QFileInfo>

namespace fstest {

struct FinalState {
    const char* what;
    const char* tooltip;
    const char* iconFile; // "" for no icon
    int cell;
    bool copyIt;
    DWORD settingsBits; // INVALID_FILE_ATTRIBUTES: no settings file
    DWORD folderBits;
    bool copyPresent; // Desktop.ico then 34
};

inline constexpr FinalState kFinalStates[] = {
    { "tooltip, icon", "Hallo", "lib.dll", 3, false, 34, 1, false },
    { "tooltip, icon, copy", "Hallo", "lib.dll", 3, true, 34, 1, true },
    { "tooltip, no icon", "Hallo", "", 0, false, 34, 0, false },
    { "no tooltip, icon, copy", "", "a.ico", 0, true, 34, 1, true },
    { "nothing", "", "", 0, false, INVALID_FILE_ATTRIBUTES, 0, false },
};

class FsWizard : public WizardTest {
protected:
    // Starts the wizard on folder, passes both pages with the row's choice
    // and finishes, as a user would.
    void customise(const QString& folder, const FinalState& row)
    {
        target = folder;
        start();
        next();
        w->Text1->setText(QString::fromUtf8(row.tooltip));
        next();
        const QString iconFile = QString::fromUtf8(row.iconFile);
        if (!iconFile.isEmpty()) {
            enterFolder(icons);
            w->IconFiles->setFileName(iconFile);
            if (row.cell > 0) clickCell(row.cell);
        } else {
            QTest::mouseClick(w->CLöschen, Qt::LeftButton);
        }
        w->bKopieren->setValue(row.copyIt ? 1 : 0);
        // Unticking the box picks the first recent folder; choose again.
        if (!iconFile.isEmpty() && w->IconFiles->fileName() != iconFile) {
            w->IconFiles->setFileName(iconFile);
            if (row.cell > 0) clickCell(row.cell);
        }
        next();
        ASSERT_EQ(ended, 1) << "the finish ends the program";
    }

    // The keys the row must leave (the bits are checked by each test the
    // way the file system's own tools show them).
    void expectKeys(const QString& folder, const FinalState& row)
    {
        const QString ini = folder + QStringLiteral("/Desktop.ini");
        const bool hasIcon = row.iconFile[0] != '\0';
        EXPECT_EQ(QFileInfo::exists(ini), row.settingsBits != INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(IniRead(ini, kShellClassInfo, QStringLiteral("Infotip")), QString::fromUtf8(row.tooltip));
        QString iconKey;
        if (hasIcon)
            iconKey = row.copyIt ? QStringLiteral("Desktop.ico")
                                 : icons + QLatin1Char('/') + QString::fromUtf8(row.iconFile);
        EXPECT_EQ(IniRead(ini, kShellClassInfo, QStringLiteral("IconFile")), iconKey);
        EXPECT_EQ(QFileInfo::exists(folder + QStringLiteral("/Desktop.ico")), row.copyPresent);
    }
};

} // namespace fstest
