#pragma once
// The main function of a benchmark that needs a QApplication: it runs offscreen unless the
// environment chooses a platform.
#include <QApplication>
#include <benchmark/benchmark.h>

#define BRIVO_QT_BENCHMARK_MAIN()                                                                                      \
    int main(int argc, char **argv)                                                                                    \
    {                                                                                                                  \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                                            \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                                                   \
        QApplication app(argc, argv);                                                                                  \
        benchmark::Initialize(&argc, argv);                                                                            \
        benchmark::RunSpecifiedBenchmarks();                                                                           \
        benchmark::Shutdown();                                                                                         \
        return 0;                                                                                                      \
    }
