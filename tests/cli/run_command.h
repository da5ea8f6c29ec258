#pragma once
// Runs one of our commands as a user would: from the build folder, one
// level above the test programs.
#include <QCoreApplication>
#include <QProcess>

struct Outcome {
    int status; // -1: crashed or did not finish within a minute
    QString out;
    QString err;
};

inline Outcome runCommand(const QString& command, const QStringList& arguments)
{
    QProcess p;
    p.start(QCoreApplication::applicationDirPath() + "/../" + command, arguments);
    if (!p.waitForFinished(60000)) return { -1, {}, "did not finish" };
    return { p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
        QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError()) };
}
