#include "bench/spell/hunspell_pipe.h"

#include <chrono>
#include <cstdio>
#include <fstream>

namespace quill::bench {

namespace {

std::vector<std::string> SplitSuggestions(const std::string& list) {
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos < list.size()) {
        size_t comma = list.find(", ", pos);
        if (comma == std::string::npos) comma = list.size();
        out.push_back(list.substr(pos, comma - pos));
        pos = comma + 2;
    }
    return out;
}

}  // namespace

HunspellRun RunHunspell(const std::vector<std::string>& words, const std::string& folder,
                        const std::string& dictionary) {
    HunspellRun run;
    const std::string input = folder + "/hunspell-input.txt";
    {
        std::ofstream f(input, std::ios::binary);
        // A leading ^ makes hunspell read the rest of the line as text, never
        // as one of its commands.
        for (const auto& w : words) f << '^' << w << '\n';
        if (!f) {
            run.error = "cannot write " + input;
            return run;
        }
    }
    const std::string command = "hunspell -a -d " + dictionary + " < '" + input + "' 2>/dev/null";
    const auto start = std::chrono::steady_clock::now();
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        run.error = "cannot start hunspell";
        return run;
    }
    std::string line;
    std::vector<std::string> lines;
    char buf[4096];
    while (fgets(buf, sizeof buf, pipe)) {
        line += buf;
        if (!line.empty() && line.back() == '\n') {
            line.pop_back();
            lines.push_back(line);
            line.clear();
        }
    }
    const int status = pclose(pipe);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (status != 0 || lines.empty() || lines[0].rfind("@(#)", 0) != 0) {
        run.error = "hunspell -a -d " + dictionary + " did not run (is it installed?)";
        return run;
    }
    // After the banner, each input line gives one result line per word in
    // it, then an empty line.
    size_t at = 1;
    run.verdicts.reserve(words.size());
    for (size_t w = 0; w < words.size(); ++w) {
        HunspellVerdict v;
        bool first = true;
        while (at < lines.size() && !lines[at].empty()) {
            const std::string& r = lines[at++];
            if (r[0] == '&') {
                v.flagged = true;
                const size_t colon = r.find(": ");
                if (first && colon != std::string::npos) v.suggestions = SplitSuggestions(r.substr(colon + 2));
            } else if (r[0] == '#') {
                v.flagged = true;
            }
            first = false;
        }
        if (at >= lines.size() && w + 1 < words.size()) {
            run.error = "hunspell output ended early";
            return run;
        }
        ++at;  // the empty line
        run.verdicts.push_back(std::move(v));
    }
    run.ok = true;
    return run;
}

double TimeHunspellLookups(const std::vector<std::string>& words, const std::string& folder,
                           const std::string& dictionary) {
    const std::string input = folder + "/hunspell-lookups.txt";
    {
        std::ofstream f(input, std::ios::binary);
        for (const auto& w : words) f << w << '\n';
        if (!f) return -1;
    }
    const std::string command = "hunspell -l -d " + dictionary + " < '" + input + "' 2>/dev/null";
    const auto start = std::chrono::steady_clock::now();
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    char buf[4096];
    while (fgets(buf, sizeof buf, pipe)) {
    }
    if (pclose(pipe) != 0) return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace quill::bench
