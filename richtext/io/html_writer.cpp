#include "richtext/io/html_writer.h"

#include <string>

namespace quill {

namespace {

void AppendHtml(std::string& s, const uint8_t* text, int len) {
  for (int i = 0; i < len; ++i) {
    const uint8_t c = text[i];
    switch (c) {
      case '&': s += "&amp;"; break;
      case '<': s += "&lt;"; break;
      case '>': s += "&gt;"; break;
      case '"': s += "&quot;"; break;
      case 9: s += "&#9;"; break;
      case 10: s += "<br>"; break;
      default:
        if (c > 3) s += char(c);
    }
  }
}

constexpr uint8_t kShown = csBold | csItalic | csUnderline | csStrikeOut;

}  // namespace

int THTMLWriter::Header() {
  std::string s =
      "<!DOCTYPE html>\r\n<html><head><meta charset=\"windows-1252\"><title>";
  const std::string& t = doc_.header.title;
  AppendHtml(s, reinterpret_cast<const uint8_t*>(t.data()), int(t.size()));
  s += "</title></head><body>\r\n";
  return Put(s);
}

int THTMLWriter::ParagraphStart(const TParagraph& p) {
  inParagraph_ = true;
  switch (p.alignment) {
    case alRight: return Put("<p style=\"text-align:right\">");
    case alCenter: return Put("<p style=\"text-align:center\">");
    case alJustify: return Put("<p style=\"text-align:justify\">");
    default: return Put("<p>");
  }
}

int THTMLWriter::CloseRun() {
  std::string s;
  if (openStyle_ & csStrikeOut) s += "</s>";
  if (openStyle_ & csUnderline) s += "</u>";
  if (openStyle_ & csItalic) s += "</i>";
  if (openStyle_ & csBold) s += "</b>";
  openStyle_ = 0;
  return s.empty() ? kWriteOk : Put(s);
}

int THTMLWriter::RunHeader(const TCharAttr& a) {
  const uint8_t style = a.style & kShown;
  if (style == openStyle_) return kWriteOk;
  int rc = CloseRun();
  if (rc != kWriteOk) return rc;
  std::string s;
  if (style & csBold) s += "<b>";
  if (style & csItalic) s += "<i>";
  if (style & csUnderline) s += "<u>";
  if (style & csStrikeOut) s += "<s>";
  openStyle_ = style;
  return s.empty() ? kWriteOk : Put(s);
}

int THTMLWriter::RunText(const uint8_t* text, int len, const TCharAttr* attr) {
  if (attr && (attr->marks & cmHidden)) return kWriteOk;
  std::string s;
  AppendHtml(s, text, len);
  return Put(s);
}

int THTMLWriter::ParagraphEnd(const TParagraph&, bool) {
  int rc = CloseRun();
  if (rc != kWriteOk) return rc;
  inParagraph_ = false;
  return Put("</p>\r\n");
}

int THTMLWriter::Trailer() {
  int rc = CloseRun();
  if (rc != kWriteOk) return rc;
  if (inParagraph_) {
    inParagraph_ = false;
    rc = Put("</p>\r\n");
    if (rc != kWriteOk) return rc;
  }
  return Put("</body></html>\r\n");
}

}  // namespace quill
