// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/app.h"

#include "platform/net/smb_client.h"

#include "platform/files/case_paths.h"
#include "platform/files/file_attributes.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QEventLoop>
#include <QFileInfo>
#include <QMessageBox>
#include <QTime>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {
QString g_exePath;
QStringList g_args;
std::function<float()> g_timer;
std::function<void()> g_end;
bool g_endRequested = false;
std::function<int(const QString&, int, const QString&)> g_msgBox;
std::function<bool(const QString&, net::SignIn&)> g_signIn;

QString executablePath();

// Read without Qt, so that a folder name that is not UTF-8 keeps its bytes.
QString ownExecutable()
{
    char target[4096];
    const ssize_t n = ::readlink("/proc/self/exe", target, sizeof target);
    return n > 0 ? files::fromNative(QByteArray(target, n)) : QString();
}

// The folder the wizard customises is the user's choice: a link there is
// followed, and its server may be contacted and signed in to.
void recordChosenFolders()
{
    files::setChosenFolders({ App::command(), App::path() });
    net::nameServer(App::command());
}

QString executablePath()
{
    if (!g_exePath.isEmpty()) return g_exePath;
    if (QCoreApplication::instance()) return QCoreApplication::applicationFilePath();
    return ownExecutable();
}
} // namespace

namespace App {

void init(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        // File managers give a folder as a URI; a file:// one is this
        // machine's path, its bytes percent-encoded.
        const QByteArray raw(argv[i]);
        const bool local = raw.startsWith("file:///") || raw.startsWith("file://localhost/");
        const QString arg = files::fromNative(
            local ? QByteArray::fromPercentEncoding(raw.mid(raw.indexOf('/', 7))) : raw);
        // A folder on a server, however it was named, is shown and used by
        // its UNC name.
        QString network;
        args << (net::takeNetworkFolder(arg, network) == net::Parsed::Network ? network : arg);
    }
    g_args = args;
    g_exePath = ownExecutable();
    recordChosenFolders();
}

void setArguments(const QStringList& args)
{
    g_args = args;
    recordChosenFolders();
}

QString path()
{
    // Text only: QFileInfo would pass the name through Qt's lossy codec.
    const QString exe = executablePath();
    return exe.left(std::max<qsizetype>(exe.lastIndexOf(QLatin1Char('/')), 1));
}

QString exeName()
{
    return QFileInfo(executablePath()).completeBaseName();
}

HINSTANCE hInstance()
{
    return 0x400000;
}

QString command()
{
    return g_args.join(QLatin1Char(' '));
}

} // namespace App

void DoEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void WaitForEvents(int maxMs)
{
    if (g_timer || maxMs <= 0 || !QCoreApplication::instance()) {
        DoEvents();
        return;
    }
    QEventLoop loop;
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(maxMs);
    loop.processEvents(QEventLoop::WaitForMoreEvents);
}

float Timer()
{
    if (g_timer) return g_timer();
    return static_cast<float>(QTime::currentTime().msecsSinceStartOfDay() / 1000.0);
}

void setTimerSource(std::function<float()> source)
{
    g_timer = std::move(source);
}

void EndProgram()
{
    g_endRequested = true;
    if (g_end) {
        g_end();
        return;
    }
    std::fflush(nullptr);
    ::_exit(0);
}

void setEndHandler(std::function<void()> handler)
{
    g_end = std::move(handler);
    g_endRequested = false;
}

bool endRequested()
{
    return g_endRequested;
}

int MsgBox(const QString& text, int buttons, const QString& title)
{
    if (g_msgBox) return g_msgBox(text, buttons, title);
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, QApplication::activeWindow());
    (void)buttons;
    box.exec();
    return 1; // vbOK
}

void setMsgBoxHandler(std::function<int(const QString&, int, const QString&)> handler)
{
    g_msgBox = std::move(handler);
}

bool AskSignIn(const QString& share, net::SignIn& signIn)
{
    if (g_signIn) return g_signIn(share, signIn);
    QDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(QStringLiteral("Anmeldung an ") + share);
    auto* form = new QFormLayout(&dialog);
    // Also inside: without a window manager the title is not shown.
    form->addRow(new QLabel(QStringLiteral("Anmeldung an ") + share, &dialog));
    auto* user = new QLineEdit(signIn.user, &dialog);
    auto* domain = new QLineEdit(signIn.domain, &dialog);
    auto* password = new QLineEdit(&dialog);
    password->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("&Benutzer:"), user);
    form->addRow(QStringLiteral("&Domäne:"), domain);
    form->addRow(QStringLiteral("&Passwort:"), password);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    (signIn.user.isEmpty() ? user : password)->setFocus();
    if (dialog.exec() != QDialog::Accepted) return false;
    signIn = { domain->text(), user->text(), password->text(), false };
    return true;
}

void setSignInHandler(std::function<bool(const QString&, net::SignIn&)> handler)
{
    g_signIn = std::move(handler);
}
