// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The folder dialog of the icon page.
#include <QString>
#include <QVariant>

// Shows the shell's folder chooser with `root` at the top of its tree (17:
// the drives) and returns the chosen folder's full path, a root with its
// closing separator, or the empty text when the dialog was cancelled.
QString BrowseFolder(const QVariant& root);
