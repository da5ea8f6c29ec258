// SPDX-License-Identifier: GPL-3.0-or-later
// gvfs's metadata through a private session bus, whose metadata daemon keeps its store in the
// test's temporary home: never the real user's.
#include "platform/files/gvfs_metadata.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(GvfsMetadata, SetsReadsAndRemovesTheCustomIconOnlyWhereGvfsAnswers)
{
    if (const QString folder = qEnvironmentVariable("QM_PRIVATE_SESSION"); !folder.isEmpty()) {
        qunsetenv("GIO_USE_VFS"); // the test main's guard; this bus is the test's own
        const QString image = folder + "/.quillmark.ico";
        ASSERT_TRUE(files::setGvfsCustomIcon(folder, image));
        EXPECT_EQ(files::gvfsCustomIcon(folder), files::gvfsUriOf(image));
        ASSERT_TRUE(files::setGvfsCustomIcon(folder, {}));
        EXPECT_EQ(files::gvfsCustomIcon(folder), "");
        return;
    }
    QTemporaryDir tmp;
    EXPECT_FALSE(files::setGvfsCustomIcon(tmp.path(), tmp.path() + "/x.ico")) << "GIO's plain VFS: not asked";
    const QString session = QStandardPaths::findExecutable("dbus-run-session");
    if (session.isEmpty() || !QFile::exists("/usr/share/dbus-1/services/org.gtk.vfs.Metadata.service")) {
        std::fprintf(stderr, "not tried: gvfs's metadata (needs dbus-run-session and gvfs)\n");
        return;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("GIO_USE_VFS");
    env.insert("QM_PRIVATE_SESSION", tmp.path());
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(session, { "--", QCoreApplication::applicationFilePath(), "--gtest_filter=GvfsMetadata.*" });
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAll().toStdString();
}

} // namespace
