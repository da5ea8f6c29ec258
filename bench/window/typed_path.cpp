// SPDX-License-Identifier: GPL-3.0-or-later
// The typed-path figure: on the icon page, the full path of the last icon
// source of a folder is typed into the folder box and Enter pressed. The
// box then selects every file of the folder in turn, drawing its icons,
// until it reaches the typed one. Timed from the key to the final state;
// prints "MEDIAN_SECONDS FILES" over the runs.
//
// Usage: qm_bench_typed_path FOLDER [RUNS]
#include "platform/app.h"
#include "platform/ui/shell_application.h"
#include "wizard/root.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// The last entry the file list shows for the folder.
QString lastListedFile(const QString& folder)
{
    ui::FileListBox probe(QStringLiteral("probe"), nullptr);
    probe.setPattern(kIconFilePatterns);
    if (!probe.setPath(folder) || probe.listCount() == 0) return {};
    return probe.list(probe.listCount() - 1);
}

void pressEnter(QWidget* target)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(target, &release);
}

// One run from a list showing another folder; the time in seconds, or a
// negative number when the typed file did not end up selected.
double typeAndEnter(root& w, const QString& elsewhere, const QString& folder, const QString& file)
{
    w.IconFiles->setPath(elsewhere);
    w.IconFiles->setListIndex(-1);
    DoEvents();
    w.Text2->setFocus();
    w.Text2->setText(folder + QLatin1Char('/') + file);
    QElapsedTimer timer;
    timer.start();
    pressEnter(w.Text2);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const bool reached = w.IconFiles->path() == folder && w.IconFiles->fileName() == file
        && w.Text2->text() == folder && w.IconFiles->isEnabled();
    return reached ? seconds : -1.0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [RUNS]\n", argv[0]);
        return 2;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The wizard's start-up writes its registry and recent-folders file:
    // here into a folder of this run only.
    QTemporaryDir store;
    qputenv("QUILLMARK_REGISTRY_DIR", store.filePath(QStringLiteral("registry")).toUtf8());
    qputenv("QUILLMARK_WINDOWS_DIR", store.filePath(QStringLiteral("windows")).toUtf8());
    App::init(argc, argv);
    App::setArguments({ store.path() });
    QApplication app(argc, argv);
    shell::setFolderChooser([](HWND, const QString&, const QString&) { return QString(); });

    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).canonicalPath();
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 5;
    const QString file = lastListedFile(folder);
    if (file.isEmpty()) {
        std::fprintf(stderr, "no icon source in %s\n", argv[1]);
        return 1;
    }

    root w;
    w.create();
    w.show();
    QApplication::setActiveWindow(&w);
    w.CWeiter->click();
    w.CWeiter->click(); // the icon page

    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double seconds = typeAndEnter(w, store.path(), folder, file);
        if (seconds < 0) {
            std::fprintf(stderr, "the search did not end on %s\n", qPrintable(file));
            return 1;
        }
        times.push_back(seconds);
    }
    std::sort(times.begin(), times.end());
    std::printf("%.3f %d\n", times[times.size() / 2], w.IconFiles->listCount());
    return 0;
}
