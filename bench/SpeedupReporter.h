#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

/** The console output of Google Benchmark, followed by a table that puts each
    processBlock row next to the plain-cascade row of the same configuration:
    both real-time factors, their ratio, and both costs per band-sample. */
class SpeedupReporter : public benchmark::ConsoleReporter
{
public:
    static constexpr const char* pluginFamily = "processBlock";
    static constexpr const char* referenceFamily = "plainCascade";
    static constexpr const char* realTimeFactor = "rtf";
    static constexpr const char* timePerSectionSample = "cpu/section-sample";

    explicit SpeedupReporter (bool colour);

    void ReportRuns (const std::vector<Run>& runs) override;
    void Finalize() override;

private:
    struct Figures
    {
        double realTimeFactor = 0.0;
        double secondsPerSectionSample = 0.0;
    };

    void printComparison();

    std::map<std::string, Figures> pluginRuns, referenceRuns;
    std::vector<std::string> configurations;
};
