// quillbook-tool pdf: the merged and the separate job from the shell, read
// back with pdftotext, and its refusals.

#include <QDir>
#include <QTemporaryDir>
#include <filesystem>

#include "tests/print/print_test_support.h"
#include "tests/storage/test_diary.h"

namespace quill {
namespace {

using test::D;

class ToolPdf : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::HavePoppler()) GTEST_SKIP() << "poppler-utils (pdftotext, pdfinfo) is not installed";
    ASSERT_TRUE(dir.isValid());
    folder = dir.filePath("diary/").toStdString();
    std::filesystem::create_directories(folder);
    auto s = test::OpenDiary(folder);
    s->DailyBackups = false;
    for (Date d : {D(2024, 1, 1), D(2024, 1, 3), D(2024, 1, 5)}) test::SaveDay(*s, d, test::EntryFor(d));
  }
  // Runs the tool on the diary; returns its exit status.
  int Tool(const std::string& args, std::string* out = nullptr) {
    return test::RunCommand(std::string(QUILL_TOOL) + " --dir '" + folder + "' " + args + " 2>&1", out);
  }
  std::string Out(const char* name) const { return dir.filePath(name).toStdString(); }

  QTemporaryDir dir;
  std::string folder;
};

TEST_F(ToolPdf, MergedRangeAsTheMenuPrintsIt) {
  std::string out;
  ASSERT_EQ(Tool("pdf 20240101 20240104 '" + Out("merged.pdf") + "'", &out), 0) << out;
  EXPECT_NE(out.find("wrote " + Out("merged.pdf") + "\n"), std::string::npos) << out;
  const auto pages = test::PdfPages(QString::fromStdString(Out("merged.pdf")));
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0],
            "Diary Entries Monday, January 1, 2024 Day 20240101 caf\xC3\xA9 "
            "Wednesday, January 3, 2024 Day 20240103 caf\xC3\xA9");
  // Without TO only FROM is printed.
  ASSERT_EQ(Tool("pdf 20240105 '" + Out("one.pdf") + "'", &out), 0) << out;
  EXPECT_EQ(test::PdfPages(QString::fromStdString(Out("one.pdf"))),
            std::vector<std::string>{"Diary Entries Friday, January 5, 2024 Day 20240105 caf\xC3\xA9"});
}

TEST_F(ToolPdf, SeparateFilesCarryTheDateKey) {
  std::string out;
  ASSERT_EQ(Tool("pdf --separate 20231231 20240105 '" + Out("Diary.pdf") + "'", &out), 0) << out;
  EXPECT_EQ(QDir(dir.path()).entryList({"*.pdf"}, QDir::Files, QDir::Name),
            (QStringList{"Diary-20240101.pdf", "Diary-20240103.pdf", "Diary-20240105.pdf"}));
  EXPECT_EQ(test::PdfPages(QString::fromStdString(Out("Diary-20240103.pdf"))),
            std::vector<std::string>{"Wednesday, January 3, 2024 Day 20240103 caf\xC3\xA9"});
  // A range without entries prints nothing and says so.
  ASSERT_EQ(Tool("pdf --separate 20240102 '" + Out("None.pdf") + "'", &out), 0) << out;
  EXPECT_NE(out.find("nothing printed"), std::string::npos) << out;
  EXPECT_FALSE(std::filesystem::exists(Out("None-20240102.pdf")));
}

TEST_F(ToolPdf, RefusesBadArgumentsAndUnwritableFiles) {
  const struct {
    std::string args;
    int status;
    const char* says;
  } cases[] = {
      {"pdf", 2, "usage: pdf"},
      {"pdf 20240101", 2, "usage: pdf"},
      {"pdf 2024 x.pdf", 2, "is not a date key"},
      {"pdf 20240105 20240101 x.pdf", 2, "is before FROM"},
      {"pdf 20240101 20240102 20240103 x.pdf", 2, "usage: pdf"},
      {"pdf 20240101 '" + Out("missing/x.pdf") + "'", 1, "Error - cannot print to"},
  };
  for (const auto& c : cases) {
    std::string out;
    EXPECT_EQ(Tool(c.args, &out), c.status) << c.args << "\n" << out;
    EXPECT_NE(out.find(c.says), std::string::npos) << c.args << "\n" << out;
  }
}

}  // namespace
}  // namespace quill
