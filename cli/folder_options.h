// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line of quillmark-folder, read and checked before any folder
// is touched.
#include "platform/net/smb_client.h"
#include "store/folder_customisation.h"

#include <QString>
#include <QStringList>

#include <optional>

inline constexpr int kDefaultJobs = 8;
inline constexpr int kMaxJobs = 64;

enum class FolderVerb { Show, Set, Clear, Mirror };

struct FolderOptions {
    FolderVerb verb = FolderVerb::Show;
    bool json = false;
    bool recursive = false;
    bool dryRun = false;
    // show: the PNG file to draw the folder as Explorer shows it into.
    std::optional<QString> preview;
    // set: what changes; what is not given stays.
    WantedCustomisation wanted;
    QStringList folders;
    // How to sign in at the servers of network folders; a guest without it.
    net::SignIn signIn;
    // --timeout: how long one call to a server may take, in milliseconds.
    std::optional<int> timeoutMs;
    // --jobs: how many folders on servers are done at once, each by a
    // process with its own connection; 1 does them one after the other.
    int jobs = kDefaultJobs;
    // Which of the folders name a folder on a server, as their names were
    // taken (one entry per folder).
    QList<bool> onServer;
};

// The options, or the German message that names why they are refused.
struct ParsedOptions {
    std::optional<FolderOptions> options;
    QString error;
    // The arguments (counted from the verb, 0) that hold a password after
    // their first '%': -U USER%PASSWORD, --user=USER%PASSWORD.
    QList<qsizetype> passwordArguments;
};
ParsedOptions ParseFolderOptions(const QStringList& arguments);

// Overwrites the passwords in the program's own argument list (argv[1] is
// the verb), as smbclient does: /proc/PID/cmdline is readable by every
// user for the whole run.
void HidePasswords(const ParsedOptions& parsed, int argc, char** argv);

// The longest tooltip, as the wizard's tooltip page allows it.
inline constexpr int kMaxTooltip = 120;
