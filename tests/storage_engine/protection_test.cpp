// Protected tables: sealed texts, wrong password versus damaged record, no
// clear text left in any file, and a password change that a kill at any
// instant leaves either undone or done.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>

#include "engine_test_support.h"

namespace quill::xb::test {
namespace {

const std::map<std::string, std::string> kEntries = {
    {"20240101", "{\\rtf1 Marmalade tangerine sunrise}"},
    {"20240102", "{\\rtf1 Secret meeting with Bartholomew}"},
    {"20240103", "{\\rtf1 Quince pudding recipe}"},
    {"20240104", "{\\rtf1 Zeppelin over the harbour}"},
    {"20240105", "{\\rtf1 Ukulele lessons began}"},
};
const char* kWords[] = {"Marmalade", "Bartholomew", "Quince", "Zeppelin", "Ukulele"};

class ProtectionTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    xb_SetPassword("");
    xb_SetRekeyStepHook({});
  }
  void TearDown() override {
    xb_SetRekeyStepHook({});
    EngineTest::TearDown();
    xb_SetPassword("");
  }
  std::string Table() const { return dir / "QUILLBK.DBF"; }
  void MakeDiary() {
    CreateDiary(dir);
    for (const auto& [key, text] : kEntries) AddEntry(key, text);
    ASSERT_NE(xb_Commit(), 0);
  }
  int Reopen(const std::string& password) {
    xb_CloseAll();
    xb_SetPassword(password);
    int area = xb_Use(Table(), "", XB_MODE_EXCLUSIVE, XB_DRIVER_CDX);
    EXPECT_NE(area, 0) << xb_ErrorText();
    xb_SetOrder(1);
    return area;
  }
  // The text of KEY's record, or "<error N>".
  static std::string TextOf(const std::string& key) {
    if (!xb_Seek(key)) return "<missing>";
    char* p = xb_GetMemo("ENTRY", 0);
    if (!p) return "<error " + std::to_string(xb_Error()) + ">";
    std::string text = p;
    xb_MemDealloc(p);
    return text;
  }
  void ExpectAllReadable() {
    for (const auto& [key, text] : kEntries) EXPECT_EQ(TextOf(key), text) << key;
  }
  // Every file under the folder (backups included) searched for WORDS.
  void ExpectNoWordInFiles(const std::vector<std::string>& words) {
    for (const auto& f : std::filesystem::recursive_directory_iterator(dir.Path())) {
      if (!f.is_regular_file()) continue;
      const std::string bytes = ReadFile(f.path().string());
      for (const auto& w : words) EXPECT_EQ(bytes.find(w), std::string::npos) << w << " in " << f.path();
    }
  }
};

TEST_F(ProtectionTest, ProtectedFilesHoldNoTextAfterUpdatesAndRemovals) {
  MakeDiary();
  xb_SetPassword("OPEN SESAME");
  ASSERT_NE(xb_DbfEncrypt(), 0) << xb_ErrorText();
  EXPECT_EQ(xb_KeyState(), XB_KEY_OPEN);
  EXPECT_TRUE(FileExistsForTest(dir / "QUILLBK.SLT"));
  std::vector<std::string> words(std::begin(kWords), std::end(kWords));
  ExpectNoWordInFiles(words);

  // An update, a removal (key and text emptied, flagged) and a new day.
  ASSERT_TRUE(xb_Seek("20240102"));
  ASSERT_NE(xb_Replace("ENTRY", XB_MEMO_TEXT, "{\\rtf1 Platypus rewritten}"), 0) << xb_ErrorText();
  ASSERT_TRUE(xb_Seek("20240103"));
  std::vector<char> rec(static_cast<std::size_t>(xb_RecSize()));
  ASSERT_NE(xb_GetRecord(rec.data()), 0);
  std::memset(rec.data() + 1, ' ', 8);
  rec[0] = '*';
  ASSERT_NE(xb_StageMemo("ENTRY", ""), 0);
  ASSERT_NE(xb_PutRecord(rec.data()), 0) << xb_ErrorText();
  AddEntry("20240106", "{\\rtf1 Xylophone concert}");
  ASSERT_NE(xb_Commit(), 0);
  words.push_back("Platypus");
  words.push_back("Xylophone");
  ExpectNoWordInFiles(words);

  Reopen("OPEN SESAME");
  EXPECT_EQ(TextOf("20240102"), "{\\rtf1 Platypus rewritten}");
  EXPECT_EQ(TextOf("20240106"), "{\\rtf1 Xylophone concert}");
  EXPECT_EQ(TextOf("20240101"), kEntries.at("20240101"));
  // A pack keeps the texts sealed.
  ASSERT_NE(xb_Pack(), 0) << xb_ErrorText();
  ExpectNoWordInFiles(words);
  xb_SetOrder(1);
  EXPECT_EQ(TextOf("20240106"), "{\\rtf1 Xylophone concert}");
}

// The stored (sealed) bytes of KEY's memo, read from the memo file.
std::string StoredBytesOf(const std::string& memoPath, const std::string& key) {
  if (!xb_Seek(key)) return {};
  std::vector<char> rec(static_cast<std::size_t>(xb_RecSize()));
  xb_GetRecord(rec.data());
  const int off = xb_FieldOffset(xb_FieldIndex("ENTRY"));
  const long block = std::stol(std::string(rec.data() + off, 10));
  const std::string memo = ReadFile(memoPath);
  const std::size_t at = static_cast<std::size_t>(block) * 64;
  const std::size_t len = (static_cast<unsigned char>(memo[at + 6]) << 8) | static_cast<unsigned char>(memo[at + 7]);
  return memo.substr(at + 8, len);
}

TEST_F(ProtectionTest, RemovedAndReplacedTextsAreWipedFromTheMemoFile) {
  MakeDiary();
  xb_SetPassword("WIPE");
  ASSERT_NE(xb_DbfEncrypt(), 0) << xb_ErrorText();
  const std::string replaced = StoredBytesOf(dir / "QUILLBK.FPT", "20240102");
  const std::string removed = StoredBytesOf(dir / "QUILLBK.FPT", "20240104");
  ASSERT_GT(replaced.size(), 40u);
  ASSERT_GT(removed.size(), 40u);
  ASSERT_TRUE(xb_Seek("20240102"));
  ASSERT_NE(xb_Replace("ENTRY", XB_MEMO_TEXT, "{\\rtf1 new text}"), 0);
  ASSERT_TRUE(xb_Seek("20240104"));
  std::vector<char> rec(static_cast<std::size_t>(xb_RecSize()));
  ASSERT_NE(xb_GetRecord(rec.data()), 0);
  std::memset(rec.data() + 1, ' ', 8);
  rec[0] = '*';
  ASSERT_NE(xb_StageMemo("ENTRY", ""), 0);
  ASSERT_NE(xb_PutRecord(rec.data()), 0);
  ASSERT_NE(xb_Commit(), 0);
  const std::string memo = ReadFile(dir / "QUILLBK.FPT");
  EXPECT_EQ(memo.find(replaced), std::string::npos);
  EXPECT_EQ(memo.find(removed), std::string::npos);
  EXPECT_EQ(TextOf("20240101"), kEntries.at("20240101"));
  EXPECT_EQ(TextOf("20240102"), "{\\rtf1 new text}");
}

TEST_F(ProtectionTest, WrongPasswordIsRefusedAndChangesNothing) {
  MakeDiary();
  xb_SetPassword("RIGHT");
  ASSERT_NE(xb_DbfEncrypt(), 0) << xb_ErrorText();
  xb_CloseAll();
  const std::string before = ReadFile(dir / "QUILLBK.FPT") + ReadFile(Table());

  for (const char* wrong : {"", "right", "WRONG", "RIGHT "}) {
    SCOPED_TRACE(wrong);
    Reopen(wrong);
    EXPECT_EQ(xb_KeyState(), XB_KEY_LOCKED);
    // The keys stay readable; the texts do not, and nothing is written.
    ASSERT_TRUE(xb_Seek("20240104"));
    EXPECT_EQ(xb_FieldGet("DATE"), "20240104");
    EXPECT_EQ(TextOf("20240104"), "<error " + std::to_string(XB_ERR_PASSWORD) + ">");
    EXPECT_EQ(xb_MemoGet("ENTRY"), "");
    EXPECT_EQ(xb_Error(), XB_ERR_PASSWORD);
    EXPECT_EQ(xb_Replace("ENTRY", XB_MEMO_TEXT, "overwrite"), 0);
    EXPECT_EQ(xb_Error(), XB_ERR_PASSWORD);
    EXPECT_EQ(xb_StageMemo("ENTRY", "overwrite"), 0);
    EXPECT_EQ(xb_FieldPut("DATE", "20250101"), 0);
    EXPECT_EQ(xb_Error(), XB_ERR_PASSWORD);
    EXPECT_EQ(xb_DbfChangePassword("OTHER"), 0);
    EXPECT_EQ(xb_Error(), XB_ERR_PASSWORD);
    xb_CloseAll();
    EXPECT_EQ(ReadFile(dir / "QUILLBK.FPT") + ReadFile(Table()), before);
  }
  Reopen("RIGHT");
  EXPECT_EQ(xb_KeyState(), XB_KEY_OPEN);
  ExpectAllReadable();
  // Giving the password after the open works as well.
  Reopen("nope");
  xb_SetPassword("RIGHT");
  ExpectAllReadable();
}

TEST_F(ProtectionTest, DamagedRecordIsReportedAsDamagedAndOthersStayReadable) {
  MakeDiary();
  xb_SetPassword("KEY1");
  ASSERT_NE(xb_DbfEncrypt(), 0) << xb_ErrorText();
  ASSERT_TRUE(xb_Seek("20240103"));
  const std::string ptr = xb_FieldGet("ENTRY").empty() ? "" : "x";
  ASSERT_EQ(ptr, "x");
  // Find the record's memo block from its pointer field and flip a byte of
  // the sealed text.
  std::vector<char> rec(static_cast<std::size_t>(xb_RecSize()));
  ASSERT_NE(xb_GetRecord(rec.data()), 0);
  const int off = xb_FieldOffset(xb_FieldIndex("ENTRY"));
  const long block = std::stol(std::string(rec.data() + off, 10));
  xb_CloseAll();
  std::string memo = ReadFile(dir / "QUILLBK.FPT");
  memo[static_cast<std::size_t>(block * 64 + 8 + 40)] ^= 0x20;
  WriteFile(dir / "QUILLBK.FPT", memo);

  Reopen("KEY1");
  EXPECT_EQ(xb_KeyState(), XB_KEY_OPEN);
  EXPECT_EQ(TextOf("20240103"), "<error " + std::to_string(XB_ERR_CORRUPT) + ">");
  EXPECT_NE(xb_ErrorText().find("damaged"), std::string::npos) << xb_ErrorText();
  for (const auto& [key, text] : kEntries)
    if (key != "20240103") {
      EXPECT_EQ(TextOf(key), text);
    }
  // A change of password keeps the damaged text as it is and reports it.
  ASSERT_NE(xb_DbfChangePassword("KEY2"), 0) << xb_ErrorText();
  EXPECT_NE(xb_DamageText().find("cannot be read"), std::string::npos) << xb_DamageText();
  xb_SetOrder(1);
  EXPECT_EQ(TextOf("20240103"), "<error " + std::to_string(XB_ERR_CORRUPT) + ">");
  EXPECT_EQ(TextOf("20240105"), kEntries.at("20240105"));
}

TEST_F(ProtectionTest, TextsCannotBeSwappedBetweenDays) {
  MakeDiary();
  xb_SetPassword("SWAP");
  ASSERT_NE(xb_DbfEncrypt(), 0) << xb_ErrorText();
  const int off = xb_FieldOffset(xb_FieldIndex("ENTRY"));
  xb_CloseAll();
  // Records 1 and 2 are the first two days; swap their memo pointers.
  std::string table = ReadFile(Table());
  const std::size_t header = static_cast<unsigned char>(table[8]) | (static_cast<unsigned char>(table[9]) << 8);
  const std::size_t len = static_cast<unsigned char>(table[10]) | (static_cast<unsigned char>(table[11]) << 8);
  std::string p1 = table.substr(header + off, 10), p2 = table.substr(header + len + off, 10);
  table.replace(header + off, 10, p2);
  table.replace(header + len + off, 10, p1);
  WriteFile(Table(), table);

  Reopen("SWAP");
  EXPECT_EQ(TextOf("20240101"), "<error " + std::to_string(XB_ERR_CORRUPT) + ">");
  EXPECT_EQ(TextOf("20240102"), "<error " + std::to_string(XB_ERR_CORRUPT) + ">");
  EXPECT_EQ(TextOf("20240103"), kEntries.at("20240103"));
}

TEST_F(ProtectionTest, ChangingAKeyFieldSealsTheTextAgain) {
  MakeDiary();
  xb_SetPassword("MOVE");
  ASSERT_NE(xb_DbfEncrypt(), 0) << xb_ErrorText();
  ASSERT_TRUE(xb_Seek("20240105"));
  ASSERT_NE(xb_FieldPut("DATE", "20240201"), 0) << xb_ErrorText();
  ASSERT_NE(xb_Commit(), 0);
  Reopen("MOVE");
  EXPECT_EQ(TextOf("20240201"), kEntries.at("20240105"));
}

TEST_F(ProtectionTest, DecryptAndChangeLeaveTheRightFiles) {
  MakeDiary();
  xb_SetPassword("FIRST");
  ASSERT_NE(xb_DbfEncrypt(), 0) << xb_ErrorText();
  ASSERT_NE(xb_DbfChangePassword("second pw"), 0) << xb_ErrorText();
  Reopen("FIRST");
  EXPECT_EQ(xb_KeyState(), XB_KEY_LOCKED);
  Reopen("second pw");
  ExpectAllReadable();
  ASSERT_NE(xb_DbfDecrypt(), 0) << xb_ErrorText();
  EXPECT_FALSE(FileExistsForTest(dir / "QUILLBK.SLT"));
  Reopen("");
  EXPECT_EQ(xb_KeyState(), XB_KEY_PLAIN);
  ExpectAllReadable();
  EXPECT_NE(ReadFile(dir / "QUILLBK.FPT").find("Zeppelin"), std::string::npos);
  // No stray files of the change are left.
  for (const auto& f : std::filesystem::directory_iterator(dir.Path())) {
    EXPECT_EQ(f.path().string().find("rekey"), std::string::npos) << f.path();
  }
}

TEST_F(ProtectionTest, SealedTextWithoutItsKeyFileIsNeverShownAsText) {
  MakeDiary();
  xb_SetPassword("GONE");
  ASSERT_NE(xb_DbfEncrypt(), 0) << xb_ErrorText();
  xb_CloseAll();
  std::filesystem::remove(dir / "QUILLBK.SLT");
  Reopen("GONE");
  EXPECT_EQ(xb_KeyState(), XB_KEY_PLAIN);
  EXPECT_EQ(TextOf("20240101"), "<error " + std::to_string(XB_ERR_CORRUPT) + ">");
  EXPECT_NE(xb_ErrorText().find("QUILLBK.SLT"), std::string::npos) << xb_ErrorText();
}

TEST_F(ProtectionTest, AFullDiskStopsAPasswordChangeAndKeepsTheTable) {
  MakeDiary();
  xb_SetPassword("OLD PW");
  ASSERT_NE(xb_DbfEncrypt(), 0) << xb_ErrorText();
  const std::string before = ReadFile(dir / "QUILLBK.FPT") + ReadFile(Table()) + ReadFile(dir / "QUILLBK.SLT");
  for (int failAt : {1, 3, 8}) {
    int count = 0;
    xb_SetWriteFaultHook([&](const std::string&, std::size_t) { return ++count == failAt ? ENOSPC : 0; });
    EXPECT_EQ(xb_DbfChangePassword("NEW PW"), 0);
    EXPECT_EQ(xb_Error(), XB_ERR_IO) << xb_ErrorText();
    xb_SetWriteFaultHook({});
    EXPECT_EQ(xb_KeyState(), XB_KEY_OPEN);
    ExpectAllReadable();
  }
  xb_CloseAll();
  EXPECT_EQ(ReadFile(dir / "QUILLBK.FPT") + ReadFile(Table()) + ReadFile(dir / "QUILLBK.SLT"), before);
  Reopen("OLD PW");
  ExpectAllReadable();
}

// The child changes the password from OLD to NEW and is killed at one point:
// before the WRITE-th write, or at the named step.
void ChangeAndDie(const std::string& table, int write, const std::string& step) {
  xb_CloseAll();
  xb_SetPassword("OLD PW");
  if (!xb_Use(table, "", XB_MODE_EXCLUSIVE, XB_DRIVER_CDX)) _exit(3);
  int count = 0;
  xb_SetWriteFaultHook([&](const std::string&, std::size_t) {
    if (++count == write) _exit(0);
    return 0;
  });
  xb_SetRekeyStepHook([&](const std::string& s) {
    if (s == step) _exit(0);
  });
  _exit(xb_DbfChangePassword("NEW PW") ? 1 : 4);
}

TEST_F(ProtectionTest, AKillAtAnyPointOfAPasswordChangeLeavesOldOrNew) {
  MakeDiary();
  xb_SetPassword("OLD PW");
  ASSERT_NE(xb_DbfEncrypt(), 0) << xb_ErrorText();
  xb_CloseAll();
  const std::string clean = dir.Path() + "-clean";
  std::filesystem::copy(dir.Path(), clean);

  std::vector<std::pair<int, std::string>> points;
  for (const char* step : {"staged", "marked", "memo", "table", "key"}) points.push_back({0, step});
  for (int w = 1; w <= 40; ++w) points.push_back({w, ""});
  int sawOld = 0, sawNew = 0;
  for (const auto& [write, step] : points) {
    SCOPED_TRACE("write " + std::to_string(write) + " step " + step);
    std::filesystem::remove_all(dir.Path());
    std::filesystem::copy(clean, dir.Path());
    const pid_t child = fork();
    if (child == 0) ChangeAndDie(Table(), write, step);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_NE(WEXITSTATUS(status), 3);
    ASSERT_NE(WEXITSTATUS(status), 4);
    // Whichever password opens it must read every entry.
    Reopen("OLD PW");
    if (xb_KeyState() == XB_KEY_OPEN) {
      ++sawOld;
    } else {
      Reopen("NEW PW");
      ASSERT_EQ(xb_KeyState(), XB_KEY_OPEN) << "neither password opens the table";
      ++sawNew;
    }
    ExpectAllReadable();
    xb_CloseAll();
    for (const auto& f : std::filesystem::directory_iterator(dir.Path())) {
      EXPECT_EQ(f.path().string().find("rekey"), std::string::npos) << f.path();
    }
  }
  EXPECT_GT(sawOld, 0);
  EXPECT_GT(sawNew, 0);
  std::filesystem::remove_all(clean);
}

}  // namespace
}  // namespace quill::xb::test
