// bench_spell: how well and how fast the spell engine checks and corrects,
// measured beside hunspell (en_US) on the same misspellings and prose.
//
//   bench_spell [--no-word-lists] [--show-misses] [--misspellings FILE] [--prose FILE]
//               [--compare NAME=FILE.dct]...
//
// --show-misses lists, for each dictionary, the misspellings it accepts,
// those whose correction is not among its suggestions, and the prose words
// it flags.
//
// Quality: share of the misspellings flagged, share whose correction is the
// first suggestion, within the first 5 and 10; false alarms on correct prose.
// Speed: lookups per second, time per suggestion call, dictionary open time,
// memory, and time per word against hunspell's batch mode. Then the same
// quality figures for the candidate word lists the build makes beside the
// shipped one (and any --compare file), to choose the list the program ships;
// the first table puts the shipped list beside the plain wamerican list it
// replaced ("before") and checks the goals the shipped list must meet.

#include "bench/bench_figures.h"
#include "bench/spell/hunspell_pipe.h"
#include "spell/engine/zelvo_spell.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using quill::TZelvoSpell;
using quill::bench::Percentile;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

struct Pair {
    std::string wrong;
    std::string right;  // may hold a space: two words run together
};

bool LoadPairs(const std::string& path, std::vector<Pair>& pairs) {
    std::ifstream f(path);
    if (!f) return false;
    std::string line;
    while (std::getline(f, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const size_t space = line.find(' ');
        if (space == std::string::npos || space == 0) continue;
        pairs.push_back({line.substr(0, space), line.substr(space + 1)});
    }
    return true;
}

// Words of a text: runs of letters and inner apostrophes.
std::vector<std::string> ProseWords(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    const std::string text = ss.str();
    std::vector<std::string> words;
    std::string w;
    auto flush = [&] {
        while (!w.empty() && w.back() == '\'') w.pop_back();
        size_t lead = 0;
        while (lead < w.size() && w[lead] == '\'') ++lead;
        if (lead < w.size()) words.push_back(w.substr(lead));
        w.clear();
    };
    for (unsigned char c : text) {
        if (std::isalpha(c) || c == '\'') w += static_cast<char>(c);
        else flush();
    }
    flush();
    return words;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// 1-based place of the correction among the suggestions, 0 when absent.
int PlaceOf(const std::vector<std::string>& suggestions, const std::string& right) {
    const std::string r = Lower(right);
    for (size_t i = 0; i < suggestions.size(); ++i) {
        if (Lower(suggestions[i]) == r) return static_cast<int>(i) + 1;
    }
    return 0;
}

struct Quality {
    int pairs = 0;
    int flagged = 0;
    int first = 0;
    int within5 = 0;
    int within10 = 0;
    int proseWords = 0;
    int proseFlagged = 0;
    std::vector<std::string> accepted;     // misspellings taken as correct
    std::vector<std::string> notOffered;   // flagged, correction not among the suggestions
    std::vector<std::string> falseAlarms;  // prose words flagged, each once
    std::vector<std::string> unknownCorrections;  // a correction the dictionary lacks

    void Count(const Pair& p, bool isFlagged, int place) {
        ++pairs;
        if (!isFlagged) {
            accepted.push_back(p.wrong);
            return;
        }
        if (place == 0) notOffered.push_back(p.wrong + ">" + p.right);
        ++flagged;
        if (place == 1) ++first;
        if (place >= 1 && place <= 5) ++within5;
        if (place >= 1 && place <= 10) ++within10;
    }
    void Alarm(const std::string& w) {
        ++proseFlagged;
        if (std::find(falseAlarms.begin(), falseAlarms.end(), w) == falseAlarms.end()) falseAlarms.push_back(w);
    }
    double Share(int n) const { return pairs ? 100.0 * n / pairs : 0; }
    double FalseAlarms() const { return proseWords ? 1000.0 * proseFlagged / proseWords : 0; }
};

struct Timings {
    std::vector<double> suggestMicros;  // one per flagged misspelling
    double perWordMicros = 0;           // lookup, plus suggestions when flagged
};

Quality MeasureEngine(TZelvoSpell& engine, const std::vector<Pair>& pairs,
                      const std::vector<std::string>& prose, Timings* timings) {
    Quality q;
    double total = 0;
    for (const auto& p : pairs) {
        const auto start = Clock::now();
        const bool flagged = !engine.IsWordCorrect(p.wrong);
        int place = 0;
        if (flagged) {
            place = PlaceOf(engine.GetSuggestions(p.wrong), p.right);
        }
        total += Seconds(start);
        if (flagged && timings) {
            // Best of three: on a shared machine a call may lose its time
            // slice to another process, which says nothing about the engine.
            double best = 1e30;
            for (int round = 0; round < 3; ++round) {
                const auto suggestStart = Clock::now();
                engine.GetSuggestions(p.wrong);
                best = std::min(best, Seconds(suggestStart) * 1e6);
            }
            timings->suggestMicros.push_back(best);
        }
        q.Count(p, flagged, place);
    }
    if (timings && !pairs.empty()) timings->perWordMicros = total * 1e6 / pairs.size();
    for (const auto& w : prose) {
        ++q.proseWords;
        if (!engine.IsWordCorrect(w)) q.Alarm(w);
    }
    // The corrections are everyday words: each one the dictionary lacks is
    // a false alarm waiting in a diary.
    for (const auto& p : pairs) {
        std::istringstream parts(p.right);
        std::string part;
        while (parts >> part) {
            if (!engine.IsWordCorrect(part) &&
                std::find(q.unknownCorrections.begin(), q.unknownCorrections.end(), part) ==
                    q.unknownCorrections.end()) {
                q.unknownCorrections.push_back(part);
            }
        }
    }
    return q;
}

long RssKb() {
    std::ifstream f("/proc/self/status");
    std::string line;
    while (std::getline(f, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return 0;
}

std::string ExecutableFolder() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "./";
    buf[n] = 0;
    return fs::path(buf).parent_path().string() + "/";
}

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "bench-spell-XXXXXX").string();
        if (mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

std::string Grouped(double v) {
    std::string digits = std::to_string(static_cast<long long>(v + 0.5));
    std::string out;
    int n = 0;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (n && n % 3 == 0) out.insert(out.begin(), ',');
        out.insert(out.begin(), *it);
        ++n;
    }
    return out;
}

std::string Pct(double v) {
    char b[32];
    std::snprintf(b, sizeof b, "%.1f %%", v);
    return b;
}

std::string Fixed(double v, int decimals) {
    char b[32];
    std::snprintf(b, sizeof b, "%.*f", decimals, v);
    return b;
}

void Row(const std::string& label, const std::vector<std::string>& cells, int width = 16) {
    std::printf("  %-40s", label.c_str());
    for (const auto& c : cells) std::printf("%*s", width, c.c_str());
    std::printf("\n");
}

void QualityRows(const std::vector<const Quality*>& columns, int width = 16) {
    auto cells = [&](auto f) {
        std::vector<std::string> out;
        for (const Quality* q : columns) out.push_back(q ? f(*q) : std::string("-"));
        return out;
    };
    Row("flagged as wrong", cells([](const Quality& q) { return Pct(q.Share(q.flagged)); }), width);
    Row("correction is the first suggestion", cells([](const Quality& q) { return Pct(q.Share(q.first)); }), width);
    Row("correction within the first 5", cells([](const Quality& q) { return Pct(q.Share(q.within5)); }), width);
    Row("correction within the first 10", cells([](const Quality& q) { return Pct(q.Share(q.within10)); }), width);
    Row("false alarms per 1,000 prose words", cells([](const Quality& q) { return Fixed(q.FalseAlarms(), 1); }), width);
    Row("corrections the dictionary lacks", cells([](const Quality& q) {
            return q.pairs ? std::to_string(q.unknownCorrections.size()) : std::string("-");
        }), width);
}

void ShowMisses(const std::string& title, const Quality& q) {
    auto list = [](const char* what, const std::vector<std::string>& v) {
        std::printf("    %s (%zu):", what, v.size());
        for (const auto& w : v) std::printf(" %s", w.c_str());
        std::printf("\n");
    };
    std::printf("\n  %s\n", title.c_str());
    list("misspellings accepted", q.accepted);
    list("correction not offered", q.notOffered);
    list("prose words flagged", q.falseAlarms);
    list("corrections the dictionary lacks", q.unknownCorrections);
}

const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

struct Candidate {
    std::string name;
    std::string file;
};

// The build's list of candidate dictionaries: "name<TAB>file" lines.
std::vector<Candidate> LoadCandidates(const std::string& path) {
    std::vector<Candidate> out;
    std::ifstream f(path);
    std::string line;
    while (std::getline(f, line)) {
        const size_t tab = line.find('\t');
        if (tab != std::string::npos && tab > 0) out.push_back({line.substr(0, tab), line.substr(tab + 1)});
    }
    return out;
}

// Opens DCT in E (left open for the caller's own questions) and measures it.
Quality MeasureFile(TZelvoSpell& e, const std::string& dct, const std::vector<Pair>& pairs,
                    const std::vector<std::string>& prose, Timings* timings, bool* ok) {
    e.DictionaryName = dct;
    *ok = e.OpenDictionary(dct);
    if (!*ok) return {};
    MeasureEngine(e, pairs, prose, nullptr);
    return MeasureEngine(e, pairs, prose, timings);
}

}  // namespace

int main(int argc, char** argv) {
    std::string misspellingsPath = std::string(QUILLBOOK_SPELL_BENCH_DIR) + "/misspellings.txt";
    std::string prosePath = "/usr/share/common-licenses/GPL-3";
    bool wordLists = true;
    bool showMisses = false;
    std::vector<Candidate> candidates = LoadCandidates(QUILLBOOK_SPELL_CANDIDATES);
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--no-word-lists") wordLists = false;
        else if (a == "--show-misses") showMisses = true;
        else if (a == "--misspellings" && i + 1 < argc) misspellingsPath = argv[++i];
        else if (a == "--prose" && i + 1 < argc) prosePath = argv[++i];
        else if (a == "--compare" && i + 1 < argc) {
            const std::string named = argv[++i];
            const size_t eq = named.find('=');
            candidates.push_back(eq == std::string::npos ? Candidate{named, named}
                                                         : Candidate{named.substr(0, eq), named.substr(eq + 1)});
        }
        else {
            std::fprintf(stderr, "usage: bench_spell [--no-word-lists] [--show-misses] [--misspellings FILE] "
                                 "[--prose FILE] [--compare NAME=FILE.dct]...\n");
            return 2;
        }
    }

    std::vector<Pair> pairs;
    if (!LoadPairs(misspellingsPath, pairs) || pairs.empty()) {
        std::fprintf(stderr, "bench_spell: cannot read the misspellings from %s\n", misspellingsPath.c_str());
        return 1;
    }
    const std::vector<std::string> prose = ProseWords(prosePath);
    if (prose.empty()) {
        std::fprintf(stderr, "bench_spell: no prose words in %s\n", prosePath.c_str());
        return 1;
    }
    const std::string mainPath = ExecutableFolder() + "quillbk.dct";
    std::error_code ec;
    const auto mainBytes = fs::file_size(mainPath, ec);
    if (ec) {
        std::fprintf(stderr, "bench_spell: no main dictionary at %s (build target spell_main_dictionary)\n",
                     mainPath.c_str());
        return 1;
    }
    TempFolder temp;
    if (temp.Path().empty()) {
        std::fprintf(stderr, "bench_spell: cannot create a temporary folder\n");
        return 1;
    }

    // --- Our engine on the shipped dictionary ---
    std::vector<double> openMicros;
    for (int i = 0; i < 20; ++i) {
        TZelvoSpell e;
        const auto start = Clock::now();
        const bool ok = e.OpenDictionary(mainPath);
        openMicros.push_back(Seconds(start) * 1e6);
        if (!ok) {
            std::fprintf(stderr, "bench_spell: %s does not open as a main dictionary\n", mainPath.c_str());
            return 1;
        }
    }

    const long rssBefore = RssKb();
    auto engine = std::make_unique<TZelvoSpell>();
    engine->DictionaryName = mainPath;
    engine->OpenDictionary(mainPath);
    const long rssOpen = RssKb();

    // Warm the caches once, as a dialog does after its first word.
    MeasureEngine(*engine, pairs, prose, nullptr);
    Timings ours;
    const Quality ourQuality = MeasureEngine(*engine, pairs, prose, &ours);

    // Best of five rounds: other work on the machine only ever slows a round.
    auto lookupRate = [&](TZelvoSpell& e) {
        double best = 0;
        int sink = 0;
        for (int round = 0; round < 5; ++round) {
            long count = 0;
            const auto start = Clock::now();
            double elapsed = 0;
            do {
                for (const auto& w : prose) sink += e.IsWordCorrect(w);
                count += static_cast<long>(prose.size());
                elapsed = Seconds(start);
            } while (elapsed < 0.2);
            best = std::max(best, count / elapsed);
        }
        if (sink < 0) std::printf("?");
        return best;
    };
    const double lookupsPerSecond = lookupRate(*engine);
    const long rssWork = RssKb();

    // The spell check dialog also has the user dictionary open, whose header
    // is re-read before every lookup.
    const int16_t userId = engine->CreateUserDictionary(temp.Path() + "/quillbku.dct", {});
    const double lookupsWithUser = userId >= 0 ? lookupRate(*engine) : 0;
    engine.reset();

    // --- hunspell on the same words ---
    std::vector<std::string> wrongWords;
    for (const auto& p : pairs) wrongWords.push_back(p.wrong);
    const quill::bench::HunspellRun startup = quill::bench::RunHunspell({}, temp.Path());
    const quill::bench::HunspellRun startup2 = quill::bench::RunHunspell({}, temp.Path());
    const quill::bench::HunspellRun huMiss = quill::bench::RunHunspell(wrongWords, temp.Path());
    const quill::bench::HunspellRun huProse = quill::bench::RunHunspell(prose, temp.Path());
    const bool haveHunspell = startup.ok && huMiss.ok && huProse.ok;
    // Lookup speed: the prose ten times over, so that start-up weighs little.
    std::vector<std::string> proseTimes10;
    for (int i = 0; i < 10; ++i) proseTimes10.insert(proseTimes10.end(), prose.begin(), prose.end());
    const double huLookupRun = haveHunspell ? quill::bench::TimeHunspellLookups(proseTimes10, temp.Path()) : -1;
    const double huLookupStartup = haveHunspell ? quill::bench::TimeHunspellLookups({}, temp.Path()) : -1;
    Quality huQuality;
    double huStartup = 0;
    double huPerWordMiss = 0;
    double huPerWordProse = 0;
    if (haveHunspell) {
        for (size_t i = 0; i < pairs.size(); ++i) {
            const auto& v = huMiss.verdicts[i];
            huQuality.Count(pairs[i], v.flagged, v.flagged ? PlaceOf(v.suggestions, pairs[i].right) : 0);
        }
        for (size_t i = 0; i < prose.size(); ++i) {
            ++huQuality.proseWords;
            if (huProse.verdicts[i].flagged) huQuality.Alarm(prose[i]);
        }
        std::vector<std::string> corrections;
        for (const auto& p : pairs) {
            std::istringstream parts(p.right);
            std::string part;
            while (parts >> part) {
                if (std::find(corrections.begin(), corrections.end(), part) == corrections.end()) {
                    corrections.push_back(part);
                }
            }
        }
        const quill::bench::HunspellRun huRight = quill::bench::RunHunspell(corrections, temp.Path());
        for (size_t i = 0; huRight.ok && i < corrections.size(); ++i) {
            if (huRight.verdicts[i].flagged) huQuality.unknownCorrections.push_back(corrections[i]);
        }
        huStartup = std::min(startup.seconds, startup2.ok ? startup2.seconds : startup.seconds);
        huPerWordMiss = std::max(0.0, huMiss.seconds - huStartup) * 1e6 / pairs.size();
        if (huLookupRun > 0 && huLookupStartup > 0) {
            huPerWordProse = std::max(0.0, huLookupRun - huLookupStartup) * 1e6 / proseTimes10.size();
        }
    }

    std::printf("bench_spell: spell engine against hunspell -a -d en_US\n");
    std::printf("  misspellings: %zu pairs from %s\n", pairs.size(), misspellingsPath.c_str());
    std::printf("  prose: %zu words from %s\n", prose.size(), prosePath.c_str());
    std::printf("  main dictionary: %s (%s bytes)\n\n", mainPath.c_str(), Grouped(double(mainBytes)).c_str());
    if (!haveHunspell) {
        std::printf("  hunspell: %s\n\n", (startup.ok ? huMiss.ok ? huProse.error : huMiss.error : startup.error).c_str());
    }

    // Before: the main dictionary as it was built from the plain wamerican list.
    Quality beforeQuality;
    bool haveBefore = false;
    for (const auto& c : candidates) {
        if (c.name.rfind("before", 0) == 0) {
            TZelvoSpell e;
            beforeQuality = MeasureFile(e, c.file, pairs, prose, nullptr, &haveBefore);
            break;
        }
    }
    std::printf("Quality%*s%16s%16s%16s\n", 35, "", "before", "quillbook", "hunspell");
    QualityRows({haveBefore ? &beforeQuality : nullptr, &ourQuality, haveHunspell ? &huQuality : nullptr});
    std::printf("  (before: the main dictionary built from wamerican alone, as shipped until now)\n");

    std::printf("\nGoals of the shipped word list%*s%16s%22s%10s\n", 12, "", "figure", "goal", "");
    auto goal = [](const std::string& label, const std::string& value, const std::string& target, bool met) {
        std::printf("  %-40s%16s%22s%10s\n", label.c_str(), value.c_str(), target.c_str(), Verdict(met));
    };
    goal("flagged as wrong", Pct(ourQuality.Share(ourQuality.flagged)), ">= 98.5 %",
         ourQuality.Share(ourQuality.flagged) >= 98.5);
    if (haveHunspell) {
        goal("false alarms per 1,000 prose words", Fixed(ourQuality.FalseAlarms(), 1),
             "<= " + Fixed(huQuality.FalseAlarms(), 1) + " (hunspell)",
             ourQuality.proseFlagged * huQuality.proseWords <= huQuality.proseFlagged * ourQuality.proseWords);
    }
    if (haveBefore) {
        goal("correction is the first suggestion", std::to_string(ourQuality.first) + " words",
             "> " + std::to_string(beforeQuality.first) + " (before)", ourQuality.first > beforeQuality.first);
        goal("correction within the first 10", std::to_string(ourQuality.within10) + " words",
             ">= " + std::to_string(beforeQuality.within10) + " (before)",
             ourQuality.within10 >= beforeQuality.within10);
    }

    const double median = Percentile(ours.suggestMicros, 0.5);
    const double p99 = Percentile(ours.suggestMicros, 0.99);
    const double ratioMiss = ours.perWordMicros > 0 ? huPerWordMiss / ours.perWordMicros : 0;
    const double ourPerLookup = lookupsPerSecond > 0 ? 1e6 / lookupsPerSecond : 0;
    const double ratioProse = ourPerLookup > 0 ? huPerWordProse / ourPerLookup : 0;

    std::printf("\nSpeed%*s%16s%16s%10s\n", 37, "", "figure", "goal", "");
    auto speed = [](const std::string& label, const std::string& value, const std::string& goal,
                    const char* verdict) {
        std::printf("  %-40s%16s%16s%10s\n", label.c_str(), value.c_str(), goal.c_str(), verdict);
    };
    speed("lookups per second (prose, main only)", Grouped(lookupsPerSecond), ">= 2,000,000",
          Verdict(lookupsPerSecond >= 2e6));
    speed("lookups per second (+ user dictionary)", Grouped(lookupsWithUser), "", "");
    speed("suggestions per word, median", Fixed(median / 1000, 3) + " ms", "<= 2 ms", Verdict(median <= 2000));
    speed("suggestions per word, 99th percentile", Fixed(p99 / 1000, 3) + " ms", "<= 20 ms", Verdict(p99 <= 20000));
    speed("suggestions per word, slowest", Fixed(Percentile(ours.suggestMicros, 1.0) / 1000, 3) + " ms", "", "");
    speed("main dictionary open (median of 20)", Fixed(Percentile(openMicros, 0.5) / 1000, 3) + " ms", "", "");
    speed("memory: RSS after open", "+" + Grouped(double(rssOpen - rssBefore)) + " KB", "", "");
    speed("memory: RSS after the whole run", "+" + Grouped(double(rssWork - rssBefore)) + " KB", "", "");
    if (haveHunspell) {
        speed("per misspelled word: quillbook", Fixed(ours.perWordMicros, 1) + " us", "", "");
        speed("per misspelled word: hunspell batch", Fixed(huPerWordMiss, 1) + " us", "", "");
        speed("  ratio hunspell / quillbook", Fixed(ratioMiss, 1) + " x", ">= 5 x", Verdict(ratioMiss >= 5));
        speed("per prose lookup: quillbook", Fixed(ourPerLookup, 2) + " us", "", "");
        speed("per prose lookup: hunspell -l batch", Fixed(huPerWordProse, 2) + " us", "", "");
        speed("  ratio hunspell / quillbook", Fixed(ratioProse, 1) + " x", "", "");
        speed("hunspell start-up (not counted above)", Fixed(huStartup * 1000, 1) + " ms", "", "");
    }
    std::printf("  (suggestion times: best of 3 calls per word; lookups: best of 5 rounds;\n"
                "   per-word figures: one pass over the list, lookup plus suggestions when flagged)\n");

    if (showMisses) {
        ShowMisses("quillbook, " + mainPath, ourQuality);
        if (haveHunspell) ShowMisses("hunspell en_US", huQuality);
    }
    if (!wordLists) return 0;

    // --- The word list to ship ---
    struct ListColumn {
        std::string name;
        bool ok = false;
        int32_t words = 0;
        int sections = 0;
        uintmax_t bytes = 0;
        Quality quality;
        Timings timings;
    };
    std::vector<ListColumn> columns;
    for (const auto& cand : candidates) {
        ListColumn c;
        c.name = cand.name;
        const std::string file = cand.name == "shipped" ? mainPath : cand.file;
        TZelvoSpell e;
        c.quality = MeasureFile(e, file, pairs, prose, &c.timings, &c.ok);
        if (c.ok) {
            c.sections = e.SectionCount();
            for (int sec = 0; sec < c.sections; ++sec) c.words += e.SectionHeader(sec).WordCount;
            std::error_code sizeError;
            c.bytes = fs::file_size(file, sizeError);
        }
        columns.push_back(std::move(c));
    }
    if (columns.empty()) return 0;
    std::printf("\nWord list of the main dictionary%*s", 10, "");
    for (const auto& c : columns) std::printf("%20s", c.name.c_str());
    std::printf("\n");
    auto listRow = [&](const std::string& label, auto f) {
        std::vector<std::string> cells;
        for (const auto& c : columns) cells.push_back(c.ok ? f(c) : std::string("failed"));
        Row(label, cells, 20);
    };
    listRow("words stored", [](const ListColumn& c) { return Grouped(double(c.words)); });
    listRow("sections / file size", [](const ListColumn& c) {
        return std::to_string(c.sections) + " / " + Grouped(c.bytes / 1024.0) + " KB";
    });
    std::vector<const Quality*> qs;
    for (const auto& c : columns) qs.push_back(c.ok ? &c.quality : nullptr);
    QualityRows(qs, 20);
    listRow("suggestions median / p99", [](const ListColumn& c) {
        return Fixed(Percentile(c.timings.suggestMicros, 0.5) / 1000, 2) + " / " +
               Fixed(Percentile(c.timings.suggestMicros, 0.99) / 1000, 2) + " ms";
    });
    if (showMisses) {
        for (const auto& c : columns) {
            if (c.ok) ShowMisses(c.name, c.quality);
        }
    }
    return 0;
}
