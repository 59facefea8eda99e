#include "StateInvariants.h"

#include <cstdio>
#include <cstdlib>

namespace
{
    // Built once and never torn down: libFuzzer leaves through exit(), and
    // JUCE's shutdown must not race the destruction of other statics.
    PluginAudioProcessor& sharedProcessor()
    {
        static auto* processor = []
        {
            new juce::ScopedJuceInitialiser_GUI();
            auto* p = new PluginAudioProcessor();
            p->prepareToPlay (48000.0, 64);
            return p;
        }();

        return *processor;
    }
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    if (size > (size_t) std::numeric_limits<int>::max())
        return 0;

    const auto problem = restoreAndCheck (sharedProcessor(), data, (int) size);
    if (! problem.empty())
    {
        std::fprintf (stderr, "state fuzzer: %s\n", problem.c_str());
        std::abort();
    }

    return 0;
}
