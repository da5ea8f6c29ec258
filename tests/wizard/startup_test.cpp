// Start-up against a fresh and an existing store.
#include "store/Registry.h"
#include "tests/wizard/wizard_fixture.h"

#include <QFileInfo>

namespace {

class Startup : public WizardTest {
protected:
    QByteArray hive(const char* root) const
    {
        return testutil::readBytes(tmp.filePath("registry/") + root + ".reg");
    }
};

// The introduction page, the target folder, and the keys and values written
// into fresh hives, byte for byte.
TEST_F(Startup, FreshStoreGetsEveryKeyAndValue)
{
    target = "/srv/Mein Ordner";
    start();
    EXPECT_TRUE(w->PSet1->visible() && !w->PSet2->visible() && !w->PSet3->visible());
    EXPECT_FALSE(w->CZurück->isEnabled());
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

TEST_F(Startup, VerbIsRewrittenOnEveryStartAndArgumentsArriveUnchanged)
{
    const QString command = "Software\\Classes\\Directory\\shell\\vUzivuza\\command";
    RegKeyCreate(HKEY_LOCAL_MACHINE, command, "1");
    RegValueWrite(HKEY_LOCAL_MACHINE, command, "", QString("\"c:\\old\\place.exe\" %1"));
    const std::pair<QStringList, QString> cases[] = {
        { { "\"/a b/Ordner\"" }, "\"/a b/Ordner\"" }, { { "/a/trailing/" }, "/a/trailing/" },
        { { "/Über", "Größe:2" }, "/Über Größe:2" },
        { {}, App::path() }, // without an argument: the program's own folder
    };
    for (const auto& [arguments, folder] : cases) {
        App::setArguments(arguments);
        root started;
        started.create();
        EXPECT_EQ(started.Verzeichnis->caption(), folder);
        EXPECT_FALSE(hive("HKEY_LOCAL_MACHINE").contains("place.exe"));
    }
}

} // namespace
