// SPDX-License-Identifier: GPL-3.0-or-later
// The five icon folders used last: what the folder box is offered, and how a
// finished run records its folder.
#include "store/IniFiles.h"
#include "store/folder_settings.h"
#include "store/recent_folders.h"
#include "tests/support/test_util.h"

namespace {

class RecentFolders : public ::testing::Test {
protected:
    void SetUp() override
    {
        qputenv("QUILLMARK_WINDOWS_DIR", tmp.filePath("windows").toUtf8());
        for (const char* name : { "A", "B", "C", "D", "E", "N", "Ziel" })
            ASSERT_TRUE(QDir(tmp.path()).mkpath(name));
    }
    // "A" stands for the folder A of the test, "-" for a folder that is gone.
    QString path(const QString& name) const
    {
        return name.isEmpty() ? name : name == "-" ? tmp.filePath("weg") : tmp.filePath(name);
    }
    void store(const QStringList& entries) const
    {
        for (int i = 0; i < 5; ++i)
            IniWrite(RecentFoldersFilePath(), "Filename", QString("0%1").arg(i + 1), path(entries[i]));
    }
    QStringList stored() const
    {
        QStringList out;
        for (int i = 1; i <= 5; ++i)
            out << IniRead(RecentFoldersFilePath(), "Filename", QString("0%1").arg(i))
                       .remove(tmp.path() + '/');
        return out;
    }
    QStringList items() const
    {
        QStringList out;
        for (int i = 0; i < box.listCount(); ++i)
            out << box.list(i).remove(tmp.path() + '/');
        return out;
    }

    QTemporaryDir tmp;
    ui::ComboBox box { "Text2", nullptr };
};

TEST_F(RecentFolders, OnlyExistingFoldersAreOfferedInFileOrder)
{
    store({ "A", "", "-", "B", "A" });
    LoadRecentFolders(&box);
    EXPECT_EQ(items(), QStringList({ "A", "B", "A" }));
    EXPECT_EQ(stored(), QStringList({ "A", "", "weg", "B", "A" }))
        << "a folder that is gone stays in the file";
}

TEST_F(RecentFolders, ANewFolderGoesFrontAListedOneMovesThereCompacted)
{
    const struct {
        const char* what;
        QStringList before;
        QString typed; // the box's text
        QString listed; // the file list's folder
        QStringList after;
    } cases[] = {
        { "new", { "A", "", "B", "", "" }, "N", "N", { "N", "A", "", "B", "" } },
        { "new, oldest dropped", { "A", "B", "C", "D", "E" }, "N", "N", { "N", "A", "B", "C", "D" } },
        { "listed", { "A", "", "B", "", "" }, "N/", "B", { "N", "A", "B", "", "" } },
        { "listed, equal ones dropped", { "A", "B", "", "b", "C" }, "B", "B", { "B", "A", "C", "", "" } },
        { "listed, sixth dropped", { "A", "B", "C", "D", "E" }, "N", "E", { "N", "A", "B", "C", "D" } },
        { "listed last", { "A", "B", "C", "D", "E" }, "D", "E", { "D", "A", "B", "C", "E" } },
        { "nothing typed", { "A", "", "", "", "" }, "", "N", { "A", "", "", "", "" } },
        { "typed no folder", { "A", "", "", "", "" }, "-", "N", { "A", "", "", "", "" } },
        { "icon from the target folder", { "A", "", "", "", "" }, "N", "Ziel", { "A", "", "", "", "" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        store(c.before);
        box.Clear();
        box.setEnabled(true);
        box.setTag("");
        box.setText(path(c.typed));
        SaveRecentFolder(&box, path(c.listed), path("Ziel"));
        EXPECT_EQ(stored(), c.after);
        // The move to the front goes through the box, disabled and tagged as the program's change.
        const bool listed = QByteArray(c.what).startsWith("listed");
        EXPECT_EQ(box.isEnabled(), !listed);
        EXPECT_EQ(box.tag(), listed ? kTagProgramChange : "");
    }
}

TEST_F(RecentFolders, SimultaneousFinishesKeepEveryFolder)
{
    store({ "", "", "", "", "" });
    const char* const folders[] = { "A", "B", "C", "D", "E" };
    EXPECT_TRUE(testutil::allAtOnce(5, [&](int i) {
        box.setText(path(folders[i]));
        SaveRecentFolder(&box, path(folders[i]), path("Ziel"));
        return true;
    }));
    QStringList recorded = stored();
    recorded.sort();
    EXPECT_EQ(recorded, QStringList({ "A", "B", "C", "D", "E" }));
}

} // namespace
