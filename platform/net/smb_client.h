// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Folders on SMB servers, reached through Samba's client library as its own
// smbclient reaches them. The rest of the program names such a folder as
// Windows does, \\server\share\path (either slash after the two leading
// ones); the file layer's calls send every such name here. Each thread has
// one library context for the whole run, so a run over many folders signs
// in once and keeps its connection.
//
// Every call returns 0 or an errno, as the library sets it.
#include "platform/net/network_location.h"
#include "platform/win_types.h"

#include <QByteArray>
#include <QString>

#include <cerrno>
#include <functional>
#include <optional>
#include <vector>

namespace net {

// Whether a path names a folder or file on a server (\\server\share... or
// //server/share...): the one test of a path's form, for the file layer
// and for references stored in folders alike.
bool isNetworkPath(const QString& path);
bool isNetworkPath(const QByteArray& nativePath);
// The same name with backslashes throughout, without "." and ".." parts and
// without a trailing backslash.
QString cleanNetworkPath(const QString& path);
// FILE named relative to FOLDER ("..\\lib\\a.dll"), both on the same
// server and share; empty when they are not.
QString relativeNetworkPath(const QString& folder, const QString& file);
// The part after the last separator.
QString networkFileName(const QString& path);
QString networkParent(const QString& path);

// A folder as users name one on a server (an smb:// URL, a UNC name, a path
// under a gvfs or kio-fuse mount) as the UNC name the program works with;
// the URL's port and user are kept for the run, and the server counts as
// named by the user (see nameServer). Called only where the user gives a
// name: the wizard's folder, the folder box, the command's folders and
// --icon. NotNetwork for a folder of this machine, Malformed for a name no
// server can have.
Parsed takeNetworkFolder(const QString& text, QString& name);

// Only the servers the user named in this run are contacted. A server that
// only folder data names (an icon reference in Desktop.ini, a journal, a
// recent folder) could be anyone's: connecting there would hand it the
// user's sign-in, and a dead one would hold the run. A call on a path of
// another server fails with kNotNamed and sends nothing.
inline constexpr int kNotNamed = ENOLINK;
// A path of this machine names nothing.
void nameServer(const QString& path);
bool isNamedServer(const QString& path);

// How to sign in at a server, for this run; guest when nothing is known.
struct SignIn {
    QString domain;
    QString user;
    QString password;
    bool kerberos = false;
};
// An empty server name gives the sign-in of every server without one.
void setSignIn(const QString& server, const SignIn& signIn);
// The sign-in the desktop's secret store holds for a server (saved there by
// gvfs when the user asked it to remember the password).
std::optional<SignIn> savedSignIn(const QString& server);

// Asked for a share's sign-in (\\server\share) when the server refuses the
// one it has, until it takes one or the asker declines; the wizard's dialog.
// Without one (the command) a refusal is a failure.
using SignInAsker = std::function<bool(const QString& share, SignIn& signIn)>;
void setSignInAsker(SignInAsker asker);
// The port of a server that does not listen on 445 (from an smb:// URL).
void setPort(const QString& server, int port);

// How long one call to a server may take before it gives up, 10 s unless
// set; set it before the first call (each thread's connection takes it
// when made). A server that let a call run out is not asked again in this
// run: its later calls fail at once with ETIMEDOUT, so a dead server costs
// one limit, not one per folder.
void setTimeout(int ms);
int timeout();
// Whether a call given up on is still running in the library: a program
// that ends then must end at once (_exit), before the library's own
// clean-up at exit runs under that call.
bool callLeftRunning();

// A listing holds at most this many entries, and a name at most this many
// characters (Windows' own limit for one name): a folder whose server lists
// more fails (E2BIG, ENAMETOOLONG) instead of filling the memory.
inline constexpr std::size_t kMaxListedEntries = 100000;
inline constexpr qsizetype kMaxNameLength = 255;

struct Entry {
    QString name;
    bool directory = false;
    quint64 size = 0;
    DWORD attributes = 0; // the DOS bits the server reports
};

// While one lives on a thread, a folder's listing is fetched once and kept,
// and the program's own changes are written into the kept one: a run over
// a folder, or over a tree, looks at each folder once instead of once per
// question. Its end forgets them all.
class ListingScope {
public:
    ListingScope();
    ~ListingScope();
    ListingScope(const ListingScope&) = delete;
    ListingScope& operator=(const ListingScope&) = delete;
};

// While one lives on a thread (with the listing scope it holds), a file
// replaced over SMB is written once, not at each replacement: when its bits
// are set, or at the latest when the last one ends. A file that fails to be
// written then is read back from the server, so a check after the scope
// sees what the server holds. A finish that writes four keys into a new
// Desktop.ini and then hides it writes one file.
class WriteBehind {
public:
    WriteBehind();
    ~WriteBehind();
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

private:
    ListingScope listings_;
};

// Forgets what a listing scope keeps of a folder (its listing, the files
// written in it): a recursive walk that is done with a folder's tree keeps
// only the listings of the folders on its current path.
void forgetListing(const QString& folder);
// Keeps a listing that was fetched by another process of the run, so that
// this thread does not ask the server for it again.
void keepListing(const QString& folder, std::vector<Entry> entries);

// One entry (a file or a folder); ENOENT when there is none.
int stat(const QString& path, Entry& out);
// The entries of a folder, without "." and "..".
int list(const QString& folder, std::vector<Entry>& out);
// A whole file of at most maxSize bytes (EFBIG when larger).
int readFile(const QString& path, QByteArray& out, qint64 maxSize);
// Puts bytes in the file's place so that the name always holds the old or
// the new file. A rename over a file is a delete and a rename on SMB, so
// the new bytes go to a new file beside it, the old file is renamed to a
// backup name, the new one into place, and the backup goes; a failure on
// the way renames the backup back. A file that is not there yet is written
// in place. The new file gets `attributes`, or the old file's bits when
// that is INVALID_FILE_ATTRIBUTES.
int replaceFile(const QString& path, const QByteArray& bytes, DWORD attributes = INVALID_FILE_ATTRIBUTES);
// What a run killed half-way through replaceFile left of path: a backup
// where the file itself is missing is renamed back, any other backup and a
// new file never put in place are removed.
void adoptLeftovers(const QString& path);
// The names of those two, beside the file.
QString newFileName(const QString& path);
QString backupFileName(const QString& path);
int removeFile(const QString& path);
// Sets the DOS bits of a file or folder as they are (none set clears them).
int setAttributes(const QString& path, DWORD attributes);

// Why the first change that failed in this thread's last write-behind
// scope failed (describeError's text), once; empty when none did.
QString takeWriteFailure();

// Whether a call failed because the server could not be asked at all
// (silent, refusing connections, not named, no Samba module): what was to
// be done there can wait for another run.
bool isUnreachable(int error);

// "\\server\share: <cause>" in German, for a failed call's errno.
QString describeError(const QString& path, int error);

} // namespace net
