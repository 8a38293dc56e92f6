#include "app/private_profile.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace quill {
namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void Put(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class PrivateProfileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string path = dir.filePath("QB.INI").toStdString();
};

TEST_F(PrivateProfileTest, MissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(ReadProfileString(path, "Security", "Password", "none"), "none");
    EXPECT_EQ(ReadProfileInteger(path, "Default Font", "Size", 10), 10);
    Put(path, "[Other]\nPassword=x\n[Security]\nName=y\n");
    EXPECT_EQ(ReadProfileString(path, "Security", "Password", "none"), "none");
    EXPECT_EQ(ReadProfileString(path, "Nowhere", "Name", "d"), "d");
}

TEST_F(PrivateProfileTest, NamesAreFoundWithoutRegardToCaseAndBlanksAreTrimmed) {
    Put(path, "[default font]\r\n  size = 14 \r\nNAME=Times New Roman\r\n");
    EXPECT_EQ(ReadProfileInteger(path, "Default Font", "Size", 10), 14);
    EXPECT_EQ(ReadProfileString(path, "DEFAULT FONT", "Name", ""), "Times New Roman");
}

TEST_F(PrivateProfileTest, IntegersFollowTheHexAndDecimalRules) {
    struct Case {
        const char* text;
        int expected;
    } cases[] = {
        {"0x0C", 12},  {"0X1f", 31},        {"12", 12},          {"-5", -5},
        {"+7", 7},     {"2", 2},            {"0", 0},            {"abc", 99},
        {"", 99},      {"0x", 99},          {"0xZZ", 99},        {"12abc", 99},
        {"1 2", 99},   {"99999999999", 99}, {"-2147483648", INT32_MIN},
        {"2147483648", 99}, {"0xFFFFFFFF", -1}, {"0x100000000", 99}, {"-", 99},
    };
    for (const Case& c : cases) {
        Put(path, std::string("[S]\nK=") + c.text + "\n");
        EXPECT_EQ(ReadProfileInteger(path, "S", "K", 99), c.expected) << "value '" << c.text << "'";
    }
}

TEST_F(PrivateProfileTest, AtMost1023CharactersOfAValueAreSeen) {
    const std::string longValue(1500, 'a');
    WriteProfileString(path, "S", "K", longValue);
    EXPECT_EQ(ReadProfileString(path, "S", "K", ""), std::string(1023, 'a'));
    WriteProfileString(path, "S", "K", std::string(1023, 'b'));
    EXPECT_EQ(ReadProfileString(path, "S", "K", ""), std::string(1023, 'b'));
}

TEST_F(PrivateProfileTest, NewKeysAndSectionsAreAddedInOrderOfFirstWriting) {
    WriteProfileString(path, "Security", "Password", "");
    WriteProfileString(path, "Default Font", "Name", "Arial");
    WriteProfileString(path, "Default Font", "Size", "10");
    WriteProfileString(path, "Security", "Extra", "1");
    WriteProfileString(path, "Default Font", "Name", "Courier New");  // in place
    EXPECT_EQ(Slurp(path),
              "[Security]\nPassword=\nExtra=1\n[Default Font]\nName=Courier New\nSize=10\n");
}

TEST_F(PrivateProfileTest, OtherSectionsKeysAndCommentsSurviveAWrite) {
    Put(path,
        "; kept by hand\r\n[Window]\r\nLeft=10\r\n\r\n[Default Font]\r\nName=Arial\r\n"
        "Size=10\r\n\r\n[Later]\r\nKey=v\r\n");
    WriteProfileString(path, "Default Font", "Size", "12");
    WriteProfileString(path, "Default Font", "Bold", "1");
    EXPECT_EQ(Slurp(path),
              "; kept by hand\r\n[Window]\r\nLeft=10\r\n\r\n[Default Font]\r\nName=Arial\r\n"
              "Size=12\r\nBold=1\r\n\r\n[Later]\r\nKey=v\r\n");
    EXPECT_FALSE(std::filesystem::exists(path + ".new"));
}

TEST_F(PrivateProfileTest, QuotedValuesAreReadWithoutTheirQuotes) {
    Put(path, "[S]\nA=\"two words\"\nB='x'\nC=\"open\n");
    EXPECT_EQ(ReadProfileString(path, "S", "A", ""), "two words");
    EXPECT_EQ(ReadProfileString(path, "S", "B", ""), "x");
    EXPECT_EQ(ReadProfileString(path, "S", "C", ""), "\"open");
}

TEST_F(PrivateProfileTest, AFileThatCannotBeWrittenReportsItsPathAndStaysAsItWas) {
    const std::string missingFolder = dir.filePath("no/such/folder/QB.INI").toStdString();
    try {
        WriteProfileString(missingFolder, "S", "K", "v");
        FAIL() << "no error for a folder that does not exist";
    } catch (const ProfileWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + missingFolder);
    }

    // A folder in the file's place: the new file cannot be renamed over it.
    std::filesystem::create_directory(path);
    EXPECT_THROW(WriteProfileString(path, "S", "K", "v"), ProfileWriteError);
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".new"));
}

}  // namespace
}  // namespace quill
