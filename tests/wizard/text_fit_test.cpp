// Every caption of the window fits the room its control draws it in, measured
// with the fonts actually in use (Wine's Tahoma, DejaVu Sans for Verdana).
#include "wizard/root.h"

#include <QFontInfo>
#include <QStyleOption>
#include <gtest/gtest.h>

namespace {

struct Caption {
    QRect room;
    int flags = 0;
    QString text;
};

// Where and how Qt draws the caption of a label, button or check box.
bool captionOf(QWidget* widget, Caption& c)
{
    auto* button = qobject_cast<QAbstractButton*>(widget);
    if (auto* label = dynamic_cast<ui::Label*>(widget))
        c = { label->contentsRect(), label->wordWrap() ? int(Qt::TextWordWrap) : 0, label->text() };
    else if (button) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const bool check = qobject_cast<QCheckBox*>(button) != nullptr;
        const auto element = check ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents;
        c = { button->style()->subElementRect(element, &option, button), int(Qt::TextShowMnemonic),
            button->text() };
    }
    return button || dynamic_cast<ui::Label*>(widget);
}

} // namespace

TEST(WindowTexts, EveryCaptionFitsItsControl)
{
    root w;
    // The measure means something only with the fonts the window asks for.
    EXPECT_EQ(QFontInfo(w.Label3->font()).family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(QFontInfo(w.Label5->font()).family(), QStringLiteral("DejaVu Sans"));
    for (QWidget* widget : w.findChildren<QWidget*>()) {
        Caption c;
        if (!widget->isVisibleTo(&w) || !captionOf(widget, c)) continue;
        SCOPED_TRACE(widget->objectName().toStdString() + ": " + c.text.toStdString());
        const QRect need = QFontMetrics(widget->font()).boundingRect(c.room, c.flags, c.text);
        EXPECT_LE(need.width(), c.room.width());
        EXPECT_LE(need.height(), c.room.height());
    }
}
