// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A wizard started on a real temporary folder, with the clock, the end of
// the program, the message box, the folder chooser and the icon-choice
// dialog replaced, and the helpers to drive it with real clicks and keys.
#include "platform/app.h"
#include "platform/files/file_attributes.h"
#include "platform/icons/pick_icon_dialog.h"
#include "platform/ui/shell_application.h"
#include "store/IniFiles.h"
#include "store/folder_settings.h"
#include "tests/support/icon_fixtures.h"
#include "wizard/root.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

// What the user leaves on the pages, and the bits the finish then leaves.
struct FinalState {
    const char* what;
    const char* tooltip;
    const char* iconFile; // in the icon folder; "" for no icon
    int cell;
    bool copyIt; // Desktop.ico then has the bits 34
    DWORD settingsBits; // INVALID_FILE_ATTRIBUTES: no settings file
    DWORD folderBits;
};

inline constexpr FinalState kFinalStates[] = {
    { "tooltip, icon", "Hallo", "lib.dll", 3, false, 34, 1 },
    { "tooltip, icon, copy", "Hallo", "lib.dll", 3, true, 34, 1 },
    { "tooltip, no icon", "Hallo", "", 0, false, 34, 1 },
    { "no tooltip, icon", "", "a.ico", 0, false, 34, 1 },
    { "no tooltip, icon, copy", "", "a.ico", 0, true, 34, 1 },
    { "nothing", "", "", 0, false, INVALID_FILE_ATTRIBUTES, 0 },
};

class WizardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        using namespace testing_support;
        ASSERT_TRUE(tmp.isValid() && QDir().mkpath(target) && QDir().mkpath(icons));
        qputenv("QUILLMARK_REGISTRY_DIR", tmp.filePath("registry").toUtf8());
        qputenv("QUILLMARK_WINDOWS_DIR", tmp.filePath("windows").toUtf8());
        testutil::writeBytes(icons + "/a.ico", makeSolidIco(Qt::red));
        testutil::writeBytes(icons + "/lib.dll", makeIconLibrary(25));
        setEndHandler([this] { ++ended; });
        setMsgBoxHandler([this](const QString& text, int, const QString& title) {
            messages << title + ": " + text;
            return 1;
        });
        setTimerSource([this] { return clock += 0.5f; });
        shell::setFolderChooser([this](HWND, const QString&, const QString&) {
            ++folderDialogs;
            return chosenFolder;
        });
        setPickIconDlgHandler([this](HWND, QString& path, UINT, int* index) {
            ++iconDialogs;
            dialogOpenedOn = path;
            if (pickedFile.isEmpty()) return 0;
            path = pickedFile;
            *index = pickedIndex;
            return 1;
        });
    }

    void TearDown() override
    {
        w.reset();
        setEndHandler({});
        setMsgBoxHandler({});
        setTimerSource({});
        shell::setFolderChooser({});
        setPickIconDlgHandler({});
        App::setArguments({});
    }

    // Starts the wizard on target, then clicks Next `nexts` times.
    void start(int nexts = 0)
    {
        w.reset();
        ended = 0;
        App::setArguments({ target });
        w = std::make_unique<root>();
        w->create();
        w->show();
        QApplication::setActiveWindow(w.get());
        for (int i = 0; i < nexts; ++i)
            next();
    }

    void next() { QTest::mouseClick(w->CWeiter, Qt::LeftButton); }
    void back() { QTest::mouseClick(w->CZurück, Qt::LeftButton); }
    void clickCell(int i) { QTest::mouseClick(w->Bilddatei[i], Qt::LeftButton); }

    // Types a folder or file into the folder box and presses Enter.
    void enterFolder(const QString& text)
    {
        w->Text2->setFocus();
        w->Text2->setText(text);
        QTest::keyClick(w->Text2, Qt::Key_Return);
    }

    // Starts the wizard on folder, passes both pages with the row's choice
    // and finishes, as a user would.
    void customise(const QString& folder, const FinalState& row)
    {
        target = folder;
        start(1);
        w->Text1->setText(QString::fromUtf8(row.tooltip));
        next();
        const QString iconFile = QString::fromUtf8(row.iconFile);
        if (iconFile.isEmpty())
            QTest::mouseClick(w->CLöschen, Qt::LeftButton);
        else
            enterFolder(icons);
        // Unticking the box would pick the first recent folder: the icon is chosen after it.
        w->bKopieren->setValue(row.copyIt ? 1 : 0);
        if (!iconFile.isEmpty()) {
            w->IconFiles->setFileName(iconFile);
            if (row.cell > 0) clickCell(row.cell);
        }
        next();
        ASSERT_EQ(ended, 1) << "the finish ends the program";
    }

    // Customises a new folder "Ordner i" under parent for each final state,
    // named to the wizard as below `through` where that is given.
    void customiseAll(const QString& parent, const std::function<void(const QString&)>& prepare = {},
        const QString& through = {})
    {
        for (std::size_t i = 0; i < std::size(kFinalStates); ++i) {
            SCOPED_TRACE(kFinalStates[i].what);
            const QString folder = parent + QString("/Ordner %1").arg(i);
            ASSERT_TRUE(QDir().mkpath(folder));
            if (prepare) prepare(folder);
            customise(through.isEmpty() ? folder : through + QString("/Ordner %1").arg(i), kFinalStates[i]);
        }
    }

    // What customiseAll left below parent: the keys and the icon copy (unless
    // parent is empty), and the four bits of each folder and its two files as
    // fourBitsOf reads them by path below parent (nullopt: no such file).
    using BitReader = std::function<std::optional<DWORD>(const QString&)>;
    void expectFinalStates(const QString& parent, const BitReader& fourBitsOf = {}) const
    {
        for (std::size_t i = 0; i < std::size(kFinalStates); ++i) {
            const FinalState& row = kFinalStates[i];
            SCOPED_TRACE(row.what);
            const QString name = QString("Ordner %1").arg(i), folder = parent + '/' + name;
            const bool hasIni = row.settingsBits != INVALID_FILE_ATTRIBUTES, hasIcon = *row.iconFile;
            const bool copied = hasIcon && (row.copyIt || copiedAnyway);
            const QString ref = !hasIcon ? "" : copied ? "Desktop.ico" : iconPrefix + row.iconFile;
            const QString index = hasIcon ? QString::number(row.cell) : "";
            // Linux reads an .ico that stays with the folder as it is; any other icon from a
            // hidden image of its own.
            const bool asIs = QString(row.iconFile).endsWith(".ico") && (copied || iconPrefix.startsWith(".."));
            const QString linuxView = !asIs ? "./.quillmark.ico"
                : copied                ? "./Desktop.ico"
                                        : "./" + QString(iconPrefix).replace('\\', '/') + row.iconFile;
            const bool image = hasIcon && !asIs;
            if (!parent.isEmpty()) {
                const QString ini = folder + "/Desktop.ini";
                EXPECT_EQ(QFileInfo::exists(ini), hasIni);
                const QStringList keys = { IniRead(ini, kShellClassInfo, "Infotip"),
                    IniRead(ini, kShellClassInfo, "IconFile"), IniRead(ini, kShellClassInfo, "IconIndex"),
                    IniRead(ini, kShellClassInfo, "IconResource") };
                EXPECT_EQ(keys, QStringList({ row.tooltip, ref, index, hasIcon ? ref + ',' + index : "" }));
                EXPECT_EQ(testutil::readBytes(folder + "/Desktop.ico"),
                    copied ? testutil::readBytes(icons + '/' + row.iconFile) : "<missing>");
                EXPECT_EQ(testutil::readBytes(folder + "/.directory"),
                    hasIcon ? "[Desktop Entry]\nIcon=" + linuxView.toUtf8() + '\n' : "<missing>");
            }
            if (!fourBitsOf) continue;
            EXPECT_EQ(fourBitsOf(name), row.folderBits);
            EXPECT_EQ(
                fourBitsOf(name + "/Desktop.ini"), hasIni ? std::optional(row.settingsBits) : std::nullopt);
            EXPECT_EQ(fourBitsOf(name + "/Desktop.ico"), copied ? std::optional<DWORD>(34) : std::nullopt);
            EXPECT_EQ(fourBitsOf(name + "/.quillmark.ico"), image ? std::optional<DWORD>(34) : std::nullopt);
            EXPECT_EQ(fourBitsOf(name + "/.directory"), hasIcon ? std::optional<DWORD>(34) : std::nullopt);
        }
    }

    QString settings() const { return target + "/Desktop.ini"; }
    QString copy() const { return target + "/Desktop.ico"; }
    QString key(const QString& name) const { return IniRead(settings(), kShellClassInfo, name); }
    static DWORD bits(const QString& path)
    {
        const DWORD a = GetFileAttributesA(path);
        return a == INVALID_FILE_ATTRIBUTES ? a : (a & 0x27);
    }

    QTemporaryDir tmp;
    QString target = tmp.filePath("Mein Ordner");
    QString icons = tmp.filePath("Symbole");
    // How the rows without the copy box name their icon: relative from a
    // folder beside the icons, in full from where they cannot be reached.
    QString iconPrefix = "..\\Symbole\\";
    // Where Windows reads the folder and cannot reach the icons, every icon
    // is copied.
    bool copiedAnyway = false;
    std::unique_ptr<root> w;
    int ended = 0, folderDialogs = 0, iconDialogs = 0, pickedIndex = 0;
    QStringList messages;
    float clock = 1000.0f;
    QString chosenFolder, dialogOpenedOn, pickedFile;
};
