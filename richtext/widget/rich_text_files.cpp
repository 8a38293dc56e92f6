#include "richtext/widget/rich_text_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "richtext/io/text_input.h"
#include "richtext/io/text_save.h"

namespace quill {

namespace {

// First of the colour entries 0..14 equal to the colour, 0 when none is.
uint8_t ColorIndexOf(const TTextHeader& header, uint32_t color) {
  for (int i = 0; i < 15; ++i)
    if ((header.colorTable[size_t(i)] & 0xFFFFFF) == (color & 0xFFFFFF)) return uint8_t(i);
  return 0;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

void SyncFolder(const std::filesystem::path& file) {
  std::filesystem::path folder = file.parent_path();
  if (folder.empty()) folder = ".";
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

void TRichTextFiles::Clear() {
  doc_.ClearDocument();
  fileName_.clear();
  caret = {};
  if (font.name.empty()) return;

  TFontName& entry = doc_.header.fontTable[0];
  if (!SameNameIgnoringCase(entry.View(), std::string_view(font.name).substr(0, kFontNameMax))) {
    doc_.header.fontFamily[0] = 0;
    doc_.header.fontCharset[0] = 0;
  }
  entry.Assign(font.name);
  TCharAttr& a = doc_.defaultAttr;
  a.font = 0;
  a.size = uint8_t(font.size <= 0 ? 10 : std::min(font.size, 255));
  a.SetBackColor(ColorIndexOf(doc_.header, backgroundColor));
  a.SetTextColor(ColorIndexOf(doc_.header, font.color));
  a.style = uint8_t(font.style & (csBold | csItalic | csUnderline));
  // The empty first line carries the default format for the first typed
  // character.
  TLine* line = doc_.firstParagraph->firstLine;
  if (line->attribs) line->attribs[0] = a;
}

void TRichTextFiles::LoadFromFile(const std::string& path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) throw TFileOperationError("Cannot open file " + path);
  fileName_ = path;
  LoadBytes(bytes, std::filesystem::path(path).parent_path().string());
}

void TRichTextFiles::LoadFromText(std::string_view text, const std::string& pictureFolder) {
  fileName_.clear();
  LoadBytes(text, pictureFolder);
}

std::string TRichTextFiles::SaveToRtfText() const {
  TStringWriteStream out;
  // An empty document writes nothing at all, as it does to a stream.
  if (doc_.IsEmpty()) return {};
  if (SaveToStream(doc_, out, FormatRTF, writeOptions) != kWriteOk) throw TRichTextError("Internal Error");
  return out.bytes;
}

void TRichTextFiles::LoadBytes(std::string_view bytes, const std::string& pictureFolder) {
  TLoadFormat format = loadFormat;
  if (format == LastFormat) format = TLoadFormat(doc_.header.loadedFormat);
  if (format != FormatRTF && format != FormatANSI && format != FormatHTML)
    format = TRTFTextIo::DetectFormat(bytes);

  TRTFTextIo io(doc_);
  io.caret = caret;
  io.pictureFolder = pictureFolder;
  const int rc = io.LoadFromBytes(bytes, format);
  caret = io.caret;
  doc_.header.loadedFormat = uint8_t(format);
  if (rc != 0) throw TRichTextError(io.lastError.empty() ? "Internal Error" : io.lastError);
}

void TRichTextFiles::SaveToFile(const std::string& path) {
  const std::string failure = "Cannot create file " + path;
  // Through a link the file it names is replaced, not the link.
  std::string target = path;
  std::error_code ec;
  if (std::filesystem::is_symlink(path, ec)) {
    const auto real = std::filesystem::canonical(path, ec);
    if (!ec) target = real.string();
  }
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  // A file we may not write stays as it is, as it would if we opened it.
  if (exists && (S_ISDIR(old.st_mode) || ::access(target.c_str(), W_OK) != 0)) throw TFileOperationError(failure);

  // The text goes to a new file beside the old one and is swapped in once
  // it is on disk, so that a failed write leaves the old file whole. The
  // new name keeps the old one as its start, so the format chosen by name
  // is the same.
  const std::string fresh = target + ".saving";
  std::string error;
  if (quill::SaveToFile(doc_, fresh, saveFormat, writeOptions, &error) != kWriteOk) {
    std::remove(fresh.c_str());
    throw TFileOperationError(failure);
  }
  if (exists) ::chmod(fresh.c_str(), old.st_mode & 07777);
  if (std::rename(fresh.c_str(), target.c_str()) != 0) {
    std::remove(fresh.c_str());
    throw TFileOperationError(failure);
  }
  SyncFolder(target);
  fileName_ = path;
}

int TRichTextFiles::InternFont(std::string_view name) {
  return doc_.InternFont(name.substr(0, std::min<size_t>(name.size(), kFontNameMax)));
}

uint32_t TRichTextFiles::PaletteColor(int index) const {
  if (index < 0 || index >= kColorCount) return 0;
  return doc_.header.colorTable[size_t(index)];
}

}  // namespace quill
