#include "tool/password_prompt.h"

#include <termios.h>
#include <unistd.h>

#include <iostream>

#include "richtext/model/win1252_codec.h"
#include "storage/diary_storage.h"
#include "tool/storage_tool_support.h"

namespace quill::tool {

namespace {

// The terminal speaks UTF-8; passwords are Windows-1252 bytes, as the
// program's password box makes them (characters beyond become "?").
std::string FromUtf8(const std::string& in) {
    std::string out;
    for (std::size_t i = 0; i < in.size();) {
        const unsigned char c = static_cast<unsigned char>(in[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        unsigned code = c & (0x3F >> extra);
        std::size_t j = i + 1;
        for (int k = 0; k < extra && j < in.size(); ++k, ++j) code = (code << 6) | (in[j] & 0x3F);
        out += extra > 0 ? static_cast<char>(UnicodeToWin1252(code)) : '?';
        i = j;
    }
    return out;
}

std::string ChompLine(std::string line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

}  // namespace

std::string ReadPassword(ToolContext& ctx, const std::string& prompt) {
    std::string line;
    if (ctx.passwordFromStdin) {
        if (!std::getline(*ctx.in, line)) throw Failure{2, "--password-stdin: no line for the " + prompt};
        return FromUtf8(ChompLine(line));
    }
    if (ctx.in != &std::cin || !::isatty(STDIN_FILENO))
        throw Failure{2, "the diary is protected by a password: run on a terminal, or give the password with "
                         "--password-stdin"};
    std::cerr << prompt << ": " << std::flush;
    termios old{};
    const bool haveTerm = ::tcgetattr(STDIN_FILENO, &old) == 0;
    if (haveTerm) {
        termios quiet = old;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    const bool got = static_cast<bool>(std::getline(std::cin, line));
    if (haveTerm) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &old);
    std::cerr << '\n';
    if (!got) throw Failure{2, "no password given"};
    return FromUtf8(ChompLine(line));
}

void UnlockDiary(ToolContext& ctx, DiaryStorage& storage) {
    if (storage.KeyState() == 0) {
        // The first line is the password whether or not one is needed, so
        // that it never becomes part of an entry read from the same input.
        if (ctx.passwordFromStdin) ReadPassword(ctx, "Password");
        return;
    }
    const std::string password = ReadPassword(ctx, "Password");
    if (!storage.UsePassword(password))
        throw Failure{1, "wrong password for the diary in " + ctx.diaryFolder + "; nothing was read or changed"};
}

}  // namespace quill::tool
