// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What quillmark-folder show tells of one folder: its customisation, the
// attribute bits, where they are kept, and whether Windows will show it.
#include "store/windows_view.h"

#include <QJsonObject>
#include <QString>

#include <optional>

// linuxView: whether Linux file managers show what Windows shows, when asked.
struct LinuxIconState;
QString ReportText(const FolderView& report, const LinuxIconState* linuxView = nullptr);
QJsonObject ReportJson(const FolderView& report, const LinuxIconState* linuxView = nullptr);

// The four bits as letters (R, H, S, A), "-" for none.
QString BitLetters(std::optional<DWORD> bits);

// The array of every folder's object for show --json, written to stdout as
// it grows, in the layout QJsonDocument gives a whole array.
class JsonArrayWriter {
public:
    void add(const QByteArray& compact);
    void end();

private:
    bool started_ = false;
};
