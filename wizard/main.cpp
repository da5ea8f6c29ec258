// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/app.h"
#include "store/finish_journal.h"
#include "wizard/root.h"

#include <QApplication>
#include <QTimer>

#include <fontconfig/fontconfig.h>
#include <thread>

namespace {
// For the start-up benchmark: with QUILLMARK_EXIT_AFTER_SHOW set, the
// program ends right after the window's first paint.
class EndAfterFirstPaint : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) QTimer::singleShot(0, [] { EndProgram(); });
        return false;
    }
};
} // namespace

int main(int argc, char** argv)
{
    App::init(argc, argv);
    // A finish that was killed half way is completed before anything shows,
    // within a time limit, before any thread of the toolkit runs.
    RepairInterruptedFinishesWithin(2000);
    // The first text of the window reads the system's font configuration
    // (8-12 ms); it is read on another core while the toolkit connects to
    // the display, which takes longer. Qt then finds it loaded.
    std::thread fonts([] { FcInit(); });
    QApplication app(argc, argv);
    fonts.join();
    root window;
    window.create();
    window.centreOnScreen();
    EndAfterFirstPaint endAfterPaint;
    if (qEnvironmentVariableIsSet("QUILLMARK_EXIT_AFTER_SHOW")) window.installEventFilter(&endAfterPaint);
    window.show();
    return app.exec();
}
