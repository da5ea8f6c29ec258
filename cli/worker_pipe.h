// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pipe between the walking process and a worker: frames of QDataStream
// data with their length in front, and the stop signals both sides share.
#include "platform/net/smb_client.h"

#include <QByteArray>
#include <QDataStream>
#include <QString>

#include <sys/types.h>
#include <vector>

namespace workerpipe {

// The worker's end of the pipe.
inline constexpr int kFd = 3;

enum class Kind : quint8 { Setup, Job, Outcome, CannotConnect };

bool writeFrame(int fd, const QByteArray& payload);
// A whole frame; a stop signal ends the wait when stoppable.
bool readFrame(int fd, QByteArray& payload, bool stoppable);
void writeEntries(QDataStream& s, const std::vector<net::Entry>& entries);
std::vector<net::Entry> readEntries(QDataStream& s);
// \\server\share of a folder.
QString shareRootOf(const QString& folder);

// A worker's stop signals: the first ends its loop between two folders, the
// second ends it.
void catchWorkerSignals();
// The workers a second stop signal kills from the handler.
void rememberPid(pid_t pid);
void forgetPid(pid_t pid);

} // namespace workerpipe
