#pragma once
// A real document with its keyboard input and the find target over both,
// counting what the target tells the window.

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "richtext/io/rtf_text_io.h"
#include "richtext/widget/find_target.h"

namespace quill::test {

class CountingFindTarget : public TDocumentFindTarget {
 public:
  using TDocumentFindTarget::TDocumentFindTarget;
  std::function<void()> onBeforeReplace;
  void BeforeReplace() override {
    TDocumentFindTarget::BeforeReplace();
    if (onBeforeReplace) onBeforeReplace();
  }
};

struct FindEditor {
  TRTFText doc;
  TRTFTextInput input{doc};
  CountingFindTarget target{doc, input};
  int changes = 0;
  int refreshes = 0;
  int scrolls = 0;

  explicit FindEditor(const std::string& rtf) {
    EXPECT_EQ(ReadRtfDocument(doc, rtf), 0);
    input.Reset();
    target.onChange = [this] { ++changes; };
    target.onRefresh = [this] { ++refreshes; };
    target.onScrollCursorIntoView = [this] { ++scrolls; };
  }
};

}  // namespace quill::test
