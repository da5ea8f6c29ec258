// The icon-choice dialog driven with real clicks and keys, offscreen.
#include "platform/icons/pick_icon_dialog.h"
#include "tests/support/icon_fixtures.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

const QString kLibrary = fixture("library64.dll");
const QString kRed = fixture("red.ico");

class PickIcon : public ::testing::Test {
protected:
    void SetUp() override
    {
        dialog.setFile(kLibrary);
        dialog.setIndex(2);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    void clickItem(int row, bool twice = false)
    {
        QListWidget* list = dialog.iconList();
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        // As the system delivers a double click: a click, then the press that makes it double.
        if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }
    void enterFile(const QString& file, Qt::Key key)
    {
        dialog.fileEdit()->setText(file);
        if (key != Qt::Key_unknown) QTest::keyClick(dialog.fileEdit(), key);
    }
    PickIconDialog dialog;
};

// Its own texts; OK confirms a click, a double click means OK, cancel rejects.
TEST_F(PickIcon, OpensOnTheFileAndIndexGivenAndConfirmsTheChoice)
{
    EXPECT_EQ(
        QStringList({ dialog.windowTitle(), dialog.browseButton()->text(), dialog.cancelButton()->text() }),
        QStringList({ "Anderes Symbol", "Durchsuchen...", "Abbrechen" }));
    EXPECT_EQ(dialog.iconList()->count(), 3);
    EXPECT_EQ(dialog.index(), 2);
    clickItem(1);
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.index(), 1);
    dialog.show();
    clickItem(0, true);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.index(), 0);
    dialog.show();
    clickItem(1);
    QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(PickIcon, ATypedFileIsLoadedByEnterOrOkWhileTheDialogStaysOpen)
{
    // A file without icons: nothing to choose, so OK is off and Return in the list does nothing.
    QTemporaryDir dir;
    enterFile(writeFile(dir, "readme.dll", { 'h', 'i' }), Qt::Key_Return);
    EXPECT_EQ(dialog.iconList()->count(), 0);
    EXPECT_EQ(dialog.index(), -1);
    EXPECT_FALSE(dialog.okButton()->isEnabled());
    QTest::keyClick(dialog.iconList(), Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    enterFile(kLibrary, Qt::Key_Enter);
    EXPECT_EQ(dialog.iconList()->count(), 3);
    EXPECT_EQ(dialog.index(), 0);
    enterFile(kRed, Qt::Key_unknown);
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.iconList()->count(), 1);
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.file(), kRed);
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
    EXPECT_EQ(dialog.iconList()->count(), 1);
    // A cancelled chooser changes nothing.
    setIconFileChooser([](QWidget*, const QString&) { return QString(); });
    QTest::mouseClick(dialog.browseButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.fileEdit()->text(), kRed);
    EXPECT_TRUE(dialog.isVisible());
    setIconFileChooser({});
}

// PickIconDlg runs the real dialog; the runner clicks instead of a modal loop.
int runClicking(PickIconDialog& d, int row, bool ok)
{
    d.show();
    if (row >= 0) d.iconList()->setCurrentRow(row);
    QTest::mouseClick(ok ? d.okButton() : d.cancelButton(), Qt::LeftButton);
    return d.result();
}

TEST(PickIconDlgCall, WritesTheChoiceOverTheBufferStartOrChangesNothing)
{
    int index = 1;
    setPickIconDialogRunner([&](PickIconDialog& d) {
        EXPECT_EQ(d.fileEdit()->text(), kLibrary);
        EXPECT_EQ(d.index(), index);
        return runClicking(d, 2, true);
    });
    const QString blanks(300 - kLibrary.size() - 1, QLatin1Char(' '));
    QString buffer = kLibrary + QChar(0) + blanks;
    EXPECT_NE(PickIconDlg(nullptr, buffer, 300, &index), 0);
    EXPECT_EQ(index, 2);
    EXPECT_EQ(buffer, kLibrary + QChar(0) + blanks);
    // A capacity shorter than the chosen name cuts it, and a NUL ends it.
    setPickIconDialogRunner([](PickIconDialog& d) {
        d.setFile(kLibrary);
        return runClicking(d, -1, true);
    });
    QString small = QStringLiteral("x.ico") + QChar(0) + QStringLiteral("    ");
    EXPECT_NE(PickIconDlg(nullptr, small, 10, &index), 0);
    EXPECT_EQ(small, kLibrary.left(9) + QChar(0));
    EXPECT_EQ(index, 0);
    // Cancel leaves buffer and index alone.
    setPickIconDialogRunner([](PickIconDialog& d) { return runClicking(d, 1, false); });
    EXPECT_EQ(PickIconDlg(nullptr, small, 10, &index), 0);
    EXPECT_EQ(small, kLibrary.left(9) + QChar(0));
    EXPECT_EQ(index, 0);
    setPickIconDialogRunner({});
}

} // namespace
