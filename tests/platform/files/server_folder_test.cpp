// SPDX-License-Identifier: GPL-3.0-or-later
// A file replaced on a server, where a rename over a file is a delete and a
// rename: whatever fails, and wherever a run dies, the name holds the old
// or the new file, and the next run puts back what a dead one moved aside.
#include "platform/files/file_replace.h"
#include "platform/files/opened_folder.h"
#include "platform/net/wire/smb_wire.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <map>

namespace {

// A share in memory: smb://server/share/a holds the files. The rename
// numbered failRenameAt fails, as for a file a Windows client holds open;
// with dropAfterFailing every call after it fails, as over a dropped
// connection.
struct Share {
    std::map<QByteArray, QByteArray> files;
    std::map<QByteArray, DWORD> bits; // the archive bit where none is set
    std::vector<QByteArray> folders; // in smb://server/share/a
    int renames = 0;
    int failRenameAt = 0;
    bool dropAfterFailing = false;
    bool dropped = false;
    int writes = 0;
};
Share g;
const QByteArray kFolder = "smb://server/share/a";

int down()
{
    return g.dropped ? ECONNRESET : 0;
}

const net::wire::Calls kShare {
    [](const QByteArray& url, std::vector<net::Entry>& out) {
        if (const int e = down()) return e;
        out.clear();
        if (url == "smb://server/share") out.push_back({ "a", true, 0, FILE_ATTRIBUTE_DIRECTORY });
        for (const auto& [name, bytes] : g.files)
            if (url == kFolder && name.startsWith(kFolder + '/'))
                out.push_back({ QString::fromUtf8(name.mid(kFolder.size() + 1)), false, quint64(bytes.size()),
                    g.bits.count(name) ? g.bits[name] : FILE_ATTRIBUTE_ARCHIVE });
        for (const QByteArray& name : g.folders)
            if (url == kFolder) out.push_back({ QString::fromUtf8(name), true, 0, FILE_ATTRIBUTE_DIRECTORY });
        return 0;
    },
    [](const QByteArray& url, QByteArray& out, qint64) {
        if (const int e = down()) return e;
        const auto at = g.files.find(url);
        if (at == g.files.end()) return ENOENT;
        out = at->second;
        return 0;
    },
    [](const QByteArray&) { return down(); },
    [](const QByteArray& url, const QByteArray& bytes) {
        if (const int e = down()) return e;
        ++g.writes;
        g.files[url] = bytes;
        return 0;
    },
    [](const QByteArray& url) {
        if (const int e = down()) return e;
        return g.files.erase(url) ? 0 : ENOENT;
    },
    [](const QByteArray& from, const QByteArray& to) {
        if (const int e = down()) return e;
        if (++g.renames == g.failRenameAt) {
            g.dropped = g.dropAfterFailing;
            return EBUSY; // a Windows client holds the file open
        }
        const auto at = g.files.find(from);
        if (at == g.files.end()) return ENOENT;
        if (g.files.count(to)) return EEXIST;
        g.files[to] = at->second;
        g.files.erase(at);
        return 0;
    },
    [](const QByteArray&, DWORD) { return down(); },
    [](const QString&) { return std::optional<net::SignIn>(); },
    [](const QString&) { return QString(); },
};

class ServerFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        g = {};
        net::wire::useCalls(&kShare);
        net::nameServer(folder);
    }
    void TearDown() override { net::wire::useCalls(nullptr); }
    static bool write(const QString& path, const QByteArray& bytes)
    {
        return files::replaceFile(path, [&](auto&&) { return bytes; }) == files::ReplaceResult::Written;
    }
    static QStringList names()
    {
        QStringList out;
        for (const auto& [name, bytes] : g.files)
            out << QString::fromUtf8(name.mid(kFolder.size() + 1));
        return out;
    }
    const QString folder = "\\\\server\\share\\a";
    const QString ini = folder + "\\Desktop.ini";
    const QByteArray settings = kFolder + "/Desktop.ini";
};

// A new file is written in place; a replacement that fails at either rename
// leaves the old file under its name and nothing beside it.
TEST_F(ServerFolder, AFailedRenameLeavesTheOldFile)
{
    ASSERT_TRUE(write(ini, "alt"));
    EXPECT_EQ(g.renames, 0) << "no rename for a file that was not there";
    for (const int failAt : { 1, 2 }) {
        SCOPED_TRACE(failAt);
        g.failRenameAt = failAt;
        g.renames = 0;
        EXPECT_FALSE(write(ini, "neu"));
        EXPECT_EQ(g.files[settings], "alt");
        EXPECT_EQ(names(), QStringList { "Desktop.ini" });
    }
    g.failRenameAt = 0;
    ASSERT_TRUE(write(ini, "neu"));
    EXPECT_EQ(names(), QStringList { "Desktop.ini" });
    EXPECT_EQ(g.files[settings], "neu");
}

// A run that dies between the two renames (the connection gone) leaves the
// old file under the backup name; the next run, or the next plan through
// the folder's handle, puts it back before anything else.
TEST_F(ServerFolder, TheNextRunAdoptsWhatADeadOneLeft)
{
    ASSERT_TRUE(write(ini, "alt"));
    g.failRenameAt = 2;
    g.dropAfterFailing = true;
    EXPECT_FALSE(write(ini, "neu"));
    EXPECT_EQ(names(), QStringList({ ".Desktop.ini.quillmark-new", ".Desktop.ini.quillmark-old" }));
    const auto left = g.files;
    g = {};
    g.files = left;
    {
        int error = 0;
        const auto handle = files::openFolder(folder, error);
        ASSERT_TRUE(handle) << error;
        handle->adoptLeftovers("desktop.ini");
    }
    EXPECT_EQ(names(), QStringList { "Desktop.ini" });
    EXPECT_EQ(g.files[settings], "alt");
    g.files[kFolder + "/.Desktop.ini.quillmark-old"] = "vorher";
    ASSERT_TRUE(write(ini, "neu"));
    EXPECT_EQ(names(), QStringList { "Desktop.ini" }) << "a backup beside the file goes";
    EXPECT_EQ(g.files[settings], "neu");
}

// The handle answers from the folder's listing: sizes against the limit, what
// is a folder and what not, and what may not be removed or replaced.
TEST_F(ServerFolder, TheHandleAnswersFromTheFolderAndItsListing)
{
    g.files[kFolder + "/Gross.ini"] = QByteArray(100, 'x');
    g.files[kFolder + "/Nur.ini"] = "r";
    g.bits[kFolder + "/Nur.ini"] = FILE_ATTRIBUTE_READONLY;
    g.folders = { "Unter" };
    int error = 0;
    EXPECT_FALSE(files::openFolder(folder + "\\Nur.ini", error));
    EXPECT_EQ(error, ENOTDIR);
    const auto h = files::openFolder(folder, error);
    ASSERT_TRUE(h);
    std::vector<files::EntryInfo> listed;
    ASSERT_EQ(h->list(listed), 0);
    EXPECT_EQ(listed.size(), 3u);
    EXPECT_TRUE(h->canWrite());
    const struct {
        QString entry;
        qint64 maxSize;
        int read, child, remove;
    } rows[] = {
        { "gross.ini", 100, 0, ENOTDIR, 0 },
        { "Gross.ini", 99, EFBIG, ENOTDIR, 0 },
        { "Nur.ini", 100, 0, ENOTDIR, EACCES },
        { "Unter", 100, ENOENT, 0, EISDIR },
        { "fehlt", 100, ENOENT, ENOENT, ENOENT },
        { "", 100, ENOENT, ENOENT, EISDIR },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.entry.toStdString());
        QByteArray bytes;
        EXPECT_EQ(h->read(row.entry, bytes, row.maxSize), row.read);
        const auto child = h->child(row.entry, error);
        EXPECT_EQ(child ? 0 : error, row.child);
        if (child) {
            EXPECT_EQ(child->name(), folder + "\\Unter");
        }
        if (row.remove) {
            EXPECT_EQ(h->remove(row.entry), row.remove);
        }
    }
    // The edit sees the old bytes; a limit of 0 refuses them; a read-only file stays.
    bool written = false;
    files::ReplaceOptions options;
    const auto append = [](const std::optional<QByteArray>& now) { return now.value_or("-") + "!"; };
    ASSERT_EQ(h->replace("gross.ini", append, options, written), 0);
    EXPECT_TRUE(written);
    EXPECT_EQ(g.files[kFolder + "/Gross.ini"], QByteArray(100, 'x') + "!");
    options.maxCurrentSize = 0;
    EXPECT_EQ(h->replace("Gross.ini", append, options, written), EFBIG);
    options.maxCurrentSize = files::kMaxProfileSize;
    EXPECT_EQ(h->replace("Nur.ini", append, options, written), EACCES);
    EXPECT_EQ(g.files[kFolder + "/Nur.ini"], "r");
}

} // namespace
