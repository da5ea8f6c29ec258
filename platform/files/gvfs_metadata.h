// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// gvfs's metadata, which Nautilus, Nemo and Caja read: per user and per
// machine, kept by gvfs's daemon, reached through GIO over the session bus.
// It is written only where this user's own gvfs answers: GIO's default VFS
// is gvfs's and offers the "metadata" namespace for the folder. Without a
// session bus, under sudo, with GIO_USE_VFS=local or without gvfs, nothing
// is asked and nothing happens. GIO is loaded at the first question, so
// the programs do not link it.
#include <QString>

namespace files {

// Sets metadata::custom-icon of folder (a local path or a UNC name) to the
// URI of image, or removes it when image is empty. False when gvfs does not
// answer or refused.
bool setGvfsCustomIcon(const QString& folder, const QString& image);

// metadata::custom-icon of folder; empty when it has none or gvfs does not
// answer.
QString gvfsCustomIcon(const QString& folder);

// The URI gvfs would be given for path: file:// for a local path, smb://
// for a UNC name.
QString gvfsUriOf(const QString& path);

} // namespace files
