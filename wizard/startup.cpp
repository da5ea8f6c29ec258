// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: the two creation events, and the window's waiting procedure.
#include "wizard/root.h"

#include "platform/app.h"
#include "platform/files/shown_text.h"
#include "store/Registry.h"
#include "store/folder_settings.h"
#include "sys/FileDirPath.h"

#include <algorithm>
#include <cmath>

namespace {
const QString kMorvane = QStringLiteral("Software\\Morvane");
const QString kVerb = QStringLiteral("Software\\Classes\\Directory\\shell\\vUzivuza");
const QString kVerbCommand = QStringLiteral("Software\\Classes\\Directory\\shell\\vUzivuza\\command");
const QString kFolderShell = QStringLiteral("Software\\Classes\\Folder\\shell");
const QString kClass = QStringLiteral("1");

// A number stored as "Folder" becomes its decimal text.
QString textOf(const RegValue& value)
{
    if (const int* number = std::get_if<int>(&value)) return QString::number(*number);
    return std::get<QString>(value);
}

void ensureKey(HKEY hive, const QString& path)
{
    if (!RegKeyExists(hive, path)) RegKeyCreate(hive, path, kClass);
}
} // namespace

void root::create()
{
    // A share that refuses the sign-in it has asks for another in a dialog;
    // while a server takes its time, the window repaints and takes Cancel.
    net::setSignInAsker(AskSignIn);
    keepAliveWhileServersAnswer();
    Form_Load();
}

void root::Form_Initialize()
{
    ui::InitCommonControls();
}

void root::Form_Load()
{
    PSet1->setVisible(true);
    PSet2->setVisible(false);
    PSet3->setVisible(false);

    ensureKey(HKEY_CURRENT_USER, kMorvane);
    ensureKey(HKEY_CURRENT_USER, kRegSetFolders);
    ensureKey(HKEY_LOCAL_MACHINE, kVerb);
    ensureKey(HKEY_LOCAL_MACHINE, kVerbCommand);

    // Written on every start, so the verb always points to the executable
    // that ran last. Failures (no right to write the machine hive) are ignored.
    RegValueWrite(HKEY_LOCAL_MACHINE, kVerb, QString(), QStringLiteral("&Beschriften..."));
    const QString program = (App::path() + QLatin1Char('/') + App::exeName()).toLower();
    RegValueWrite(HKEY_LOCAL_MACHINE, kVerbCommand, QString(),
        QLatin1Char('"') + program + QStringLiteral(".exe") + QLatin1Char('"') + QStringLiteral(" %1"));
    RegValueWrite(HKEY_LOCAL_MACHINE, kFolderShell, QString(), QStringLiteral("open"));
    RegValueWrite(HKEY_CURRENT_USER, kRegSetFolders, QStringLiteral("InstallDir"), App::path().toLower());

    RegValue folder;
    if (RegValueRead(HKEY_CURRENT_USER, kRegSetFolders, QStringLiteral("Folder"), folder))
        Text2->setText(textOf(folder));

    Verzeichnis->setCaption(App::command());
    if (Verzeichnis->caption().isEmpty()) Verzeichnis->setCaption(App::path());

    // Started from a file manager, the window names the folder it changes.
    const QString target = Verzeichnis->caption();
    setCaption(ShownText(GetFolderName(target)) + QStringLiteral(" – ") + kProgramName);
    LOrdner->setCaptionElided(QStringLiteral("Ordner:\n") + ShownText(target));
}

void root::Sleep(double Seconds)
{
    float start = Timer();
    float now = Timer();
    if (now - start >= Seconds) return;
    do {
        // Asleep until an event or the end of the wait, not spinning.
        const double left = std::clamp(Seconds - double(now - start), 0.001, Seconds);
        WaitForEvents(int(std::ceil(left * 1000.0)));
        // Past midnight the clock starts again from zero.
        if (Timer() < start) start -= 86400.0f;
        now = Timer();
    } while (now - start < Seconds);
}
