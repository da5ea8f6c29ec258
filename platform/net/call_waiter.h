// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a thread waits for its call to a server. Calls run on a thread of
// their own (see smb_client.cpp); the thread that made one waits for it.
// The wizard's window thread must not simply block there: its window must
// repaint and its Cancel button work while a server takes its time.
#include <QString>

#include <functional>

namespace net {

// Called on the waiting thread while a call to server runs: it returns once
// ended() is true or ms milliseconds have passed, whichever comes first.
using CallWaiter = std::function<void(const QString& server, const std::function<bool()>& ended, int ms)>;
// For this thread only; none: the thread blocks.
void setCallWaiter(CallWaiter waiter);

} // namespace net
