// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/controls.h"

#include <QKeyEvent>
#include <QPainter>

namespace ui {

Label::Label(const QString& name, QWidget* container)
    : QLabel(container)
    , Control(name, QStringLiteral("label"), this)
{
    // Labels draw no background: the page colour or picture shows through.
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setFocusPolicy(Qt::NoFocus);
    setTextFormat(Qt::PlainText);
    setForeColour(Qt::black);
}

namespace {

// A line broken where it reaches the width, after a separator or a blank
// where one lies in the last third of the line.
QStringList brokenAtWidth(const QFontMetrics& metrics, QString rest, int width)
{
    QStringList lines;
    while (!rest.isEmpty()) {
        qsizetype n = rest.size();
        while (n > 1 && metrics.horizontalAdvance(rest.left(n)) > width)
            --n;
        for (qsizetype k = n; n < rest.size() && k > n * 2 / 3; --k) {
            if (QStringView(u"/\\ ").contains(rest[k - 1])) {
                n = k;
                break;
            }
        }
        lines << rest.left(n);
        rest = rest.mid(n);
    }
    return lines;
}

} // namespace

void Label::setCaptionElided(const QString& text)
{
    const int width = contentsRect().width();
    const int room = std::max(1, contentsRect().height() / fontMetrics().lineSpacing());
    QStringList given = text.split(u'\n'), shown;
    for (qsizetype i = 0; i < given.size(); ++i) {
        // The last line takes the room the others leave.
        const int lines = i + 1 < given.size() ? 1 : std::max(1, room - int(shown.size()));
        QStringList broken;
        for (int budget = width * lines; budget > 0; budget -= std::max(1, width / 8)) {
            broken = brokenAtWidth(fontMetrics(), fontMetrics().elidedText(given[i], Qt::ElideMiddle, budget), width);
            if (broken.size() <= lines) break;
        }
        shown << broken;
    }
    setCaption(shown.join(u'\n'));
}

void Label::setCaption(const QString& caption)
{
    if (caption == text()) return;
    setText(caption);
    if (Change) Change();
}

void Label::setForeColour(const QColor& colour)
{
    // A label inside a disabled container keeps its colour; only its own
    // Enabled setting would grey it.
    QPalette p = palette();
    p.setColor(QPalette::Active, QPalette::WindowText, colour);
    p.setColor(QPalette::Inactive, QPalette::WindowText, colour);
    p.setColor(QPalette::Disabled, QPalette::WindowText, colour);
    setPalette(p);
}

Frame::Frame(const QString& name, QWidget* container)
    : QWidget(container)
    , Control(name, QStringLiteral("frame"), this)
{
    setFocusPolicy(Qt::NoFocus);
}

void Frame::paintEvent(QPaintEvent*)
{
    // An etched rectangle: a shadow line with a highlight line beside it,
    // starting half a text line down as a frame without caption does.
    QPainter p(this);
    const int top = 6;
    const QRect r(0, top, width() - 2, height() - top - 2);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(r);
    p.setPen(palette().color(QPalette::Light));
    p.drawRect(r.translated(1, 1));
}

Line::Line(const QString& name, QWidget* container)
    : QWidget(container)
    , Control(name, QStringLiteral("line"), this)
    , m_colour(palette().color(QPalette::Dark))
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Line::setEnds(int x1, int y1, int x2, int y2)
{
    m_ends = QLine(x1, y1, x2, y2);
    const int left = std::min(x1, x2), top = std::min(y1, y2);
    setTwips(left, top, std::abs(x2 - x1) + kTwipsPerPixel, std::abs(y2 - y1) + kTwipsPerPixel);
}

void Line::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(m_colour);
    const QPoint origin(px(std::min(m_ends.x1(), m_ends.x2())), px(std::min(m_ends.y1(), m_ends.y2())));
    p.drawLine(
        QPoint(px(m_ends.x1()), px(m_ends.y1())) - origin, QPoint(px(m_ends.x2()), px(m_ends.y2())) - origin);
}

CommandButton::CommandButton(const QString& name, QWidget* container)
    : InteractiveControl(name, QStringLiteral("command button"), container)
{
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, [this] { runClick(); });
}

CheckBox::CheckBox(const QString& name, QWidget* container)
    : InteractiveControl(name, QStringLiteral("check box"), container)
{
    connect(this, &QCheckBox::toggled, this, [this] { runClick(); });
}

void CheckBox::setValue(int value)
{
    setChecked(value != 0);
}

} // namespace ui
