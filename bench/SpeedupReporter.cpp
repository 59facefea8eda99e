#include "SpeedupReporter.h"

#include <cstdio>
#include <ostream>

namespace
{
    double counterValue (const benchmark::BenchmarkReporter::Run& run, const char* name)
    {
        const auto found = run.counters.find (name);
        return found != run.counters.end() ? found->second.value : 0.0;
    }

    /** "ch:2/rate:48000/block:512/reverb:0" -> "2 ch  48000 Hz  block 512  reverb off" */
    std::string describe (const std::string& args)
    {
        int channels = 0, rate = 0, block = 0, reverb = 0;

        if (std::sscanf (args.c_str(), "ch:%d/rate:%d/block:%d/reverb:%d", &channels, &rate, &block, &reverb) != 4)
            return args;

        char text[96];
        std::snprintf (text, sizeof (text), "%s %5.1f kHz %5d  reverb %-3s",
                       channels == 2 ? "stereo" : "mono  ", rate / 1000.0, block, reverb != 0 ? "on" : "off");
        return text;
    }
}

SpeedupReporter::SpeedupReporter (bool colour)
    : ConsoleReporter (colour ? OO_ColorTabular : OO_Tabular)
{
}

void SpeedupReporter::ReportRuns (const std::vector<Run>& runs)
{
    ConsoleReporter::ReportRuns (runs);

    for (const auto& run : runs)
    {
        if (run.error_occurred)
            continue;

        // With repetitions, the median stands for the configuration.
        const bool representative = run.run_type == Run::RT_Aggregate ? run.aggregate_name == "median"
                                                                       : run.repetitions <= 1;
        if (! representative)
            continue;

        auto* table = run.run_name.function_name == pluginFamily      ? &pluginRuns
                    : run.run_name.function_name == referenceFamily   ? &referenceRuns
                                                                      : nullptr;
        if (table == nullptr)
            continue;

        const auto& key = run.run_name.args;

        if (pluginRuns.count (key) == 0 && referenceRuns.count (key) == 0)
            configurations.push_back (key);

        (*table)[key] = { counterValue (run, realTimeFactor), counterValue (run, timePerSectionSample) };
    }
}

void SpeedupReporter::Finalize()
{
    ConsoleReporter::Finalize();
    printComparison();
}

void SpeedupReporter::printComparison()
{
    auto& out = GetOutputStream();
    bool headerPrinted = false;

    for (const auto& key : configurations)
    {
        const auto plugin = pluginRuns.find (key);
        const auto reference = referenceRuns.find (key);

        if (plugin == pluginRuns.end() || reference == referenceRuns.end())
            continue;

        if (! headerPrinted)
        {
            out << "\nprocessBlock against the plain cascade on the same data (RTF: seconds of audio per CPU second;\n"
                   "ns per section-sample: CPU time per band, channel and sample; the plug-in's figure includes the whole block)\n\n";

            char header[200];
            std::snprintf (header, sizeof (header), "%-38s %12s %12s %9s %14s %14s\n",
                           "configuration", "RTF plug-in", "RTF plain", "speed-up", "ns/sec-smp pl.", "ns/sec-smp ref");
            out << header << std::string (104, '-') << '\n';
            headerPrinted = true;
        }

        const double speedUp = reference->second.realTimeFactor > 0.0
                                 ? plugin->second.realTimeFactor / reference->second.realTimeFactor
                                 : 0.0;

        char line[200];
        std::snprintf (line, sizeof (line), "%-38s %12.1f %12.1f %8.1fx %14.3f %14.3f\n",
                       describe (key).c_str(), plugin->second.realTimeFactor, reference->second.realTimeFactor,
                       speedUp, plugin->second.secondsPerSectionSample * 1.0e9, reference->second.secondsPerSectionSample * 1.0e9);
        out << line;
    }

    out.flush();
}
