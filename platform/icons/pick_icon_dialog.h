// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The icon-choice dialog "Anderes Symbol": a file box with a browse button,
// every icon of the file in a scrolling list, OK and Abbrechen. Enter in
// the file box loads the icons of the file typed there and keeps the dialog
// open; a double-click on an icon means OK; OK is disabled while no icon is
// selected, so a file without icons can only be left with Abbrechen.
#include "platform/win_types.h"

#include <QDialog>
#include <QString>

#include <functional>

class QLineEdit;
class QListWidget;
class QPushButton;

class PickIconDialog : public QDialog {
    Q_OBJECT
public:
    explicit PickIconDialog(QWidget* owner = nullptr);

    // Puts the file into the box and lists its icons.
    void setFile(const QString& file);
    // Selects icon `index`, or the first icon when the file has no such one.
    void setIndex(int index);
    // The file whose icons are listed and the selected icon (-1: none).
    QString file() const { return loaded_; }
    int index() const;

    // Lists the icons of the file named in the box.
    void reload();
    // Confirms; if the box names another file than the one listed, loads
    // that file's icons instead and stays open.
    void accept() override;

    QLineEdit* fileEdit() const { return fileEdit_; }
    QPushButton* browseButton() const { return browse_; }
    QListWidget* iconList() const { return list_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void browse();
    void updateOk();

    QLineEdit* fileEdit_;
    QPushButton* browse_;
    QListWidget* list_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QString loaded_;
};

// The file chooser behind "Durchsuchen...": gets the dialog and the text of
// the file box, returns the chosen file or an empty text on cancel. Empty
// restores the real chooser (a QFileDialog for .ico, .exe and .dll files).
using IconFileChooser = std::function<QString(QWidget* parent, const QString& current)>;
void setIconFileChooser(IconFileChooser chooser);

// The shell's icon-choice call. `path` is a buffer of `capacity` characters
// holding the start file, ended by a NUL character (or filling the whole
// buffer). On OK the chosen file, cut to capacity-1 characters, and a NUL
// are written over the buffer's start, *index gets the chosen icon, and the
// result is non-zero; on cancel the result is 0 and nothing changes.
int PickIconDlg(HWND owner, QString& path, UINT capacity, int* index);

// Replaces the whole call, for tests of its callers; empty restores the
// real dialog.
void setPickIconDlgHandler(std::function<int(HWND, QString&, UINT, int*)> handler);

// Replaces only how the real dialog is run (exec() by default), so that
// tests can drive it with clicks and keys without a modal loop. Returns
// QDialog::Accepted or Rejected.
void setPickIconDialogRunner(std::function<int(PickIconDialog&)> runner);
