// The finish on real shared folders: input queued meanwhile is dropped, a
// target that cannot take the settings says so once, an index beyond the
// grid survives a re-run, wizards finishing at once keep every folder, and
// the removal's wait sleeps instead of spinning.
#include "store/recent_folders.h"
#include "tests/platform/files/files_test_util.h"
#include "tests/wizard/wizard_fixture.h"

#include <QCloseEvent>
#include <QMouseEvent>

#include <ctime>
#include <vector>

namespace {

const QString kNotWritten
    = QStringLiteral("Die Einstellungen konnten nicht in den Ordner geschrieben werden.");

class FinishGuard : public WizardTest {
protected:
    // Next, a tooltip, Next, the first icon of a.ico: ready to finish.
    void toIconPage()
    {
        start();
        next();
        w->Text1->setText(QStringLiteral("Tipp"));
        next();
        enterFolder(icons);
    }
    static void postClick(QWidget* button)
    {
        const QPointF at = QRectF(button->rect()).center();
        for (const QEvent::Type type : { QEvent::MouseButtonPress, QEvent::MouseButtonRelease })
            QCoreApplication::postEvent(button,
                new QMouseEvent(type, at, button->mapToGlobal(at), Qt::LeftButton,
                    type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier));
    }
};

// Cancel, the close box and a second Next, queued before the finish: the
// finish runs once to its end and the folder ends customised.
TEST_F(FinishGuard, InputQueuedDuringTheFinishIsDropped)
{
    toIconPage();
    postClick(w->CCancel);
    QCoreApplication::postEvent(w.get(), new QCloseEvent);
    postClick(w->CWeiter);
    next();
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(key(QStringLiteral("InfoTip")), QStringLiteral("Tipp"));
    EXPECT_EQ(bits(target), DWORD(1));
    EXPECT_EQ(bits(settings()), DWORD(34));
    EXPECT_TRUE(messages.isEmpty());
}

// A target that is a file, or a folder gone meanwhile: one message, and a
// file given as the folder stays exactly as it was.
TEST_F(FinishGuard, TargetsThatCannotTakeTheSettingsSaySoOnce)
{
    const QString file = tmp.filePath(QStringLiteral("Datei"));
    testutil::writeBytes(file, "data");
    testutil::setMode(file, 0640);
    for (const QString& kind : { QStringLiteral("file"), QStringLiteral("gone"), QStringLiteral("folder") }) {
        SCOPED_TRACE(kind.toStdString());
        messages.clear();
        target = kind == QLatin1String("file") ? file : tmp.filePath(kind);
        ASSERT_TRUE(kind == QLatin1String("file") || QDir().mkpath(target));
        toIconPage();
        if (kind == QLatin1String("gone")) {
            ASSERT_TRUE(QDir(target).removeRecursively());
        }
        next();
        EXPECT_EQ(ended, 1);
        const QStringList expected { w->caption() + QStringLiteral(": ") + kNotWritten };
        EXPECT_EQ(messages, kind == QLatin1String("folder") ? QStringList() : expected);
    }
    EXPECT_EQ(testutil::readBytes(file), "data");
    EXPECT_EQ(testutil::modeOf(file), mode_t(0640));
    EXPECT_FALSE(testutil::dosAttribXattr(file));
}

// An index chosen in the icon-choice dialog beyond the grid's twenty cells
// is written again by a plain re-run.
TEST_F(FinishGuard, StoredIndexBeyondTheGridSurvivesARerun)
{
    IniWrite(settings(), kShellClassInfo, QStringLiteral("IconFile"), icons + QStringLiteral("/lib.dll"));
    IniWrite(settings(), kShellClassInfo, QStringLiteral("IconIndex"), QStringLiteral("22"));
    start();
    next();
    next();
    next();
    EXPECT_EQ(key(QStringLiteral("IconIndex")), QStringLiteral("22"));
}

// Five wizards record their folders at the same moment; none is lost.
TEST_F(FinishGuard, SimultaneousFinishesKeepEveryFolder)
{
    start();
    QStringList folders;
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    std::vector<pid_t> children;
    for (int i = 0; i < 5; ++i) {
        const QString folder = tmp.filePath(QStringLiteral("quelle%1").arg(i));
        ASSERT_TRUE(QDir().mkpath(folder));
        folders << folder;
        children.push_back(testutil::spawn([&] {
            char go;
            ::close(gate[1]);
            [[maybe_unused]] const ssize_t n = ::read(gate[0], &go, 1); // all go when the gate closes
            w->Text2->setText(folder);
            SaveRecentFolder(w->Text2, folder, target);
            return true;
        }));
    }
    ::close(gate[0]);
    ::close(gate[1]);
    for (const pid_t child : children)
        EXPECT_TRUE(testutil::succeeded(child));
    QStringList recorded;
    const QString file = tmp.filePath(QStringLiteral("windows/") + App::exeName() + QStringLiteral(".dat"));
    for (int i = 1; i <= 5; ++i)
        recorded << IniRead(file, QStringLiteral("Filename"), QStringLiteral("0%1").arg(i));
    recorded.sort();
    EXPECT_EQ(recorded, folders);
}

// The removal's wait on the real clock leaves the core idle.
TEST_F(FinishGuard, SleepWaitsWithoutSpinning)
{
    start();
    setTimerSource({});
    const std::clock_t cpu = std::clock();
    const float before = Timer();
    w->Sleep(0.2);
    EXPECT_GE(Timer() - before, 0.2f);
    EXPECT_LT(double(std::clock() - cpu) / CLOCKS_PER_SEC, 0.1);
}

} // namespace
