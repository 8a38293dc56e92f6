#pragma once
// Turns RTF text into the document model.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "richtext/io/plain_text.h"

namespace quill {

class TRTFReader : public TTextReader {
 public:
  TRTFReader(TTextHeader* header, TRTFText* document);
  ~TRTFReader() override;

  // Folder searched for linked pictures whose own path does not exist.
  std::string pictureFolder;

  struct TWordEntry;  // one entry of the control word table

 protected:
  void ReadBody() override;
  void PostProcess() override;

 private:
  struct TParState {
    int32_t firstIndent = 0;  // relative to the left indent while reading
    int32_t leftIndent = 0;
    int32_t rightIndent = 0;
    uint8_t alignment = 0;
    uint32_t tabMask = 0;
    uint8_t borderFlags = 0, borderStyle = 0, borderWidth = 0, borderSpacingColor = 0;
  };
  struct TGroupState {
    TCharAttr attr;
    TParState par;
    uint8_t dest = 0;
    bool parStarted = false;
    bool inTable = false;
  };
  struct TCellDef {
    int32_t rightEdge = 0;
    uint8_t sides = 0;  // bf* side bits
  };

  friend struct TRTFReaderActions;
  void HandleWord(const char* word, int len, bool hasParam, int32_t param);
  void HandleSymbol(uint8_t ch);
  void Deliver(int ch);
  void DeliverText(int ch);
  void AddPictureByte(uint8_t b);
  void ReadBinary(int32_t n);
  void OpenGroup();
  bool CloseGroup();  // false when reading ends
  void ReadRaw();
  void FlushPendingObject();
  void EndPicture();
  void EndLinkedPicture();
  void FinishParagraph(bool cell);
  void ApplyParState(TParagraph* p, bool withTabs);
  void CellEnd();
  void RowEnd();
  void StartFootnote();

  TGroupState st_;
  std::vector<TGroupState> stack_;
  int depth_ = 0;
  int phantomDepth_ = 0;  // groups beyond the saved-state limit
  bool started_ = false;
  bool ignorable_ = false;
  bool stop_ = false;
  bool rawMode_ = false;
  bool parTouched_ = false;  // a paragraph word acted on the current paragraph

  std::array<uint8_t, 99> fontMap_{};
  int fontNumber_ = -1;
  // The last font 0 definition applies to the saved states of the groups
  // around it: the lowest font0Below_ of them, as they are restored.
  uint8_t font0_ = 0;
  size_t font0Below_ = 0;
  std::string fontName_;
  int colorIndex_ = 0;
  bool pendingFirstSet_ = false;
  int32_t pendingFirst_ = 0;
  uint8_t pendingTabKind_ = 0;

  // tables
  std::vector<TCellDef> cells_;
  int32_t widestEdge_ = 0;
  int shareTotal_ = 0;
  int cellNumber_ = 0;
  TParagraph* lastCell_ = nullptr;
  uint8_t pendingSides_ = 0;  // sides of the cell being defined
  bool cellBorder_ = false;   // border words now describe that cell

  // pictures
  uint8_t picKind_ = 0;
  std::vector<uint8_t> picData_;
  uint8_t picBuffer_[1024];
  int picBufferLen_ = 0;
  int picNibble_ = -1;
  int32_t picw_ = 0, pich_ = 0, picwgoal_ = 0, pichgoal_ = 0;
  int32_t picscalex_ = 100, picscaley_ = 100;
  int32_t bitsPerPixel_ = 0, widthBytes_ = 0;
  bool quoteOpen_ = false;
  std::string linkName_;
  bool objPending_ = false;
  int32_t objKey_ = 0, objW_ = 0, objH_ = 0;

  TFootnote* footnote_ = nullptr;
};

// Lower-level helpers for tests and tools: the control words the reader knows,
// sorted.
std::vector<std::string_view> RtfReaderKnownWords();

}  // namespace quill
