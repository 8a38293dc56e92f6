#include "bench/storage/bench_common.h"

#include <algorithm>

namespace quill::bench {

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string SampleEntry(std::mt19937& rng, size_t bytes) {
    static const char* words[] = {"the",   "morning", "walked", "garden", "letter",  "quiet",
                                  "rain",  "kitchen", "friend", "wrote",  "evening", "train",
                                  "bread", "market",  "slowly", "winter", "window",  "coffee"};
    std::string s =
        "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}}\r\n"
        "{\\colortbl\\red0\\green0\\blue0;\\red255\\green0\\blue0;}\r\n"
        "\\pard\\plain\\f1\\fs24 ";
    std::uniform_int_distribution<int> word(0, int(std::size(words)) - 1);
    std::uniform_int_distribution<int> para(40, 90);
    int inPara = 0, target = para(rng);
    while (s.size() + 12 < bytes) {
        s += words[word(rng)];
        s += ' ';
        if (++inPara == target) {
            s += "\\par\r\n";
            inPara = 0;
            target = para(rng);
        }
    }
    s += "\\par }\r\n";
    if (s.size() % 4 == 0) s.insert(s.size() - 2, 1, ' ');
    return s;
}

std::vector<std::string> ConsecutiveKeys(Date first, int count) {
    std::vector<std::string> keys;
    keys.reserve(size_t(count));
    for (int i = 0; i < count; ++i) keys.push_back(DateToKey(AddDays(first, i)));
    return keys;
}

}  // namespace quill::bench
