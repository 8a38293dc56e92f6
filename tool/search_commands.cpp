// quillbook-tool search: the days whose entries hold a text, found with the
// program's own matching ("Find entry containing...").

#include <iostream>
#include <string>
#include <vector>

#include "app/entry_search/diary_search.h"
#include "spell/engine/windows1252_text.h"
#include "tool/storage_tool_support.h"
#include "tool/tool_registry.h"

namespace quill::tool {
namespace {

int RunSearch(ToolContext& ctx) {
    return Guarded(ctx, [&] {
        if (ctx.args.empty()) throw Failure{2, "usage: search TEXT"};
        // Several words are one text, as typed into the program's box.
        std::string utf8;
        for (const auto& word : ctx.args) utf8 += (utf8.empty() ? "" : " ") + word;
        if (utf8.empty()) throw Failure{2, "usage: search TEXT (the text must not be empty)"};
        bool haveIndex = false;
        auto s = OpenForReading(ctx.diaryFolder, haveIndex, &ctx);
        std::string text;
        if (!spell::Utf8ToWindows1252(utf8, text)) {
            // Entries hold Windows-1252 text only: such a text is in none.
            *ctx.err << "quillbook-tool: '" << utf8 << "' holds characters no entry can hold\n"
                     << kNoMatchesText << '\n';
            return 1;
        }
        DiarySearch search(*s);
        std::vector<std::string> unreadable;
        const std::vector<std::string> days = search.AllMatchingDays(text, &unreadable);
        for (const auto& day : days) *ctx.out << day << '\n';
        ctx.out->flush();
        for (const auto& key : unreadable)
            *ctx.err << "quillbook-tool: the text of " << key << " cannot be read and was not searched\n";
        if (!unreadable.empty()) {
            *ctx.err << "quillbook-tool: run 'quillbook-tool check' and 'quillbook-tool repair'\n";
            return 1;
        }
        if (days.empty()) {
            *ctx.err << kNoMatchesText << '\n';
            return 1;
        }
        return 0;
    });
}

static ToolCommandRegistrar searchCommand({"search", "search TEXT",
                                           "lists the days whose entries contain TEXT, in date order: letter case "
                                           "ignored, '*' for any text within a paragraph",
                                           RunSearch});

}  // namespace
}  // namespace quill::tool
