// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The wizard walked to its icon page, with helpers that click, type and read the page.
#include "platform/icons/icon_api.h"
#include "tests/wizard/wizard_fixture.h"

#include <QLineEdit>
#include <QListWidget>
#include <gmock/gmock.h>

using namespace Qt::StringLiterals;

// Compares the page with a line as page() writes it; "*" skips a field.
#define EXPECT_PAGE(want) EXPECT_EQ(page(want), QString(want))

class IconPage : public WizardTest {
protected:
    void SetUp() override
    {
        WizardTest::SetUp();
        other = folder(u"Andere Symbole"_s);
        put(icons + u"/b.ico"_s);
        put(icons + u"/bunt.dll"_s, 3);
        put(icons + u"/siebzehn.dll"_s, 17);
        put(icons + u"/vierzig.dll"_s, 40);
        put(other + u"/x.dll"_s, 5);
        put(other + u"/y.ico"_s);
        testutil::writeBytes(other + u"/liesmich.txt"_s, "kein Symbol");
    }

    void TearDown() override
    {
        EXPECT_EQ(LiveIconHandles(), 0) << "an icon handle outlived the test";
        WizardTest::TearDown();
    }

    // The icon page reached with `folder` in the box, no file selected yet.
    void openIconPage(const QString& folder)
    {
        start();
        w->Text2->setText(folder);
        next();
        next();
        ASSERT_TRUE(w->PSet3->visible());
    }

    QString folder(const QString& name)
    {
        const QString path = tmp.filePath(name);
        EXPECT_TRUE(QDir().mkpath(path)) << path.toStdString();
        return path;
    }

    // An .ico file in the colour of library icon 0, or a library.
    static void put(const QString& path, int icons = 1)
    {
        using namespace testing_support;
        testutil::writeBytes(
            path, path.endsWith(u".ico"_s) ? makeSolidIco(iconColour(0)) : makeIconLibrary(icons));
    }

    QWidget* focused() const { return QApplication::focusWidget(); }

    void clickFile(const QString& name)
    {
        const QList<QListWidgetItem*> found = w->IconFiles->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        w->IconFiles->scrollToItem(found.first());
        const QPoint at = w->IconFiles->visualItemRect(found.first()).center();
        QTest::mouseClick(w->IconFiles->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        EXPECT_EQ(LiveIconHandles(), 0) << "after clicking " << name.toStdString();
    }

    // List folder | list file | box text | icon count | chosen icon | marked cells.
    QString page(const QString& like) const
    {
        const auto rel = [this](const QString& p) { return QString(p).remove(tmp.path() + u'/'); };
        QStringList marked;
        for (int i = 0; i < 20; ++i)
            if (w->Bilddatei[i]->borderStyle() == 1) marked << QString::number(i);
        QStringList got = { rel(w->IconFiles->path()), w->IconFiles->fileName(), rel(w->Text2->text()),
            w->IconCounts->text(), w->IconCache->text(), marked.join(u',') };
        for (int i = 0; i < got.size(); ++i)
            if (like.split(u" | "_s).value(i) == u"*") got[i] = u"*"_s;
        return got.join(u" | "_s);
    }

    // Per cell: the library icon whose colour fills it, "." for white, "?" for anything else.
    QString cells() const
    {
        QHash<QRgb, QString> names = { { 0xFFFFFFFF, u"."_s } };
        for (int i = 0; i < 20; ++i)
            names[testing_support::iconColour(i).rgba()] = QString::number(i);
        QStringList shown;
        for (ui::PictureBox* cell : w->Bilddatei) {
            const QImage image
                = cell->clientImage().convertToFormat(QImage::Format_ARGB32).copy(0, 0, 32, 32);
            QImage solid = image;
            solid.fill(image.pixel(0, 0));
            shown << (image == solid ? names.value(image.pixel(0, 0), u"?"_s) : u"?"_s);
        }
        return shown.join(u' ');
    }

    // cells() for a grid showing the first `icons` icons of a library.
    static QString grid(int icons)
    {
        QStringList shown;
        for (int i = 0; i < 20; ++i)
            shown << (i < icons ? QString::number(i) : u"."_s);
        return shown.join(u' ');
    }

    // Records the live icon handles each time an icon is drawn into a cell.
    void watchDrawing()
    {
        for (ui::PictureBox* cell : w->Bilddatei) {
            cell->hDC()->changed = [this, repaint = cell->hDC()->changed] {
                handlesWhileDrawing.push_back(LiveIconHandles());
                repaint();
            };
        }
    }

    QString other;
    std::vector<int> handlesWhileDrawing;
};
