// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The thread every call of Samba's client library runs on (see
// call_thread.cpp); the rest of the network layer hands it calls.
#include "platform/net/call_waiter.h"

#include <QString>

#include <functional>

namespace net {

// Runs call on the call thread and returns its result, or ETIMEDOUT when
// it ran longer than ms once begun (it is then left to end there, its
// result dropped, so call must own what it reads and writes). The calling
// thread waits its own way (setCallWaiter), naming server.
int runOnCallThread(const QString& server, std::function<int()> call, int ms);

} // namespace net
