// The finish on real shared folders: input queued meanwhile is dropped, a
// target that cannot take the settings says so once, an index beyond the
// grid survives a re-run.
#include "tests/support/test_util.h"
#include "tests/wizard/wizard_fixture.h"

#include <QCloseEvent>
#include <QMouseEvent>

namespace {

const QString kNotWritten = "Die Einstellungen konnten nicht in den Ordner geschrieben werden.";

class FinishGuard : public WizardTest {
protected:
    // Next, a tooltip, Next, the first icon of a.ico: ready to finish.
    void toIconPage()
    {
        start(1);
        w->Text1->setText("Tipp");
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
    EXPECT_EQ(key("InfoTip"), "Tipp");
    EXPECT_EQ(bits(target), DWORD(1));
    EXPECT_EQ(bits(settings()), DWORD(34));
    EXPECT_TRUE(messages.isEmpty());
}

// A target that is a file, or a folder gone meanwhile: one message, and a
// file given as the folder stays exactly as it was.
TEST_F(FinishGuard, TargetsThatCannotTakeTheSettingsSaySoOnce)
{
    const QString file = tmp.filePath("Datei");
    testutil::writeBytes(file, "data");
    testutil::setMode(file, 0640);
    for (const QString kind : { "file", "gone", "folder" }) {
        SCOPED_TRACE(kind.toStdString());
        messages.clear();
        target = kind == "file" ? file : tmp.filePath(kind);
        ASSERT_TRUE(kind == "file" || QDir().mkpath(target));
        toIconPage();
        ASSERT_TRUE(kind != "gone" || QDir(target).removeRecursively());
        next();
        EXPECT_EQ(ended, 1);
        EXPECT_EQ(
            messages, kind == "folder" ? QStringList() : QStringList { w->caption() + ": " + kNotWritten });
    }
    EXPECT_EQ(testutil::readBytes(file), "data");
    EXPECT_EQ(testutil::modeOf(file), mode_t(0640));
    EXPECT_FALSE(testutil::dosAttribXattr(file));
}

// An index chosen in the icon-choice dialog beyond the grid's twenty cells
// is written again by a plain re-run.
TEST_F(FinishGuard, StoredIndexBeyondTheGridSurvivesARerun)
{
    IniWrite(settings(), kShellClassInfo, "IconFile", icons + "/lib.dll");
    IniWrite(settings(), kShellClassInfo, "IconIndex", "22");
    start(3);
    EXPECT_EQ(key("IconIndex"), "22");
}

} // namespace
