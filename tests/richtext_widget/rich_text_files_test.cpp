// Clearing to the control's font, loading and saving files, font and colour
// table queries.
#include <gtest/gtest.h>

#include "richtext/io/rtf_text_io.h"
#include "richtext/widget/rich_text_files.h"
#include "widget_test_support.h"

namespace quill {
namespace {

using test::Paragraphs;

void Load(TRTFText& doc, std::string_view rtf) { ASSERT_EQ(ReadRtfDocument(doc, rtf), 0); }

TEST(RichTextFilesClear, GivesTheDiaryFontAsDefaultFormat) {
  TRTFText doc;
  Load(doc, "{\\rtf1{\\fonttbl{\\f0 Courier New;}{\\f1 Symbol;}}\\f1 old\\par text}");
  TRichTextFiles files(doc);
  files.Clear();
  EXPECT_TRUE(files.IsTextEmpty());
  EXPECT_EQ(doc.header.FontName(0), "Arial");
  EXPECT_EQ(doc.header.FontName(1), "");
  EXPECT_EQ(doc.defaultAttr.font, 0);
  EXPECT_EQ(doc.defaultAttr.size, 8);
  EXPECT_EQ(doc.defaultAttr.TextColor(), 0);     // black
  EXPECT_EQ(doc.defaultAttr.BackColor(), 12);    // white, the control's colour
  EXPECT_EQ(doc.defaultAttr.style, 0);
  // The first character typed takes the default format.
  EXPECT_TRUE(SameFormat(doc.firstParagraph->firstLine->attribs[0], doc.defaultAttr));
}

TEST(RichTextFilesClear, FontFieldsMapToTheRecord) {
  struct Case {
    TEditorFont font;
    uint32_t background;
    std::string entry0;
    uint8_t size, text, back, style;
  };
  const std::string longName(40, 'x');
  const Case cases[] = {
      // Red text, bold, italic, underline and strike-out: strike-out is dropped.
      {{"Times New Roman", 12, MakeRGB(255, 0, 0), csBold | csItalic | csUnderline | csStrikeOut},
       0xFFFFFF, "Times New Roman", 12, 1, 12, csBold | csItalic | csUnderline},
      // Colours not in the table give index 0; black is entry 0, not 15.
      {{"Courier New", 10, MakeRGB(1, 2, 3), csSuperscript}, MakeRGB(9, 9, 9), "Courier New", 10, 0, 0, 0},
      {{"Arial", 9, MakeRGB(0, 0, 0), csUnderline}, MakeRGB(192, 192, 192), "Arial", 9, 0, 13, csUnderline},
      // The name is cut to 31 characters.
      {{longName, 20, MakeRGB(0, 0, 128), 0}, 0xFFFFFF, longName.substr(0, 31), 20, 11, 12, 0},
      // Sizes a record cannot hold: none gives the usual 10, a huge one the largest.
      {{"Arial", 0, 0, 0}, 0xFFFFFF, "Arial", 10, 0, 12, 0},
      {{"Arial", 400, 0, 0}, 0xFFFFFF, "Arial", 255, 0, 12, 0},
  };
  for (const auto& c : cases) {
    TRTFText doc;
    TRichTextFiles files(doc);
    files.font = c.font;
    files.backgroundColor = c.background;
    files.Clear();
    EXPECT_EQ(doc.header.FontName(0), c.entry0) << c.font.name;
    EXPECT_EQ(doc.defaultAttr.font, 0);
    EXPECT_EQ(doc.defaultAttr.size, c.size) << c.font.name;
    EXPECT_EQ(doc.defaultAttr.TextColor(), c.text) << c.font.name;
    EXPECT_EQ(doc.defaultAttr.BackColor(), c.back) << c.font.name;
    EXPECT_EQ(doc.defaultAttr.style, c.style) << c.font.name;
  }
}

TEST(RichTextFilesClear, WithoutAFontNameOnlyEmpties) {
  TRTFText doc;
  Load(doc, "{\\rtf1{\\fonttbl{\\f0 Georgia;}}\\f0\\fs30 text}");
  doc.defaultAttr.font = uint8_t(doc.InternFont("Georgia"));
  doc.defaultAttr.size = 15;
  TRichTextFiles files(doc);
  files.font.name.clear();
  files.Clear();
  EXPECT_TRUE(files.IsTextEmpty());
  EXPECT_EQ(doc.header.FontName(0), "Georgia");
  EXPECT_EQ(doc.defaultAttr.size, 15);
}

TEST(RichTextFilesLoad, ReplacesAClearedDocumentAndRemembersThePath) {
  test::TempFolder dir;
  const std::string path = dir.File("entry.rtf");
  test::WriteFile(path, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 first\\par second}");
  TRTFText doc;
  TRichTextFiles files(doc);
  files.Clear();
  files.LoadFromFile(path);
  EXPECT_EQ(Paragraphs(doc), (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(doc.header.loadedFormat, FormatRTF);
  EXPECT_EQ(files.FileName(), path);
  EXPECT_FALSE(files.IsTextEmpty());
  files.Clear();
  EXPECT_EQ(files.FileName(), "");
}

TEST(RichTextFilesLoad, NonEmptyDocumentGetsTheFileAtTheCaret) {
  test::TempFolder dir;
  const std::string path = dir.File("part.txt");
  test::WriteFile(path, "middle ");
  TRTFText doc;
  Load(doc, "{\\rtf1 before after}");
  TRichTextFiles files(doc);
  files.caret = {doc.firstParagraph, 7};
  files.LoadFromFile(path);
  EXPECT_EQ(Paragraphs(doc), (std::vector<std::string>{"before middle after"}));
  EXPECT_EQ(files.caret.paragraph, doc.firstParagraph);
  EXPECT_EQ(files.caret.position, 14);
}

TEST(RichTextFilesLoad, EmptyFileLeavesTheClearedDocumentEmpty) {
  test::TempFolder dir;
  const std::string path = dir.File("empty.rtf");
  test::WriteFile(path, "");
  TRTFText doc;
  TRichTextFiles files(doc);
  files.Clear();
  files.LoadFromFile(path);
  EXPECT_TRUE(files.IsTextEmpty());
}

TEST(RichTextFilesLoad, MissingFileFailsWithItsNameAndChangesNothing) {
  test::TempFolder dir;
  TRTFText doc;
  Load(doc, "{\\rtf1 kept}");
  TRichTextFiles files(doc);
  const std::string kept = dir.File("kept.rtf");
  test::WriteFile(kept, "{\\rtf1 kept}");
  files.LoadFromFile(kept);  // the remembered name
  const auto before = Paragraphs(doc);
  for (const std::string& path : {dir.File("missing.rtf"), dir.Path().string()}) {
    try {
      files.LoadFromFile(path);
      ADD_FAILURE() << "no failure for " << path;
    } catch (const TFileOperationError& e) {
      EXPECT_EQ(std::string(e.what()), "Cannot open file " + path);
    }
    EXPECT_EQ(Paragraphs(doc), before);
    EXPECT_EQ(files.FileName(), kept);
  }
}

TEST(RichTextFilesSave, FormatFollowsTheName) {
  struct Case {
    const char* name;
    TLoadFormat saveFormat;
    const char* starts;
  };
  const Case cases[] = {
      {"a.rtf", FormatANSI, "{\\rtf1"},
      {"b.RtF.txt", FormatANSI, "{\\rtf1"},   // contains ".RTF"
      {"c.htm", FormatRTF, "<!DOCTYPE html>"},
      {"d.HTML", FormatRTF, "<!DOCTYPE html>"},
      {"e.txt", FormatANSI, "Dear diary"},
      {"f.TXT", FormatRTF, "{\\rtf1"},
      {"g", AutomaticFormat, "{\\rtf1"},      // as loaded
  };
  test::TempFolder dir;
  TRTFText doc;
  Load(doc, "{\\rtf1 Dear diary}");
  doc.header.loadedFormat = FormatRTF;
  TRichTextFiles files(doc);
  for (const auto& c : cases) {
    files.saveFormat = c.saveFormat;
    const std::string path = dir.File(c.name);
    files.SaveToFile(path);
    EXPECT_EQ(test::ReadFile(path).rfind(c.starts, 0), 0u) << c.name << ": " << test::ReadFile(path);
    EXPECT_EQ(files.FileName(), path);
    EXPECT_FALSE(std::filesystem::exists(path + ".saving")) << c.name;
  }
  // What was saved as RTF loads again.
  TRTFText again;
  TRichTextFiles reader(again);
  reader.LoadFromFile(dir.File("a.rtf"));
  EXPECT_EQ(Paragraphs(again), (std::vector<std::string>{"Dear diary"}));
}

TEST(RichTextFilesSave, ReplacesAnOlderFile) {
  test::TempFolder dir;
  const std::string path = dir.File("entry.rtf");
  test::WriteFile(path, std::string(5000, 'o'));
  TRTFText doc;
  Load(doc, "{\\rtf1 new}");
  TRichTextFiles files(doc);
  files.SaveToFile(path);
  TRTFText again;
  ASSERT_EQ(ReadRtfDocument(again, test::ReadFile(path)), 0);
  EXPECT_EQ(Paragraphs(again), (std::vector<std::string>{"new"}));
}

TEST(RichTextFilesSave, ThroughALinkTheLinkedFileIsReplaced) {
  test::TempFolder dir;
  const std::string real = dir.File("real.rtf"), link = dir.File("link.rtf");
  test::WriteFile(real, "old");
  std::filesystem::create_symlink(real, link);
  TRTFText doc;
  Load(doc, "{\\rtf1 through}");
  TRichTextFiles files(doc);
  files.SaveToFile(link);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(test::ReadFile(real).rfind("{\\rtf1", 0), 0u);
  EXPECT_EQ(files.FileName(), link);
}

TEST(RichTextFilesSave, UncreatableFileFailsWithItsNameAndKeepsTheOldOne) {
  test::TempFolder dir;
  TRTFText doc;
  Load(doc, "{\\rtf1 text}");
  TRichTextFiles files(doc);
  const std::string old = dir.File("old.rtf");
  test::WriteFile(old, "old text");
  // The new file cannot be written beside the old one.
  std::filesystem::create_directory(old + ".saving");
  const std::string paths[] = {dir.File("no/such/folder/x.rtf"), dir.Path().string(), old};
  for (const auto& path : paths) {
    try {
      files.SaveToFile(path);
      ADD_FAILURE() << "no failure for " << path;
    } catch (const TFileOperationError& e) {
      EXPECT_EQ(std::string(e.what()), "Cannot create file " + path);
    }
  }
  EXPECT_EQ(test::ReadFile(old), "old text");
  EXPECT_EQ(files.FileName(), "");
}

TEST(RichTextFilesTables, InternFontCutsTheName) {
  TRTFText doc;
  TRichTextFiles files(doc);
  files.Clear();
  const std::string name40 = std::string(31, 'N') + "123456789";
  const int index = files.InternFont(name40);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(doc.header.FontName(index), std::string(31, 'N'));
  EXPECT_EQ(files.InternFont(std::string(31, 'n') + "other"), index);
  EXPECT_EQ(files.InternFont("arial"), 0);
}

TEST(RichTextFilesTables, PaletteColor) {
  TRTFText doc;
  TRichTextFiles files(doc);
  EXPECT_EQ(files.PaletteColor(1), MakeRGB(255, 0, 0));
  EXPECT_EQ(files.PaletteColor(12), MakeRGB(255, 255, 255));
  EXPECT_EQ(files.PaletteColor(-1), 0u);
  EXPECT_EQ(files.PaletteColor(16), 0u);
  doc.header.colorTable[3] = MakeRGB(1, 2, 3);
  EXPECT_EQ(files.PaletteColor(3), MakeRGB(1, 2, 3));
}

}  // namespace
}  // namespace quill
