// quillbook-tool password: sets, changes or clears the diary's password
// exactly as the program's "Set Up Password" dialog does.

#include <string>
#include <vector>

#include "app/preferences_file.h"
#include "privacy/password_setup.h"
#include "storage/diary_storage.h"
#include "tool/password_prompt.h"
#include "tool/storage_tool_support.h"
#include "tool/tool_registry.h"

namespace quill::tool {
namespace {

int RunPassword(ToolContext& ctx) {
    return Guarded(ctx, [&] {
        if (!ctx.args.empty()) throw Failure{2, "usage: password"};
        const std::string& folder = ctx.diaryFolder;
        RequireTable(folder);
        const std::string ini = folder + kPreferencesFileName;
        const std::string stored = ReadPreferences(ini).password;
        DiaryStorage s(folder);
        OpenForChanging(s, folder, "cannot open the diary: ");
        // The current password: the protected table judges it, else the
        // stored value in the preferences.
        std::string current;
        if (s.Protected() || !stored.empty()) {
            current = ReadPassword(ctx, "Current password");
            if (!GateOpens(s, stored, current))
                throw Failure{1, std::string(OldPasswordRefusal(current)) + "; nothing was changed"};
        }
        const std::string wanted = ReadPassword(ctx, "New password (empty: no password)");
        if (!ctx.passwordFromStdin && ReadPassword(ctx, "New password again") != wanted)
            throw Failure{1, "the two new passwords differ; nothing was changed"};
        if (!PasswordCharactersValid(wanted)) throw Failure{1, std::string(kBadPasswordCharactersMessage) + "; nothing was changed"};
        if (wanted.size() > static_cast<std::size_t>(kMaxPasswordLength))
            throw Failure{1, "a password has at most 8 characters; nothing was changed"};

        PasswordChange change;
        change.storage = &s;
        change.writeStoredPassword = [&](const std::string& value) { WritePasswordPreference(ini, value); };
        std::vector<std::string> notes;
        const std::string message = ProcessPassword(change, current, wanted, &notes);
        for (const auto& note : notes) *ctx.err << "quillbook-tool: note: " << note << '\n';
        if (!message.empty()) *ctx.out << message << '\n';
        return 0;
    });
}

static ToolCommandRegistrar passwordCommand(
    {"password", "password",
     "sets, changes or clears the diary's password (asks the current one, then the new one; empty clears it)",
     RunPassword});

}  // namespace
}  // namespace quill::tool
