// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the wizard offscreen through its pages on one folder and finishes,
// for tools/try_kills.sh: with a delay given, a thread kills the process that
// many microseconds after the finish began (its journal appeared in the
// Windows directory). Without one it prints how long the finish took.
//
//   finish_driver FOLDER ICON_FOLDER TOOLTIP ICON_FILE CELL COPY [KILL_AFTER_US]
//
// ICON_FILE "" chooses no icon; COPY is 0 or 1. The removal's wait is cut
// short by a clock that runs fast.
#include "platform/app.h"
#include "platform/files/native_names.h"
#include "wizard/root.h"

#include <QApplication>
#include <QTest>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <thread>

namespace {

bool journalExists(const QByteArray& folder)
{
    DIR* dir = ::opendir(folder.constData());
    if (!dir) return false;
    bool found = false;
    while (const dirent* e = ::readdir(dir))
        found = found || (std::strncmp(e->d_name, "quillmark-finish-", 17) == 0);
    ::closedir(dir);
    return found;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 7) {
        std::fputs(
            "usage: finish_driver FOLDER ICON_FOLDER TOOLTIP ICON_FILE CELL COPY [KILL_AFTER_US]\n", stderr);
        return 2;
    }
    App::init(argc, argv);
    QApplication app(argc, argv);
    // Paths as the wizard takes its own argument: bytes that are not UTF-8 kept.
    const QString folder = files::fromNative(argv[1]), icons = files::fromNative(argv[2]);
    const QString iconFile = files::fromNative(argv[4]);
    const int cell = std::atoi(argv[5]);
    App::setArguments({ folder });
    setTimerSource([] {
        static float clock = 1000.0f;
        return clock += 0.5f;
    });
    auto pressed = std::chrono::steady_clock::now();
    setEndHandler([&] {
        const auto took = std::chrono::steady_clock::now() - pressed;
        std::printf("%lld\n",
            static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(took).count()));
        std::fflush(stdout);
        std::_Exit(0);
    });

    root w;
    w.create();
    w.show();
    QApplication::setActiveWindow(&w);
    QTest::mouseClick(w.CWeiter, Qt::LeftButton);
    w.Text1->setText(QString::fromUtf8(argv[3]));
    QTest::mouseClick(w.CWeiter, Qt::LeftButton);
    if (iconFile.isEmpty()) {
        QTest::mouseClick(w.CLöschen, Qt::LeftButton);
    } else {
        w.Text2->setFocus();
        w.Text2->setText(icons);
        QTest::keyClick(w.Text2, Qt::Key_Return);
        w.IconFiles->setFileName(iconFile);
        if (cell > 0) QTest::mouseClick(w.Bilddatei[cell], Qt::LeftButton);
    }
    w.bKopieren->setValue(argv[6][0] == '1' ? 1 : 0);
    if (!iconFile.isEmpty() && w.IconFiles->fileName() != iconFile) {
        w.IconFiles->setFileName(iconFile);
        if (cell > 0) QTest::mouseClick(w.Bilddatei[cell], Qt::LeftButton);
    }
    if (argc > 7) {
        const long delay = std::atol(argv[7]);
        const QByteArray windows = qgetenv("QUILLMARK_WINDOWS_DIR");
        std::thread([delay, windows] {
            while (!journalExists(windows))
                std::this_thread::sleep_for(std::chrono::microseconds(20));
            std::this_thread::sleep_for(std::chrono::microseconds(delay));
            std::raise(SIGKILL);
        }).detach();
    }
    pressed = std::chrono::steady_clock::now();
    QTest::mouseClick(w.CWeiter, Qt::LeftButton);
    std::fputs("the finish did not end the program\n", stderr);
    return 1;
}
