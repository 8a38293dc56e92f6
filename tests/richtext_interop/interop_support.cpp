#include "tests/richtext_interop/interop_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace quill::testing {

std::string FixturePath(std::string_view relative) {
  return std::string(QB_RICHTEXT_FIXTURES) + "/" + std::string(relative);
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    ADD_FAILURE() << "cannot read " << path;
    return {};
  }
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> files;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(folder, ec))
    if (e.is_regular_file()) files.push_back(e.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

std::string Cp1252ToUtf8(std::string_view bytes) {
  // 0x80..0x9F; 0 where Windows-1252 has no character.
  static const char16_t k80[32] = {
      0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};
  std::string out;
  for (unsigned char c : bytes) {
    char32_t u = c;
    if (c >= 0x80 && c < 0xA0) u = k80[c - 0x80] ? k80[c - 0x80] : 0xFFFD;
    if (u < 0x80) {
      out += char(u);
    } else if (u < 0x800) {
      out += char(0xC0 | (u >> 6));
      out += char(0x80 | (u & 0x3F));
    } else {
      out += char(0xE0 | (u >> 12));
      out += char(0x80 | ((u >> 6) & 0x3F));
      out += char(0x80 | (u & 0x3F));
    }
  }
  return out;
}

std::string LibreOfficeStyleText(const TRTFText& doc, Citation citation) {
  std::string cp;
  for (const TParagraph* p = doc.firstParagraph; p; p = p->next) {
    for (const TLine* l = p->firstLine; l; l = l->next) {
      for (int i = 0; i < l->length; ++i) {
        const uint8_t c = l->text[i];
        const TCharAttr* a = l->attribs ? &l->attribs[i] : nullptr;
        if (c == kObjectKeyChar || c == kObjectIdChar) continue;
        cp += char(c);
        if (a && (a->marks & cmFootnote)) {
          int n = 1;
          const TFootnote* f = doc.firstFootnote;
          for (; f && f->id != uint16_t(a->extra); f = f->next) ++n;
          if (citation == Citation::Number) cp += std::to_string(n);
          else if (f) cp += char(f->mark);
        }
      }
    }
    cp += '\n';
  }
  return Cp1252ToUtf8(cp);
}

std::string NormaliseText(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::string out;
  std::string line;
  auto flush = [&] {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
    out += line;
    out += '\n';
    line.clear();
  };
  for (char c : text) {
    if (c == '\r') continue;
    if (c == '\n') flush();
    else line += c;
  }
  if (!line.empty()) flush();
  while (out.size() >= 2 && out[out.size() - 1] == '\n' && out[out.size() - 2] == '\n') out.pop_back();
  if (out == "\n") out.clear();
  return out;
}

std::string ParagraphText(const TParagraph* p) {
  std::string s;
  for (const TLine* l = p->firstLine; l; l = l->next) s.append(l->Text());
  return s;
}

const TParagraph* NthParagraph(const TRTFText& doc, int n) {
  const TParagraph* p = doc.firstParagraph;
  while (p && n-- > 0) p = p->next;
  return p;
}

int ParagraphCount(const TRTFText& doc) {
  int n = 0;
  for (const TParagraph* p = doc.firstParagraph; p; p = p->next) ++n;
  return n;
}

bool FindText(const TRTFText& doc, std::string_view needle, FoundText* out) {
  for (const TParagraph* p = doc.firstParagraph; p; p = p->next) {
    std::vector<uint8_t> chars;
    std::vector<TCharAttr> attrs;
    for (const TLine* l = p->firstLine; l; l = l->next)
      for (int i = 0; i < l->length; ++i) {
        chars.push_back(l->text[i]);
        attrs.push_back(l->attribs ? l->attribs[i] : TCharAttr{});
      }
    std::string_view hay(reinterpret_cast<const char*>(chars.data()), chars.size());
    const size_t at = hay.find(needle);
    if (at == std::string_view::npos) continue;
    out->paragraph = p;
    out->chars.assign(chars.begin() + long(at), chars.begin() + long(at + needle.size()));
    out->attrs.assign(attrs.begin() + long(at), attrs.begin() + long(at + needle.size()));
    return true;
  }
  return false;
}

}  // namespace quill::testing
