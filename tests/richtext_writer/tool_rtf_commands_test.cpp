// quillbook-tool rtf2txt and rtf2rtf on small files.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class RtfCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("quill_rtf_tool_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  Result Run(const std::string& args) {
    const fs::path out = dir_ / "stdout", err = dir_ / "stderr";
    const std::string cmd = std::string("'") + QUILL_TOOL + "' --dir '" + dir_.string() + "' " +
                            args + " >'" + out.string() + "' 2>'" + err.string() + "'";
    Result r;
    const int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = ReadAll(out);
    r.err = ReadAll(err);
    return r;
  }
  static std::string Fixture(const char* name) {
    return std::string("'") + QUILL_FIXTURES + "/" + name + "'";
  }
  fs::path dir_;
};

const char* const kEntryText =
    "Caf\xC3\xA9 \xE2\x80\x93 na\xC3\xAFve \xE2\x82\xAC" "5\tok\nline two\n"
    "bold and italic {braces}\n"
    "\xE2\x80\x9Cquoted\xE2\x80\x9D \xC3\x84rger\n";

TEST_F(RtfCommands, Rtf2TxtPrintsUtf8ParagraphLines) {
  const Result r = Run("rtf2txt " + Fixture("entry.rtf"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, kEntryText);
  EXPECT_EQ(r.err, "");
}

TEST_F(RtfCommands, Rtf2RtfWritesWhatReadsBackToTheSameText) {
  const Result r = Run("rtf2rtf " + Fixture("entry.rtf"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("\\qc"), std::string::npos);
  EXPECT_NE(r.out.find("\\{braces\\}"), std::string::npos);
  EXPECT_EQ(r.out.substr(r.out.size() - 3), "\r\n}");
  std::ofstream(dir_ / "again.rtf", std::ios::binary) << r.out;
  const Result again = Run("rtf2txt '" + (dir_ / "again.rtf").string() + "'");
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out, kEntryText);
}

TEST_F(RtfCommands, ErrorsAreClearAndNonZero) {
  struct Case {
    std::string args;
    int status;
    std::string message;
  } cases[] = {
      {"rtf2txt '" + (dir_ / "missing.rtf").string() + "'", 1, "cannot read"},
      {"rtf2rtf '" + (dir_ / "missing.rtf").string() + "'", 1, "No such file"},
      {"rtf2txt " + Fixture("not_rtf.txt"), 1, "is not an RTF file"},
      {"rtf2txt", 2, "usage: quillbook-tool rtf2txt FILE"},
      {"rtf2rtf a b", 2, "usage: quillbook-tool rtf2rtf FILE"},
  };
  for (const auto& c : cases) {
    const Result r = Run(c.args);
    EXPECT_EQ(r.status, c.status) << c.args;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << ": " << r.err;
    EXPECT_EQ(r.out, "") << c.args;
  }
}

TEST_F(RtfCommands, EmptyRtfGivesOneEmptyLine) {
  std::ofstream(dir_ / "empty.rtf", std::ios::binary) << "{\\rtf1}";
  const Result r = Run("rtf2txt '" + (dir_ / "empty.rtf").string() + "'");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "\n");
}

}  // namespace
