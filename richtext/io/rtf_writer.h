#pragma once
// Serialises a rich text document as RTF: the stored form of every diary
// entry. Whatever it writes, the RTF reader reads back.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "richtext/io/text_writer.h"

namespace quill {

class TRTFWriter : public TTextWriter {
 public:
  TRTFWriter(const TRTFText& document, TWriteStream& out, TWriteOptions options = {});

  // Group kinds on the writer's stack.
  enum GroupKind : uint8_t { gkBody = 0, gkTabs = 1, gkRow = 2, gkBorder = 3 };

  // Run text escaping: backslash and braces get a backslash (not in raw RTF
  // runs), tab is "\tab ", line break "\line ", codes 0..3 are dropped,
  // 32..126 stay, every other byte becomes "\'xx".
  static void AppendEscaped(std::string& out, const uint8_t* text, int len, bool raw);
  // For text inside a destination (font names, document information,
  // footnotes): backslash, braces and control bytes as "\'xx" so that they
  // stay in that destination; other bytes as they are.
  static void AppendDestinationText(std::string& out, std::string_view text);

 protected:
  int Header() override;
  int ParagraphStart(const TParagraph& p) override;
  int RunHeader(const TCharAttr& a) override;
  int RunText(const uint8_t* text, int len, const TCharAttr* attr) override;
  int Object(uint8_t ch, const TCharAttr& a) override;
  int Footnote(uint8_t ch, const TCharAttr& a) override;
  int ParagraphEnd(const TParagraph& p, bool anotherFollows) override;
  int Trailer() override;

 private:
  // An open group and the paragraph properties last written inside it.
  struct Group {
    uint8_t kind = gkBody;
    int32_t firstIndent = 0, leftIndent = 0, rightIndent = 0;
    uint8_t alignment = 0;
    uint8_t borderFlags = 0, borderStyle = 0, borderWidth = 0, borderSpacingColor = 0;
    uint32_t tabMask = 0;
    bool table = false;
    bool HasBorder() const { return (borderFlags & 0x01) != 0; }
  };

  void Push(uint8_t kind, std::string& buf);
  // Closes groups down to and including the nearest one of that kind (never
  // the body group); false when there is none.
  bool CloseThrough(uint8_t kind, std::string& buf);
  bool HasOpen(uint8_t kind) const;
  int AppendRowDefinition(const TParagraph& first, std::string& buf);
  int Flush(std::string& buf);
  int CloseRaw();
  // The first footnote with that id, the first object with that key or id,
  // as the document's own lookups find them, without a walk of the chain per
  // anchor: a page with many footnotes saves in linear time.
  const TFootnote* FootnoteWithId(uint16_t id);
  const TTextObject* ObjectWith(uint16_t key, uint16_t id);
  // Builds the maps above on the first anchor written.
  void IndexRecords();

  std::vector<Group> groups_;
  // The reader keeps spacing across groups, so it is tracked outside them.
  int32_t spaceBefore_ = 0, spaceAfter_ = 0, lineSpacing_ = 0;
  bool raw_ = false;
  bool lastRunHidden_ = false;
  std::string scratch_;
  bool indexed_ = false;
  std::unordered_map<uint16_t, const TFootnote*> footnotes_;
  std::unordered_map<uint16_t, const TTextObject*> objectsByKey_, objectsById_;
};

}  // namespace quill
