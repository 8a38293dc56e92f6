// Format detection, replacing versus inserting, plain text and HTML loads.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "reader_helpers.h"

namespace quill {
namespace {

struct DetectCase {
  const char* head;
  TLoadFormat format;
};

TEST(FormatDetection, Cases) {
  const DetectCase cases[] = {
      {"{\\rtf1 x}", FormatRTF},
      {" \r\n\t\b{\\rtf1 x}", FormatRTF},
      {"{\\rtf", FormatRTF},
      {"x{\\rtf1}", FormatANSI},
      {"{\\RTF1}", FormatANSI},
      {"<html><body>x</body></html>", FormatHTML},
      {"Some <B>bold</B> text", FormatHTML},
      {"a <br> b", FormatHTML},
      {"<H1>", FormatHTML},
      {"<TITLE>x", FormatHTML},
      {"a < b and c > d", FormatANSI},
      {"<div>x</div>", FormatANSI},
      {"<verylongtag>", FormatANSI},
      {"", FormatANSI},
      {"plain diary text", FormatANSI},
  };
  for (const auto& c : cases) EXPECT_EQ(TRTFTextIo::DetectFormat(c.head), c.format) << c.head;
  // Only the first 2000 bytes are scanned.
  EXPECT_EQ(TRTFTextIo::DetectFormat(std::string(1995, 'x') + "<p>"), FormatHTML);
  EXPECT_EQ(TRTFTextIo::DetectFormat(std::string(2000, 'x') + "<p>"), FormatANSI);
}

TEST(LoadLayer, EmptyDocumentIsReplaced) {
  TRTFText doc;
  doc.header.title = "old";
  int changes = 0;
  doc.onChange = [&] { ++changes; };
  TRTFTextIo io(doc);
  ASSERT_EQ(io.LoadFromBytes("{\\rtf1 a\\par b}"), 0);
  EXPECT_EQ(test::Paragraphs(doc), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(doc.header.title, "");
  EXPECT_EQ(changes, 1);
}

TEST(LoadLayer, NonEmptyDocumentGetsTheTextAtTheCaret) {
  TRTFText doc;
  TRTFTextIo io(doc);
  ASSERT_EQ(io.LoadFromBytes("{\\rtf1 Hello world\\par last}"), 0);
  io.caret = {doc.firstParagraph, 6};
  ASSERT_EQ(io.LoadFromBytes("{\\rtf1 {\\b big}, wide\\par new}"), 0);
  EXPECT_EQ(test::Paragraphs(doc), (std::vector<std::string>{"Hello big, wide", "newworld", "last"}));
  EXPECT_EQ(test::AttrAt(doc.firstParagraph, 6).style, csBold);
  EXPECT_EQ(io.caret.paragraph, doc.firstParagraph->next);
  EXPECT_EQ(io.caret.position, 3);
  // Single-paragraph insertion in the middle of a line, then at the end.
  io.caret = {doc.firstParagraph->next->next, 2};
  ASSERT_EQ(io.LoadFromBytes("plain"), 0);
  EXPECT_EQ(test::TextOf(doc.firstParagraph->next->next), "laplainst");
  io.caret = {};
  ASSERT_EQ(io.LoadFromBytes("{\\rtf1 !}"), 0);
  EXPECT_EQ(test::TextOf(doc.LastParagraph()), "laplainst!");
  EXPECT_EQ(doc.pendingChain, nullptr);
}

TEST(LoadLayer, InsertionKeepsTabStopsOfTheChainBeingRead) {
  TRTFText doc;
  doc.header.resolutionX = 96;
  TRTFTextIo io(doc);
  ASSERT_EQ(io.LoadFromBytes("{\\rtf1 x}"), 0);
  // Fill the tab table with unused stops; the chain's own stops must survive
  // when entries are reclaimed during the read.
  for (int i = 0; i < kTabCount; ++i) doc.FindOrAddTab(144 * (i + 1), tkLeft);
  std::string rtf = "{\\rtf1 a\\par \\tx7200 b\\par ";
  for (int i = 0; i < 40; ++i) rtf += "\\tx" + std::to_string(100000 + 144 * i);
  rtf += " c}";
  ASSERT_EQ(io.LoadFromBytes(rtf), 0);
  ASSERT_EQ(test::Paragraphs(doc), (std::vector<std::string>{"xa", "b", "c"}));
  const TParagraph* b = doc.firstParagraph->next;
  ASSERT_NE(b->tabMask, 0u);
  const int idx = __builtin_ctz(b->tabMask);
  EXPECT_EQ(doc.header.tabPositions[size_t(idx)], 7200);
  EXPECT_NE(doc.LastParagraph()->tabMask, 0u);
}

TEST(LoadLayer, LargePlainTextLoadsInPlainMode) {
  std::string text;
  while (text.size() <= kPlainTextLimit) text += "A line of plain diary text.\r\n";
  TRTFText doc;
  TRTFTextIo io(doc);
  ASSERT_EQ(io.LoadFromBytes(text), 0);
  EXPECT_EQ(doc.MemoryFormat(), fmPlainText);
  EXPECT_EQ(doc.firstParagraph->firstLine->attribs, nullptr);
  EXPECT_EQ(test::TextOf(doc.firstParagraph), "A line of plain diary text.");
  // Writing it out gives the same bytes.
  EXPECT_EQ(PlainTextOf(doc) + "\r\n", text + "\r\n");

  // The next formatted load of a cleared document is rich again.
  doc.ClearDocument();
  ASSERT_EQ(io.LoadFromBytes("{\\rtf1 \\b x}"), 0);
  EXPECT_EQ(doc.MemoryFormat(), fmRichText);
  EXPECT_EQ(test::AttrAt(doc.firstParagraph, 0).style, csBold);
}

TEST(LoadLayer, SmallPlainTextStaysRich) {
  TRTFText doc;
  TRTFTextIo io(doc);
  ASSERT_EQ(io.LoadFromBytes("one\r\ntwo\nthree\rfour\tend"), 0);
  EXPECT_EQ(doc.MemoryFormat(), fmRichText);
  EXPECT_EQ(test::Paragraphs(doc), (std::vector<std::string>{"one", "two", "three", "four\tend"}));
}

TEST(LoadLayer, ForcedFormatWins) {
  TRTFText doc;
  TRTFTextIo io(doc);
  ASSERT_EQ(io.LoadFromBytes("{\\rtf1 x}", FormatANSI), 0);
  EXPECT_EQ(test::TextOf(doc.firstParagraph), "{\\rtf1 x}");
}

TEST(LoadLayer, HtmlKeepsTextAndBasicStyles) {
  TRTFText doc;
  TRTFTextIo io(doc);
  ASSERT_EQ(io.LoadFromBytes("<html><head><title>t</title></head><body><p>Caf&eacute; &amp; <b>tea</b></p>"
                             "<p>line<br>two &#233;</p></body></html>"),
            0);
  EXPECT_EQ(test::Paragraphs(doc), (std::vector<std::string>{"Caf&eacute; & tea", "line\ntwo \xe9"}));
  EXPECT_EQ(test::AttrAt(doc.firstParagraph, 14).style, csBold);
  EXPECT_EQ(test::AttrAt(doc.firstParagraph, 13).style, 0);
}

class LoadFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("quill_reader_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Write(const std::string& name, const std::string& bytes) {
    const auto p = dir_ / name;
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  }
  std::filesystem::path dir_;
};

TEST_F(LoadFile, RecordsTheDetectedFormat) {
  TRTFText doc;
  TRTFTextIo io(doc);
  ASSERT_EQ(io.LoadFromFile(Write("e.rtf", "{\\rtf1 entry}")), 0);
  EXPECT_EQ(doc.header.loadedFormat, FormatRTF);
  doc.ClearDocument();
  ASSERT_EQ(io.LoadFromFile(Write("e.txt", "text")), 0);
  EXPECT_EQ(doc.header.loadedFormat, FormatANSI);
}

TEST_F(LoadFile, EmptyFileLeavesAnEmptyDocument) {
  TRTFText doc;
  doc.ClearDocument();
  TRTFTextIo io(doc);
  ASSERT_EQ(io.LoadFromFile(Write("Eraseme.rtf", "")), 0);
  EXPECT_TRUE(doc.IsEmpty());
}

TEST_F(LoadFile, MissingFileFailsAndChangesNothing) {
  TRTFText doc;
  TRTFTextIo io(doc);
  ASSERT_EQ(io.LoadFromBytes("{\\rtf1 keep}"), 0);
  EXPECT_EQ(io.LoadFromFile((dir_ / "nope.rtf").string()), 7);
  EXPECT_EQ(test::Paragraphs(doc), std::vector<std::string>{"keep"});
}

// A bitmap file: file header, information header, then the bits.
std::string BitmapFile(const std::string& bits) {
  return "BM" + std::string(12, '\0') + std::string("\x28\0\0\0", 4) + std::string(36, '\0') + bits;
}

TEST_F(LoadFile, LinkedPictureLoadsFromThePictureFolder) {
  const std::string bmp = BitmapFile("DIBDATA");
  Write("cat.bmp", bmp);
  TRTFText doc;
  TRTFTextIo io(doc);
  io.pictureFolder = dir_.string();
  ASSERT_EQ(io.LoadFromBytes("{\\rtf1 {\\*\\picfile \"elsewhere/cat.bmp\"}}"), 0);
  ASSERT_NE(doc.firstObject, nullptr);
  ASSERT_NE(doc.firstObject->picture, nullptr);
  EXPECT_EQ(doc.firstObject->picture->kind, pkDib);
  EXPECT_EQ(std::string(doc.firstObject->picture->data.begin(), doc.firstObject->picture->data.end()), bmp.substr(14));
}

// A page from anywhere may name any file: only a regular file of picture
// size that starts like a picture is read; any other keeps its link, without
// data.
TEST_F(LoadFile, LinkedPictureReadsOnlyPictureFiles) {
  using namespace std::string_literals;
  const struct {
    const char* name;
    std::string bytes;
    bool read;
  } files[] = {
      {"notes.txt", "my password is swordfish, and the bank pin is 1234\n"s, false},
      {"fake.bmp", "BMW owners club: meeting on Tuesday at eight\n"s, false},
      {"empty.png", ""s, false},
      {"cat.png", "\x89PNG\r\n\x1A\n\0\0\0\rIHDR"s, true},
      {"cat.jpg", "\xFF\xD8\xFF\xE0\0\x10JFIF"s, true},
      {"cat.gif", "GIF89a\x01\0\x01\0"s, true},
      {"cat.bmp", BitmapFile("bits"), true},
      {"placeable.wmf", "\xD7\xCD\xC6\x9A"s + std::string(30, '\0'), true},
      {"plain.wmf", "\x01\0\x09\0\0\x03"s + std::string(30, '\0'), true},
      {"cat.emf", "\x01\0\0\0"s + std::string(36, '\0') + " EMF" + std::string(60, '\0'), true},
  };
  for (const auto& f : files) {
    SCOPED_TRACE(f.name);
    const std::string path = Write(f.name, f.bytes);
    TRTFText doc;
    TRTFTextIo io(doc);
    ASSERT_EQ(io.LoadFromBytes("{\\rtf1 a{\\*\\picfile \"" + path + "\"}b}"), 0);
    EXPECT_EQ(test::TextOf(doc.firstParagraph), "a\x01" "b");
    ASSERT_NE(doc.firstObject, nullptr);
    EXPECT_EQ(doc.firstObject->fileName, path);
    EXPECT_EQ(doc.firstObject->picture != nullptr, f.read);
  }

  // Not regular files: a folder, a named pipe (which must not block the
  // load), a device; and a picture beyond 16 MB.
  std::filesystem::create_directory(dir_ / "folder.png");
  const std::string pipe = (dir_ / "pipe.png").string();
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const std::string big = Write("big.png", "\x89PNG\r\n\x1A\n"s);
  std::filesystem::resize_file(big, (16u << 20) + 1);
  for (const std::string& path : {(dir_ / "folder.png").string(), pipe, std::string("/dev/zero"), big}) {
    SCOPED_TRACE(path);
    TRTFText doc;
    TRTFTextIo io(doc);
    ASSERT_EQ(io.LoadFromBytes("{\\rtf1 a{\\*\\picfile \"" + path + "\"}b}"), 0);
    ASSERT_NE(doc.firstObject, nullptr);
    EXPECT_EQ(doc.firstObject->picture, nullptr);
    EXPECT_EQ(test::TextOf(doc.firstParagraph), "a\x01" "b");
  }
  // Just within the limit it is read.
  std::filesystem::resize_file(big, 16u << 20);
  TRTFText doc;
  TRTFTextIo io(doc);
  ASSERT_EQ(io.LoadFromBytes("{\\rtf1 {\\*\\picfile \"" + big + "\"}}"), 0);
  ASSERT_NE(doc.firstObject, nullptr);
  EXPECT_NE(doc.firstObject->picture, nullptr);
}

TEST(LoadLayer, StreamLoadAndProgress) {
  TRTFText doc;
  TRTFTextIo io(doc);
  std::istringstream in("{\\rtf1 streamed}");
  int last = -1;
  io.onProgress = [&](int pct) { last = pct; };
  ASSERT_EQ(io.LoadFromStream(in), 0);
  EXPECT_EQ(test::TextOf(doc.firstParagraph), "streamed");
  EXPECT_EQ(last, 100);
}

}  // namespace
}  // namespace quill
