// SPDX-License-Identifier: GPL-3.0-or-later
// The window from its start to the last page: a fresh store, the arguments, every caption
// fitting its control in the fonts in use, Next, Back, Cancel and Esc, the stored tooltip and icon.
#include "platform/files/shown_text.h"
#include "store/Registry.h"
#include "sys/FileDirPath.h"
#include "tests/pages/icons/icon_page_fixture.h"

#include <QFontInfo>
#include <QStyleOption>

namespace {

class Navigation : public IconPage {
protected:
    void writeSettings(const QByteArray& text) { testutil::writeBytes(settings(), text); }
    auto hive(const char* r) const { return testutil::readBytes(tmp.filePath("registry/%1.reg").arg(r)); }
};
using Startup = Navigation;

// The introduction page, the target folder, and the keys and values written
// into fresh hives, byte for byte.
TEST_F(Startup, FreshStoreGetsEveryKeyAndValue)
{
    target = "/srv/Mein Ordner";
    start();
    EXPECT_TRUE(w->PSet1->visible() && !w->PSet2->visible() && !w->PSet3->visible());
    EXPECT_EQ(w->Verzeichnis->caption(), "/srv/Mein Ordner");
    EXPECT_EQ(w->Text2->text(), ResourcePath("icons")) << "no Folder value stored yet";
    EXPECT_TRUE(QFileInfo::exists(w->Text2->text() + "/ordner.dll")) << "the bundled icons";
    const QByteArray dir = App::path().toLower().toUtf8(), exe = App::exeName().toLower().toUtf8();
    EXPECT_EQ(hive("HKEY_CURRENT_USER").toStdString(),
        ("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n\n[HKEY_CURRENT_USER\\Software\\Morvane]\n;class=1\n\n"
         "[HKEY_CURRENT_USER\\Software\\Morvane\\Set Folders]\n;class=1\n\"InstallDir\"=\""
            + dir + "\"\n\n")
            .toStdString());
    const QByteArray verb = "[HKEY_LOCAL_MACHINE\\Software\\Classes\\Directory\\shell\\vUzivuza";
    EXPECT_TRUE(hive("HKEY_LOCAL_MACHINE")
                    .contains(verb + "]\n;class=1\n@=\"&Beschriften...\"\n\n" + verb
                        + "\\command]\n;class=1\n@=\"\\\"" + dir + "/" + exe + ".exe\\\" %1\"\n"))
        << hive("HKEY_LOCAL_MACHINE").toStdString();
    EXPECT_TRUE(hive("HKEY_LOCAL_MACHINE")
                    .endsWith("[HKEY_LOCAL_MACHINE\\Software\\Classes\\Folder\\shell]\n@=\"open\"\n\n"));
}

TEST_F(Startup, StoredFolderFillsTheFolderBoxAsText)
{
    RegKeyCreate(HKEY_CURRENT_USER, kRegSetFolders, "1");
    for (const auto& [stored, expected] :
        { std::pair<RegValue, QString> { QString("\"/icons/S\""), "\"/icons/S\"" }, { QString(), "" },
            { -7, "-7" } }) {
        ASSERT_TRUE(RegValueWrite(HKEY_CURRENT_USER, kRegSetFolders, "Folder", stored));
        start();
        EXPECT_EQ(w->Text2->text(), expected);
    }
}

// The caption names the folder by its last part, the introduction page in full; what came from
// the folder's name is escaped in both.
TEST_F(Startup, VerbIsRewrittenOnEveryStartAndArgumentsArriveUnchanged)
{
    const QString command = "Software\\Classes\\Directory\\shell\\vUzivuza\\command";
    RegKeyCreate(HKEY_LOCAL_MACHINE, command, "1");
    RegValueWrite(HKEY_LOCAL_MACHINE, command, "", QString("\"c:\\old\\place.exe\" %1"));
    const std::tuple<QStringList, QString, QString> cases[] = {
        { { "\"/a b/Ordner\"" }, "\"/a b/Ordner\"", "Ordner\"" }, { { "/a/trailing/" }, "/a/trailing/", "trailing" },
        { { "/Über", "Größe:2" }, "/Über Größe:2", "Über Größe:2" },
        { { "/a/Zeile\nneu\u202e" }, "/a/Zeile\nneu\u202e", "Zeile\\nneu\\u202e" },
        { {}, App::path(), GetFolderName(App::path()) }, // without an argument: the program's own folder
    };
    for (const auto& [arguments, folder, name] : cases) {
        App::setArguments(arguments);
        root started;
        started.create();
        EXPECT_EQ(started.Verzeichnis->caption(), folder);
        EXPECT_EQ(started.caption(), name + " – Morvane Quillmark");
        EXPECT_EQ(started.LOrdner->caption().section('\n', 1).remove('\n'), ShownText(folder)) << "not shortened";
        EXPECT_FALSE(hive("HKEY_LOCAL_MACHINE").contains("place.exe"));
    }
    const QString deep = '/' + QString(90, 'x') + '/' + QString(90, 'y') + "/Ende";
    App::setArguments({ deep });
    root started;
    started.create();
    const QString shown = started.LOrdner->caption().section('\n', 1).remove('\n');
    EXPECT_TRUE(shown.startsWith("/xxx") && shown.endsWith("/Ende") && shown.contains(u'…')) << shown.toStdString();
}

// Measured with the fonts the window asks for: Wine's Tahoma, DejaVu Sans for Verdana.
TEST(WindowTexts, EveryCaptionFitsItsControl)
{
    root w;
    EXPECT_EQ(QFontInfo(w.Label3->font()).family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(QFontInfo(w.Label5->font()).family(), QStringLiteral("DejaVu Sans"));
    for (QWidget* widget : w.findChildren<QWidget*>()) {
        auto* button = qobject_cast<QAbstractButton*>(widget);
        auto* label = dynamic_cast<ui::Label*>(widget);
        if (!widget->isVisibleTo(&w) || !(button || label)) continue;
        // Where and how Qt draws the caption.
        QRect room = label ? label->contentsRect() : QRect();
        const int flags = label ? (label->wordWrap() ? int(Qt::TextWordWrap) : 0) : int(Qt::TextShowMnemonic);
        const QString text = label ? label->text() : button->text();
        if (button) {
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = text;
            room = button->style()->subElementRect(qobject_cast<QCheckBox*>(button)
                    ? QStyle::SE_CheckBoxContents
                    : QStyle::SE_PushButtonContents,
                &option, button);
        }
        SCOPED_TRACE(widget->objectName().toStdString() + ": " + text.toStdString());
        const QRect need = QFontMetrics(widget->font()).boundingRect(room, flags, text);
        EXPECT_LE(need.width(), room.width());
        EXPECT_LE(need.height(), room.height());
    }
}

// Back returns one page and is off on the introduction. The stored tooltip arrives cut to 120
// and wins over what was typed; without a file the typed text stays.
TEST_F(Navigation, BackAndTheStoredTooltip)
{
    writeSettings("[.SHELLCLASSINFO]\r\nINFOTIP=" + QByteArray(130, 'q') + "\r\n");
    start();
    for (const bool hasFile : { true, false }) {
        if (!hasFile) QFile::remove(settings());
        next();
        w->Text1->setText("getippt");
        back();
        EXPECT_TRUE(w->PSet1->visible() && !w->PSet2->visible() && !w->CZurück->isEnabled());
        next();
        EXPECT_EQ(w->Text1->text(), hasFile ? QString(120, 'q') : "getippt");
        next();
        back();
        EXPECT_TRUE(w->PSet2->visible() && !w->PSet3->visible() && w->Text1->hasFocus());
        back();
    }
    EXPECT_EQ(ended, 0);
}

// Esc closes every page without writing; on the icon page see the file list's tests.
TEST_F(Navigation, EscapeClosesEveryPageWithoutWriting)
{
    const std::tuple<const char*, int, bool> cases[] = { { "introduction", 0, false },
        { "tooltip page", 1, false }, { "after Back from the icon page", 2, true } };
    for (const auto& [what, nexts, backAgain] : cases) {
        SCOPED_TRACE(what);
        start(nexts);
        if (backAgain) back();
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w.get(), Qt::Key_Escape);
        EXPECT_EQ(ended, 1);
        EXPECT_TRUE(w->isHidden());
        EXPECT_FALSE(QFileInfo::exists(settings())) << "Cancel writes nothing";
    }
}

// What a settings file, written by us, by Windows or by anyone, brings to the
// icon page: list folder | list file | box text | icon count | chosen icon | marks.
TEST_F(Navigation, StoredIconsAndHostileSettingsReachTheIconPage)
{
    const QString kNotFound
        = u"Morvane Quillmark: Die Symboldatei oder Bibliothek konnte nicht gefunden werden. "_s;
    const QByteArray head = "[.ShellClassInfo]\r\nIconFile=", lib = icons.toUtf8() + "/lib.dll";
    const struct {
        const char* what;
        QByteArray ini;
        const char* page;
        int messages = 0;
        int dialogs = 0;
    } cases[] = {
        { "stored icon", head + lib + "\r\nIconIndex=4\r\n", "Symbole | lib.dll | Symbole | 25 | 4 | 4" },
        { "index of a dialog cell", head + lib + "\r\nIconIndex=18\r\n",
            "Symbole | lib.dll | Symbole | 25 | 22 | *", 0, 1 },
        { "index no number", head + lib + "\r\nIconIndex=vier\r\n",
            "Symbole | lib.dll | Symbole | 25 | 0 | 0" },
        { "missing file", head + icons.toUtf8() + "/weg.ico\r\n", "Symbole |  | Symbole | * | * | *", 1 },
        { "copied icon", head + "Desktop.ico\r\nIconIndex=5\r\n",
            "Mein Ordner | Desktop.ico | Mein Ordner | 6 | 5 | 5" },
        { "binary junk", QByteArray("\xff\xfe\x00[\x01\x02=\n\r[.ShellClassInfo\x00]IconFile", 30),
            "Symbole |  | Symbole | * | * | " },
        // Larger than any settings file Windows writes: read as none.
        { "10 MB name", head + QByteArray(10 << 20, 'n') + "\r\n", "Symbole |  | Symbole | * | * | *" },
        { "IconResource by resource id",
            "[.ShellClassInfo]\r\nIconFile=\r\nIconResource= " + lib + ", -6 \r\n",
            "Symbole | lib.dll | Symbole | 25 | 5 | 5" },
        { "relative reference", head + "..\\Symbole\\lib.dll\r\nIconIndex=4\r\n",
            "Symbole | lib.dll | Symbole | 25 | 4 | 4" },
        { "drive letter", head + "C:\\Bilder\\x.ico\r\n", "Symbole |  | Symbole | * | * | " },
        { "quoted name and index", head + "\"" + lib + "\"\r\nIconIndex=\"2\"\r\n",
            "Symbole | lib.dll | Symbole | 25 | 2 | 2" },
    };
    testutil::writeBytes(copy(), testing_support::makeIconLibrary(6));
    pickedFile = icons + u"/lib.dll"_s;
    pickedIndex = 22;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeSettings(c.ini);
        messages.clear();
        iconDialogs = 0;
        openIconPage(icons);
        EXPECT_PAGE(c.page);
        EXPECT_EQ(messages, QStringList(c.messages, kNotFound));
        EXPECT_EQ(iconDialogs, c.dialogs);
        EXPECT_EQ(w->bKopieren->value(), QByteArray(c.what) == "copied icon");
        for (QWidget* b : std::initializer_list<QWidget*> { w->CWeiter, w->CZurück, w->CCancel, w->Text1 })
            EXPECT_TRUE(b->isEnabled());
        EXPECT_TRUE(w->IconFiles->isEnabled() && w->IconFiles->isVisible());
    }
    EXPECT_EQ(bits(copy()), 32u) << "the restored copy is marked archive";
}

TEST_F(Navigation, ButtonsAreOutOfReachWhileTheStoredIconIsRestoredAgain)
{
    writeSettings("[.ShellClassInfo]\r\nIconFile=" + icons.toUtf8() + "/lib.dll\r\nIconIndex=1\r\n");
    start(1);
    // A click queued while the page is prepared meets disabled buttons.
    bool sawDisabled = false;
    w->IconFiles->Click = [&] {
        sawDisabled = sawDisabled || !w->CWeiter->isEnabled();
        w->IconFiles_Click();
    };
    next();
    EXPECT_TRUE(sawDisabled);
    EXPECT_TRUE(w->CWeiter->isEnabled());
    // Back and Next again restore the stored icon over the choice in between.
    clickCell(9);
    back();
    next();
    EXPECT_EQ(w->IconCache->text(), "1");
}

} // namespace
