// The folder command as an administrator runs it: refusals before anything
// is touched, a recursive run over a folder tree others write into, a dry
// run that changes nothing, and show reading back what set wrote.
#include "tests/cli/run_command.h"
#include "tests/support/test_util.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <sys/xattr.h>

namespace {

const QString kLibrary = QM_TEST_DATA "/icons/library32.dll";

Outcome folderCommand(const QStringList& arguments)
{
    return runCommand("quillmark-folder", arguments);
}

// Every entry below dir with its bytes and its stored attribute bits.
QStringList snapshot(const QString& dir)
{
    QStringList all;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        char bits[64] = {};
        ::lgetxattr(QFile::encodeName(path).constData(), "user.DOSATTRIB", bits, sizeof bits - 1);
        struct stat st;
        const bool plain = ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
        all << path + ' ' + bits + ' ' + (plain ? testutil::readBytes(path) : QByteArray());
    }
    all.sort();
    return all;
}

class FolderCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : { "a b", "Ü \"q\" *?", "Zeile\nUmbruch", "tief/tiefer", "fifo", "link" })
            ASSERT_TRUE(QDir().mkpath(root + '/' + name));
        ASSERT_TRUE(QDir().mkpath(outside));
        testutil::writeBytes(outside + "/Desktop.ini", "[.ShellClassInfo]\r\nInfoTip=fremd\r\n");
        ASSERT_EQ(::mkfifo(QFile::encodeName(root + "/fifo/Desktop.ini").constData(), 0644), 0);
        ASSERT_TRUE(QFile::link(outside + "/Desktop.ini", root + "/link/Desktop.ini"));
        ASSERT_TRUE(QFile::link(outside, root + "/nach draußen"));
        qputenv("QUILLMARK_WINDOWS_DIR", tmp.filePath("windows").toUtf8());
    }
    QTemporaryDir tmp;
    QString root = tmp.filePath("Freigabe");
    QString outside = tmp.filePath("draußen");
};

TEST_F(FolderCommand, RefusesBadCommandLinesBeforeTouchingAnything)
{
    const struct {
        QStringList arguments;
        const char* message;
    } cases[] = {
        { { "set", "--tooltip", QString(121, 'x') }, "121 Zeichen" },
        { { "set", "--icon", tmp.filePath("fehlt.ico") }, "gibt es nicht" },
        { { "set", "--icon", outside + "/Desktop.ini" }, "enthält keine Symbole" },
        { { "set", "--icon", kLibrary + ",99" }, "kein Symbol mit dem Index 99" },
        { { "set", "--tooltip", "a", "--no-tooltip" }, "mehrfach" },
        { { "set", "--recursive", "--recursive", "--no-icon" }, "mehrfach" },
        { { "set", "--copy", "--tooltip", "a" }, "--copy gilt nur" },
        { { "set", "--recursive" }, "Nichts zu ändern" },
        { { "show", "--dry-run" }, "Unbekannte Option" },
        { { "beschriften" }, "Unbekannter Befehl" },
    };
    const QStringList before = snapshot(tmp.path());
    for (const auto& c : cases) {
        const Outcome o = folderCommand(c.arguments + QStringList { root });
        EXPECT_EQ(o.status, 2) << c.message;
        EXPECT_TRUE(o.err.contains(QString::fromUtf8(c.message))) << o.err.toStdString();
    }
    EXPECT_EQ(folderCommand({ "clear" }).status, 2) << "no folder";
    EXPECT_EQ(snapshot(tmp.path()), before);
}

TEST_F(FolderCommand, SetsShowsAndClearsATreeOthersWriteInto)
{
    const QStringList outsideBefore = snapshot(outside);
    Outcome o = folderCommand(
        { "set", "--recursive", "--tooltip", "Projekt", "--icon", kLibrary + ",2", "--copy", root });
    EXPECT_EQ(o.status, 1) << "the folders with a FIFO and a link as Desktop.ini fail";
    EXPECT_TRUE(o.err.contains(root + "/fifo: ") && o.err.contains(root + "/link: ")) << o.err.toStdString();
    EXPECT_TRUE(o.out.contains("8 Ordner, 6 geändert, 2 fehlgeschlagen")) << o.out.toStdString();
    EXPECT_EQ(snapshot(outside), outsideBefore) << "nothing outside the tree changes";
    EXPECT_TRUE(
        snapshot(tmp.filePath("windows")).isEmpty() && snapshot(qgetenv("QUILLMARK_REGISTRY_DIR")).isEmpty())
        << "neither the recent folders nor the registry";

    const QStringList afterSet = snapshot(tmp.path());
    o = folderCommand({ "clear", "--recursive", "--dry-run", root });
    EXPECT_TRUE(
        o.out.contains(root + "/Zeile\nUmbruch: Infotip entfernen; Symbol entfernen; Desktop.ico löschen"))
        << o.out.toStdString();
    EXPECT_EQ(snapshot(tmp.path()), afterSet) << "a dry run changes nothing";

    // Only what is given changes.
    EXPECT_EQ(folderCommand({ "set", "--no-tooltip", root + "/Ü \"q\" *?" }).status, 0);
    o = folderCommand({ "show", "--json", root + "/Ü \"q\" *?", root + "/tief/tiefer" });
    const QJsonArray shown = QJsonDocument::fromJson(o.out.toUtf8()).array();
    ASSERT_EQ(shown.size(), 2) << o.out.toStdString();
    const QJsonObject first = shown[0].toObject(), second = shown[1].toObject();
    EXPECT_EQ(first["tooltip"].toString(), "");
    EXPECT_EQ(first["iconFile"].toString() + ',' + first["iconIndex"].toString(), "Desktop.ico,2");
    EXPECT_TRUE(first["copy"].toBool() && first["windowsShows"].toBool());
    EXPECT_EQ(first["attributes"].toObject()["folder"].toInt(), 1);
    EXPECT_EQ(first["attributes"].toObject()["desktopIco"].toInt(), 34);
    EXPECT_EQ(second["tooltip"].toString(), "Projekt");

    EXPECT_EQ(folderCommand({ "clear", "--recursive", root }).status, 1);
    for (const QString& entry : snapshot(root))
        EXPECT_FALSE(entry.contains("Desktop.ico") || entry.contains(" 0x1 ")) << entry.toStdString();
}

} // namespace
