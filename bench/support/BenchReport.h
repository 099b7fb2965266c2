#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

// Prints one figure as "figure: NAME VALUE UNIT", on a line of its own, for
// scripts to read.
void Figure(const std::string &Name, double Value, const std::string &Unit, int Decimals = 2);

// Prints the runs as the console reporter does (without colours, so that the
// figure lines start their lines) and keeps the median of every benchmark
// that ran with repetitions: its real time, in the benchmark's time unit, and
// its counters. A benchmark with arguments is named "Function/arguments".
class TMedianReporter : public benchmark::ConsoleReporter
{
public:
    TMedianReporter();

    void ReportRuns(const std::vector<Run> &Runs) override;

    bool Has(const std::string &Benchmark) const { return FMedians.count(Benchmark) != 0; }
    // 0 when the benchmark did not run.
    double Time(const std::string &Benchmark) const;
    double Counter(const std::string &Benchmark, const std::string &Counter) const;

private:
    struct TMedian
    {
        double Time = 0;
        std::map<std::string, double> Counters;
    };
    std::map<std::string, TMedian> FMedians;
};
