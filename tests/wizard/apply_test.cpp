// Finishing the wizard on a real folder: the files, keys and attribute bits
// it leaves, for every combination of what the user left on the pages.
#include "tests/wizard/wizard_fixture.h"

#include "store/Registry.h"

#include <QFileInfo>

namespace {

class Apply : public WizardTest {
protected:
    // Start, pass both pages with the given choice and finish.
    void run(const QString& tooltip, const QString& iconFile, int cell, bool copyIt)
    {
        start();
        next();
        w->Text1->setText(tooltip);
        next();
        if (!iconFile.isEmpty()) {
            enterFolder(icons);
            w->IconFiles->setFileName(iconFile);
            if (cell > 0) clickCell(cell);
        } else {
            QTest::mouseClick(w->CLöschen, Qt::LeftButton);
        }
        w->bKopieren->setValue(copyIt ? 1 : 0);
        // Unticking the box picks the first recent folder; choose again.
        if (!iconFile.isEmpty() && !copyIt && w->IconFiles->fileName() != iconFile) {
            w->IconFiles->setFileName(iconFile);
            if (cell > 0) clickCell(cell);
        }
        next();
        ASSERT_EQ(ended, 1) << "the finish ends the program";
    }
};

TEST_F(Apply, FinalStatesByWhatTheUserLeft)
{
    struct Row {
        const char* what;
        const char* tooltip;
        const char* iconFile;
        int cell;
        bool copyIt;
        const char* infoTip; // expected key values; "-" absent
        const char* iconFileKey;
        const char* iconIndex;
        DWORD settingsBits; // INVALID_FILE_ATTRIBUTES: file gone
        DWORD folderBits;
        bool copyPresent;
    };
    const QString lib = QStringLiteral("lib.dll");
    const Row rows[] = {
        { "tooltip, icon", "Hallo", "lib.dll", 3, false, "Hallo", "<lib>", "3", 34, 1, false },
        { "tooltip, icon, copy", "Hallo", "lib.dll", 3, true, "Hallo", "Desktop.ico", "3", 34, 1, true },
        { "tooltip, no icon", "Hallo", "", 0, false, "Hallo", "-", "-", 34, 0, false },
        { "no tooltip, icon", "", "a.ico", 0, false, "-", "<a>", "0", 34, 1, false },
        { "no tooltip, icon, copy", "", "a.ico", 0, true, "-", "Desktop.ico", "0", 34, 1, true },
        { "nothing", "", "", 0, false, "-", "-", "-", INVALID_FILE_ATTRIBUTES, 0, false },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        QDir(target).removeRecursively();
        QDir().mkpath(target);
        run(QString::fromUtf8(r.tooltip), QString::fromUtf8(r.iconFile), r.cell, r.copyIt);
        auto expect = [&](const char* value) {
            QString v = QString::fromUtf8(value);
            v.replace(QStringLiteral("<lib>"), icons + QStringLiteral("/lib.dll"));
            v.replace(QStringLiteral("<a>"), icons + QStringLiteral("/a.ico"));
            return v == QLatin1String("-") ? QString() : v;
        };
        EXPECT_EQ(key(QStringLiteral("Infotip")), expect(r.infoTip));
        EXPECT_EQ(key(QStringLiteral("IconFile")), expect(r.iconFileKey));
        EXPECT_EQ(key(QStringLiteral("IconIndex")), expect(r.iconIndex));
        EXPECT_EQ(bits(settings()), r.settingsBits);
        EXPECT_EQ(bits(target), r.folderBits);
        EXPECT_EQ(QFileInfo::exists(copy()), r.copyPresent);
        if (r.copyPresent) {
            EXPECT_EQ(bits(copy()), 34u);
            EXPECT_EQ(testing_support::readFile(copy()),
                testing_support::readFile(icons + QLatin1Char('/') + QString::fromUtf8(r.iconFile)));
        }
    }
}

TEST_F(Apply, NewFileHoldsItsKeysInOrder)
{
    run(QStringLiteral("Urlaub 2026"), QStringLiteral("lib.dll"), 7, false);
    const QByteArray text = testing_support::readFile(settings());
    const QByteArray expected = "[.ShellClassInfo]\r\nInfoTip=Urlaub 2026\r\nIconFile=" + icons.toUtf8()
        + "/lib.dll\r\nIconIndex=7\r\n";
    EXPECT_EQ(text, expected);
}

TEST_F(Apply, MeFamilyMarksTheFolderSystem)
{
    qputenv("QUILLMARK_OSVERSION", "1.4.90");
    run(QStringLiteral("x"), QStringLiteral("a.ico"), 0, false);
    EXPECT_EQ(bits(target), 36u);
    QDir(target).removeRecursively();
    QDir().mkpath(target);
    run(QStringLiteral("x"), QString(), 0, false);
    EXPECT_EQ(bits(target), 0u) << "without an icon the folder ends unmarked on every version";
    qunsetenv("QUILLMARK_OSVERSION");
}

TEST_F(Apply, RemovalKeepsFilesThatStillHoldSomething)
{
    struct Case {
        const char* what;
        QByteArray before;
        bool kept;
        QByteArray after;
    };
    const Case cases[] = {
        { "a CLSID", "[.ShellClassInfo]\r\nCLSID={1}\r\nInfoTip=t\r\n", true,
            "[.ShellClassInfo]\r\nCLSID={1}\r\n" },
        { "view settings in another section", "[.ShellClassInfo]\r\nInfoTip=t\r\n[ViewState]\r\nMode=4\r\n",
            true, "[.ShellClassInfo]\r\n[ViewState]\r\nMode=4\r\n" },
        { "nothing else", "[.ShellClassInfo]\r\nInfoTip=t\r\nIconIndex=2\r\n", false, "" },
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        ASSERT_TRUE(testing_support::writeFile(settings(), k.before));
        const float before = clock;
        run(QString(), QString(), 0, false);
        EXPECT_GE(clock - before, 5.0f) << "the removal waits five seconds on the clock";
        EXPECT_TRUE(w->isHidden()) << "and is out of the user's reach meanwhile";
        EXPECT_EQ(QFileInfo::exists(settings()), k.kept);
        if (k.kept) {
            EXPECT_EQ(testing_support::readFile(settings()), k.after);
            EXPECT_EQ(bits(settings()), 0u);
        }
    }
}

TEST_F(Apply, FolderTextKeepsItsQuotesInTheRegistryOnly)
{
    start();
    next();
    next();
    enterFolder(icons);
    w->Text2->setText(QLatin1Char('"') + icons + QLatin1Char('"'));
    next();
    RegValue stored;
    ASSERT_TRUE(RegValueRead(HKEY_CURRENT_USER, kRegSetFolders, QStringLiteral("Folder"), stored));
    EXPECT_EQ(std::get<QString>(stored), QLatin1Char('"') + icons + QLatin1Char('"'));
    const QString recent = tmp.filePath(QStringLiteral("windows/")) + App::exeName() + QStringLiteral(".dat");
    EXPECT_EQ(IniRead(recent, QStringLiteral("Filename"), QStringLiteral("01")), icons);
}

TEST_F(Apply, AReRunChangesNothingOnDisk)
{
    struct Case {
        const char* what;
        bool copyIt;
    };
    for (const Case& k : { Case { "icon where it is", false }, Case { "icon copy", true } }) {
        SCOPED_TRACE(k.what);
        QDir(target).removeRecursively();
        QDir().mkpath(target);
        run(QStringLiteral("Tipp"), QStringLiteral("lib.dll"), 3, k.copyIt);
        const QByteArray ini = testing_support::readFile(settings());
        const QByteArray ico = testing_support::readFile(copy());
        const DWORD folderBits = bits(target);
        start();
        next();
        next();
        EXPECT_EQ(w->IconCache->text(), QStringLiteral("3")) << "the stored icon is chosen again";
        EXPECT_EQ(w->Bilddatei[3]->borderStyle(), 1);
        EXPECT_EQ(w->bKopieren->value(), k.copyIt ? 1 : 0);
        next();
        EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(testing_support::readFile(settings()), ini);
        EXPECT_EQ(testing_support::readFile(copy()), ico);
        EXPECT_EQ(bits(target), folderBits);
    }
}

TEST_F(Apply, AnIconLyingInTheTargetFolderIsCopied)
{
    ASSERT_TRUE(testing_support::writeFile(
        target + QStringLiteral("/eigen.ico"), testing_support::makeSolidIco(Qt::blue)));
    start();
    next();
    next();
    enterFolder(target);
    w->IconFiles->setFileName(QStringLiteral("eigen.ico"));
    w->bKopieren->setValue(1);
    next();
    EXPECT_EQ(key(QStringLiteral("IconFile")), QStringLiteral("Desktop.ico"));
    EXPECT_EQ(
        testing_support::readFile(copy()), testing_support::readFile(target + QStringLiteral("/eigen.ico")));
}

TEST_F(Apply, TheIconCopyItselfIsNeverDeletedWhileItIsTheIcon)
{
    run(QStringLiteral("Tipp"), QStringLiteral("a.ico"), 0, true);
    start();
    next();
    next();
    ASSERT_EQ(w->IconFiles->fileName(), QStringLiteral("Desktop.ico"));
    w->bKopieren->setValue(0);
    w->IconFiles->setPattern(QStringLiteral("Desktop.ico"));
    w->IconFiles->setPath(target);
    w->IconFiles->setFileName(QStringLiteral("Desktop.ico"));
    next();
    EXPECT_TRUE(QFileInfo::exists(copy()));
    EXPECT_EQ(key(QStringLiteral("IconFile")), target + QStringLiteral("/Desktop.ico"));
}

} // namespace
