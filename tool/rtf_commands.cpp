// quillbook-tool commands over the RTF reader and writer: rtf2txt shows an
// entry's text, rtf2rtf shows what the program would store for it.

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>

#include "richtext/io/rtf_text_io.h"
#include "richtext/io/rtf_writer.h"
#include "richtext/io/text_input.h"
#include "richtext/io/write_stream.h"
#include "richtext/model/rtf_text.h"
#include "richtext/model/win1252_codec.h"
#include "tool/tool_registry.h"

namespace quill::tool {
namespace {

void AppendUtf8From1252(std::string& out, uint8_t c) {
  if (c < 0x80) {
    out += char(c);
    return;
  }
  const unsigned cp = unsigned(Win1252ToUnicode(c));
  if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

// The document's text in UTF-8, each paragraph ending with a line feed.
// Object characters and raw RTF markup are not text and are left out.
std::string PlainUtf8(const TRTFText& doc) {
  std::string out;
  for (const TParagraph* p = doc.firstParagraph; p; p = p->next) {
    for (const TLine* l = p->firstLine; l; l = l->next) {
      for (int i = 0; i < l->length; ++i) {
        const uint8_t c = l->text[i];
        if (c <= 3) continue;
        if (l->attribs && (l->attribs[i].marks & (cmRawRtf | cmObject))) continue;
        if (c == '\r') continue;
        AppendUtf8From1252(out, c);
      }
    }
    out += '\n';
  }
  return out;
}

// Reads FILE as RTF into doc; reports on err and returns false on failure.
bool LoadRtfFile(ToolContext& ctx, const std::string& command, TRTFText& doc) {
  if (ctx.args.size() != 1) {
    *ctx.err << "usage: quillbook-tool " << command << " FILE\n";
    return false;
  }
  const std::string& path = ctx.args[0];
  std::string bytes;
  errno = 0;
  if (!ReadWholeFile(path, bytes)) {
    *ctx.err << "quillbook-tool: cannot read " << path
             << (errno ? std::string(": ") + std::strerror(errno) : std::string()) << "\n";
    return false;
  }
  if (TRTFTextIo::DetectFormat(bytes) != FormatRTF) {
    *ctx.err << "quillbook-tool: " << path << " is not an RTF file (it does not begin with {\\rtf)\n";
    return false;
  }
  TRTFTextIo io(doc);
  if (io.LoadFromBytes(bytes, FormatRTF) != 0) {
    *ctx.err << "quillbook-tool: " << path << " could not be read as RTF"
             << (io.lastError.empty() ? std::string() : ": " + io.lastError) << "\n";
    return false;
  }
  return true;
}

int Rtf2Txt(ToolContext& ctx) {
  TRTFText doc;
  doc.ClearDocument();
  if (!LoadRtfFile(ctx, "rtf2txt", doc)) return ctx.args.size() == 1 ? 1 : 2;
  const std::string text = PlainUtf8(doc);
  ctx.out->write(text.data(), std::streamsize(text.size()));
  ctx.out->flush();
  if (!*ctx.out) {
    *ctx.err << "quillbook-tool: cannot write the text\n";
    return 1;
  }
  return 0;
}

int Rtf2Rtf(ToolContext& ctx) {
  TRTFText doc;
  doc.ClearDocument();
  if (!LoadRtfFile(ctx, "rtf2rtf", doc)) return ctx.args.size() == 1 ? 1 : 2;
  TStringWriteStream rtf;
  TRTFWriter writer(doc, rtf);
  if (writer.Write() != kWriteOk) {
    *ctx.err << "quillbook-tool: cannot write the RTF\n";
    return 1;
  }
  ctx.out->write(rtf.bytes.data(), std::streamsize(rtf.bytes.size()));
  ctx.out->flush();
  if (!*ctx.out) {
    *ctx.err << "quillbook-tool: cannot write the RTF\n";
    return 1;
  }
  return 0;
}

static ToolCommandRegistrar rtf2txt({"rtf2txt", "rtf2txt FILE",
                                     "read an RTF file and print its text in UTF-8, one line per "
                                     "paragraph",
                                     Rtf2Txt});
static ToolCommandRegistrar rtf2rtf({"rtf2rtf", "rtf2rtf FILE",
                                     "read an RTF file and print it as the diary would store it",
                                     Rtf2Rtf});

}  // namespace
}  // namespace quill::tool
