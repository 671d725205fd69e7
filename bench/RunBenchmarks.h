#pragma once

#include <benchmark/benchmark.h>

// The common end of every benchmark program's main(), after it has made the Qt application its code needs:
// reads the benchmark options (an unknown one ends the run with status 1) and runs what they select.
inline int runBenchmarks(int& argc, char** argv, benchmark::BenchmarkReporter* reporter = nullptr)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks(reporter);
    benchmark::Shutdown();
    return 0;
}
