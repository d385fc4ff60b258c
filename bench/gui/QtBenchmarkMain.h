#pragma once
// The main of a widget benchmark: an offscreen QApplication unless the caller chose a platform,
// then Google Benchmark; `afterRun` drops what must go before the application does.

#include <QApplication>

#include <benchmark/benchmark.h>

#include <functional>

namespace tembrel::bench {

inline int RunWidgetBenchmarks(int argc, char** argv, const std::function<void()>& afterRun = {}) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (afterRun) afterRun();
    return 0;
}

}  // namespace tembrel::bench
