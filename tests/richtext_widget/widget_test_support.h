#pragma once
// Helpers shared by the editor platform tests.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "richtext/model/rtf_text.h"

namespace quill::test {

inline std::vector<std::string> Paragraphs(const TRTFText& doc) {
  std::vector<std::string> v;
  for (const TParagraph* p = doc.firstParagraph; p; p = p->next) {
    std::string s;
    for (const TLine* l = p->firstLine; l; l = l->next) s.append(l->Text());
    v.push_back(s);
  }
  return v;
}

// A folder of its own under the system's temporary folder, removed again.
class TempFolder {
 public:
  TempFolder() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() / ("qb-widget-" + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace quill::test
