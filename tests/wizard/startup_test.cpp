// Start-up against a fresh and an existing store.
#include "platform/app.h"
#include "store/Registry.h"
#include "store/folder_settings.h"
#include "wizard/root.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kVerb = QStringLiteral("Software\\Classes\\Directory\\shell\\vUzivuza");
const QString kVerbCommand = QStringLiteral("Software\\Classes\\Directory\\shell\\vUzivuza\\command");

QString readText(HKEY hive, const QString& key, const QString& name)
{
    RegValue value = QStringLiteral("<unread>");
    if (!RegValueRead(hive, key, name, value)) return QStringLiteral("<missing>");
    if (const int* n = std::get_if<int>(&value)) return QStringLiteral("dword:%1").arg(*n);
    return std::get<QString>(value);
}

class Startup : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hives.isValid());
        qputenv("QUILLMARK_REGISTRY_DIR", hives.path().toUtf8());
        App::setArguments({});
    }
    void TearDown() override { App::setArguments({}); }

    QTemporaryDir hives;
};

TEST_F(Startup, FreshStoreGetsEveryKeyAndValue)
{
    App::setArguments({ QStringLiteral("/srv/Mein Ordner") });
    root w;
    w.create();
    EXPECT_TRUE(w.PSet1->visible());
    EXPECT_FALSE(w.PSet2->visible());
    EXPECT_FALSE(w.PSet3->visible());
    EXPECT_FALSE(w.CZurück->isEnabled());
    EXPECT_EQ(w.Verzeichnis->caption(), QStringLiteral("/srv/Mein Ordner"));
    EXPECT_EQ(w.Text2->text(), ResourcePath(QStringLiteral("icons"))) << "no Folder value stored yet";

    for (const char* key : { "Software\\Morvane", "Software\\Morvane\\Set Folders" })
        EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, QString::fromLatin1(key))) << key;
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, kVerb));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, kVerbCommand));
    EXPECT_EQ(readText(HKEY_LOCAL_MACHINE, kVerb, QString()), QStringLiteral("&Beschriften..."));
    const QString program = (App::path() + QLatin1Char('/') + App::exeName()).toLower();
    EXPECT_EQ(readText(HKEY_LOCAL_MACHINE, kVerbCommand, QString()),
        QLatin1Char('"') + program + QStringLiteral(".exe\" %1"));
    EXPECT_EQ(readText(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Classes\\Folder\\shell"), QString()),
        QStringLiteral("open"));
    EXPECT_EQ(
        readText(HKEY_CURRENT_USER, kRegSetFolders, QStringLiteral("InstallDir")), App::path().toLower());
    EXPECT_EQ(
        readText(HKEY_CURRENT_USER, kRegSetFolders, QStringLiteral("Folder")), QStringLiteral("<missing>"));
    QFile hive(hives.filePath(QStringLiteral("HKEY_CURRENT_USER.reg")));
    ASSERT_TRUE(hive.open(QIODevice::ReadOnly));
    EXPECT_TRUE(hive.readAll().contains(";class=1")) << "keys are created with the class text 1";
}

// The stored "Folder" value is shown as text, whatever its kind.
TEST_F(Startup, StoredFolderFillsTheFolderBoxAsText)
{
    RegKeyCreate(HKEY_CURRENT_USER, kRegSetFolders, "1");
    for (const auto& [stored, expected] :
        { std::pair<RegValue, QString> { QString("\"/icons/S\""), "\"/icons/S\"" }, { QString(), "" },
            { -7, "-7" } }) {
        ASSERT_TRUE(RegValueWrite(HKEY_CURRENT_USER, kRegSetFolders, "Folder", stored));
        root w;
        w.create();
        EXPECT_EQ(w.Text2->text(), expected);
    }
}

TEST_F(Startup, VerbIsRewrittenOnEveryStartAndArgumentsArriveUnchanged)
{
    RegKeyCreate(HKEY_LOCAL_MACHINE, kVerb, QStringLiteral("1"));
    RegKeyCreate(HKEY_LOCAL_MACHINE, kVerbCommand, QStringLiteral("1"));
    RegValueWrite(HKEY_LOCAL_MACHINE, kVerbCommand, QString(), QStringLiteral("\"c:\\old\\place.exe\" %1"));
    const QStringList arguments[] = {
        { QStringLiteral("\"/a b/Ordner\"") },
        { QStringLiteral("/a/trailing/") },
        { QStringLiteral("/Über"), QStringLiteral("Größe:2") },
    };
    const char* expected[] = { "\"/a b/Ordner\"", "/a/trailing/", "/Über Größe:2" };
    for (int i = 0; i < 3; ++i) {
        App::setArguments(arguments[i]);
        root w;
        w.create();
        EXPECT_EQ(w.Verzeichnis->caption(), QString::fromUtf8(expected[i]));
        EXPECT_NE(readText(HKEY_LOCAL_MACHINE, kVerbCommand, QString()),
            QStringLiteral("\"c:\\old\\place.exe\" %1"));
    }
    App::setArguments({});
    root w;
    w.create();
    EXPECT_EQ(w.Verzeichnis->caption(), App::path())
        << "without an argument: the program's own folder, as is";
}

} // namespace
