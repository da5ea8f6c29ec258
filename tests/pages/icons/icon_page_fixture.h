#pragma once
// The wizard walked to its icon page on temporary folders, with helpers that
// click list entries and cells, type into the folder box, pick from its
// drop-down list, and read what the cells show.
#include "platform/icons/icon_api.h"
#include "tests/wizard/wizard_fixture.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QListWidget>

#include <algorithm>
#include <ostream>
#include <vector>

// Texts in failure messages as text.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

class IconPage : public WizardTest {
protected:
    static constexpr QRgb kWhite = 0xFFFFFFFF;

    void TearDown() override
    {
        EXPECT_EQ(LiveIconHandles(), 0) << "an icon handle outlived the test";
        WizardTest::TearDown();
    }

    // Starts the wizard and walks to the icon page with `folder` committed
    // from the folder box. The page opens with no file selected.
    void openIconPage(const QString& folder)
    {
        start();
        w->Text2->setText(folder);
        next();
        next();
        ASSERT_TRUE(w->PSet3->visible());
    }

    // A new folder under the test's temporary folder.
    QString folder(const QString& name)
    {
        const QString path = tmp.filePath(name);
        EXPECT_TRUE(QDir().mkpath(path)) << path.toStdString();
        return path;
    }

    static void library(const QString& path, int icons)
    {
        ASSERT_TRUE(testing_support::writeFile(path, testing_support::makeIconLibrary(icons)));
    }

    static void ico(const QString& path, const QColor& colour)
    {
        ASSERT_TRUE(testing_support::writeFile(path, testing_support::makeSolidIco(colour)));
    }

    // Clicks the list entry of that name, as the user does.
    void clickFile(const QString& name)
    {
        const QList<QListWidgetItem*> found = w->IconFiles->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        w->IconFiles->scrollToItem(found.first());
        const QPoint at = w->IconFiles->visualItemRect(found.first()).center();
        QTest::mouseClick(w->IconFiles->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        EXPECT_EQ(LiveIconHandles(), 0) << "after clicking " << name.toStdString();
    }

    void clickCell(int i)
    {
        WizardTest::clickCell(i);
        EXPECT_EQ(LiveIconHandles(), 0) << "after clicking cell " << i;
    }

    // Types the text into the folder box over what it held.
    void type(const QString& text)
    {
        w->Text2->setFocus();
        w->Text2->lineEdit()->selectAll();
        QTest::keyClick(w->Text2, Qt::Key_Delete);
        for (const QChar c : text) {
            // QTest knows keys for ASCII characters only; others arrive as
            // their text, as from a keyboard layout that has them.
            if (c.unicode() < 128)
                QTest::keyClick(w->Text2, char(c.unicode()));
            else
                QTest::sendKeyEvent(QTest::Click, w->Text2, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }

    void typeAndEnter(const QString& text)
    {
        type(text);
        QTest::keyClick(w->Text2, Qt::Key_Return);
        EXPECT_EQ(LiveIconHandles(), 0) << "after Enter on " << text.toStdString();
    }

    // Opens the box's drop-down list and picks item `index` with the keys.
    void pickFromDropDown(int index)
    {
        w->Text2->setFocus();
        w->Text2->showPopup();
        QAbstractItemView* view = w->Text2->view();
        const QModelIndex item = view->model()->index(index, 0);
        view->setCurrentIndex(item);
        QTest::keyClick(view, Qt::Key_Return);
    }

    std::vector<int> markedCells() const
    {
        std::vector<int> marked;
        for (int i = 0; i < 20; ++i) {
            if (w->Bilddatei[i]->borderStyle() == 1) marked.push_back(i);
        }
        return marked;
    }

    // Whether every pixel from (0, 0) to (31, 31) of the cell is `colour`.
    bool cellShows(int cell, QRgb colour) const
    {
        const QImage image = w->Bilddatei[cell]->clientImage().convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                if (image.pixel(x, y) != colour) return false;
            }
        }
        return true;
    }

    bool cellShowsIcon(int cell, int icon) const
    {
        return cellShows(cell, testing_support::iconColour(icon).rgba());
    }

    bool cellEmpty(int cell) const { return cellShows(cell, kWhite); }

    // Records the live icon handles each time an icon is drawn into a cell.
    void watchDrawing()
    {
        for (ui::PictureBox* cell : w->Bilddatei) {
            HDC dc = cell->hDC();
            dc->changed = [this, repaint = dc->changed] {
                handlesWhileDrawing.push_back(LiveIconHandles());
                repaint();
            };
        }
    }

    int mostHandlesWhileDrawing() const
    {
        return handlesWhileDrawing.empty()
            ? 0
            : *std::max_element(handlesWhileDrawing.begin(), handlesWhileDrawing.end());
    }

    std::vector<int> handlesWhileDrawing;
};
