// Saving a page that was loaded and saving it again must give the same RTF:
// whatever the first save wrote, the load gives back unchanged. Every entry
// is loaded and saved over and over for years.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "richtext/io/rtf_text_io.h"
#include "richtext/io/rtf_writer.h"
#include "richtext/io/write_stream.h"
#include "tests/richtext_interop/interop_support.h"

namespace quill::testing {
namespace {

std::string Save(const TRTFText& doc) {
  TStringWriteStream out;
  TRTFWriter w(doc, out);
  EXPECT_EQ(w.Write(), kWriteOk);
  return out.bytes;
}

TEST(WriteReadWrite, EveryFixtureSavesTheSameTwice) {
  std::vector<std::string> files;
  for (const char* folder : {"corpus", "libreoffice", "crashes", "../richtext_writer"})
    for (const std::string& f : FilesIn(FixturePath(folder)))
      if (f.size() > 4 && f.compare(f.size() - 4, 4, ".rtf") == 0) files.push_back(f);
  ASSERT_GT(files.size(), 50u);
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    TRTFText loaded;
    if (ReadRtfDocument(loaded, ReadFileBytes(path)) != 0) continue;
    const std::string first = Save(loaded);
    TRTFText again;
    ASSERT_EQ(ReadRtfDocument(again, first), 0);
    EXPECT_EQ(Save(again), first);
  }
}

}  // namespace
}  // namespace quill::testing
