// Replays the fuzzing seed corpus and every crash reproducer found so far
// through the reader and the load layer in the normal build: each must
// return with a defined result and leave a sound document.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "richtext/io/rtf_text_io.h"
#include "tests/richtext_interop/document_invariants.h"
#include "tests/richtext_interop/interop_support.h"

namespace quill::testing {
namespace {

void Replay(const std::string& folder, bool mustExist) {
  const std::vector<std::string> files = FilesIn(FixturePath(folder));
  if (mustExist) {
    ASSERT_FALSE(files.empty()) << "no files in " << folder;
  }
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    const std::string bytes = ReadFileBytes(path);
    {
      TRTFText doc;
      TRTFTextIo io(doc);
      const int r = io.ReadRTF(bytes);
      EXPECT_TRUE(r == 0 || r == 7) << r;
      const std::string fault = CheckDocumentInvariants(doc);
      EXPECT_TRUE(fault.empty()) << "after ReadRTF: " << fault;
    }
    {
      // The load layer with detection, then the same bytes inserted into
      // the filled document.
      TRTFText doc;
      TRTFTextIo io(doc);
      int r = io.LoadFromBytes(bytes);
      EXPECT_TRUE(r == 0 || r == 7) << r;
      std::string fault = CheckDocumentInvariants(doc);
      EXPECT_TRUE(fault.empty()) << "after the first load: " << fault;
      if (!doc.IsEmpty()) {
        io.caret.paragraph = doc.firstParagraph;
        io.caret.position = doc.firstParagraph->TextLength() / 2;
        r = io.LoadFromBytes(bytes);
        EXPECT_TRUE(r == 0 || r == 7) << r;
        fault = CheckDocumentInvariants(doc);
        EXPECT_TRUE(fault.empty()) << "after the insertion: " << fault;
      }
    }
  }
}

TEST(FuzzReplay, SeedCorpus) { Replay("corpus", true); }
TEST(FuzzReplay, CrashReproducers) { Replay("crashes", false); }

}  // namespace
}  // namespace quill::testing
