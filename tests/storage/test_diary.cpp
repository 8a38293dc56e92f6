#include "tests/storage/test_diary.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "storage/entry_text.h"

namespace quill::test {

std::unique_ptr<DiaryStorage> OpenDiary(const std::string& folder) {
    auto s = std::make_unique<DiaryStorage>(folder);
    EXPECT_TRUE(s->OpenDiaryFile()) << s->LastError();
    return s;
}

void SaveDay(DiaryStorage& s, Date day, const std::string& text) {
    s.FindDateRecord(day);
    s.SaveEntry(day, text);
}

std::string EntryFor(Date day, size_t extra) {
    std::string body = "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss Arial;}}\r\n\\pard\\plain\\f0\\fs16 Day " +
                       DateToKey(day) + " caf\xe9 " + std::string(extra, 'w') + "\\par }\r\n";
    return StoredEntryText(body);
}

Date D(int y, int m, int d) { return Date{y, m, d}; }

int RunCommand(const std::string& command, std::string* out) {
    FILE* p = popen(command.c_str(), "r");
    if (!p) return -1;
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
    const int status = pclose(p);
    if (out) *out = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Problems(const DiaryCheckReport& report) {
    std::string s;
    for (const auto& p : report.problems) s += p + "\n";
    return s;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace quill::test
