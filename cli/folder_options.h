// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line of quillmark-folder, read and checked before any folder
// is touched.
#include "platform/net/smb_client.h"
#include "store/folder_customisation.h"

#include <QString>
#include <QStringList>

#include <optional>

enum class FolderVerb { Show, Set, Clear };

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
};

// The options, or the German message that names why they are refused.
struct ParsedOptions {
    std::optional<FolderOptions> options;
    QString error;
};
ParsedOptions ParseFolderOptions(const QStringList& arguments);

// The longest tooltip, as the wizard's tooltip page allows it.
inline constexpr int kMaxTooltip = 120;
