// The icon-choice dialog driven with real clicks and keys, offscreen.
#include "platform/icons/icon_api.h"
#include "platform/icons/pick_icon_dialog.h"
#include "tests/platform/icons/icon_test_util.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QString kLibrary = icon_test::fixture("library64.dll");
const QString kRed = icon_test::fixture("red.ico");

class PickIcon : public ::testing::Test {
protected:
    void SetUp() override
    {
        dialog.setFile(kLibrary);
        dialog.setIndex(2);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    void TearDown() override
    {
        setIconFileChooser({});
        setPickIconDialogRunner({});
        EXPECT_EQ(LiveIconHandles(), 0);
    }
    QPoint itemCentre(int row)
    {
        QListWidget* list = dialog.iconList();
        return list->visualItemRect(list->item(row)).center();
    }
    void clickItem(int row)
    {
        QTest::mouseClick(dialog.iconList()->viewport(), Qt::LeftButton, {}, itemCentre(row));
    }

    PickIconDialog dialog;
};

TEST_F(PickIcon, OpensOnTheFileAndIndexGiven)
{
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Anderes Symbol"));
    EXPECT_EQ(dialog.browseButton()->text(), QStringLiteral("Durchsuchen..."));
    EXPECT_EQ(dialog.cancelButton()->text(), QStringLiteral("Abbrechen"));
    EXPECT_EQ(dialog.fileEdit()->text(), kLibrary);
    EXPECT_EQ(dialog.iconList()->count(), 3);
    EXPECT_EQ(dialog.index(), 2);
    EXPECT_TRUE(dialog.okButton()->isEnabled());
}

TEST_F(PickIcon, ClickAndOkConfirmTheChoice)
{
    clickItem(1);
    EXPECT_EQ(dialog.index(), 1);
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.file(), kLibrary);
    EXPECT_EQ(dialog.index(), 1);
}

TEST_F(PickIcon, DoubleClickMeansOk)
{
    // As the system delivers it: a click, then the press that makes it double.
    clickItem(0);
    QTest::mouseDClick(dialog.iconList()->viewport(), Qt::LeftButton, {}, itemCentre(0));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.index(), 0);
}

TEST_F(PickIcon, CancelRejects)
{
    clickItem(0);
    QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(PickIcon, EnterInTheFileBoxReloadsAndKeepsTheDialogOpen)
{
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    dialog.fileEdit()->clear();
    QTest::keyClicks(dialog.fileEdit(), kRed);
    QTest::keyClick(dialog.fileEdit(), Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(accepted.count(), 0);
    EXPECT_EQ(dialog.iconList()->count(), 1);
    EXPECT_EQ(dialog.index(), 0);
    QTest::keyClick(dialog.fileEdit(), Qt::Key_Enter);
    EXPECT_TRUE(dialog.isVisible());
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    EXPECT_EQ(accepted.count(), 1);
    EXPECT_EQ(dialog.file(), kRed);
}

TEST_F(PickIcon, OkAfterTypingAnotherFileLoadsItFirst)
{
    dialog.fileEdit()->setText(kRed);
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.iconList()->count(), 1);
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.file(), kRed);
}

TEST_F(PickIcon, AFileWithoutIconsShowsAnEmptyListAndOkIsDisabled)
{
    QTemporaryDir dir;
    const QString text = icon_test::writeFile(dir, "readme.dll", { 'h', 'i' });
    dialog.fileEdit()->setText(text);
    QTest::keyClick(dialog.fileEdit(), Qt::Key_Return);
    EXPECT_EQ(dialog.iconList()->count(), 0);
    EXPECT_EQ(dialog.index(), -1);
    EXPECT_FALSE(dialog.okButton()->isEnabled());
    QTest::keyClick(dialog.iconList(), Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(PickIcon, BrowseUsesTheReplaceableChooser)
{
    QString seen;
    setIconFileChooser([&](QWidget* parent, const QString& current) {
        EXPECT_EQ(parent, &dialog);
        seen = current;
        return kRed;
    });
    QTest::mouseClick(dialog.browseButton(), Qt::LeftButton);
    EXPECT_EQ(seen, kLibrary);
    EXPECT_EQ(dialog.fileEdit()->text(), kRed);
    EXPECT_EQ(dialog.iconList()->count(), 1);

    // A cancelled chooser changes nothing.
    setIconFileChooser([](QWidget*, const QString&) { return QString(); });
    QTest::mouseClick(dialog.browseButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.fileEdit()->text(), kRed);
    EXPECT_TRUE(dialog.isVisible());
}

// PickIconDlg runs the real dialog; the runner clicks instead of a modal loop.
TEST(PickIconDlgCall, WritesTheChoiceOverTheBufferStart)
{
    setPickIconDialogRunner([](PickIconDialog& d) {
        EXPECT_EQ(d.fileEdit()->text(), kLibrary);
        EXPECT_EQ(d.index(), 1);
        d.show();
        d.iconList()->setCurrentRow(2);
        QTest::mouseClick(d.okButton(), Qt::LeftButton);
        return d.result();
    });
    QString buffer = kLibrary + QChar(0) + QString(300 - kLibrary.size() - 1, QLatin1Char(' '));
    int index = 1;
    EXPECT_NE(PickIconDlg(nullptr, buffer, 300, &index), 0);
    EXPECT_EQ(index, 2);
    EXPECT_EQ(buffer.size(), 300);
    EXPECT_EQ(buffer.left(buffer.indexOf(QChar(0))), kLibrary);
    EXPECT_TRUE(buffer.endsWith(QLatin1Char(' ')));

    // A capacity shorter than the chosen name cuts it, and a NUL ends it.
    setPickIconDialogRunner([](PickIconDialog& d) {
        d.show();
        d.fileEdit()->setText(kLibrary);
        QTest::keyClick(d.fileEdit(), Qt::Key_Return);
        QTest::mouseClick(d.okButton(), Qt::LeftButton);
        return d.result();
    });
    QString small = QStringLiteral("x.ico") + QChar(0) + QStringLiteral("    ");
    EXPECT_NE(PickIconDlg(nullptr, small, 10, &index), 0);
    EXPECT_EQ(small, kLibrary.left(9) + QChar(0));
    EXPECT_EQ(index, 0);
    setPickIconDialogRunner({});
    EXPECT_EQ(LiveIconHandles(), 0);
}

TEST(PickIconDlgCall, CancelChangesNothing)
{
    setPickIconDialogRunner([](PickIconDialog& d) {
        d.show();
        QTest::mouseClick(d.cancelButton(), Qt::LeftButton);
        return d.result();
    });
    QString buffer = kRed + QChar(0);
    int index = 0;
    EXPECT_EQ(PickIconDlg(nullptr, buffer, 261, &index), 0);
    EXPECT_EQ(buffer, kRed + QChar(0));
    EXPECT_EQ(index, 0);
    setPickIconDialogRunner({});
}

} // namespace
