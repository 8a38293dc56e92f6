#pragma once
// Runs hunspell in its ispell-compatible pipe mode ("hunspell -a") over a
// batch of words, one word per input line, and collects its verdicts.

#include <string>
#include <vector>

namespace quill::bench {

struct HunspellVerdict {
    bool flagged = false;
    std::vector<std::string> suggestions;  // best first, as hunspell prints them
};

struct HunspellRun {
    bool ok = false;
    std::string error;
    std::vector<HunspellVerdict> verdicts;  // one per word given
    double seconds = 0;                     // wall time of the whole run
};

// Words must not contain line breaks. `folder` receives the input file.
HunspellRun RunHunspell(const std::vector<std::string>& words, const std::string& folder,
                        const std::string& dictionary = "en_US");

// Lookup only ("hunspell -l", which lists the wrong words and suggests
// nothing): the wall time of the run, or a negative value on failure.
double TimeHunspellLookups(const std::vector<std::string>& words, const std::string& folder,
                           const std::string& dictionary = "en_US");

}  // namespace quill::bench
