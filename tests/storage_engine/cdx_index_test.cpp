#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "storage/engine/xb_engine.h"
#include "tests/storage_engine/engine_test_support.h"

namespace quill::xb::test {
namespace {

class CdxIndex : public EngineTest {
 protected:
  static std::string Key(int day) {
    char k[16];
    std::snprintf(k, sizeof k, "%04d%02d%02d", 1990 + day / 372, 1 + (day / 31) % 12, 1 + day % 31);
    return k;
  }
  // Keys in index order as the engine walks them, checked against model.
  void ExpectOrder(const std::multimap<std::string, long>& model) {
    std::vector<std::pair<std::string, long>> walked;
    for (xb_GoTop(); !xb_Eof(); xb_Skip(1)) walked.emplace_back(xb_FieldGet("DATE"), xb_RecNo());
    std::vector<std::pair<std::string, long>> expected(model.begin(), model.end());
    std::sort(expected.begin(), expected.end());
    ASSERT_EQ(walked.size(), expected.size());
    EXPECT_TRUE(walked == expected);
  }
};

TEST_F(CdxIndex, ManyInsertsUpdatesAndDeletesKeepSeekAndWalkRight) {
  CreateDiary(dir);
  std::mt19937 rng(42);
  std::vector<int> days(3000);
  for (int i = 0; i < 3000; ++i) days[static_cast<std::size_t>(i)] = i * 3;
  std::shuffle(days.begin(), days.end(), rng);
  std::multimap<std::string, long> model;
  for (int d : days) {
    ASSERT_NE(xb_AppendBlank(), 0);
    ASSERT_NE(xb_FieldPut("DATE", Key(d)), 0);
    model.emplace(Key(d), xb_RecNo());
  }
  // Change some keys (moves entries between leaves) and blank a few.
  for (long r = 1; r <= 3000; r += 7) {
    ASSERT_NE(xb_Go(r), 0);
    std::string old = xb_FieldGet("DATE");
    std::string now = (r % 2) ? Key(static_cast<int>(r) * 3 + 1) : std::string(8, ' ');
    ASSERT_NE(xb_FieldPut("DATE", now), 0);
    for (auto it = model.begin(); it != model.end(); ++it)
      if (it->second == r) {
        model.erase(it);
        break;
      }
    model.emplace(now, r);
  }
  // Duplicate keys go in record-number order.
  for (int i = 0; i < 40; ++i) {
    ASSERT_NE(xb_AppendBlank(), 0);
    ASSERT_NE(xb_FieldPut("DATE", "18000101"), 0);
    model.emplace("18000101", xb_RecNo());
  }
  xb_SetOrder(1);
  ExpectOrder(model);
  ASSERT_NE(xb_Commit(), 0);
  xb_CloseAll();

  std::string cdx = ReadFile(dir / "QUILLBK.CDX");
  EXPECT_GT(cdx.size(), 20u * 512u) << "many leaves and interior pages";
  ASSERT_NE(xb_Use(dir / "QUILLBK.DBF", "", XB_MODE_EXCLUSIVE, 2), 0) << xb_ErrorText();
  EXPECT_EQ(ReadFile(dir / "QUILLBK.CDX"), cdx) << "a consistent index is used as it is, not rebuilt";
  xb_SetOrder(1);
  ExpectOrder(model);
  for (const auto& [key, rec] : model) {
    if (key == "        " || key == "18000101") continue;
    ASSERT_NE(xb_Seek(key), 0) << key;
    EXPECT_EQ(xb_RecNo(), rec);
  }
  ASSERT_NE(xb_Seek("18000101"), 0);
  EXPECT_EQ(xb_RecNo(), 3001) << "the first of equal keys";
  EXPECT_EQ(xb_Seek("19891231"), 0);
}

TEST_F(CdxIndex, StaleIndexFromBeforeACrashIsRebuiltOnOpen) {
  CreateDiary(dir);
  for (int d = 0; d < 10; ++d) AddEntry(Key(d), "x");
  ASSERT_NE(xb_Commit(), 0);
  std::string oldCdx = ReadFile(dir / "QUILLBK.CDX");
  for (int d = 10; d < 300; ++d) AddEntry(Key(d), "y");
  ASSERT_NE(xb_Go(3), 0);
  ASSERT_NE(xb_FieldPut("DATE", "20991231"), 0);
  ASSERT_NE(xb_Commit(), 0);
  xb_CloseAll();
  WriteFile(dir / "QUILLBK.CDX", oldCdx);   // the index lags behind the table
  ASSERT_NE(xb_Use(dir / "QUILLBK.DBF", "", XB_MODE_EXCLUSIVE, 2), 0) << xb_ErrorText();
  xb_SetOrder(1);
  for (int d = 0; d < 300; ++d) {
    if (d == 2) continue;
    EXPECT_NE(xb_Seek(Key(d)), 0) << Key(d);
  }
  EXPECT_EQ(xb_Seek(Key(2)), 0);
  ASSERT_NE(xb_Seek("20991231"), 0);
  EXPECT_EQ(xb_RecNo(), 3);
  EXPECT_NE(ReadFile(dir / "QUILLBK.CDX"), oldCdx) << "the repaired index was written back";
}

// An index from before a crash may hold as many entries as the table but
// other keys: a removed entry still under its day, or two records' days
// exchanged. Opening must notice and rebuild, so no seek finds a wrong record.
TEST_F(CdxIndex, StaleIndexWithTheRightCountIsRebuiltOnOpen) {
  struct Change {
    long recno;
    const char* key;
  };
  struct Case {
    const char* what;
    std::vector<Change> changes;
  };
  const Case cases[] = {
      {"a removed entry's key blanked", {{4, ""}}},
      {"two records exchange their days", {{2, "19900106"}, {6, "19900102"}}},
      {"a day moved past the last one", {{1, "20991231"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CreateDiary(dir);
    std::map<long, std::string> model;
    for (int d = 0; d < 8; ++d) {
      AddEntry(Key(d), "x");
      model[d + 1] = Key(d);
    }
    ASSERT_NE(xb_Commit(), 0);
    std::string oldCdx = ReadFile(dir / "QUILLBK.CDX");
    for (const Change& ch : c.changes) {
      ASSERT_NE(xb_Go(ch.recno), 0);
      ASSERT_NE(xb_FieldPut("DATE", ch.key), 0);
      model[ch.recno] = ch.key;
    }
    ASSERT_NE(xb_Commit(), 0);
    xb_CloseAll();
    WriteFile(dir / "QUILLBK.CDX", oldCdx);
    ASSERT_NE(xb_Use(dir / "QUILLBK.DBF", "", XB_MODE_EXCLUSIVE, 2), 0) << xb_ErrorText();
    xb_SetOrder(1);
    for (const auto& [recno, key] : model) {
      if (key.empty()) continue;
      ASSERT_NE(xb_Seek(key), 0) << key;
      EXPECT_EQ(xb_RecNo(), recno) << key;
    }
    for (int d = 0; d < 8; ++d) {
      bool kept = std::any_of(model.begin(), model.end(), [&](const auto& m) { return m.second == Key(d); });
      if (!kept) {
        EXPECT_EQ(xb_Seek(Key(d)), 0) << Key(d) << " is no longer in the table";
      }
    }
    std::multimap<std::string, long> order;
    for (const auto& [recno, key] : model) order.emplace(key.empty() ? std::string(8, ' ') : key, recno);
    ExpectOrder(order);
    xb_CloseAll();
    std::filesystem::remove_all(dir.Path());
    std::filesystem::create_directories(dir.Path());
  }
}

TEST_F(CdxIndex, DamagedIndexPagesAreRebuiltAndADamagedHeaderIsSetAside) {
  CreateDiary(dir);
  for (int d = 0; d < 400; ++d) AddEntry(Key(d), "x");
  ASSERT_NE(xb_Commit(), 0);
  xb_CloseAll();
  std::string good = ReadFile(dir / "QUILLBK.CDX");
  struct Case {
    const char* what;
    std::size_t offset;
    std::string bytes;
    bool headerLost;
  } cases[] = {
      {"garbage leaf", good.size() - 512, std::string(512, '\xA5'), false},
      {"leaf claims too many keys", 2560 + 2, std::string("\xff\x7f", 2), false},
      {"child pointer outside the file", 0, "", false},   // filled in below
      {"self loop", 0, "", false},
      {"root pointer outside", 1536, std::string("\x00\x00\x00\x7f", 4), false},
      {"not a compound index", 14, std::string("\x00", 1), true},
      {"directory root outside", 0, std::string("\x00\x00\x10\x00", 4), true},
  };
  // Find the tag root (an interior page) to aim the pointer cases at it.
  unsigned root = static_cast<unsigned char>(good[1536]) | (static_cast<unsigned char>(good[1537]) << 8) |
                  (static_cast<unsigned char>(good[1538]) << 16);
  ASSERT_EQ(good[root] & 2, 0) << "400 keys need an interior root";
  std::size_t childPtr = root + 12 + 8 + 4;   // first entry's child, big-endian
  cases[2].offset = childPtr;
  cases[2].bytes = std::string("\x7f\x00\x00\x00", 4);
  cases[3].offset = childPtr;
  cases[3].bytes = std::string(1, static_cast<char>(root >> 24)) + static_cast<char>(root >> 16) +
                   static_cast<char>(root >> 8) + static_cast<char>(root);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bad = good;
    bad.replace(c.offset, c.bytes.size(), c.bytes);
    WriteFile(dir / "QUILLBK.CDX", bad);
    std::remove((dir / "QUILLBK.CDX.damaged").c_str());
    ASSERT_NE(xb_Use(dir / "QUILLBK.DBF", "", XB_MODE_EXCLUSIVE, 2), 0) << xb_ErrorText();
    if (c.headerLost) {
      EXPECT_TRUE(xb_IndexList().empty());
      EXPECT_FALSE(ReadFile(dir / "QUILLBK.CDX.damaged").empty()) << "kept for inspection";
      ASSERT_NE(xb_IndexTag("", "DATE", "date", 0, 0, ""), 0) << xb_ErrorText();
    }
    ASSERT_EQ(xb_TagArea("DATE"), 1);
    xb_SetOrder(1);
    for (int d = 0; d < 400; d += 13) EXPECT_NE(xb_Seek(Key(d)), 0) << Key(d);
    long n = 0;
    for (xb_GoTop(); !xb_Eof(); xb_Skip(1)) ++n;
    EXPECT_EQ(n, 400);
    xb_CloseAll();
  }
}

TEST_F(CdxIndex, ReadOnlyOpenUsesARepairedIndexInMemory) {
  CreateDiary(dir);
  for (int d = 0; d < 50; ++d) AddEntry(Key(d), "x");
  xb_CloseAll();
  std::string cdx = ReadFile(dir / "QUILLBK.CDX");
  cdx.replace(cdx.size() - 100, 50, std::string(50, 'Z'));
  WriteFile(dir / "QUILLBK.CDX", cdx);
  ASSERT_NE(xb_Use(dir / "QUILLBK.DBF", "", XB_MODE_READONLY, 2), 0) << xb_ErrorText();
  xb_SetOrder(1);
  for (int d = 0; d < 50; ++d) EXPECT_NE(xb_Seek(Key(d)), 0);
  EXPECT_EQ(ReadFile(dir / "QUILLBK.CDX"), cdx) << "read-only: nothing written";
  EXPECT_EQ(xb_AppendBlank(), 0);
  EXPECT_EQ(xb_Error(), XB_ERR_READONLY);
}

TEST_F(CdxIndex, SeveralTagsWithExpressionsConditionsAndOptions) {
  std::string path = dir / "people.dbf";
  ASSERT_NE(xb_CreateNew(path, "", 2, 3), 0);
  xb_CreateField("LAST", 'C', 6, 0);
  xb_CreateField("FIRST", 'C', 5, 0);
  xb_CreateField("KIND", 'C', 1, 0);
  ASSERT_NE(xb_CreateExec(), 0) << xb_ErrorText();
  struct P {
    const char* last;
    const char* first;
    const char* kind;
  } people[] = {{"smith", "Ann", "A"}, {"Jones", "Bob", "B"}, {"SMITH", "Al", "A"}, {"brown", "Cy", "A"},
                {"Jones", "Bob", "B"}};
  for (const auto& p : people) {
    ASSERT_NE(xb_AppendBlank(), 0);
    xb_FieldPut("LAST", p.last);
    xb_FieldPut("FIRST", p.first);
    xb_FieldPut("KIND", p.kind);
  }
  ASSERT_EQ(xb_IndexTag("", "NAME", "UPPER(last)+first", 0, 0, ""), 1) << xb_ErrorText();
  ASSERT_EQ(xb_IndexTag("", "KINDA", "last", 0, 0, "KIND = \"A\""), 2) << xb_ErrorText();
  ASSERT_EQ(xb_IndexTag("", "DESC", "last", 0, 1, ""), 3) << xb_ErrorText();
  ASSERT_EQ(xb_IndexTag("", "UNIQ", "last+first", 1, 0, ""), 4) << xb_ErrorText();
  EXPECT_EQ(xb_IndexTag("", "BAD", "VAL(last)", 0, 0, ""), 0);
  EXPECT_EQ(xb_Error(), XB_ERR_UNSUPPORTED);
  auto walk = [] {
    std::vector<long> r;
    for (xb_GoTop(); !xb_Eof(); xb_Skip(1)) r.push_back(xb_RecNo());
    return r;
  };
  struct Expect {
    const char* tag;
    std::vector<long> order;
  } expected[] = {{"NAME", {4, 2, 5, 3, 1}}, {"KINDA", {3, 4, 1}}, {"DESC", {1, 4, 3, 2, 5}}, {"UNIQ", {2, 3, 4, 1}}};
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass == 0 ? "as built" : "after reopen");
    EXPECT_EQ(xb_IndexList(), (std::vector<std::string>{"NAME", "KINDA", "DESC", "UNIQ"}));
    for (const auto& e : expected) {
      xb_SetOrder(xb_TagArea(e.tag));
      EXPECT_EQ(walk(), e.order) << e.tag;
    }
    xb_SetOrder(1);
    EXPECT_NE(xb_Seek("SMITH Al"), 0);
    EXPECT_EQ(xb_RecNo(), 3);
    xb_CloseAll();
    ASSERT_NE(xb_Use(path, "", XB_MODE_EXCLUSIVE, 2), 0) << xb_ErrorText();
  }
  // A record leaving a FOR condition leaves that tag.
  xb_SetOrder(xb_TagArea("KINDA"));
  ASSERT_NE(xb_Go(4), 0);
  ASSERT_NE(xb_FieldPut("KIND", "B"), 0);
  EXPECT_EQ(walk(), (std::vector<long>{3, 1}));
}

TEST_F(CdxIndex, IndexOpenAndCloseIndexes) {
  CreateDiary(dir);
  AddEntry("20240102", "b");
  AddEntry("20240101", "a");
  ASSERT_NE(xb_IndexTag("extra", "REV", "date", 0, 1, ""), 0) << xb_ErrorText();
  EXPECT_EQ(xb_IndexList(), (std::vector<std::string>{"DATE", "REV"}));
  xb_CloseIndexes();
  EXPECT_TRUE(xb_IndexList().empty());
  EXPECT_EQ(xb_IndexOrd(), 0);
  int order = xb_IndexOpen(dir / "extra.cdx");
  ASSERT_EQ(order, 1) << xb_ErrorText();
  xb_GoTop();
  EXPECT_EQ(xb_FieldGet("DATE"), "20240102");
  EXPECT_EQ(xb_IndexOpen(dir / "QUILLBK.CDX"), 1) << "production tags come first";
  EXPECT_EQ(xb_IndexList(), (std::vector<std::string>{"DATE", "REV"}));
  EXPECT_EQ(xb_IndexOpen(dir / "missing.cdx"), 0);
  EXPECT_EQ(xb_Error(), XB_ERR_OPEN);
}

}  // namespace
}  // namespace quill::xb::test
