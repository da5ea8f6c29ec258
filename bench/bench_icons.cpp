// SPDX-License-Identifier: GPL-3.0-or-later
// What the icon grid does when a file is selected: count the icons, then
// extract, decode and draw the first 20 at the large size, releasing each
// handle at once. The file comes from QM_BENCH_ICON_FILE.
#include "platform/icons/icon_api.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>

namespace {

QString iconFile()
{
    const char* file = std::getenv("QM_BENCH_ICON_FILE");
    return file ? QString::fromLocal8Bit(file) : QString();
}

void firstTwentyLargeIcons(benchmark::State& state)
{
    const QString file = iconFile();
    std::array<DrawingSurface, 20> cells;
    for (DrawingSurface& cell : cells) {
        cell.image = QImage(34, 34, QImage::Format_ARGB32_Premultiplied);
        cell.image.fill(Qt::transparent);
    }
    int drawn = 0;
    for (auto _ : state) {
        const auto count = static_cast<UINT>(ExtractIconA(0, file, 0xFFFFFFFFu));
        drawn = 0;
        for (UINT i = 0; i < 20 && i < count; ++i) {
            const HICON icon = ExtractIconA(0, file, i);
            drawn += DrawIcon(&cells[i], 0, 0, icon);
            DestroyIcon(icon);
        }
        benchmark::DoNotOptimize(drawn);
        // Back to the event loop, as after the grid's handler.
        QCoreApplication::processEvents();
    }
    if (drawn != 20) state.SkipWithError("the file does not give 20 icons");
}
BENCHMARK(firstTwentyLargeIcons)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
