// SPDX-License-Identifier: GPL-3.0-or-later
// The plan every caller carries out: the finish's steps in the finish's order,
// with the pauses where the finish lets pending events run.
#include "store/folder_customisation.h"
#include "store/folder_settings.h"
#include "tests/support/icon_fixtures.h"
#include "tests/support/test_util.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// One word a step: "dir=1" (bits), "InfoTip=x", "-IconFile", "-ico", "+ico",
// "-ini" (when empty), "|" (pending events), "~" (the wait); for Linux "Icon=x"
// (.directory, whose bits are "lin"), "+lin" (the hidden image), "gvfs".
QString spelled(const CustomisationPlan& plan)
{
    QStringList words;
    const auto name = [&](const QString& path) {
        return QString(path == plan.folder  ? "dir"
                : path.endsWith("ini")      ? "ini"
                : path.endsWith("directory") ? "lin"
                                             : "ico");
    };
    for (const CustomisationStep& s : plan.steps) {
        switch (s.kind) {
        case CustomisationStep::Kind::Bits: words << name(s.path) + '=' + QString::number(s.bits); break;
        case CustomisationStep::Kind::WriteKey: words << s.key + '=' + s.value; break;
        case CustomisationStep::Kind::DeleteKey: words << '-' + s.key; break;
        case CustomisationStep::Kind::DeleteFile: words << "-ico"; break;
        case CustomisationStep::Kind::CopyFile: words << "+ico"; break;
        case CustomisationStep::Kind::DeleteSettingsIfEmpty: words << "-ini"; break;
        case CustomisationStep::Kind::Events: words << "|"; break;
        case CustomisationStep::Kind::Wait: words << "~"; break;
        case CustomisationStep::Kind::LinuxImage: words << "+lin"; break;
        case CustomisationStep::Kind::LinuxIconKey: words << "Icon=" + s.value; break;
        case CustomisationStep::Kind::GvfsIcon: words << "gvfs"; break;
        }
    }
    return words.join(' ');
}

TEST(Plan, ListsTheFinishsStepsInItsOrder)
{
    QTemporaryDir tmp;
    const QString folder = tmp.filePath("Ordner"), icon = tmp.filePath("a.ico");
    testutil::writeBytes(icon, testing_support::makeSolidIco(Qt::red));
    const struct {
        const char* version;
        QByteArray settings;
        std::optional<QString> tooltip;
        bool withIcon;
        const char* steps;
    } rows[] = {
        { "", "", "T", true,
            "ini=0 dir=0 | InfoTip=T ini=34 dir=1 dir=32 ico=32 -ico | IconFile=Desktop.ico IconIndex=0 "
            "IconResource=Desktop.ico,0 +ico ico=34 ini=34 dir=1 Icon=./Desktop.ico lin=34 gvfs" },
        { "1.4.90", "", "", false,
            "ini=0 dir=0 | -InfoTip dir=32 ico=32 -ico | -IconFile -IconIndex -IconResource | dir=0 ini=0 "
            "dir=0 ~ | -ini | gvfs" },
        { "1.4.90", "[.ShellClassInfo]\r\nIconFile=C:\\x.ico\r\n", "T", false,
            "ini=0 dir=0 | InfoTip=T ini=34 dir=1 dir=32 ico=32 -ico | | dir=36" },
        { "", "[.ShellClassInfo]\r\nIconFile=C:\\x.ico\r\n", std::nullopt, true,
            "ini=0 dir=0 | dir=32 ico=32 -ico | IconFile=Desktop.ico IconIndex=0 IconResource=Desktop.ico,0 "
            "+ico ico=34 ini=34 dir=1 Icon=./Desktop.ico lin=34 gvfs" },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.steps);
        const testutil::EnvGuard version("QUILLMARK_OSVERSION", row.version);
        QDir(folder).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(folder));
        testutil::writeBytes(IconCopyPath(folder), "alt");
        if (!row.settings.isEmpty()) testutil::writeBytes(SettingsFilePath(folder), row.settings);
        WantedCustomisation wanted;
        wanted.tooltip = row.tooltip;
        if (row.withIcon) wanted.icon = IconChoice { icon, "0", true };
        const CustomisationPlan plan = PlanCustomisation(folder, wanted, true);
        EXPECT_EQ(spelled(plan), row.steps);
        // Before, and one state for each step that changes a file's bytes or the folder's bits.
        EXPECT_EQ(plan.states.front(), SnapshotFolder(folder));
        CarryOut(plan);
        EXPECT_EQ(plan.states.back(), SnapshotFolder(folder)) << "the last state is what it leaves";
    }
}

// The finish works on what the plan opened and read: an icon file swapped
// for a link to a private file after the plan, and the folder renamed and
// its name taken by a link to another folder, redirect nothing.
TEST(Plan, IsCarriedOutOnWhatItOpenedAndRead)
{
    QTemporaryDir tmp;
    const QString folder = tmp.filePath("Ordner"), moved = tmp.filePath("Umbenannt"), icon = tmp.filePath("a.ico"),
                  secret = tmp.filePath("geheim"), elsewhere = tmp.filePath("anderswo");
    ASSERT_TRUE(QDir().mkpath(folder) && QDir().mkpath(elsewhere));
    const QByteArray red = testing_support::makeSolidIco(Qt::red);
    testutil::writeBytes(icon, red);
    testutil::writeBytes(secret, "privat");
    WantedCustomisation wanted;
    wanted.tooltip = "T";
    wanted.icon = IconChoice { icon, "0", true };
    const CustomisationPlan plan = PlanCustomisation(folder, wanted, true);
    ASSERT_TRUE(QFile::remove(icon) && QFile::link(secret, icon));
    ASSERT_TRUE(QDir().rename(folder, moved) && QFile::link(elsewhere, folder));
    CarryOut(plan);
    EXPECT_EQ(testutil::readBytes(IconCopyPath(moved)), red);
    EXPECT_EQ(ReadCustomisation(moved).tooltip, "T");
    EXPECT_EQ(QDir(elsewhere).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

} // namespace
