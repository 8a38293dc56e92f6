// A password-protected diary through the diary layer: its entries and its
// backups keep no text in the clear through saves, removals, a rebuild and
// password changes, and a wrong password reads nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "storage/backup_protection.h"
#include "storage/diary_backups.h"
#include "storage/engine/xb_engine.h"
#include "storage/xb_error.h"
#include "tests/storage/test_diary.h"

namespace quill::test {
namespace {

std::string Bytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Each known word found in some file under FOLDER, with the file.
std::vector<std::string> WordsInFiles(const std::string& folder, const std::vector<std::string>& words) {
    std::vector<std::string> found;
    for (const auto& f : std::filesystem::recursive_directory_iterator(folder)) {
        if (!f.is_regular_file()) continue;
        const std::string bytes = Bytes(f.path());
        for (const auto& w : words)
            if (bytes.find(w) != std::string::npos) found.push_back(w + " in " + f.path().string());
    }
    return found;
}

std::string Rtf(const std::string& words) { return "{\\rtf1\\ansi\\deff0\\deftab720 " + words + "}"; }

class DiaryProtectionTest : public ::testing::Test {
protected:
    void TearDown() override { xb::xb_SetPassword(""); }
    TempFolder dir;
};

TEST_F(DiaryProtectionTest, NoFileHoldsEntryTextAfterSavesRemovalsAndRebuild) {
    auto s = OpenDiary(dir.path());
    s->TodayForBackups = [] { return D(2024, 3, 1); };
    SaveDay(*s, D(2024, 1, 1), Rtf("Albatross morning"));
    SaveDay(*s, D(2024, 1, 2), Rtf("Brontosaurus evening"));
    SaveDay(*s, D(2024, 1, 3), Rtf("Cassowary noon"));
    // Today's backup exists from here on, in the clear.
    ASSERT_FALSE(ListBackups(dir.path()).empty());

    s->ChangePassword("SECRET 1");
    EXPECT_EQ(s->KeyState(), xb::XB_KEY_OPEN);
    EXPECT_TRUE(ReprotectBackups(dir.path(), "", "SECRET 1").empty());
    std::vector<std::string> words = {"Albatross", "Brontosaurus", "Cassowary"};
    EXPECT_EQ(WordsInFiles(dir.path(), words), std::vector<std::string>());

    // Updates, a removal and a new day on the protected diary; a new day's
    // backup is made from the protected files.
    s->TodayForBackups = [] { return D(2024, 3, 2); };
    SaveDay(*s, D(2024, 1, 2), Rtf("Dromedary rewritten"));
    SaveDay(*s, D(2024, 1, 3), "");
    SaveDay(*s, D(2024, 1, 4), Rtf("Echidna arrives"));
    words.insert(words.end(), {"Dromedary", "Echidna"});
    EXPECT_EQ(WordsInFiles(dir.path(), words), std::vector<std::string>());
    s->RebuildDiary();
    EXPECT_EQ(WordsInFiles(dir.path(), words), std::vector<std::string>());

    ASSERT_TRUE(s->FindDateRecord(D(2024, 1, 2)));
    EXPECT_EQ(s->CurrentEntryText(), Rtf("Dromedary rewritten"));
    EXPECT_FALSE(s->FindDateRecord(D(2024, 1, 3)));
    s.reset();

    // A wrong password opens the table (the keys are readable) but no text.
    xb::xb_SetPassword("");
    s = OpenDiary(dir.path());
    EXPECT_FALSE(s->UsePassword("secret 1"));
    ASSERT_TRUE(s->FindDateRecord(D(2024, 1, 4)));
    EXPECT_THROW(s->CurrentEntryText(), TXbError);
    EXPECT_THROW(SaveDay(*s, D(2024, 1, 4), Rtf("overwritten")), TXbError);
    EXPECT_TRUE(s->UsePassword("SECRET 1"));
    ASSERT_TRUE(s->FindDateRecord(D(2024, 1, 4)));
    EXPECT_EQ(s->CurrentEntryText(), Rtf("Echidna arrives"));
    ASSERT_TRUE(s->FindDateRecord(D(2024, 1, 1)));
    EXPECT_EQ(s->CurrentEntryText(), Rtf("Albatross morning"));
}

TEST_F(DiaryProtectionTest, AFilesTextSealedWithTheTableKeyOpensOnlyWithThatKeyAndBinding) {
    auto s = OpenDiary(dir.path());
    std::string sealed, text;
    EXPECT_FALSE(s->DiaryEngine.SealOwnText("Gannet", "copy 1", sealed)) << "a plain diary has no key";
    s->ChangePassword("SECRET");
    ASSERT_TRUE(s->DiaryEngine.SealOwnText("Gannet dawn", "copy 1", sealed));
    EXPECT_EQ(sealed.find("Gannet"), std::string::npos);
    ASSERT_TRUE(s->DiaryEngine.OpenOwnText(sealed, "copy 1", text));
    EXPECT_EQ(text, "Gannet dawn");

    std::string damaged = sealed;
    damaged[damaged.size() / 2] ^= 1;
    struct Case {
        const char* name;
        std::string stored, binding;
    } cases[] = {{"another binding", sealed, "copy 2"},
                 {"a damaged seal", damaged, "copy 1"},
                 {"no seal at all", "Gannet dawn", "copy 1"}};
    for (const Case& c : cases) EXPECT_FALSE(s->DiaryEngine.OpenOwnText(c.stored, c.binding, text)) << c.name;

    // Locked (a wrong password): neither sealing nor opening.
    s.reset();
    xb::xb_SetPassword("");
    s = OpenDiary(dir.path());
    ASSERT_FALSE(s->UsePassword("WRONG"));
    std::string other;
    EXPECT_FALSE(s->DiaryEngine.SealOwnText("Gannet", "copy 1", other));
    EXPECT_FALSE(s->DiaryEngine.OpenOwnText(sealed, "copy 1", text));
    ASSERT_TRUE(s->UsePassword("SECRET"));
    ASSERT_TRUE(s->DiaryEngine.OpenOwnText(sealed, "copy 1", text));
    EXPECT_EQ(text, "Gannet dawn");
}

TEST_F(DiaryProtectionTest, AKeyFileWithoutItsTableIsDamageNotAFirstStart) {
    {
        auto s = OpenDiary(dir.path());
        SaveDay(*s, D(2024, 2, 1), Rtf("Jackdaw"));
        s->ChangePassword("LONE");
    }
    for (const char* name : {kDiaryTableName, kDiaryMemoName, kDiaryIndexName})
        std::filesystem::remove(dir.path() + name);
    DiaryStorage s(dir.path());
    EXPECT_FALSE(s.OpenDiaryFile());
    EXPECT_NE(s.LastError().find(kDiaryKeyName), std::string::npos) << s.LastError();
    EXPECT_FALSE(std::filesystem::exists(dir.path() + kDiaryTableName));
}

TEST_F(DiaryProtectionTest, BackupsFollowEveryPasswordChange) {
    auto s = OpenDiary(dir.path());
    s->TodayForBackups = [] { return D(2024, 5, 1); };
    SaveDay(*s, D(2024, 4, 1), Rtf("Gooseberry"));
    SaveDay(*s, D(2024, 4, 2), Rtf("Huckleberry"));
    s->TodayForBackups = [] { return D(2024, 5, 2); };
    SaveDay(*s, D(2024, 4, 3), Rtf("Ice plant"));
    ASSERT_EQ(ListBackups(dir.path()).size(), 2u);

    s->ChangePassword("ONE");
    EXPECT_TRUE(ReprotectBackups(dir.path(), "", "ONE").empty());
    s->ChangePassword("TWO");
    EXPECT_TRUE(ReprotectBackups(dir.path(), "ONE", "TWO").empty());
    EXPECT_EQ(WordsInFiles(dir.path(), {"Gooseberry", "Huckleberry"}), std::vector<std::string>());
    s.reset();

    // Every backup now opens with the new password and holds its entries.
    for (const DiaryBackup& b : ListBackups(dir.path())) {
        SCOPED_TRACE(b.name);
        xb::xb_SetPassword("");
        auto copy = OpenDiary(b.path);
        EXPECT_FALSE(copy->UsePassword("ONE"));
        EXPECT_TRUE(copy->UsePassword("TWO"));
        // The first copy was made before the first save, the second one
        // before the third.
        if (b.name == "20240502") {
            ASSERT_TRUE(copy->FindDateRecord(D(2024, 4, 1)));
            EXPECT_EQ(copy->CurrentEntryText(), Rtf("Gooseberry"));
        }
    }

    // Clearing the password clears it in the backups too.
    xb::xb_SetPassword("TWO");
    s = OpenDiary(dir.path());
    s->ChangePassword("");
    EXPECT_TRUE(ReprotectBackups(dir.path(), "TWO", "").empty());
    EXPECT_FALSE(s->Protected());
    s.reset();
    for (const DiaryBackup& b : ListBackups(dir.path())) {
        auto copy = OpenDiary(b.path);
        EXPECT_FALSE(copy->Protected());
    }
}

}  // namespace
}  // namespace quill::test
