#pragma once
// How quillbook-tool gets a diary's password: from the terminal without
// echo, or, with --password-stdin, one line of standard input per password.

#include <string>

#include "tool/tool_registry.h"

namespace quill {
class DiaryStorage;
}

namespace quill::tool {

// One password, read as the context says; the prompt goes to the terminal
// (standard error). Throws Failure when there is no way to ask.
std::string ReadPassword(ToolContext& ctx, const std::string& prompt);

// For a protected diary: asks for the password and gives it to the
// engine; a wrong one ends the command (Failure, non-zero exit) before
// anything is read or written. For a diary without one nothing is asked,
// but with --password-stdin the first line is still taken as the password.
void UnlockDiary(ToolContext& ctx, DiaryStorage& storage);

}  // namespace quill::tool
