#pragma once
// Shared pieces of the print tests: a diary in a temporary folder, a PDF
// printer, and poppler's tools to read the pages back.

#include <gtest/gtest.h>

#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <regex>
#include <string>
#include <vector>

namespace quill::test {

// Output of a poppler tool; empty when it is not installed.
inline std::string RunPoppler(const char* tool, const QStringList& args) {
  const QString exe = QStandardPaths::findExecutable(QString::fromLatin1(tool));
  if (exe.isEmpty()) return {};
  QProcess p;
  p.start(exe, args);
  p.waitForFinished(60000);
  return p.readAllStandardOutput().toStdString();
}

inline bool HavePoppler() { return !QStandardPaths::findExecutable("pdftotext").isEmpty(); }

// The text of each page, words joined by single blanks.
inline std::vector<std::string> PdfPages(const QString& pdf) {
  const std::string all = RunPoppler("pdftotext", {"-layout", pdf, "-"});
  std::vector<std::string> pages;
  size_t start = 0;
  for (size_t ff; (ff = all.find('\f', start)) != std::string::npos; start = ff + 1) {
    std::string words;
    const std::string page = all.substr(start, ff - start);
    const std::regex word("\\S+");
    for (auto it = std::sregex_iterator(page.begin(), page.end(), word); it != std::sregex_iterator(); ++it)
      words += (words.empty() ? "" : " ") + it->str();
    pages.push_back(words);
  }
  return pages;
}

// "Page size: 612 x 792 pts" as two numbers.
inline bool PdfPageSize(const QString& pdf, double& w, double& h) {
  std::smatch m;
  const std::string info = RunPoppler("pdfinfo", {pdf});
  if (!std::regex_search(info, m, std::regex("Page size:\\s+([0-9.]+) x ([0-9.]+) pts"))) return false;
  w = std::stod(m[1]);
  h = std::stod(m[2]);
  return true;
}

// The first box of WORD on the first page, in points from the top-left.
struct WordBox {
  double xMin = -1, yMin = -1, yMax = -1;
};
inline WordBox FindWord(const QString& pdf, const std::string& word) {
  const std::string html = RunPoppler("pdftotext", {"-bbox", "-f", "1", "-l", "1", pdf, "-"});
  std::smatch m;
  const std::regex re("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"[0-9.]+\" yMax=\"([0-9.]+)\">" + word +
                      "</word>");
  if (!std::regex_search(html, m, re)) return {};
  return {std::stod(m[1]), std::stod(m[2]), std::stod(m[3])};
}

}  // namespace quill::test
