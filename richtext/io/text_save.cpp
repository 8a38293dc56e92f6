#include "richtext/io/text_save.h"

#include <algorithm>
#include <cstring>
#include <cerrno>

#include "richtext/io/html_writer.h"
#include "richtext/io/rtf_writer.h"

namespace quill {

namespace {

int WriteAs(const TRTFText& doc, TWriteStream& out, TLoadFormat format,
            const TWriteOptions& options, const TTextRange* range) {
  auto run = [&](TTextWriter& w) { return range ? w.WriteRange(*range) : w.Write(); };
  if (format == FormatRTF) {
    TRTFWriter w(doc, out, options);
    return run(w);
  }
  if (format == FormatHTML) {
    THTMLWriter w(doc, out, options);
    return run(w);
  }
  TTextWriter w(doc, out, options);
  return run(w);
}

bool NameContains(const std::string& path, const char* upperPart) {
  std::string upper = path;
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : char(c); });
  return upper.find(upperPart) != std::string::npos;
}

}  // namespace

TLoadFormat ChooseSaveFormat(const TRTFText& doc, TLoadFormat forced) {
  if (forced == FormatRTF || forced == FormatANSI || forced == FormatHTML) return forced;
  const auto loaded = TLoadFormat(doc.header.loadedFormat);
  if (loaded == FormatRTF || loaded == FormatANSI) return loaded;
  return doc.plainMode ? FormatANSI : FormatRTF;
}

int SaveToStream(const TRTFText& doc, TWriteStream& out, TLoadFormat forced,
                 const TWriteOptions& options) {
  TLoadFormat format = ChooseSaveFormat(doc, forced);
  if (format == FormatRTF && doc.IsEmpty()) format = FormatANSI;
  return WriteAs(doc, out, format, options, nullptr);
}

int SaveToFile(const TRTFText& doc, const std::string& path, TLoadFormat forced,
               const TWriteOptions& options, std::string* error) {
  TLoadFormat format;
  if (NameContains(path, ".RTF")) {
    format = FormatRTF;
  } else if (NameContains(path, ".HTM")) {
    format = FormatHTML;
  } else {
    format = ChooseSaveFormat(doc, forced);
  }
  TFileWriteStream file;
  if (!file.Create(path)) {
    if (error) *error = "Cannot create file " + path + ": " + std::strerror(errno);
    return kWriteFailed;
  }
  int rc = WriteAs(doc, file, format, options, nullptr);
  const bool closed = file.Close();
  if (rc == kWriteOk && !closed) rc = kWriteFailed;
  if (rc != kWriteOk && error) *error = "Cannot write file " + path;
  return rc;
}

int WriteRange(const TRTFText& doc, const TTextRange& range, TWriteStream& out,
               TLoadFormat format, const TWriteOptions& options) {
  return WriteAs(doc, out, format, options, &range);
}

}  // namespace quill
