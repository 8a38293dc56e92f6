// Loading a page from text in memory and writing it back as text give the
// editor and the caller exactly what the same load and save through an
// ".rtf" file give.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "richtext/widget/rich_text.h"

namespace quill {
namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(MemoryLoadSave, SameDocumentAndBytesAsThroughAFile) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    int compared = 0;
    for (const auto& entry : std::filesystem::directory_iterator(QUILL_FIXTURES "/corpus")) {
        if (entry.path().extension() != ".rtf") continue;
        const std::string text = ReadAll(entry.path().string());
        const std::string scratch = folder + "/Eraseme.rtf";
        std::ofstream(scratch, std::ios::binary) << text;

        TRichText viaFile, viaMemory;
        viaFile.Clear();
        viaMemory.Clear();
        try {
            viaFile.LoadFromFile(scratch);
        } catch (const std::exception&) {
        }
        try {
            viaMemory.LoadFromText(text, folder);
        } catch (const std::exception&) {
        }
        EXPECT_TRUE(viaMemory.FileName().empty());
        const std::string written = folder + "/out.rtf";
        if (viaFile.IsTextEmpty()) {
            EXPECT_TRUE(viaMemory.IsTextEmpty()) << entry.path();
            EXPECT_EQ(viaMemory.SaveToRtfText(), "") << "an empty page writes nothing";
            continue;
        }
        viaFile.SaveToFile(written);
        EXPECT_EQ(viaMemory.SaveToRtfText(), ReadAll(written)) << entry.path();
        ++compared;
    }
    EXPECT_GT(compared, 20);
}

}  // namespace
}  // namespace quill
