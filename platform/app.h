// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Program facts and the few services the window relies on from its
// surroundings: pending events, the clock, the end of the program and the
// message box. The clock, the end and the message box can be replaced, so
// that tests neither wait real seconds nor end the test program nor block
// on a modal box.
#include "platform/win_types.h"

#include <QString>
#include <QStringList>

#include "platform/net/smb_client.h"

#include <functional>

namespace App {

// Records argv once at start-up; the argument text is argv[1..] joined by
// single blanks, as one text.
void init(int argc, char** argv);
void setArguments(const QStringList& args);

QString path(); // the folder of the running executable, without a closing separator
QString exeName(); // the executable's file name without its extension
HINSTANCE hInstance();
QString command(); // the argument text

} // namespace App

// Lets the window handle every event pending at this moment, then returns.
void DoEvents();

// Waits until an event arrives or maxMs milliseconds have passed, and
// handles what is pending; the core sleeps meanwhile. With a replaced clock
// it only handles what is pending: the clock is what moves.
void WaitForEvents(int maxMs);

// Seconds since local midnight, with fractions, in single precision as the
// window's clock delivers it.
float Timer();
void setTimerSource(std::function<float()> source); // empty restores the real clock

// Ends the program at once, without unloading the window. Tests replace it
// with a recorder; after a replaced end the caller simply returns.
void EndProgram();
void setEndHandler(std::function<void()> handler);
bool endRequested();

// The message box: text, OK button, exclamation icon, title.
inline constexpr int vbOKOnly = 0;
inline constexpr int vbExclamation = 48;
int MsgBox(const QString& text, int buttons, const QString& title);
void setMsgBoxHandler(std::function<int(const QString& text, int buttons, const QString& title)> handler);

// The sign-in at a share on a server ("Anmeldung an \\server\share"): user,
// domain and password, filled in with what is known; false when the user
// cancels. The password is kept for this run only. Tests replace the dialog.
bool AskSignIn(const QString& share, net::SignIn& signIn);
void setSignInHandler(std::function<bool(const QString& share, net::SignIn& signIn)> handler);
