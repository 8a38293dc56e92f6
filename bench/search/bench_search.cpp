// The search across entries on a generated diary: the whole walk for a text
// no entry holds, and for one only the last entry holds, with the parts the
// walk spends its time on. Prints a table of figures.
//
//   bench_search [ENTRIES [BYTES]]     (default 10000 entries of about 3 KB)

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "app/entry_search/diary_search.h"
#include "bench/bench_figures.h"
#include "richtext/io/rtf_text_io.h"
#include "storage/diary_storage.h"
#include "storage/entry_text.h"

namespace {

using namespace quill;
using Clock = bench::WallClock;
using bench::MillisSince;

// The rounds are odd in number, so this is the middle sample.
double Median(std::vector<double> v) { return bench::Percentile(std::move(v), 0.5); }

// An entry of about BYTES bytes as the editor writes one: header, font and
// colour tables, paragraphs with bold and italic runs and accented letters.
std::string Entry(std::mt19937& rng, size_t bytes, const std::string& extraWord) {
    static const char* words[] = {"the",    "morning", "walked",  "garden", "letter",  "quiet",   "rain",
                                  "kitchen", "friend", "wrote",   "evening", "train",  "bread",   "market",
                                  "slowly", "winter",  "window",  "coffee", "caf\\'e9", "na\\'efve", "sister"};
    std::string s =
        "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}}\r\n"
        "{\\colortbl\\red0\\green0\\blue0;\\red255\\green0\\blue0;}\r\n"
        "\\pard\\plain\\f1\\fs24 ";
    std::uniform_int_distribution<int> word(0, int(std::size(words)) - 1);
    std::uniform_int_distribution<int> para(40, 90), style(0, 30);
    int inPara = 0, target = para(rng);
    while (s.size() + 40 < bytes) {
        const int st = style(rng);
        if (st == 0)
            s += std::string("{\\b ") + words[word(rng)] + "} ";
        else if (st == 1)
            s += std::string("{\\i ") + words[word(rng)] + "} ";
        else
            s += std::string(words[word(rng)]) + ' ';
        if (++inPara == target) {
            s += "\\par\r\n";
            inPara = 0;
            target = para(rng);
        }
    }
    s += extraWord + "\\par }\r\n";
    return StoredEntryText(s);
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const size_t bytes = argc > 2 ? size_t(std::atoi(argv[2])) : 3000;
    std::string tmpl = (std::filesystem::temp_directory_path() / "quill-bench-search-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) return 1;
    const std::string folder = tmpl + "/";

    std::mt19937 rng(42);
    const Date first{1996, 1, 1};
    Date last = first;
    size_t total = 0;
    {
        DiaryStorage s(folder);
        s.DailyBackups = false;
        if (!s.OpenDiaryFile()) {
            std::fprintf(stderr, "cannot create the diary: %s\n", s.LastError().c_str());
            return 1;
        }
        s.DiaryTable.SyncOnPost = false;  // building the sample only
        for (int i = 0; i < count; ++i) {
            last = AddDays(first, i);
            const std::string text = Entry(rng, bytes, i == count - 1 ? "xylophone" : "");
            total += text.size();
            s.FindDateRecord(last);
            s.SaveEntry(last, text);
        }
    }

    // The same walk twice: on the diary as written, then after a password
    // has sealed every text.
    bool ok = true;
    auto measure = [&](const char* title, const char* goal, const std::string& password) {
        DiaryStorage s(folder);
        if (!s.OpenDiaryFile() || (!password.empty() && !s.UsePassword(password))) {
            ok = false;
            return;
        }
        DiarySearch search(s);
        const Date shown{2030, 1, 1};
        const int rounds = 7;
        std::vector<double> none, lastOne, readOnly, parseOnly;
        for (int r = 0; r < rounds; ++r) {
            s.FindDateRecord(shown);
            auto t0 = Clock::now();
            const SearchStep a = search.FindEntryContaining("zebra crossing", shown);
            none.push_back(MillisSince(t0));
            ok = ok && !a.found && a.message == kNoMatchesText;

            t0 = Clock::now();
            const SearchStep b = search.FindEntryContaining("XYLOPHONE", shown);
            lastOne.push_back(MillisSince(t0));
            ok = ok && b.found && b.day == last;

            // The parts: reading every stored text, and reading plus parsing.
            t0 = Clock::now();
            size_t read = 0;
            s.DiaryEngine.SetOrder(1);
            for (s.DiaryTable.First(); !s.DiaryTable.Eof(); s.DiaryTable.Next())
                read += s.DiaryTable.FieldText("ENTRY").size();
            readOnly.push_back(MillisSince(t0));
            ok = ok && read == total;

            TRTFText doc;
            TRTFTextIo io(doc);
            t0 = Clock::now();
            for (s.DiaryTable.First(); !s.DiaryTable.Eof(); s.DiaryTable.Next()) {
                doc.ClearDocument();
                io.LoadFromBytes(s.DiaryTable.FieldText("ENTRY"));
            }
            parseOnly.push_back(MillisSince(t0));
        }
        std::printf("%s: %d entries, %.0f bytes each on average, %.1f MB in all (median of %d)\n", title, count,
                    double(total) / count, total / 1e6, rounds);
        std::printf("%-46s %10s %10s\n", "operation", "ms", "goal ms");
        std::printf("%-46s %10.1f %10s\n", "whole walk, text in no entry", Median(none), goal);
        std::printf("%-46s %10.1f %10s\n", "walk to a text in the last entry only", Median(lastOne), goal);
        std::printf("%-46s %10.1f %10s\n", "  of which: reading every stored text", Median(readOnly), "");
        std::printf("%-46s %10.1f %10s\n", "  reading and parsing every text", Median(parseOnly), "");
        std::printf("%-46s %10.2f %10s\n\n", "per entry, whole walk (us)", Median(none) * 1000 / count, "");
    };
    measure("search across entries", "300", "");
    {
        DiaryStorage s(folder);
        s.DailyBackups = false;
        if (!s.OpenDiaryFile()) return 1;
        s.ChangePassword("secret");
    }
    measure("search across entries, password set (texts sealed)", "400", "secret");
    std::filesystem::remove_all(folder);

    if (!ok) {
        std::printf("WRONG RESULT: the walks did not find what they should\n");
        return 1;
    }
    return 0;
}
