// SPDX-License-Identifier: GPL-3.0-or-later
// Every test program starts here: an offscreen Qt application and a private,
// temporary home so that no test touches the user's real files.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QTemporaryDir home(QDir::tempPath() + "/quillmark-test-home-XXXXXX");
    const QByteArray h = home.path().toUtf8();
    setenv("HOME", h.constData(), 1);
    setenv("XDG_CONFIG_HOME", (h + "/config").constData(), 1);
    setenv("XDG_DATA_HOME", (h + "/data").constData(), 1);
    setenv("QUILLMARK_REGISTRY_DIR", (h + "/registry").constData(), 1);
    setenv("QUILLMARK_WINDOWS_DIR", (h + "/windows").constData(), 1);
    setenv("QUILLMARK_SMB_CONF", "", 1); // no Samba shares unless a test names its own
    // The metadata of a running gvfs lives in the real home: never written by a test.
    setenv("GIO_USE_VFS", "local", 1);
#ifdef QM_SMB_MODULE
    setenv("QUILLMARK_SMB_MODULE", QM_SMB_MODULE, 1);
#endif

    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
