#pragma once
// The command table of quillbook-tool. Each command file registers its
// commands with a static ToolCommandRegistrar, so adding a command touches
// only its own file.

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace quill::tool {

struct ToolContext {
    std::vector<std::string> args;  // the words after the command name, options removed
    std::string diaryFolder;        // --dir, or the user's diary folder; trailing '/'
    std::string programFolder;      // folder of this executable; trailing '/'
    std::istream* in;
    std::ostream* out;
    std::ostream* err;
    // --password-stdin: passwords come one a line from standard input
    // instead of the terminal.
    bool passwordFromStdin = false;
};

struct ToolCommand {
    std::string name;
    std::string usage;  // e.g. "show DATE"
    std::string summary;
    std::function<int(ToolContext&)> run;  // exit status
};

std::vector<ToolCommand>& ToolCommands();

struct ToolCommandRegistrar {
    explicit ToolCommandRegistrar(ToolCommand command);
};

// The user's diary folder: $XDG_DATA_HOME/quillbook/ or ~/.local/share/quillbook/.
std::string DefaultDiaryFolder();
// Folder of the running executable, with a trailing '/'.
std::string ExecutableFolder();

}  // namespace quill::tool
