#include "richtext/io/html_text.h"

#include <cstdlib>
#include <string>

namespace quill {

namespace {

std::string Lower(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = char(c + 32);
  return r;
}

}  // namespace

void THtmlReader::Text(uint8_t c) {
  if (skipping_) return;
  if (c == ' ' || c == 9 || c == 10 || c == 13) {
    // Runs of white space are one space, none at a paragraph's start.
    if (paragraphHasText_ && !pendingSpace_) {
      AppendToLine(' ');
      pendingSpace_ = true;
    }
    return;
  }
  if (pendingBreak_) {
    EndParagraph();
    pendingBreak_ = false;
  }
  pendingSpace_ = false;
  AppendToLine(c);
  paragraphHasText_ = true;
}

void THtmlReader::Tag(std::string_view raw, bool closing) {
  const std::string name = Lower(raw);
  auto setStyle = [&](int& count, uint8_t bit) {
    count += closing ? -1 : 1;
    if (count < 0) count = 0;
    if (count > 0)
      attr_.style |= bit;
    else
      attr_.style &= uint8_t(~bit);
  };
  if (name == "head" || name == "script" || name == "style") {
    skipping_ = !closing;
  } else if (name == "b" || name == "strong") {
    setStyle(bold_, csBold);
  } else if (name == "i" || name == "em") {
    setStyle(italic_, csItalic);
  } else if (name == "u") {
    setStyle(underline_, csUnderline);
  } else if (name == "br") {
    if (!skipping_) {
      if (pendingBreak_) {
        EndParagraph();
        pendingBreak_ = false;
      }
      AppendToLine(kLineBreakChar);
      paragraphHasText_ = true;
      pendingSpace_ = true;  // no space right after the break
    }
  } else if (name == "p" || name == "div" || name == "li" || name == "tr" || name == "h1" || name == "h2" ||
             name == "h3" || name == "h4" || name == "h5" || name == "h6") {
    // The break waits for the next text so that closing tags at the end
    // leave no empty paragraph behind.
    if (paragraphHasText_ && !skipping_) {
      pendingBreak_ = true;
      paragraphHasText_ = false;
    }
  }
}

void THtmlReader::Entity(std::string_view name) {
  uint8_t c = 0;
  if (name == "amp") c = '&';
  else if (name == "lt") c = '<';
  else if (name == "gt") c = '>';
  else if (name == "quot") c = '"';
  else if (name == "apos") c = '\'';
  else if (name == "nbsp") c = 0xA0;
  else if (name.size() > 1 && name[0] == '#') {
    const std::string digits(name.substr(1));
    long v = (digits[0] == 'x' || digits[0] == 'X') ? std::strtol(digits.c_str() + 1, nullptr, 16)
                                                    : std::strtol(digits.c_str(), nullptr, 10);
    if (v >= 32 && v <= 255) c = uint8_t(v);
  }
  if (c) {
    Text(c);
  } else {
    Text('&');
    for (char ch : name) Text(uint8_t(ch));
    Text(';');
  }
}

void THtmlReader::ReadBody() {
  std::string buf;
  for (;;) {
    int c = NextByte();
    if (c < 0) break;
    if (c == '<') {
      buf.clear();
      int d;
      while ((d = NextByte()) >= 0 && d != '>')
        if (buf.size() < 4096) buf += char(d);
      if (buf.rfind("!--", 0) == 0) {
        // Comments may contain '>'; read on to "-->".
        while (!(buf.size() >= 5 && buf.compare(buf.size() - 2, 2, "--") == 0) && d >= 0) {
          d = NextByte();
          while (d >= 0 && d != '>') {
            buf += char(d);
            if (buf.size() > 8) buf.erase(0, buf.size() - 8);
            d = NextByte();
          }
        }
        continue;
      }
      bool closing = !buf.empty() && buf[0] == '/';
      size_t start = closing ? 1 : 0, end = start;
      while (end < buf.size() && buf[end] != ' ' && buf[end] != '/' && buf[end] != '\t' && buf[end] != '\n' &&
             buf[end] != '\r')
        ++end;
      Tag(std::string_view(buf).substr(start, end - start), closing);
    } else if (c == '&') {
      buf.clear();
      int d;
      while ((d = NextByte()) >= 0 && d != ';' && buf.size() < 10 &&
             ((d >= 'a' && d <= 'z') || (d >= 'A' && d <= 'Z') || (d >= '0' && d <= '9') || d == '#'))
        buf += char(d);
      if (d == ';') {
        Entity(buf);
      } else {
        Text('&');
        for (char ch : buf) Text(uint8_t(ch));
        if (d >= 0) Unget();
      }
    } else if (c >= 32 || c == 9 || c == 10 || c == 13) {
      Text(uint8_t(c));
    }
  }
}

}  // namespace quill
