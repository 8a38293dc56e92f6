#pragma once
// A program folder with a small main dictionary, a diary folder for the
// user dictionary, and an editor holding a page of text.

#include <QCoreApplication>
#include <QTest>
#include <filesystem>
#include <string>
#include <vector>

#include "richtext/widget/rich_text.h"
#include "richtext_widget/widget_test_support.h"
#include "spell/engine/main_dictionary_writer.h"

namespace quill::test {

inline const std::vector<std::string>& SmallWordList() {
  static const std::vector<std::string> words = {
      "the", "cat", "sat", "on", "mat", "peter", "dog", "ate", "mail", "me", "it", "is", "here", "and",
      "ray", "brown", "fox", "quick", "jumps", "over", "lazy", "day", "hello", "world", "rain", "rainy",
      "mountain", "walk", "today", "we", "went", "for", "a", "long"};
  return words;
}

class SpellFolders {
  TempFolder root_;  // first: the paths below are made from it

 public:
  explicit SpellFolders(bool withMainDictionary = true) {
    std::filesystem::create_directories(root_.Path() / "program");
    std::filesystem::create_directories(root_.Path() / "diary");
    if (withMainDictionary) spell::BuildMainDictionary(SmallWordList(), program + "quillbk.dct");
  }
  std::string program = root_.File("program") + "/";
  std::string diary = root_.File("diary") + "/";
  std::string Root(const std::string& name) const { return root_.File(name); }
};

// Puts TEXT (paragraphs split at '\r') into a shown editor, the caret at
// its end.
inline void SetPage(TRichText& editor, const std::string& text) {
  editor.Clear();
  editor.InsertText(text);
}

inline void Settle() {
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

}  // namespace quill::test
