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
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

class WizardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        target = tmp.filePath(QStringLiteral("Mein Ordner"));
        icons = tmp.filePath(QStringLiteral("Symbole"));
        ASSERT_TRUE(QDir().mkpath(target));
        ASSERT_TRUE(QDir().mkpath(icons));
        qputenv("QUILLMARK_REGISTRY_DIR", tmp.filePath(QStringLiteral("registry")).toUtf8());
        qputenv("QUILLMARK_WINDOWS_DIR", tmp.filePath(QStringLiteral("windows")).toUtf8());
        ASSERT_TRUE(testing_support::writeFile(
            icons + QStringLiteral("/a.ico"), testing_support::makeSolidIco(Qt::red)));
        ASSERT_TRUE(testing_support::writeFile(
            icons + QStringLiteral("/lib.dll"), testing_support::makeIconLibrary(25)));
        setEndHandler([this] { ++ended; });
        setMsgBoxHandler([this](const QString& text, int, const QString& title) {
            messages << title + QStringLiteral(": ") + text;
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

    void start()
    {
        w.reset();
        ended = 0;
        App::setArguments({ target });
        w = std::make_unique<root>();
        w->create();
        w->show();
        QApplication::setActiveWindow(w.get());
    }

    void next() { QTest::mouseClick(w->CWeiter, Qt::LeftButton); }
    void back() { QTest::mouseClick(w->CZurück, Qt::LeftButton); }

    // Types a folder or file into the folder box and presses Enter.
    void enterFolder(const QString& text)
    {
        w->Text2->setFocus();
        w->Text2->setText(text);
        QTest::keyClick(w->Text2, Qt::Key_Return);
    }

    void clickCell(int i) { QTest::mouseClick(w->Bilddatei[i], Qt::LeftButton); }

    QString settings() const { return target + QStringLiteral("/Desktop.ini"); }
    QString copy() const { return target + QStringLiteral("/Desktop.ico"); }
    QString key(const QString& name) const { return IniRead(settings(), kShellClassInfo, name); }
    static DWORD bits(const QString& path)
    {
        const DWORD a = GetFileAttributesA(path);
        return a == INVALID_FILE_ATTRIBUTES ? a : (a & 0x27);
    }

    QTemporaryDir tmp;
    QString target;
    QString icons;
    std::unique_ptr<root> w;
    int ended = 0;
    QStringList messages;
    float clock = 1000.0f;
    int folderDialogs = 0;
    QString chosenFolder;
    int iconDialogs = 0;
    QString dialogOpenedOn;
    QString pickedFile;
    int pickedIndex = 0;
};
