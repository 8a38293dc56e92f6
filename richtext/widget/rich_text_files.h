#pragma once
// The editor's operations on its document that need no window: clearing it
// to the control's font, loading and saving files, and the font and colour
// table queries. The editor control owns one and shows its failures.

#include <cstdint>
#include <string>
#include <string_view>

#include "richtext/io/rtf_text_io.h"
#include "richtext/io/text_writer.h"
#include "richtext/model/model_types.h"
#include "richtext/model/rtf_text.h"

namespace quill {

// A file that cannot be opened or created; the text is the one the user
// sees ("Cannot open file <path>", "Cannot create file <path>").
class TFileOperationError : public TRichTextError {
 public:
  using TRichTextError::TRichTextError;
};

// The control's Font: the default character format of a cleared document.
struct TEditorFont {
  std::string name = "Arial";
  int size = 8;            // points
  uint32_t color = 0;      // 0x00BBGGRR
  uint8_t style = 0;       // cs* bits; a cleared document keeps bold, italic and underline
};

class TRichTextFiles {
 public:
  explicit TRichTextFiles(TRTFText& document) : doc_(document) {}

  TEditorFont font;
  uint32_t backgroundColor = 0xFFFFFF;  // the control's own colour
  TLoadFormat loadFormat = AutomaticFormat;
  TLoadFormat saveFormat = AutomaticFormat;
  TWriteOptions writeOptions;
  // Where a load into a non-empty document inserts; moved behind the
  // inserted text. The editor sets it from its caret.
  TTextPos caret;

  // Empties the document and gives it the control's font as its default
  // format; forgets the file name.
  void Clear();
  // Loads the file: into an empty document it replaces the content, into a
  // non-empty one it goes in at the caret. Raises TFileOperationError when
  // the file cannot be read (the document is then unchanged) and
  // TRichTextError when the text cannot be held.
  void LoadFromFile(const std::string& path);
  // Writes RTF for a path containing ".RTF" (any case), HTML for one
  // containing ".HTM", else the save format. The new file replaces the old
  // one only once it is complete on disk; raises TFileOperationError.
  void SaveToFile(const std::string& path);
  // The load of a file in PICTUREFOLDER holding TEXT, without the file.
  void LoadFromText(std::string_view text, const std::string& pictureFolder);
  // The bytes SaveToFile writes to an ".rtf" file, without the file; raises
  // TRichTextError when the writer fails.
  std::string SaveToRtfText() const;

  bool IsTextEmpty() const { return doc_.IsEmpty(); }
  // Font table index of the name (cut to 31 characters), added when new.
  int InternFont(std::string_view name);
  // Colour of an entry of the colour table (0x00BBGGRR); black outside 0..15.
  uint32_t PaletteColor(int index) const;

  // The file last loaded or saved; empty after Clear.
  const std::string& FileName() const { return fileName_; }

 private:
  void LoadBytes(std::string_view bytes, const std::string& pictureFolder);
  TRTFText& doc_;
  std::string fileName_;
};

}  // namespace quill
