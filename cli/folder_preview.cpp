// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/folder_preview.h"

#include "platform/files/shown_text.h"
#include "platform/icons/icon_api.h"
#include "sys/FileDirPath.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

namespace {

// The picture's frame: Explorer's white pane, the views side by side, the
// tooltip under the middle ones and a line of what Windows does below.
constexpr int kWidth = 640, kHeight = 380, kMargin = 16, kCaption = 20;
const QColor kPane(Qt::white), kCaptionColour(0x5a, 0x5a, 0x5a), kText(Qt::black);
const QColor kTooltipBack(0xff, 0xff, 0xff), kTooltipBorder(0x76, 0x76, 0x76), kAlarm(0xa4, 0x00, 0x00);

QFont uiFont(int pixels, bool bold = false)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// Windows' own folder, as Explorer draws a folder that shows no icon of its
// own: a manila folder with its tab, drawn for the size it is shown at.
QImage plainFolder(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, size > 16);
    const qreal s = size, edge = size >= 48 ? s / 48.0 : 1.0;
    const QRectF back(s * 0.06, s * 0.16, s * 0.88, s * 0.72);
    QPainterPath tab;
    tab.moveTo(back.left(), back.top() + s * 0.06);
    tab.lineTo(back.left(), back.top() - s * 0.04);
    tab.lineTo(back.left() + s * 0.34, back.top() - s * 0.04);
    tab.lineTo(back.left() + s * 0.42, back.top() + s * 0.06);
    p.setPen(QPen(QColor(0xb8, 0x8a, 0x1e), edge));
    p.setBrush(QColor(0xe8, 0xb4, 0x38));
    p.drawPath(tab);
    p.drawRect(back);
    p.setBrush(QColor(0xff, 0xd8, 0x6a));
    p.drawRect(QRectF(back.left(), back.top() + s * 0.14, back.width(), back.height() - s * 0.14));
    return image;
}

// An icon only Windows can find (%SystemRoot%\..., a drive, a UNC name):
// a grey square with a question mark; the reference is named below.
QImage placeholder(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setPen(kCaptionColour);
    p.drawRect(QRect(0, 0, size - 1, size - 1));
    p.setFont(uiFont(std::max(size * 5 / 8, 9), true));
    p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QStringLiteral("?"));
    return image;
}

// The icon the folder's Desktop.ini names, as Windows picks it for each
// size; a negative index names the group by its resource id.
QImage folderIcon(const FolderView& view, int size)
{
    if (!view.windowsShows() || view.iconFile.isEmpty()) return plainFolder(size);
    if (view.iconPath.isEmpty()) return placeholder(size);
    // As the profile functions read it: a number, or 0.
    const QImage image = icons::loadIcon(view.iconPath, view.iconIndex.toInt(), size);
    return image.isNull() ? placeholder(size) : image;
}

// The line under the views: what a Windows user sees, or why nothing.
QString verdict(const FolderView& view)
{
    if (!view.windowsShows())
        return QStringLiteral("Windows zeigt die Beschriftung nicht an: ") + ShownText(view.reason);
    if (!view.iconFile.isEmpty() && view.iconPath.isEmpty())
        return QStringLiteral("Das Symbol findet nur Windows selbst: ") + ShownText(view.iconFile);
    if (view.iconFile.isEmpty()) return QStringLiteral("Windows zeigt den Infotip zum gewöhnlichen Ordnersymbol.");
    return QStringLiteral("So zeigt Windows den Ordner.");
}

void drawTooltip(QPainter& p, const QString& text, QPoint at)
{
    p.setFont(uiFont(12));
    const QRect room(at.x() + 6, at.y() + 4, 260, 200);
    const QRect need = p.fontMetrics().boundingRect(room, Qt::TextWordWrap, text);
    const QRect box = need.adjusted(-6, -4, 6, 4);
    p.setPen(kTooltipBorder);
    p.setBrush(kTooltipBack);
    p.drawRect(box.adjusted(0, 0, -1, -1));
    p.setPen(kText);
    p.drawText(room, Qt::TextWordWrap, text);
}

} // namespace

QRect PreviewIconRect(int index)
{
    // Details: a row; the other views: a column each, the icon above its name.
    switch (index) {
    case 0:
        return { kMargin, kMargin + kCaption, 16, 16 };
    case 1:
        return { kMargin + 60, kMargin * 3 + kCaption * 2, 48, 48 };
    case 2:
        return { kMargin + 184, kMargin * 3 + kCaption * 2, 96, 96 };
    default:
        return { kWidth - kMargin - 256 - 24, kMargin + kCaption, 256, 256 };
    }
}

void PreparePreviewFonts()
{
    QFontMetrics(uiFont(12)).height();
}

QPoint PreviewTooltipCorner()
{
    // Below the large icon's name, as the tooltip shows under the mouse.
    return PreviewIconRect(2).bottomLeft() + QPoint(-120, 44);
}

QImage FolderPreview(const FolderView& view)
{
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(kPane);
    QPainter p(&image);
    const QString name = ShownText(GetFolderName(view.folder));
    for (int i = 0; i < int(std::size(kPreviewViews)); ++i) {
        const QRect icon = PreviewIconRect(i);
        const QImage drawn = folderIcon(view, icon.width());
        p.setFont(uiFont(11, true));
        p.setPen(kCaptionColour);
        const QString caption = QString::fromUtf8(kPreviewViews[i].name);
        if (i == 0) {
            p.drawText(QPoint(icon.left(), icon.top() - 6), caption);
        } else {
            const QRect column(icon.center().x() - 70, icon.top() - kCaption - 4, 140, kCaption);
            p.drawText(column, Qt::AlignHCenter | Qt::AlignBottom, caption);
        }
        p.drawImage(icon.topLeft(), drawn);
        p.setFont(uiFont(12));
        p.setPen(kText);
        if (i == 0) {
            const QRect text(icon.right() + 8, icon.top(), 300, icon.height());
            p.drawText(text, Qt::AlignVCenter, p.fontMetrics().elidedText(name, Qt::ElideMiddle, text.width()));
        } else {
            const int width = std::max(icon.width(), 90);
            const QRect text(icon.center().x() - width / 2, icon.bottom() + 4, width, 18);
            p.drawText(text, Qt::AlignHCenter | Qt::AlignTop, p.fontMetrics().elidedText(name, Qt::ElideMiddle, width));
        }
    }
    // Explorer shows the tooltip when the mouse rests on the folder.
    if (view.windowsShows() && !view.tooltip.isEmpty())
        drawTooltip(p, ShownText(view.tooltip), PreviewTooltipCorner());
    p.setFont(uiFont(12));
    p.setPen(view.windowsShows() ? kText : kAlarm);
    const QRect line(kMargin, kHeight - kMargin - 40, kWidth - 2 * kMargin, 40);
    p.drawText(line, Qt::TextWordWrap | Qt::AlignBottom, verdict(view));
    return image;
}
