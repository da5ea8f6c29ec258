// SPDX-License-Identifier: GPL-3.0-or-later
// The two commands as a user or an administrator runs them, from the build folder one level
// above the test programs: output, files and exit status; for the folder command refusals
// before anything is touched, a recursive run over a tree others write into, a dry run that
// changes nothing, and show reading back what set wrote.
#include "platform/files/file_attributes.h"
#include "tests/support/icon_fixtures.h"
#include "store/IniFiles.h"
#include "store/folder_settings.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

using namespace testing_support;

namespace {

// status -1: crashed or did not finish within a minute
struct Outcome {
    int status;
    QString out, err;
};

Outcome runCommand(const QString& command, const QStringList& arguments)
{
    QProcess p;
    p.start(QCoreApplication::applicationDirPath() + "/../" + command, arguments);
    if (!p.waitForFinished(60000)) return { -1, {}, "did not finish" };
    return { p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
        QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError()) };
}

const QString kLibrary = QM_TEST_DATA "/icons/library32.dll";

const auto folderCommand = [](const QStringList& args) { return runCommand("quillmark-folder", args); };

// Every entry below dir with its size, bytes (of small files) and stored attribute bits.
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
        all << path + ' ' + bits + ' ' + QByteArray::number(qint64(st.st_size)) + ' '
                + (plain && st.st_size < 1 << 20 ? testutil::readBytes(path) : QByteArray());
    }
    all.sort();
    return all;
}

class FolderCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const QString& name : QStringList {
                 "a b", "Ü \"q\" *?", "Zeile\nUmbruch", "tief/tiefer", "fifo", "link", "groß", hostile })
            ASSERT_TRUE(QDir().mkpath(root + '/' + name));
        ASSERT_TRUE(QDir().mkpath(outside));
        testutil::writeBytes(outside + "/Desktop.ini", "[.ShellClassInfo]\r\nInfoTip=fremd\r\n");
        ASSERT_EQ(::mkfifo(QFile::encodeName(root + "/fifo/Desktop.ini").constData(), 0644), 0);
        ASSERT_TRUE(QFile::link(outside + "/Desktop.ini", root + "/link/Desktop.ini"));
        testutil::writeBytes(root + "/groß/Desktop.ini", ""); // sparse: it takes no disk
        ASSERT_EQ(::truncate(QFile::encodeName(root + "/groß/Desktop.ini"), qint64(100) << 30), 0);
        ASSERT_TRUE(QFile::link(outside, root + "/nach draußen"));
        qputenv("QUILLMARK_WINDOWS_DIR", tmp.filePath("windows").toUtf8());
    }
    QTemporaryDir tmp;
    QString root = tmp.filePath("Freigabe");
    QString outside = tmp.filePath("draußen");
    // Texts that once leaked into messages and the terminal; JSON gives them exactly, text escaped.
    const QString hostile = "E\x1b]52;c;SGk=\a%1", hostileShown = "E\\x1b]52;c;SGk=\\x07%1";
    const QString tip = " \"50%3 %1 %10 %%\" \x1b[2J\x7f\u009b\u202e\\x \\\\s ",
                  tipShown = " \"50%3 %1 %10 %%\" \\x1b[2J\\x7f\\u009b\\u202e\\\\x \\\\s ";
};

TEST_F(FolderCommand, RefusesBadCommandLinesBeforeTouchingAnything)
{
    const std::pair<QStringList, const char*> cases[] = {
        { { "set", "--tooltip", QString(121, 'x') }, "121 Zeichen" },
        { { "set", "--icon", tmp.filePath("fehlt.ico") }, "gibt es nicht" },
        { { "set", "--icon", outside + "/Desktop.ini" }, "enthält keine Symbole" },
        { { "set", "--icon", kLibrary + ",99" }, "kein Symbol mit dem Index 99" },
        { { "set", "--tooltip", "a", "--no-tooltip" }, "mehrfach" },
        { { "set", "--copy", "--tooltip", "a" }, "--copy gilt nur" },
        { { "set", "--no-linux-icon", "--tooltip", "a" }, "--no-linux-icon gelten nur" },
        { { "set", "--recursive" }, "Nichts zu ändern" },
        { { "show", "--dry-run" }, "Unbekannte Option" },
        { { "show", "--preview", tmp.filePath("bild.png"), root }, "genau einen Ordner" },
        { { "beschriften" }, "Unbekannter Befehl" },
        { { "show", "--timeout", "0" }, "--timeout braucht" },
        { { "set", "--tooltip", "a", "--jobs", "65" }, "--jobs braucht eine Zahl von 1 bis 64" },
    };
    const QStringList before = snapshot(tmp.path());
    for (const auto& [arguments, message] : cases) {
        const Outcome o = folderCommand(arguments + QStringList { root });
        EXPECT_TRUE(o.status == 2 && o.err.contains(QString::fromUtf8(message))) << o.err.toStdString();
    }
    EXPECT_EQ(folderCommand({ "clear" }).status, 2) << "no folder";
    EXPECT_EQ(snapshot(tmp.path()), before);
}

TEST_F(FolderCommand, SetsShowsAndClearsATreeOthersWriteInto)
{
    const QStringList outsideBefore = snapshot(outside);
    Outcome o = folderCommand(
        { "set", "--recursive", "--tooltip", tip, "--icon", kLibrary + ",2", "--copy", root });
    EXPECT_EQ(o.status, 1) << "the folders with a FIFO, a link and 100 GiB as Desktop.ini fail";
    EXPECT_TRUE(o.err.contains(root + "/fifo: ") && o.err.contains(root + "/groß: ")) << o.err.toStdString();
    EXPECT_TRUE(o.out.contains("10 Ordner, 7 geändert, 3 fehlgeschlagen")) << o.out.toStdString();
    EXPECT_TRUE(
        folderCommand({ "show", root + '/' + hostile })
            .out.startsWith(root + '/' + hostileShown + "\n  Infotip:          " + tipShown + "\n  Symbol:"));
    EXPECT_EQ(snapshot(outside), outsideBefore) << "nothing outside the tree changes";
    EXPECT_TRUE(
        snapshot(tmp.filePath("windows")).isEmpty() && snapshot(qgetenv("QUILLMARK_REGISTRY_DIR")).isEmpty())
        << "neither the recent folders nor the registry";

    const QStringList afterSet = snapshot(tmp.path());
    o = folderCommand({ "clear", "--recursive", "--dry-run", root });
    EXPECT_TRUE(
        o.out.contains(root + "/Zeile\\nUmbruch: Infotip entfernen; Symbol entfernen; Desktop.ico löschen"))
        << o.out.toStdString();
    EXPECT_EQ(snapshot(tmp.path()), afterSet) << "a dry run changes nothing";

    // Only what is given changes.
    EXPECT_EQ(folderCommand({ "set", "--no-tooltip", root + "/Ü \"q\" *?" }).status, 0);
    o = folderCommand({ "show", "--json", root + "/Ü \"q\" *?", root + "/tief/tiefer", root + '/' + hostile,
        root + "/groß" });
    const QJsonArray shown = QJsonDocument::fromJson(o.out.toUtf8()).array();
    ASSERT_EQ(shown.size(), 4) << o.out.toStdString();
    EXPECT_EQ(shown[2].toObject()["folder"].toString(), root + '/' + hostile);
    EXPECT_TRUE(shown[3].toObject()["reason"].toString().startsWith("Desktop.ini ist größer als 64 KiB"));
    const QJsonObject first = shown[0].toObject(), second = shown[1].toObject();
    EXPECT_EQ(first["tooltip"].toString(), "");
    EXPECT_EQ(first["iconFile"].toString() + ',' + first["iconIndex"].toString(), "Desktop.ico,2");
    EXPECT_TRUE(first["copy"].toBool() && first["windowsShows"].toBool());
    EXPECT_EQ(first["attributes"].toObject()["folder"].toInt(), 1);
    EXPECT_EQ(first["attributes"].toObject()["desktopIco"].toInt(), 34);
    EXPECT_EQ(second["tooltip"].toString(), tip);

    EXPECT_EQ(folderCommand({ "clear", "--recursive", root }).status, 1);
    for (const QString& entry : snapshot(root))
        EXPECT_FALSE(entry.contains("Desktop.ico") || entry.contains(" 0x1 ")) << entry.toStdString();
}

// A name that is not UTF-8 is its bytes: caf\xe9 is neither lost nor taken for its U+FFFD twin.
TEST_F(FolderCommand, NamesThatAreNotUtf8AreHandledOnceAsTheirBytes)
{
    const QByteArray dir = QFile::encodeName(tmp.filePath("bytes"));
    const std::pair<QByteArray, QString> cases[]
        = { { "caf\xe9", "caf\\xe9" }, { "caf\xef\xbf\xbd", "caf\uFFFD" } };
    ASSERT_EQ(::mkdir(dir.constData(), 0755), 0);
    for (const auto& [name, shown] : cases)
        ASSERT_EQ(::mkdir((dir + '/' + name).constData(), 0755), 0);
    const Outcome set
        = folderCommand({ "set", "--recursive", "--tooltip", "x", "--icon", kLibrary, "--copy", dir });
    EXPECT_TRUE(set.out.startsWith("3 Ordner, 3 geändert, 0 fehlgeschlagen")) << set.err.toStdString();
    const QString text = folderCommand({ "show", "--recursive", dir }).out,
                  json = folderCommand({ "show", "--json", "--recursive", dir }).out;
    const QJsonArray reports = QJsonDocument::fromJson(json.toUtf8()).array();
    // Each twin named twice: as the folder and in the path of its icon copy.
    ASSERT_TRUE(reports.size() == 3 && json.count(QChar::ReplacementCharacter) == 4) << json.toStdString();
    int i = 1; // the walk goes by bytes: E9 before EF
    for (const auto& [name, shown] : cases) {
        const QJsonObject report = reports[i++].toObject();
        EXPECT_EQ(::access((dir + '/' + name + "/Desktop.ini").constData(), F_OK), 0);
        EXPECT_EQ(report["folder"].toString() + report["tooltip"].toString(), dir + "/caf\uFFFDx");
        EXPECT_EQ(QByteArray::fromHex(report["folderBytes"].toString().toLatin1()),
            shown.contains('\\') ? dir + '/' + name : QByteArray()); // where the text is not exact
        EXPECT_TRUE(text.contains(dir + '/' + shown + "\n  Infotip:          x\n")) << text.toStdString();
    }
}

// Written, yet not shown: each reason from a real folder. A folder on a FUSE
// file system without extended attributes (bindfs), and folders this
// machine's Samba would serve from a share that forgets the bits or hides
// Desktop.ini (read through testparm, as the server reads its settings).
TEST_F(FolderCommand, SaysWhyWindowsWillNotShowWhatItWrote)
{
    // Read as Samba reads it: an included file, a share named twice.
    const QString shares = tmp.filePath("smb.conf"), more = tmp.filePath("mehr.conf"),
                  fuse = tmp.filePath("fuse");
    testutil::writeBytes(more, "[verbirgt]\nveto files = /*.tmp/desktop.ini/\n");
    testutil::writeBytes(shares,
        "[global]\n[vergisst]\npath = "
            + QFile::encodeName(root + "/a b\n[verbirgt]\npath = " + root + "/groß\ninclude = " + more
                + "\n[vergisst]\nstore dos attributes = no\n"));
    const testutil::EnvGuard conf("QUILLMARK_SMB_CONF", shares);
    const bool bindfs = ::geteuid() == 0 && ::access("/dev/fuse", W_OK) == 0 && QDir().mkpath(fuse)
        && QProcess::execute("bindfs", { "--xattr-none", outside, fuse }) == 0;
    const struct {
        QString folder;
        const char *code, *says;
    } cases[] = {
        { root + "/a b", "share-drops-folder-bits", "Die Freigabe [vergisst] speichert die Attribute nicht" },
        { root + "/groß", "share-vetoes-settings",
            "Die Freigabe [verbirgt] verbirgt Desktop.ini vor allen Clients" },
        { fuse, "bits-not-storable",
            "Auf diesem Laufwerk lassen sich die Attribute des Ordners nicht speichern" },
        { root + "/tief", "", "" },
    };
    ::unlink(QFile::encodeName(root + "/groß/Desktop.ini"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder.toStdString());
        if (c.folder == fuse && !bindfs) {
            std::fprintf(
                stderr, "not tried: a FUSE folder without attributes (needs root, /dev/fuse, bindfs)\n");
            continue;
        }
        const Outcome set
            = folderCommand({ "set", "--tooltip", "x", "--icon", kLibrary, "--copy", c.folder });
        EXPECT_EQ(set.status, *c.code ? 1 : 0);
        EXPECT_EQ(set.err.contains(QStringLiteral("Windows wird die Beschriftung nicht anzeigen: ") + c.says),
            *c.code != 0)
            << set.err.toStdString();
        const QJsonObject shown
            = QJsonDocument::fromJson(folderCommand({ "show", "--json", c.folder }).out.toUtf8())
                  .array()[0]
                  .toObject();
        EXPECT_EQ(shown["reasonCode"].toString(), c.code);
    }
    if (bindfs) QProcess::execute("fusermount", { "-u", fuse });
    // A configuration testparm rejects: the shares' settings are unknown, and nothing waits for them.
    testutil::writeBytes(shares, "[global]\nstore dos attributes = vielleicht\n");
    const QJsonObject unknown
        = QJsonDocument::fromJson(folderCommand({ "show", "--json", root + "/tief" }).out.toUtf8())
              .array()[0]
              .toObject();
    EXPECT_TRUE(unknown["windowsShows"].toBool() && !unknown["sambaSettingsKnown"].toBool());
    // A tooltip alone is shown too, and drawn without a display.
    const QString alone = root + "/tief/tiefer", picture = tmp.filePath("vorschau.png");
    EXPECT_EQ(folderCommand({ "set", "--tooltip", "nur", alone }).status, 0);
    const Outcome shown = folderCommand({ "show", "--preview", picture, alone });
    EXPECT_TRUE(shown.status == 0 && shown.out.contains("Windows zeigt es: ja")) << shown.out.toStdString();
    EXPECT_EQ(QImage(picture).size(), QSize(640, 380));
}

// Folders customised on Windows: an icon in the folder or relative within its drive gets its
// Linux twin; what only Windows finds, or what lies elsewhere, is listed and left alone; and
// Desktop.ini and every Windows bit stay as they were.
TEST_F(FolderCommand, MirrorsWhatWindowsWroteAndListsWhatItCannot)
{
    const QString win = tmp.filePath("Windows");
    ASSERT_TRUE(QDir().mkpath(win + "/Symbole") && QDir().mkpath(win + "/Bibliothek"));
    testutil::writeBytes(win + "/Symbole/Blau.ico", makeSolidIco(Qt::blue));
    testutil::writeBytes(win + "/Bibliothek/lib.dll", makeIconLibrary(3));
    const struct {
        const char *name, *keys, *says, *code;
    } rows[] = {
        { "Relativ", "IconFile=..\\SYMBOLE\\blau.ICO\r\nIconIndex=0", "Icon=./../Symbole/Blau.ico", "same" },
        { "Bibliothek", "IconResource=lib.dll,-2", "Icon=./.quillmark.ico", "same" },
        { "System", "IconResource=%SystemRoot%\\system32\\imageres.dll,-3",
            "ausgelassen: Das Symbol (%SystemRoot%\\system32\\imageres.dll) findet nur Windows.", "not-possible" },
        { "Symbole", "IconFile=/", "ausgelassen: Das Symbol (/", "missing" },
    };
    QStringList windows;
    for (const auto& row : rows) {
        const QString folder = win + '/' + row.name;
        ASSERT_TRUE(QDir().mkpath(folder));
        // A full path names a file this machine has; Windows does not.
        const QByteArray keys = QByteArray(row.keys).replace("=/", "=" + QFile::encodeName(win + "/Symbole/Blau.ico"));
        testutil::writeBytes(folder + "/Desktop.ini", "[.ShellClassInfo]\r\n" + keys + "\r\n");
        SetFileAttributesA(folder + "/Desktop.ini", 6);
        SetFileAttributesA(folder, 1);
        windows << snapshot(folder).filter("Desktop.ini") << QString::number(GetFileAttributesA(folder));
    }
    const Outcome o = folderCommand({ "mirror", "--recursive", win });
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
    QStringList after;
    for (const auto& row : rows) {
        const QString folder = win + '/' + row.name;
        EXPECT_TRUE(o.out.contains(folder + ": " + row.says)) << o.out.toStdString();
        after << snapshot(folder).filter("Desktop.ini") << QString::number(GetFileAttributesA(folder));
        const QJsonObject shown
            = QJsonDocument::fromJson(folderCommand({ "show", "--json", folder }).out.toUtf8()).array()[0].toObject();
        EXPECT_EQ(shown["linuxIconCode"].toString(), row.code) << row.name;
    }
    EXPECT_EQ(after, windows);
    EXPECT_TRUE(o.out.contains("2 gespiegelt, 2 ausgelassen, 0 fehlgeschlagen"));
}

const auto iconsCommand = [](const QStringList& args) { return runCommand("quillmark-icons", args); };

const QString kData = QM_TEST_DATA "/icons/";

// Failures say why and write nothing; the real library holds red, green and blue icons.
TEST(IconsCommand, CountsExtractsAndDumpsOrSaysWhyNot)
{
    QTemporaryDir out;
    const QString png = out.filePath("x.png");
    const QStringList failures[] = { { "extract", kData + "nothere.ico", "0", "32", png },
        { "extract", kData + "red.ico", "5", "32", png }, { "extract", kData + "red.ico", "x", "32", png },
        { "dump", kData + "nothere.dll", out.filePath("d") }, { "paint" } };
    for (const QStringList& arguments : failures) {
        const Outcome r = iconsCommand(arguments);
        EXPECT_TRUE(r.status != 0 && !r.err.trimmed().isEmpty()) << arguments.join(' ').toStdString();
        EXPECT_EQ(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }
    EXPECT_EQ(iconsCommand({ "count", kData + "library64.dll" }).out, "3\n");
    EXPECT_EQ(iconsCommand({ "list", QM_SOURCE_DIR "/res/icons/Ordner gelb.ico" }).out,
        "0 0 3:32x32x32 16x16x32,24x24x32,32x32x32,48x48x32,256x256x32\n");
    EXPECT_EQ(
        iconsCommand({ "extract", kData + "library32.dll", "0", "16", out.filePath("s.png") }).status, 0);
    const QImage image(out.filePath("s.png"));
    EXPECT_TRUE(image.size() == QSize(16, 16) && image.hasAlphaChannel());
    EXPECT_EQ(iconsCommand({ "dump", kData + "library64.dll", out.filePath("all") }).status, 0);
    EXPECT_EQ(QDir(out.filePath("all")).entryList(QDir::Files, QDir::Name),
        QStringList({ "000.png", "001.png", "002.png" }));
    EXPECT_EQ(QImage(out.filePath("all/002.png")).pixel(16, 16), 0xFF0000FFu);
}

// Without /proc the program cannot tell where it lies: it fails rather than run a drawing
// helper of that name from the working directory.
// Without /proc (a container, unshare -m): a folder is set all the same,
// and the drawing helper is never looked for in the working folder.
TEST(Commands, WithoutProcSetWorksAndNoHelperRunsFromTheWorkingDirectory)
{
    if (::geteuid() != 0 || QStandardPaths::findExecutable("unshare").isEmpty()) {
        std::fprintf(stderr, "not tried: a mount namespace without /proc (needs root and unshare)\n");
        return;
    }
    QTemporaryDir dir;
    const QString planted = dir.filePath("quillmark-icons-draw"), ran = dir.filePath("ran");
    testutil::writeBytes(planted, ("#!/bin/sh\ntouch '" + ran + "'\n").toUtf8());
    ASSERT_TRUE(QFile::setPermissions(planted, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    ASSERT_TRUE(QDir(dir.path()).mkdir("Ordner"));
    const QString bin = QCoreApplication::applicationDirPath() + "/../";
    const struct {
        QStringList command;
        bool succeeds;
    } rows[] = {
        { { bin + "quillmark-icons", "count", kData + "red.ico" }, false },
        { { bin + "quillmark-folder", "set", "--tooltip", "Ohne proc", "Ordner" }, true },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command.join(' ').toStdString());
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start("unshare", QStringList { "--mount", "--propagation", "private", "sh", "-c", "umount -l /proc && exec \"$@\"", "sh" } + row.command);
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode() == 0, row.succeeds) << p.readAllStandardError().toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(ran));
    EXPECT_EQ(IniRead(dir.filePath("Ordner/Desktop.ini"), kShellClassInfo, kKeyInfotipRead), "Ohne proc");
}

// Every image under the name wrestool -x -t14 and icotool -x give it: the
// language left out only for 1033, the number kept past a broken image, the
// size and depth from the image's own header (a PNG's depth times channels);
// the last image read back (one of 128 pixels fills two stored blocks).
TEST(IconsCommand, DumpAllNamesEveryImageAsIcoutils)
{
    QTemporaryDir dir;
    pe_writer::PeWriter dll(pe_writer::Format::Pe32);
    const pe_writer::IconImage broken { 16, 16, 32, 0, pe_writer::Bytes(10, 0) };
    dll.addIconGroup(
        u"Main", { flatImage(32, 0xFF0000, 8), broken, flatImage(16, 0xFF) }, pe_writer::kGerman);
    dll.addIconGroup(7, { { 4, 4, 8, 0, pngOf(4, 4, 0x80123456) } });
    dll.addIconGroup(7, { flatImage(48, 0xFF) }, pe_writer::kGerman);
    const std::tuple<QString, int, QStringList, QRgb> cases[] = {
        { writeFile(dir, "lib.dll", dll.build()), 1,
            { "lib.dll_14_7_1031_1_48x48x32.png", "lib.dll_14_7_1_4x4x32.png",
                "lib.dll_14_Main_1031_1_32x32x32.png", "lib.dll_14_Main_1031_3_16x16x32.png" },
            0xFF0000FF },
        { writeFile(dir, "Red.Icon.ICO", pe_writer::writeIco({ flatImage(16, 1), flatImage(128, 0x123456) })),
            0, { "Red.Icon_1_16x16x32.png", "Red.Icon_2_128x128x32.png" }, 0xFF123456 },
    };
    for (const auto& [file, status, names, lastPixel] : cases) {
        SCOPED_TRACE(file.toStdString());
        const QString out = file + ".png";
        EXPECT_EQ(iconsCommand({ "dump", "--all", file, out }).status, status);
        EXPECT_EQ(QDir(out).entryList(QDir::Files, QDir::Name), names);
        EXPECT_EQ(QImage(out + '/' + names.last()).pixel(15, 15), lastPixel);
    }
}

} // namespace
