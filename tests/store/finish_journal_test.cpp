// The journal of the wizard's finish: a start completes a finish whose
// process died, leaves alone one that still runs, and throws away what it
// cannot read.
#include "store/IniFiles.h"
#include "store/finish_journal.h"
#include "store/folder_settings.h"
#include "tests/support/test_util.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class Journal : public ::testing::Test {
protected:
    void SetUp() override
    {
        qputenv("QUILLMARK_WINDOWS_DIR", windows.toUtf8());
        ASSERT_TRUE(QDir().mkpath(folder));
    }
    QStringList journals() const { return QDir(windows).entryList(QDir::Files | QDir::Hidden); }
    static WantedCustomisation tooltip(const QString& text)
    {
        WantedCustomisation wanted;
        wanted.tooltip = text;
        return wanted;
    }
    // A finish that records first and then second, and dies without ending.
    void dieAfter(const WantedCustomisation& first, const std::optional<WantedCustomisation>& second) const
    {
        ASSERT_TRUE(testutil::succeeded(testutil::spawn([&] {
            FinishJournal journal = FinishJournal::begin(folder, first);
            if (second) journal.update(*second);
            return journal.isOpen();
        })));
    }
    QString tooltipNow() const { return IniRead(SettingsFilePath(folder), kShellClassInfo, kKeyInfotipRead); }

    QTemporaryDir tmp;
    QString windows = tmp.filePath("windows");
    QString folder = tmp.filePath("Ordner mit \"Anführung\"\nund Zeile");
};

TEST_F(Journal, AStartCompletesWhatAFinishThatDiedMeant)
{
    dieAfter(tooltip("alt"), tooltip("neu"));
    ASSERT_EQ(journals().size(), 1);
    EXPECT_EQ(tooltipNow(), "");
    EXPECT_EQ(RepairInterruptedFinishes(), 1);
    EXPECT_EQ(tooltipNow(), "neu") << "the last record counts";
    EXPECT_TRUE(journals().isEmpty());
    EXPECT_EQ(RepairInterruptedFinishes(), 0);
}

TEST_F(Journal, ARunningFinishIsLeftAloneAndEndsWithoutTrace)
{
    FinishJournal journal = FinishJournal::begin(folder, tooltip("läuft"));
    ASSERT_TRUE(journal.isOpen());
    EXPECT_EQ(RepairInterruptedFinishes(), 0);
    EXPECT_EQ(tooltipNow(), "");
    EXPECT_EQ(journals().size(), 1);
    journal.end();
    EXPECT_TRUE(journals().isEmpty());
}

TEST_F(Journal, UnreadableJournalsAreThrownAway)
{
    dieAfter(tooltip("x"), std::nullopt);
    const QString name = windows + '/' + journals().value(0);
    for (const QByteArray& junk :
        { QByteArray("\x00\xff{\"folder\":", 13), QByteArray("{\"tooltip\":\"x\"}") }) {
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(junk) == junk.size());
        file.close();
        EXPECT_EQ(RepairInterruptedFinishes(), 0);
        EXPECT_TRUE(journals().isEmpty());
        EXPECT_EQ(tooltipNow(), "");
    }
}

} // namespace
