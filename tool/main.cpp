#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <string>
#include <unistd.h>

#include "tool/tool_registry.h"

namespace quill::tool {

std::vector<ToolCommand>& ToolCommands() {
    static std::vector<ToolCommand> commands;
    return commands;
}

ToolCommandRegistrar::ToolCommandRegistrar(ToolCommand command) {
    ToolCommands().push_back(std::move(command));
}

std::string DefaultDiaryFolder() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.local/share";
    } else {
        base = ".";
    }
    return base + "/quillbook/";
}

std::string ExecutableFolder() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "./";
    std::string path(buf, static_cast<size_t>(n));
    return path.substr(0, path.rfind('/') + 1);
}

namespace {

void PrintUsage(std::ostream& out) {
    out << "usage: quillbook-tool [--dir FOLDER] [--password-stdin] COMMAND [ARGS]\n"
           "  --dir may also follow the command; \"--\" ends the options\n\n"
           "A protected diary's password is asked for on the terminal, or read from the\n"
           "first line of standard input with --password-stdin.\n\ncommands:\n";
    auto commands = ToolCommands();
    std::sort(commands.begin(), commands.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    for (const auto& c : commands) out << "  " << c.usage << "\n      " << c.summary << "\n";
}

}  // namespace
}  // namespace quill::tool

int main(int argc, char** argv) {
    using namespace quill::tool;
    ToolContext ctx{{}, DefaultDiaryFolder(), ExecutableFolder(), &std::cin, &std::cout,
                    &std::cerr, false};
    std::string name;
    // --dir may stand before or after the command; "--" ends the options, so
    // that a search can look for a text that starts with "-".
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (options && a == "--") {
            options = false;
        } else if (options && (a == "--dir" || a.rfind("--dir=", 0) == 0)) {
            if (a == "--dir") {
                if (i + 1 >= argc) {
                    std::cerr << "quillbook-tool: --dir needs a folder\n";
                    return 2;
                }
                a = argv[++i];
            } else {
                a = a.substr(6);
            }
            if (a.empty()) {
                std::cerr << "quillbook-tool: --dir needs a folder\n";
                return 2;
            }
            ctx.diaryFolder = a.back() == '/' ? a : a + '/';
        } else if (options && a == "--password-stdin") {
            ctx.passwordFromStdin = true;
        } else if (options && name.empty() && (a == "-h" || a == "--help" || a == "help")) {
            PrintUsage(std::cout);
            return 0;
        } else if (name.empty()) {
            name = a;
        } else {
            ctx.args.push_back(a);
        }
    }
    if (name.empty()) {
        PrintUsage(std::cerr);
        return 2;
    }
    for (const auto& c : ToolCommands()) {
        if (c.name == name) return c.run(ctx);
    }
    std::cerr << "quillbook-tool: unknown command '" << name << "'\n";
    PrintUsage(std::cerr);
    return 2;
}
