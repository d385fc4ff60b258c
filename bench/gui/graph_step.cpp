// Cost of one step of the throughput graph: it clears and scrolls its picture and draws one
// strip, so the cost grows with the picture's area only through the scroll, never with history.
#include "bench/gui/QtBenchmarkMain.h"
#include "pages/monitoring/CGraphCtrl.h"

#include <QWidget>

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

void GraphStep(benchmark::State& state)
{
    QWidget parent;
    tembrel::CGraphCtrl graph;
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    graph.Create(QRect(0, 0, width, height), &parent, 5001);
    graph.SetRange(1, 1000);
    std::uint32_t value = 0;
    for (auto _ : state) {
        graph.AddValue(value = (value * 1103515245u + 12345u) % 1000u);
        graph.Step();
        benchmark::DoNotOptimize(graph.picture().constBits());
    }
    state.SetLabel(std::to_string(width) + "x" + std::to_string(height));
}

// The status page's graphs are about 200 x 80; the larger sizes show how the scroll scales.
BENCHMARK(GraphStep)->Args({200, 80})->Args({400, 160})->Args({1600, 400});

}  // namespace

int main(int argc, char** argv) { return tembrel::bench::RunWidgetBenchmarks(argc, argv); }
