// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file list box: the files of one folder that match its patterns,
// alphabetically, leaving out hidden and system files. Selecting an entry,
// by the user or the program, runs the click handler.
#include "platform/ui/control.h"

#include <QListWidget>

namespace ui {

class FileListBox : public InteractiveControl<QListWidget> {
public:
    FileListBox(const QString& name, QWidget* container);
    ~FileListBox() override;

    QString path() const { return m_path; }
    // Another existing folder re-reads the list and selects nothing; the
    // folder already listed changes nothing; anything else fails and leaves
    // the list as it was.
    bool setPath(const QString& folder);
    QString pattern() const { return m_pattern; }
    // Re-reads the list; the selected file stays selected while it is listed.
    void setPattern(const QString& patterns);
    void Refresh();

    int listCount() const { return count(); }
    QString list(int index) const;
    int listIndex() const { return currentRow(); }
    bool setListIndex(int index);
    QString fileName() const;
    // The folder, one separator and the selected file name, as the program
    // names the chosen icon file.
    QString filePath() const { return m_path + QLatin1Char('/') + fileName(); }
    // Selects the entry of that name; an empty or unknown name selects nothing.
    void setFileName(const QString& name);

    // Height in twips; the width and place stay.
    void setHeightTwips(int height);

    // A typed character selects the next entry that starts with it, after
    // the selected one and wrapping around, as in a Windows list box.
    void keyboardSearch(const QString& search) override;

    // Whether a file name matches one of the patterns, without regard to case.
    static bool matches(const QString& name, const QString& patterns);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Focused: the selection in the highlight colour and a focus rectangle;
    // without the focus: the selection in grey, no rectangle.
    void showFocus(bool focused);
    void reload(const QString& keepSelected);
    void select(int row);

    QString m_path;
    QString m_pattern = QStringLiteral("*.*");
    bool m_selecting = false;
};

} // namespace ui
