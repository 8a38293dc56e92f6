#pragma once
// A canvas that writes down what is drawn on it, one short text per call.

#include <string>
#include <vector>

#include "richtext/layout/canvas.h"

namespace quill::testing {

struct DrawnText {
  int x, baseline, width;
  std::string text;
  TTextRunStyle style;
};

class RecordingCanvas : public TCanvas {
 public:
  explicit RecordingCanvas(std::vector<std::string>* log = nullptr, bool printer = false)
      : log_(log ? log : &own_), printer_(printer) {}

  void DrawText(int x, int baseline, int width, int, int, std::string_view text,
                const TTextRunStyle& style) override {
    texts.push_back({x, baseline, width, std::string(text), style});
    log_->push_back("text " + std::string(text) + " @" + std::to_string(x) + "," + std::to_string(baseline));
  }
  void FillRect(int x, int y, int w, int h, uint32_t) override { log_->push_back("fill " + Box(x, y, w, h)); }
  void DrawLine(int x1, int y1, int x2, int y2, uint32_t, int, bool dotted) override {
    log_->push_back(std::string(dotted ? "dotted " : "line ") + Box(x1, y1, x2, y2));
  }
  void DrawPicture(int x, int y, int w, int h, const TPicture* picture) override {
    log_->push_back(std::string(picture ? "picture " : "placeholder ") + Box(x, y, w, h));
  }
  void HighlightRect(int x, int y, int w, int h) override { log_->push_back("select " + Box(x, y, w, h)); }
  bool IsPrinter() const override { return printer_; }

  // The entries that start with PREFIX.
  std::vector<std::string> Only(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& s : *log_)
      if (s.rfind(prefix, 0) == 0) out.push_back(s);
    return out;
  }

  std::vector<DrawnText> texts;

 private:
  static std::string Box(int a, int b, int c, int d) {
    return std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(c) + "," + std::to_string(d);
  }
  std::vector<std::string> own_;
  std::vector<std::string>* log_;
  bool printer_;
};

}  // namespace quill::testing
