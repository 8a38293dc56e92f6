// quillbook-tool on a protected diary: "password" sets, changes and clears
// it as the dialog does, every entry command asks for the password, and a
// wrong one ends with a message and a non-zero exit, changing nothing.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "privacy/password_verifier.h"
#include "storage/diary_storage.h"
#include "storage/engine/xb_engine.h"

namespace quill {
namespace {

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class PasswordToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/quill-tool-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = std::string(tmpl) + "/";
        xb::xb_SetPassword("");
        DiaryStorage s(dir_);
        s.DailyBackups = false;
        ASSERT_TRUE(s.OpenDiaryFile());
        s.FindDateRecord(Date{2022, 7, 1});
        s.SaveEntry(Date{2022, 7, 1}, "{\\rtf1 Pelican story}");
        s.FindDateRecord(Date{2022, 7, 2});
        s.SaveEntry(Date{2022, 7, 2}, "{\\rtf1 Quetzal feathers}");
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    // Runs the tool with ARGS, INPUT on its standard input (not a terminal).
    ToolRun Tool(const std::string& args, const std::string& input) {
        const std::string in = dir_ + "../" + std::filesystem::path(dir_).parent_path().filename().string() + ".in";
        std::ofstream(in, std::ios::binary) << input;
        const std::string out = in + ".out", err = in + ".err";
        const std::string cmd = std::string(QUILL_TOOL) + " --dir " + dir_ + " " + args + " <" + in + " >" + out +
                                " 2>" + err;
        const int rc = std::system(cmd.c_str());
        ToolRun r{WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, Slurp(out), Slurp(err)};
        std::remove(in.c_str());
        std::remove(out.c_str());
        std::remove(err.c_str());
        return r;
    }
    std::string StoredValue() {
        const std::string ini = Slurp(dir_ + "QB.INI");
        const auto at = ini.find("Password=");
        return at == std::string::npos ? std::string() : ini.substr(at + 9, ini.find('\n', at) - at - 9);
    }
    std::string DiaryBytes() {
        return Slurp(dir_ + "QUILLBK.DBF") + Slurp(dir_ + "QUILLBK.FPT") + Slurp(dir_ + "QUILLBK.SLT") +
               Slurp(dir_ + "QB.INI");
    }
    std::string dir_;
};

TEST_F(PasswordToolTest, SetChangeAndClear) {
    ToolRun r = Tool("--password-stdin password", "TOOL PW\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Be sure to write down your new password: TOOL PW\n");
    EXPECT_TRUE(StoredPasswordAccepts(StoredValue(), "TOOL PW"));
    EXPECT_TRUE(std::filesystem::exists(dir_ + "QUILLBK.SLT"));
    EXPECT_EQ(Slurp(dir_ + "QUILLBK.FPT").find("Pelican"), std::string::npos);

    r = Tool("--password-stdin password", "TOOL PW\nlower2\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Be sure to write down your new password: lower2\n");
    EXPECT_TRUE(StoredPasswordAccepts(StoredValue(), "lower2"));

    // The same password again: the stored value is written, the diary not.
    const std::string table = Slurp(dir_ + "QUILLBK.FPT");
    r = Tool("--password-stdin password", "lower2\nlower2\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Slurp(dir_ + "QUILLBK.FPT"), table);

    r = Tool("--password-stdin password", "lower2\n\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Password cleared. No password now required.\n");
    EXPECT_EQ(StoredValue(), "");
    EXPECT_FALSE(std::filesystem::exists(dir_ + "QUILLBK.SLT"));
    r = Tool("show 20220701", "");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "{\\rtf1 Pelican story}");
    // With --password-stdin the first line is the password even when none
    // is needed: it never ends up in the entry.
    r = Tool("--password-stdin put 20220704 -", "lower2\n{\\rtf1 Stork}");
    EXPECT_EQ(r.status, 0) << r.err;
    r = Tool("show 20220704", "");
    EXPECT_EQ(r.out, "{\\rtf1 Stork}");
}

TEST_F(PasswordToolTest, RefusalsChangeNothing) {
    ASSERT_EQ(Tool("--password-stdin password", "KEEP\n").status, 0);
    const std::string before = DiaryBytes();
    struct Case {
        const char* input;
        const char* message;
    } cases[] = {
        {"keep\nNEW\n", "Previous password is incorrect"},
        {"\nNEW\n", "Previous password is required"},
        {"KEEP\nbad-char\n", "Valid password characters are A-Z, 0-9 and spaces"},
        {"KEEP\nNINE CHRS\n", "at most 8 characters"},
        {"KEEP\n", "no line for the New password"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        ToolRun r = Tool("--password-stdin password", c.input);
        EXPECT_NE(r.status, 0);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(DiaryBytes(), before);
    }
}

TEST_F(PasswordToolTest, EntryCommandsAskForThePassword) {
    ASSERT_EQ(Tool("--password-stdin password", "READ ME\n").status, 0);
    ToolRun r = Tool("--password-stdin show 20220702", "READ ME\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "{\\rtf1 Quetzal feathers}");
    r = Tool("--password-stdin list", "READ ME\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "20220701\t21\n20220702\t24\n");

    const std::string before = DiaryBytes();
    for (const char* cmd : {"show 20220702", "list", "put 20220703 -"}) {
        SCOPED_TRACE(cmd);
        r = Tool(std::string("--password-stdin ") + cmd, "read me\n{\\rtf1 Raven}");
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("wrong password"), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
        // Not on a terminal and no --password-stdin: no way to ask.
        r = Tool(cmd, "{\\rtf1 Raven}");
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("--password-stdin"), std::string::npos) << r.err;
    }
    EXPECT_EQ(DiaryBytes(), before);

    // The first line is the password, the rest the entry.
    r = Tool("--password-stdin put 20220703 -", "READ ME\n{\\rtf1 Raven nest}");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Slurp(dir_ + "QUILLBK.FPT").find("Raven"), std::string::npos);
    r = Tool("--password-stdin show 20220703", "READ ME\n");
    EXPECT_EQ(r.out, "{\\rtf1 Raven nest}");
    // The check compares keys and records without the password.
    r = Tool("check", "");
    EXPECT_EQ(r.status, 0) << r.out << r.err;
}

// A password kept from earlier days may hold a character of the code page
// above 0x7F: typed in UTF-8 it must become the same byte the program's
// password box makes of it ("\u20ac" is 0x80, "\u00e9" 0xE9).
TEST_F(PasswordToolTest, CurrentPasswordTypedInUtf8IsCodePageBytes) {
    std::ofstream(dir_ + "QB.INI", std::ios::binary)
        << "[Security]\nPassword=" << MakePasswordVerifier("\x80\xe9t\xe9") << "\n";
    ToolRun r = Tool("--password-stdin password", "\xe2\x82\xac\xc3\xa9t\xc3\xa9\nNEW\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(StoredPasswordAccepts(StoredValue(), "NEW"));
}

#ifdef QUILL_TOOL_HAS_PDF
TEST_F(PasswordToolTest, PdfAsksForThePassword) {
    ASSERT_EQ(Tool("--password-stdin password", "READ ME\n").status, 0);
    const std::string pdf = dir_ + "out.pdf";
    ToolRun r = Tool("--password-stdin pdf 20220701 " + pdf, "read me\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("wrong password"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(pdf));
    r = Tool("--password-stdin pdf 20220701 " + pdf, "READ ME\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "wrote " + pdf + "\n");
    EXPECT_EQ(Slurp(pdf).rfind("%PDF", 0), 0u);
}
#endif

}  // namespace
}  // namespace quill
