// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up benchmark's baseline: an empty Qt window of the wizard's
// size, shown the way the wizard shows its own. With
// QUILLMARK_EXIT_AFTER_SHOW set it ends right after its first paint, as the
// wizard then does.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {
class EndAfterFirstPaint : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, [] {
                std::fflush(nullptr);
                std::_Exit(0);
            });
        return false;
    }
};
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(479, 355); // the wizard's client area, 7185 x 5325 twips
    EndAfterFirstPaint end;
    if (qEnvironmentVariableIsSet("QUILLMARK_EXIT_AFTER_SHOW")) window.installEventFilter(&end);
    window.show();
    return app.exec();
}
