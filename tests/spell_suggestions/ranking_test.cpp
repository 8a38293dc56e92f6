#include "spell/engine/ranked_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quill {
namespace {

std::vector<std::string> Texts(const TRankedList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i) out.emplace_back(list[i].Text());
    return out;
}

TEST(RankedList, BestFirstAndStableAmongEqualScores) {
    TRankedList list(10);
    EXPECT_TRUE(list.Insert("B50", 50));
    EXPECT_TRUE(list.Insert("A70", 70));
    EXPECT_TRUE(list.Insert("C50", 50));  // after the earlier 50
    EXPECT_TRUE(list.Insert("D0", 0));
    EXPECT_TRUE(list.Insert("E70", 70));
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"A70", "E70", "B50", "C50", "D0"}));
}

TEST(RankedList, FullListDropsTheLastOrTheNewcomer) {
    TRankedList list(3);
    list.Insert("A", 60);
    list.Insert("B", 40);
    list.Insert("C", 20);
    EXPECT_FALSE(list.Insert("D", 20));  // nothing scores lower
    EXPECT_TRUE(list.Insert("E", 50));   // C falls off
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"A", "E", "B"}));
    EXPECT_TRUE(list.Insert("F", 99));
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"F", "A", "E"}));
}

TEST(RankedList, ZeroScoresFillRoomThenAreDropped) {
    TRankedList list(2);
    EXPECT_TRUE(list.Rank("A", "WORD"));
    EXPECT_TRUE(list.Rank("A", "WORD"));  // no duplicate check
    EXPECT_FALSE(list.Rank("XYZ", "WORD"));
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"A", "A"}));
    EXPECT_TRUE(list.Rank("WORM", "WORD"));  // any score above 0 displaces the last
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"WORM", "A"}));
}

TEST(RankedList, CapacityLimits) {
    TRankedList none(0);
    EXPECT_FALSE(none.Insert("A", 100));
    EXPECT_EQ(none.Count(), 0);
    TRankedList big(1000);
    EXPECT_EQ(big.Capacity(), TRankedList::kRoom);
}

TEST(RankedList, ApostrophesDoNotCountButStay) {
    EXPECT_EQ(CandidateScore("DON'T", "DONT"), 100);
    TRankedList list(5);
    list.Rank("DON'T", "DONT");
    list.Rank("DONE", "DONT");
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"DON'T", "DONE"}));
    EXPECT_EQ(list[0].score, 100);
}

TEST(RankedList, OverlongCandidateIsNotKept) {
    TRankedList list(5);
    EXPECT_TRUE(list.Rank(std::string(30, 'A'), "AAAA"));
    EXPECT_FALSE(list.Rank(std::string(31, 'A'), "AAAA"));
    EXPECT_EQ(list.Count(), 1);
}

}  // namespace
}  // namespace quill
