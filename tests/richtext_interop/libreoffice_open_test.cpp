// RTF that we write must open in LibreOffice with the same text. Runs
// LibreOffice headless (private profile in a temporary folder) on RTF
// written from our reader's documents and from documents built here, and
// compares its plain-text export with our text, normalised as in the
// reading tests (see libreoffice_read_test.cpp), except that our footnotes
// carry no automatic number: LibreOffice shows the footnote's mark as its
// citation after the anchor character. Skips only when soffice is not
// installed.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "richtext/io/rtf_text_io.h"
#include "richtext/io/text_save.h"
#include "richtext/io/write_stream.h"
#include "tests/richtext_interop/interop_support.h"

namespace quill::testing {
namespace {

namespace fs = std::filesystem;

std::string FindSoffice() {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const fs::path candidate = fs::path(dirs.substr(start, end - start)) / "soffice";
    if (!candidate.empty() && access(candidate.c_str(), X_OK) == 0) return candidate.string();
    start = end + 1;
  }
  return {};
}

std::string ShellQuote(const std::string& s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'') q += "'\\''";
    else q += c;
  }
  return q + "'";
}

// Appends text to the last paragraph with one attribute.
void Append(TRTFText& doc, std::string_view text, const TCharAttr& attr) {
  TParagraph* p = doc.LastParagraph();
  TLine* l = doc.Get_LastLine(p);
  for (char c : text) doc.AppendChar(l, uint8_t(c), attr);
}

TParagraph* NewPar(TRTFText& doc) { return doc.NewParagraph(doc.LastParagraph(), 60); }

// A diary page as the editor would build it: fonts, sizes, colours,
// styles, alignment, indents, tab stops, a page break, a line break, a
// footnote and the whole printable Windows-1252 range.
void BuildDiaryPage(TRTFText& doc) {
  TCharAttr plain = doc.defaultAttr;
  TCharAttr bold = plain;
  bold.style = csBold;
  TCharAttr big = plain;
  big.font = uint8_t(doc.InternFont("Liberation Sans"));
  big.size = 18;
  big.SetTextColor(1);  // red
  TCharAttr mono = plain;
  mono.font = uint8_t(doc.InternFont("Liberation Mono"));
  mono.style = csItalic | csUnderline;
  Append(doc, "Thursday, ", plain);
  Append(doc, "a bold start", bold);
  Append(doc, " and a ", plain);
  Append(doc, "big red heading", big);
  TParagraph* p = NewPar(doc);
  p->alignment = alCenter;
  Append(doc, "Centred with ", plain);
  Append(doc, "code", mono);
  Append(doc, " and braces {like} this \\ one.", plain);
  p = NewPar(doc);
  p->alignment = alLeft;
  p->leftIndent = 1440;
  p->firstIndent = 720;
  p->tabMask = doc.FindOrAddTab(2880, tkLeft) | doc.FindOrAddTab(5760, tkRight);
  Append(doc, "Indented\tTabbed\tRight", plain);
  p = NewPar(doc);
  p->leftIndent = p->firstIndent = 0;
  p->tabMask = 0;
  p->flags |= pfPageBreak;
  Append(doc, "New page.\nAfter a line break.", plain);
  p = NewPar(doc);
  Append(doc, "Footnote here", plain);
  TFootnote* fn = doc.AddFootnote('*', 0, "A note on the walk.");
  TCharAttr anchor = plain;
  anchor.marks = cmFootnote;
  anchor.extra = int16_t(fn->id);
  Append(doc, "*", anchor);
  Append(doc, " and on.", plain);
  p = NewPar(doc);
  std::string all;
  for (int c = 0x20; c <= 0xFF; ++c)
    if (c != 0x7F && c != 0x81 && c != 0x8D && c != 0x8F && c != 0x90 && c != 0x9D) all += char(c);
  Append(doc, all, plain);
}

struct Case {
  std::string name;
  std::string ourText;  // LibreOffice-style text of the document we wrote
};

TEST(LibreOfficeOpensOurRtf, SameText) {
  const std::string soffice = FindSoffice();
  if (soffice.empty()) GTEST_SKIP() << "soffice is not installed";

  char tmpl[] = "/tmp/qb-rtinterop-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const fs::path dir = tmpl;
  const fs::path in = dir / "in", out = dir / "out";
  fs::create_directories(in);
  fs::create_directories(out);

  std::vector<Case> cases;
  auto writeCase = [&](const std::string& name, const TRTFText& doc) {
    TStringWriteStream s;
    ASSERT_EQ(SaveToStream(doc, s, FormatRTF), 0) << name;
    std::ofstream f(in / (name + ".rtf"), std::ios::binary);
    f << s.bytes;
    ASSERT_TRUE(f.good());
    cases.push_back({name, LibreOfficeStyleText(doc, Citation::Mark)});
  };

  // Documents our reader made from LibreOffice's RTF, written back.
  for (const std::string& path : FilesIn(FixturePath("libreoffice"))) {
    if (path.size() < 4 || path.compare(path.size() - 4, 4, ".rtf") != 0) continue;
    TRTFText doc;
    TRTFTextIo io(doc);
    ASSERT_EQ(io.LoadFromBytes(ReadFileBytes(path)), 0) << path;
    writeCase("reread_" + fs::path(path).stem().string(), doc);
  }
  {
    TRTFText doc;
    BuildDiaryPage(doc);
    writeCase("built_diary_page", doc);
  }
  ASSERT_FALSE(cases.empty());

  // One LibreOffice start converts every file.
  std::string cmd = "timeout 300 " + ShellQuote(soffice) + " -env:UserInstallation=file://" +
                    ShellQuote((dir / "profile").string()) +
                    " --headless --convert-to 'txt:Text (encoded):UTF8' --outdir " +
                    ShellQuote(out.string());
  for (const Case& c : cases) cmd += " " + ShellQuote((in / (c.name + ".rtf")).string());
  cmd += " >" + ShellQuote((dir / "soffice.log").string()) + " 2>&1";
  const int rc = std::system(cmd.c_str());
  EXPECT_EQ(rc, 0) << cmd << "\n" << ReadFileBytes((dir / "soffice.log").string());

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path txt = out / (c.name + ".txt");
    ASSERT_TRUE(fs::exists(txt)) << "LibreOffice made no text of " << c.name;
    EXPECT_EQ(NormaliseText(ReadFileBytes(txt.string())), NormaliseText(c.ourText));
  }
  std::error_code ec;
  if (!HasFailure()) fs::remove_all(dir, ec);
  else std::cerr << "files kept in " << dir << "\n";
}

}  // namespace
}  // namespace quill::testing
