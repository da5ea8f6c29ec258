#pragma once
// A folder's customisation as one call: given the folder and what it should
// show, the settings file, the icon copy and the attribute bits are brought
// to the state the wizard's finish leaves, with the same file operations.
// Used where there is no window: the folder command and the repair of a
// finish that was interrupted.
#include <QString>

#include <optional>

struct IconChoice {
    QString file; // the icon file as a path here; the folder's own Desktop.ico is kept as it is
    QString index = QStringLiteral("0");
    bool copy = false;
};

struct WantedCustomisation {
    // nullopt: what the folder has stays; an empty tooltip: none.
    std::optional<QString> tooltip;
    // keepIcon: the icon keys and the icon copy stay; otherwise icon, or no icon.
    bool keepIcon = false;
    std::optional<IconChoice> icon;
};

// Why a folder was left alone.
enum class CustomisationRefused { None, Missing, NotAFolder, NotWritable, SettingsNotAFile };

// Brings folder to the wanted state. Each step that fails is skipped and
// the others are still made. A folder that is missing, no folder, not
// writable, or whose Desktop.ini is a link or no plain file is not touched.
CustomisationRefused ApplyCustomisation(const QString& folder, const WantedCustomisation& wanted);
// The same checks alone.
CustomisationRefused CustomisationRefusal(const QString& folder);

// What the settings file of folder holds now.
struct StoredCustomisation {
    QString tooltip;
    QString iconFile; // as written: "Desktop.ico", relative, full, or Windows only
    QString iconIndex;
};
StoredCustomisation ReadCustomisation(const QString& folder);
