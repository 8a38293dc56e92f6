#pragma once
// The layout layer of a rich text document: measures characters in pixels,
// wraps paragraphs into display lines, places text at tab stops, prepares
// justified lines, assigns lines to pages and draws lines through a canvas.
// After layout every TLine of a paragraph holds exactly one display line.
//
// Horizontal positions are pixels from the left edge of the page's text
// area (the left margin); vertical positions are pixels from the top of the
// document. The editor widget adds its margin and scroll offsets.

#include <cstdint>
#include <functional>
#include <span>
#include <unordered_map>
#include <vector>

#include "richtext/layout/canvas.h"
#include "richtext/layout/font_cache.h"
#include "richtext/layout/font_metrics.h"
#include "richtext/model/rtf_text.h"

namespace quill {

// A place in a paragraph's display lines: before character INDEX of LINE.
struct TLineSpot {
  TLine* line = nullptr;
  int index = 0;
};

// A paragraph and one of its display lines, as found by a hit test.
struct TLineHit {
  TParagraph* paragraph = nullptr;
  TLine* line = nullptr;
};

// A selection in document order: from character FIRSTOFFSET of FIRST to
// character LASTOFFSET of LAST (offsets count characters from the start of
// the paragraph). LASTOFFSET past the paragraph's text selects its end.
struct TSelectionRange {
  const TParagraph* first = nullptr;
  int firstOffset = 0;
  const TParagraph* last = nullptr;
  int lastOffset = 0;
};

// What WrapParagraph reports when asked to compare.
enum TWrapChange : int {
  wcNone = 0,          // the lines are as they were
  wcLines = 1,         // some lines changed (they carry lfChanged)
  wcLineHeight = 2,    // a line's height changed (or the number of lines)
  wcParagraphHeight = 3,
};

class TRTFTextPaint {
 public:
  TRTFTextPaint(TRTFText& doc, TFontMetrics& metrics);
  TRTFTextPaint(const TRTFTextPaint&) = delete;
  TRTFTextPaint& operator=(const TRTFTextPaint&) = delete;

  TRTFText& Document() { return doc_; }
  const TRTFText& Document() const { return doc_; }

  // ---- settings ----------------------------------------------------------
  // The display's pixels per inch (0 or less becomes 1; a vertical 0 is read
  // as 96) times ZOOM percent. Lays the document out again when it changed.
  void SetResolution(int x, int y, int zoomPercent = 100);
  int ResolutionX() const { return doc_.header.resolutionX; }
  int ResolutionY() const { return doc_.header.resolutionY; }
  int Zoom() const { return zoom_; }
  // The display resolution SetResolution was given, before zooming.
  int DisplayResolutionX() const { return displayX_; }
  int DisplayResolutionY() const { return displayY_; }
  // The editor's client width; with word wrap on it is the wrap width.
  void SetWindowWidth(int pixels);
  int WindowWidth() const { return windowWidth_; }
  // On: lines wrap at the window width. Off: at the page's text width.
  void SetWordWrap(bool on);
  bool WordWrap() const { return wordWrap_; }
  int WrapWidth() const { return doc_.header.wrapWidth; }
  // Measurement options; each change measures the whole document again.
  void SetShowHidden(bool on);
  void SetHideInsertPoints(bool on);
  void SetHideAutomatic(bool on);
  bool ShowHidden() const { return showHidden_; }
  // Scale applied to the page height when paginating (1 by default).
  void SetPageScale(double scale) { pageScale_ = scale > 0 ? scale : 1.0; }
  // Switches the source of font measures (the printer's while printing).
  // Nothing is laid out again until the next LayoutDocument.
  void SetFontMetrics(TFontMetrics& metrics);
  TFontMetrics& FontMetrics() const { return *fonts_.Source(); }
  // Re-reads page size and margins after the header changed and lays the
  // whole document out again.
  void PageSetupChanged();

  // Between BeginUpdate and EndUpdate the settings above only mark the
  // document; the caller lays it out afterwards (RelayoutAll).
  void BeginUpdate() { ++updating_; }
  void EndUpdate() {
    if (updating_ > 0) --updating_;
  }

  // ---- layout --------------------------------------------------------------
  // Width, height and ascent of every character and each line's metrics.
  // Clears the paragraph's measure bit and sets its wrap bit.
  void MeasureParagraph(TParagraph* paragraph);
  // Height and ascent of LINE from its characters, with the paragraph's
  // spacing (first and last lines add the space before and after).
  void LineMetrics(const TParagraph* paragraph, TLine* line) const;
  // Re-flows the paragraph into new display lines (the old TLine objects are
  // freed). KEEP are places in this paragraph (caret, selection ends) that
  // move to the line and index holding the same character. Without COMPARE
  // every line counts as changed and the result is wcParagraphHeight.
  // Measures first when the paragraph is marked for it. Line tops after the
  // paragraph move only with the next Paginate (or LayoutDocument). The
  // widget clears lfChanged once it has drawn a line.
  int WrapParagraph(TParagraph* paragraph, bool compare, std::span<TLineSpot* const> keep = {});
  // After an edit: measures and wraps PARAGRAPH when it is marked, then
  // paginates so that the lines below follow. Returns what WrapParagraph
  // reports (wcNone when the paragraph was not marked).
  int RelayoutParagraph(TParagraph* paragraph, std::span<TLineSpot* const> keep = {});
  // Assigns tops and page starts to all lines; returns the document height.
  int Paginate();
  // Measures and wraps the paragraphs marked in their layout state, then
  // paginates; PROGRESS receives 0..100. Returns the document height. Does
  // nothing (returns the last height) when entered again while running.
  int LayoutDocument(const std::function<void(int percent)>& progress = {});
  // Marks every paragraph and lays the document out (after a load, a page
  // set-up or anything else that calls for drawing everything again).
  int RelayoutAll(const std::function<void(int percent)>& progress = {});
  int DocumentHeight() const { return documentHeight_; }
  bool InLayout() const { return inLayout_; }

  // ---- geometry ------------------------------------------------------------
  // X of the line's first character (indent, cell edge and alignment).
  int LineStartX(const TParagraph* paragraph, const TLine* line) const;
  // X before character INDEX of the line (INDEX = length: after the last).
  int CharX(const TParagraph* paragraph, const TLine* line, int index) const;
  // The index whose position is nearest to X (0..length, never behind a
  // final line break).
  int IndexAtX(const TParagraph* paragraph, const TLine* line, int x) const;
  // The advance of every character of the line as drawn: tabs resolved,
  // justified spaces stretched.
  std::vector<int> LineAdvances(const TParagraph* paragraph, const TLine* line) const;
  // The line at document height Y (the first or last line beyond the ends);
  // beside table cells X picks the cell.
  TLineHit LineAtY(int y) const { return HitTest(-1, y); }
  TLineHit HitTest(int x, int y) const;
  // Whether the line begins a new page (an overflow, or the first line of a
  // paragraph with a page break before it).
  static bool StartsPage(const TParagraph* paragraph, const TLine* line);
  // Horizontal extent of a paragraph's box: cell edges in a table, indents
  // otherwise.
  void ParagraphBox(const TParagraph* paragraph, int& left, int& right) const;

  // Character offset in the paragraph of (LINE, INDEX), and back.
  static int ParagraphOffset(const TParagraph* paragraph, const TLine* line, int index);
  static TLineSpot SpotAtOffset(TParagraph* paragraph, int offset);

  // ---- drawing -------------------------------------------------------------
  // Draws LINE with its top at TOP and the text area's left edge at LEFT.
  // Characters SELFROM..SELTO of the line are shown selected (SELTO beyond
  // the length also marks the paragraph end); -1 for none.
  void DrawLine(TCanvas& canvas, const TParagraph* paragraph, const TLine* line, int left, int top,
                int selFrom = -1, int selTo = -1) const;
  // Draws every line that reaches into document heights FROMY..TOY, with
  // the document's top at ORIGINY and the text area's left edge at LEFT.
  void DrawLines(TCanvas& canvas, int left, int originY, int fromY, int toY,
                 const TSelectionRange* selection = nullptr) const;

  // Colour of a colour table entry.
  uint32_t PaletteColor(int index) const;
  // The font selection layout uses for ATTR (super- and subscript smaller).
  TFontSpec FontFor(const TCharAttr& attr) const;

 private:
  struct Frame {
    int start = 1;      // x of the line's first character before alignment
    int available = 16;
    int tabOrigin = 0;  // x that tab stop positions count from
    bool cell = false;
  };
  Frame LineFrame(const TParagraph* paragraph, bool firstLine) const;
  int BorderSpacingPixels(const TParagraph* paragraph) const;
  int TableWidth() const;
  // Base advance of one character: its measured width, a space's width for
  // a tab, 0 for a line break.
  int BaseWidth(const TLine* line, int index) const;
  // New x (from the frame start) after a tab at W, for the characters
  // TEXT[FROM..TO) that follow it.
  int TabTarget(const TParagraph* paragraph, const Frame& frame, int w, const uint8_t* text,
                const int* widths, int from, int to) const;
  // Advances of TEXT[0..N) laid out on one line of the frame.
  void ComputeAdvances(const TParagraph* paragraph, const Frame& frame, const uint8_t* text,
                       const int* widths, int n, std::vector<int>& out) const;
  void ApplyJustification(const TLine* line, const uint8_t* text, int n, std::vector<int>& adv) const;
  bool Hides(const TCharAttr& a) const;
  static uint64_t LineDigest(const TLine* line);
  void PruneDigests();
  void UpdateDefaults();
  void RecomputeWrapWidth();
  void MarkAll(uint8_t bits);
  // Lays the document out unless an update is in progress.
  void LayoutIfLive() {
    if (updating_ == 0) LayoutDocument();
  }
  const TFontMeasures& Fonts(const TFontSpec& spec) const { return fonts_.Get(spec); }
  void MeasureImpl(TParagraph* paragraph);
  int WrapImpl(TParagraph* paragraph, bool compare, std::span<TLineSpot* const> keep);
  int PaginateImpl();
  void DrawBorders(TCanvas& canvas, const TParagraph* paragraph, const TLine* line, int left, int top) const;

  TRTFText& doc_;
  mutable TFontCache fonts_;
  int zoom_ = 100;
  int windowWidth_ = 0;
  bool wordWrap_ = true;
  bool showHidden_ = false;
  bool hideInsertPoints_ = false;
  bool hideAutomatic_ = false;
  double pageScale_ = 1.0;
  int documentHeight_ = 0;
  bool inLayout_ = false;
  int updating_ = 0;
  // What each display line held when it was laid out, to tell which lines
  // an edit changed (edits change lines in place).
  struct LineRecord {
    uint64_t digest;
    int height;
  };
  std::unordered_map<const TLine*, LineRecord> lineDigest_;
  int displayX_ = 96;
  int displayY_ = 96;
};

}  // namespace quill
