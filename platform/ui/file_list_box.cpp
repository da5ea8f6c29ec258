// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/file_list_box.h"

#include "platform/net/smb_client.h"
#include "platform/files/case_paths.h"
#include "platform/files/file_attributes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QStyleOptionFocusRect>

#include <algorithm>
#include <dirent.h>

namespace ui {

namespace {

// A Windows wildcard ('*', '?') as a case-insensitive regular expression.
QRegularExpression wildcard(const QString& pattern)
{
    QString rx;
    for (const QChar c : pattern) {
        if (c == u'*')
            rx += QLatin1String(".*");
        else if (c == u'?')
            rx += QLatin1Char('.');
        else
            rx += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression(
        QRegularExpression::anchoredPattern(rx), QRegularExpression::CaseInsensitiveOption);
}

QString canonicalFolder(const QString& folder)
{
    if (folder.isEmpty()) return {};
    const QString resolved = ResolvePathCase(folder);
    if (!files::isDirectory(resolved)) return {};
    return files::absolutePath(resolved);
}

} // namespace

FileListBox::FileListBox(const QString& name, QWidget* container)
    : InteractiveControl(name, QStringLiteral("file list box"), container)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    showFocus(false);
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_selecting && row >= 0) runClick();
    });
}

FileListBox::~FileListBox()
{
    // Clearing the list on the way out must not look like a selection.
    disconnect(this, nullptr, this, nullptr);
}

bool FileListBox::matches(const QString& name, const QString& patterns)
{
    const QStringList parts = patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    return std::any_of(parts.begin(), parts.end(), [&](const QString& p) {
        const QString t = p.trimmed();
        // "*.*" matches every name, also one without a dot, as on Windows.
        return t == QLatin1String("*.*") || wildcard(t).match(name).hasMatch();
    });
}

bool FileListBox::setPath(const QString& folder)
{
    const QString canonical = canonicalFolder(folder);
    if (canonical.isEmpty()) return false;
    if (canonical == m_path) return true;
    m_path = canonical;
    reload(QString());
    return true;
}

void FileListBox::setPattern(const QString& patterns)
{
    const QString keep = fileName();
    m_pattern = patterns;
    reload(keep);
}

void FileListBox::Refresh()
{
    reload(fileName());
}

void FileListBox::reload(const QString& keepSelected)
{
    QStringList names;
    if (std::vector<net::Entry> entries; net::isNetworkPath(m_path)) {
        // A folder on a server: one listing gives the names and their bits.
        net::list(m_path, entries);
        for (const net::Entry& e : entries)
            if (!e.directory && matches(e.name, m_pattern)
                && !(e.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
                names.append(e.name);
    } else if (!m_path.isEmpty()) {
        // Listed on the native bytes: QDir would replace those of a name
        // that is not UTF-8, and the file could then not be opened.
        DIR* dir = ::opendir(files::nativePath(m_path).constData());
        while (const dirent* entry = dir ? ::readdir(dir) : nullptr) {
            const QString name = files::fromNative(QByteArray(entry->d_name));
            const QString full = m_path == QLatin1String("/") ? m_path + name : m_path + u'/' + name;
            // Everything but folders, as QDir::Files | QDir::System listed.
            if (!matches(name, m_pattern) || files::isDirectory(full)) continue;
            const DWORD attributes = GetFileAttributesA(full);
            if (attributes != INVALID_FILE_ATTRIBUTES
                && (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
                continue;
            names.append(name);
        }
        if (dir) ::closedir(dir);
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    m_selecting = true;
    clear();
    addItems(names);
    const int keep = keepSelected.isEmpty() ? -1 : int(names.indexOf(keepSelected));
    setCurrentRow(keep);
    if (keep < 0) clearSelection();
    m_selecting = false;
}

QString FileListBox::list(int index) const
{
    const QListWidgetItem* it = item(index);
    return it ? it->text() : QString();
}

bool FileListBox::setListIndex(int index)
{
    if (index < -1 || index >= count()) return false;
    select(index);
    if (index >= 0) runClick();
    return true;
}

void FileListBox::select(int row)
{
    m_selecting = true;
    setCurrentRow(row);
    if (row < 0) clearSelection();
    m_selecting = false;
}

QString FileListBox::fileName() const
{
    return list(currentRow());
}

void FileListBox::setFileName(const QString& name)
{
    const QList<QListWidgetItem*> found = findItems(name, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (name.isEmpty() || found.isEmpty()) {
        select(-1);
        return;
    }
    setListIndex(row(found.first()));
}

void FileListBox::setHeightTwips(int height)
{
    const QRect t = twips();
    setTwips(t.left(), t.top(), t.width(), height);
}

void FileListBox::keyboardSearch(const QString& search)
{
    // Qt's own search joins the keys typed within a short time into one
    // prefix; here every key starts afresh.
    if (search.isEmpty()) return;
    const QString key = search.left(1);
    const int n = count();
    for (int k = 1; k <= n; ++k) {
        const int row = (currentRow() + k) % n;
        if (item(row)->text().startsWith(key, Qt::CaseInsensitive)) {
            setCurrentRow(row);
            return;
        }
    }
}

void FileListBox::focusInEvent(QFocusEvent* event)
{
    // Taking the focus selects nothing: the list would otherwise make its
    // first entry current.
    const int before = currentRow();
    m_selecting = true;
    QListWidget::focusInEvent(event);
    if (currentRow() != before) select(before);
    m_selecting = false;
    showFocus(true);
    notifyFocusIn();
}

void FileListBox::focusOutEvent(QFocusEvent* event)
{
    showFocus(false);
    InteractiveControl::focusOutEvent(event);
}

void FileListBox::showFocus(bool focused)
{
    const QPalette app = QApplication::palette();
    QPalette p = palette();
    for (const auto group : { QPalette::Active, QPalette::Inactive }) {
        p.setColor(group, QPalette::Highlight, app.color(focused ? QPalette::Highlight : QPalette::Button));
        p.setColor(group, QPalette::HighlightedText,
            app.color(focused ? QPalette::HighlightedText : QPalette::Text));
    }
    setPalette(p);
    viewport()->update();
}

void FileListBox::paintEvent(QPaintEvent* event)
{
    QListWidget::paintEvent(event);
    // With nothing selected the focus still shows, on the first line, as a
    // Windows list box shows it.
    if (!hasFocus() || currentRow() >= 0) return;
    QRect line = count() > 0 ? visualItemRect(item(0)) : QRect();
    if (line.isEmpty()) line = QRect(0, 0, viewport()->width(), fontMetrics().height() + 2);
    QPainter p(viewport());
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = line;
    option.backgroundColor = palette().color(QPalette::Base);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
}

} // namespace ui
