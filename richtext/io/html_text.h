#pragma once
// A small HTML reader: keeps the text, bold/italic/underline, paragraph and
// line breaks, and the common character entities; drops every other tag.

#include "richtext/io/plain_text.h"

namespace quill {

class THtmlReader : public TTextReader {
 public:
  using TTextReader::TTextReader;

 protected:
  void ReadBody() override;

 private:
  void Tag(std::string_view name, bool closing);
  void Entity(std::string_view name);
  void Text(uint8_t c);
  bool skipping_ = false;  // inside <head>, <script> or <style>
  bool pendingSpace_ = false;
  bool pendingBreak_ = false;
  bool paragraphHasText_ = false;
  int bold_ = 0, italic_ = 0, underline_ = 0;
};

}  // namespace quill
