// quillbook-tool spell: a spelling pipe in the style of "ispell -a".
//
// After a banner line, every input line is checked word by word, with the
// word rules of the editor's spell check (letters of Windows-1252; an
// apostrophe inside a word belongs to it; digits and hyphens separate
// words). For each word one line is written:
//   *                              the word is correct
//   & WORD N OFFSET: s1, s2, ...   not found; N suggestions
//   # WORD OFFSET                  not found; no suggestions
// then an empty line ends the input line. OFFSET counts characters from the
// start of the input line, from 0. "*WORD" adds WORD to the user
// dictionary; a line starting with "^" is read as text whatever follows;
// "#" (save) is accepted and does nothing, since every addition is saved at
// once. Input and output are UTF-8.

#include <cerrno>
#include <iostream>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "spell/engine/windows1252_text.h"
#include "spell/engine/zelvo_spell.h"
#include "tool/tool_registry.h"

namespace quill::tool {
namespace {

constexpr const char* kUserDictionaryName = "quillbku.dct";
constexpr const char* kMainDictionaryName = "quillbk.dct";

// Letters of the spell check's word walk (Windows-1252).
bool IsWordLetter(uint8_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0xC0 || c == 0x8A ||
           c == 0x8C || c == 0x9A || c == 0x9C || c == 0x9F;
}

struct TWordSpan {
    size_t Start;   // byte index in the Windows-1252 text
    size_t Length;
};

std::vector<TWordSpan> SplitWords(const std::string& text) {
    std::vector<TWordSpan> words;
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        if (!IsWordLetter(static_cast<uint8_t>(text[i]))) {
            ++i;
            continue;
        }
        size_t start = i;
        while (i < n) {
            const auto c = static_cast<uint8_t>(text[i]);
            if (IsWordLetter(c)) {
                ++i;
            } else if (c == '\'' && i + 1 < n && IsWordLetter(static_cast<uint8_t>(text[i + 1]))) {
                ++i;
            } else {
                break;
            }
        }
        words.push_back({start, i - start});
    }
    return words;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

// Creates the folder and its parents; true when it exists afterwards.
bool MakeFolders(const std::string& folder) {
    for (size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        std::string part = folder.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
    return true;
}

class TSpellPipe {
public:
    TSpellPipe(ToolContext& ctx, std::string userPath) : ctx_(ctx), userPath_(std::move(userPath)) {}

    int Run() {
        const std::string mainPath = ctx_.programFolder + kMainDictionaryName;
        if (!engine_.OpenDictionary(mainPath)) {
            *ctx_.err << "quillbook-tool spell: cannot open the main dictionary " << mainPath << "\n";
            return 1;
        }
        if (FileExists(userPath_)) {
            userId_ = engine_.OpenUserDictionary(userPath_);
            if (userId_ < 0) {
                // Never replaced: it may hold years of added words.
                *ctx_.err << "quillbook-tool spell: cannot open the user dictionary " << userPath_
                          << " (not a user dictionary, or not writable)\n";
                return 1;
            }
        }
        std::ostream& out = *ctx_.out;
        out << "@(#) International Ispell Version 3.2.06 (but really Quillbook spell)\n" << std::flush;
        int status = 0;
        std::string line;
        while (std::getline(*ctx_.in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty() && line[0] == '*') {
                if (!AddUserWord(line.substr(1))) status = 1;
                continue;
            }
            if (line == "#") continue;
            const size_t skip = !line.empty() && line[0] == '^' ? 1 : 0;
            CheckLine(line, skip);
            out << "\n" << std::flush;
        }
        return status;
    }

private:
    void CheckLine(const std::string& line, size_t skip) {
        std::string text;
        spell::Utf8ToWindows1252(std::string_view(line).substr(skip), text);
        // Each converted byte stands for one character of the input line.
        std::ostream& out = *ctx_.out;
        for (const TWordSpan& w : SplitWords(text)) {
            const std::string word = text.substr(w.Start, w.Length);
            if (engine_.IsWordCorrect(word)) {
                out << "*\n";
                continue;
            }
            const size_t offset = skip + w.Start;
            const std::string shown = spell::Windows1252ToUtf8(word);
            const std::vector<std::string>& suggestions = engine_.GetSuggestions(word);
            if (suggestions.empty()) {
                out << "# " << shown << " " << offset << "\n";
                continue;
            }
            out << "& " << shown << " " << suggestions.size() << " " << offset << ":";
            for (size_t i = 0; i < suggestions.size(); ++i) {
                out << (i == 0 ? " " : ", ") << spell::Windows1252ToUtf8(suggestions[i]);
            }
            out << "\n";
        }
    }

    bool AddUserWord(std::string utf8) {
        while (!utf8.empty() && (utf8.back() == ' ' || utf8.back() == '\t')) utf8.pop_back();
        size_t first = utf8.find_first_not_of(" \t");
        utf8.erase(0, first == std::string::npos ? utf8.size() : first);
        std::string word;
        if (utf8.empty() || !spell::Utf8ToWindows1252(utf8, word)) {
            *ctx_.err << "quillbook-tool spell: cannot add \"" << utf8
                      << "\": not a word of the Windows-1252 character set\n";
            return false;
        }
        if (userId_ < 0) {
            const size_t slash = userPath_.rfind('/');
            if (slash != std::string::npos && slash > 0) MakeFolders(userPath_.substr(0, slash));
            userId_ = engine_.CreateUserDictionary(userPath_, {});
            if (userId_ < 0) {
                *ctx_.err << "quillbook-tool spell: cannot create the user dictionary " << userPath_
                          << "\n";
                return false;
            }
        }
        engine_.AddWord(word, userId_);
        // The engine refuses some words without saying so (too long, a full
        // dictionary, a failed write); a lookup tells whether it went in.
        if (!engine_.IsWordCorrect(word)) {
            *ctx_.err << "quillbook-tool spell: \"" << utf8
                      << "\" was not added (longer than 25 characters, dictionary full, or a "
                         "write error)\n";
            return false;
        }
        return true;
    }

    ToolContext& ctx_;
    std::string userPath_;
    TZelvoSpell engine_;
    int16_t userId_ = -1;
};

int RunSpell(ToolContext& ctx) {
    std::string userPath = ctx.diaryFolder + kUserDictionaryName;
    for (size_t i = 0; i < ctx.args.size(); ++i) {
        if (ctx.args[i] == "--user" && i + 1 < ctx.args.size()) {
            userPath = ctx.args[++i];
        } else {
            *ctx.err << "usage: quillbook-tool spell [--user FILE]\n";
            return 2;
        }
    }
    TSpellPipe pipe(ctx, userPath);
    return pipe.Run();
}

const ToolCommandRegistrar kSpellCommand{
    {"spell", "spell [--user FILE]",
     "spelling pipe like \"ispell -a\": checks the words of each input line; *WORD adds a "
     "word to the user dictionary (default quillbku.dct in the diary folder)",
     RunSpell}};

}  // namespace
}  // namespace quill::tool
