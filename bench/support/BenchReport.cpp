#include "support/BenchReport.h"

#include <cstdio>

void Figure(const std::string &Name, double Value, const std::string &Unit, int Decimals)
{
    std::printf("figure: %s %.*f %s\n", Name.c_str(), Decimals, Value, Unit.c_str());
    std::fflush(stdout);
}

TMedianReporter::TMedianReporter() : ConsoleReporter(OO_Tabular)
{
}

void TMedianReporter::ReportRuns(const std::vector<Run> &Runs)
{
    ConsoleReporter::ReportRuns(Runs);
    for (const Run &run : Runs) {
        if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median")
            continue;
        const std::string &args = run.run_name.args;
        TMedian &median = FMedians[run.run_name.function_name + (args.empty() ? "" : "/" + args)];
        median.Time = run.GetAdjustedRealTime();
        for (const auto &[name, counter] : run.counters)
            median.Counters[name] = counter.value;
    }
}

double TMedianReporter::Time(const std::string &Benchmark) const
{
    const auto found = FMedians.find(Benchmark);
    return found == FMedians.end() ? 0 : found->second.Time;
}

double TMedianReporter::Counter(const std::string &Benchmark, const std::string &Counter) const
{
    const auto found = FMedians.find(Benchmark);
    if (found == FMedians.end())
        return 0;
    const auto counter = found->second.Counters.find(Counter);
    return counter == found->second.Counters.end() ? 0 : counter->second;
}
