// The icon-choice dialog driven with real clicks and keys, offscreen.
#include "platform/icons/pick_icon_dialog.h"
#include "tests/support/icon_fixtures.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

const QString kLibrary = fixture("library64.dll");
const QString kRed = fixture("red.ico");

void clickItem(PickIconDialog& d, int row, bool twice = false)
{
    QListWidget* list = d.iconList();
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    // As the system delivers a double click: a click, then the press that makes it double.
    if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// Its own texts; OK confirms a click, a double click means OK, cancel rejects; a file typed
// is loaded by Enter or by OK while the dialog stays open, and Browse asks the chooser.
TEST(PickIcon, ChoosesFromTheFileGivenTypedOrBrowsed)
{
    PickIconDialog d;
    d.setFile(kLibrary);
    d.setIndex(2);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    EXPECT_EQ(QStringList({ d.windowTitle(), d.browseButton()->text(), d.cancelButton()->text() }),
        QStringList({ "Anderes Symbol", "Durchsuchen...", "Abbrechen" }));
    EXPECT_EQ(std::pair(d.iconList()->count(), d.index()), std::pair(3, 2));
    clickItem(d, 1);
    QTest::mouseClick(d.okButton(), Qt::LeftButton);
    EXPECT_EQ(std::pair(d.result(), d.index()), std::pair(int(QDialog::Accepted), 1));
    d.show();
    clickItem(d, 0, true);
    EXPECT_EQ(std::pair(d.result(), d.index()), std::pair(int(QDialog::Accepted), 0));
    d.show();
    QTest::mouseClick(d.cancelButton(), Qt::LeftButton);
    EXPECT_EQ(d.result(), QDialog::Rejected);
    d.show();
    // A file without icons: nothing to choose, so OK is off and Return in the list does nothing.
    d.fileEdit()->setText(fixture("make_real_files.sh"));
    QTest::keyClick(d.fileEdit(), Qt::Key_Return);
    EXPECT_EQ(std::pair(d.iconList()->count(), d.index()), std::pair(0, -1));
    EXPECT_FALSE(d.okButton()->isEnabled());
    QTest::keyClick(d.iconList(), Qt::Key_Return);
    EXPECT_TRUE(d.isVisible());
    d.fileEdit()->setText(kLibrary);
    QTest::keyClick(d.fileEdit(), Qt::Key_Enter);
    EXPECT_EQ(std::pair(d.iconList()->count(), d.index()), std::pair(3, 0));
    QString seen;
    setIconFileChooser([&](QWidget* parent, const QString& current) {
        seen = parent == &d ? current : QString();
        return QString();
    });
    QTest::mouseClick(d.browseButton(), Qt::LeftButton);
    setIconFileChooser({});
    EXPECT_EQ(seen, kLibrary);
    EXPECT_EQ(d.fileEdit()->text(), kLibrary) << "a cancelled chooser changes nothing";
    d.fileEdit()->setText(kRed);
    QTest::mouseClick(d.okButton(), Qt::LeftButton);
    EXPECT_EQ(std::pair(d.isVisible(), d.iconList()->count()), std::pair(true, 1));
    QTest::mouseClick(d.okButton(), Qt::LeftButton);
    EXPECT_EQ(std::pair(d.result(), d.file()), std::pair(int(QDialog::Accepted), kRed));
}

// PickIconDlg runs the real dialog; the runner clicks instead of a modal loop. The choice is
// written over the start of the buffer, cut to its capacity; cancel changes nothing.
TEST(PickIconDlgCall, WritesTheChoiceOverTheBufferStartOrChangesNothing)
{
    QString opened;
    int row = 2, index = 1;
    bool ok = true;
    setPickIconDialogRunner([&](PickIconDialog& d) {
        opened = d.fileEdit()->text() + u'|' + QString::number(d.index());
        d.setFile(kLibrary);
        d.show();
        d.iconList()->setCurrentRow(row);
        QTest::mouseClick(ok ? d.okButton() : d.cancelButton(), Qt::LeftButton);
        return d.result();
    });
    const QString full = (kLibrary + QChar(0)).leftJustified(300, u' ');
    QString buffer = full;
    EXPECT_NE(PickIconDlg(nullptr, buffer, 300, &index), 0);
    EXPECT_EQ(std::pair(opened, index), std::pair(kLibrary + "|1", 2));
    EXPECT_EQ(buffer, full);
    QString small = QStringLiteral("x.ico") + QChar(0) + QStringLiteral("    ");
    EXPECT_NE(PickIconDlg(nullptr, small, 10, &index), 0);
    EXPECT_EQ(small, kLibrary.left(9) + QChar(0));
    row = 1;
    ok = false;
    EXPECT_EQ(PickIconDlg(nullptr, small, 10, &index), 0);
    EXPECT_EQ(std::pair(small, index), std::pair(kLibrary.left(9) + QChar(0), 2));
    setPickIconDialogRunner({});
}

} // namespace
