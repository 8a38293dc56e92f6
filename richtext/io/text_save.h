#pragma once
// Saving a document: which writer a save uses, to a stream or a file.

#include <string>

#include "richtext/io/text_writer.h"
#include "richtext/io/write_stream.h"
#include "richtext/model/rtf_text.h"

namespace quill {

// The format a stream save writes: a forced FormatRTF, FormatANSI or
// FormatHTML; else the loaded format when it is RTF or plain text; else RTF
// for fmRichText and plain text for fmPlainText.
TLoadFormat ChooseSaveFormat(const TRTFText& doc, TLoadFormat forced);

// Writes the document in that format; an empty document that would be
// written as RTF writes nothing. 0 on success, 7 on a failed write.
int SaveToStream(const TRTFText& doc, TWriteStream& out, TLoadFormat forced = AutomaticFormat,
                 const TWriteOptions& options = {});

// Writes a file created anew: a name containing ".RTF" (any case) as RTF,
// one containing ".HTM" as HTML, anything else as a stream save would. The
// bytes are on disk when it returns 0; 7 when the file cannot be created or
// written (the text of the failure in *error, when given).
int SaveToFile(const TRTFText& doc, const std::string& path, TLoadFormat forced = AutomaticFormat,
               const TWriteOptions& options = {}, std::string* error = nullptr);

// Writes a range of the document in the given format (FormatRTF,
// FormatHTML or plain text for anything else).
int WriteRange(const TRTFText& doc, const TTextRange& range, TWriteStream& out,
               TLoadFormat format, const TWriteOptions& options = {});

}  // namespace quill
