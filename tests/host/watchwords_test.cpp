#include "../../viewer/watchwords.h"

#include <gtest/gtest.h>

#include "../../viewer/run_state.h"
#include "table_texts.h"

TEST(WatchwordTable, HoldsTwoTextsForEachOf372SlotsAndNothingElse) {
  ASSERT_GT(WatchwordTableSize, 0u);
  EXPECT_EQ(WatchwordTable[WatchwordTableSize - 1], 0);
  EXPECT_EQ(TableTexts().size(), 744u);
}

TEST(WatchwordTable, OnlyTheDatesThe2007CalendarLacksAreEmpty) {
  std::vector<std::string> texts = TableTexts();
  const int daysIn[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (int month = 1; month <= 12; ++month) {
    for (int day = 1; day <= 31; ++day) {
      bool exists = day <= daysIn[month - 1];
      size_t first = FirstTextOf(month, day);
      EXPECT_EQ(texts[first].empty(), !exists) << day << "." << month << ".";
      EXPECT_EQ(texts[first + 1].empty(), !exists) << day << "." << month << ".";
    }
  }
}

struct SlotCase {
  uint16_t month, day;
  size_t firstText;
};

class LookupWatchwordsCases : public testing::TestWithParam<SlotCase> {};

TEST_P(LookupWatchwordsCases, CopiesTheSlotsTwoTexts) {
  std::vector<std::string> texts = TableTexts();
  ViewerDate = ViewerDateRecord{2007, GetParam().month, GetParam().day, 0};
  LookupWatchwords();
  EXPECT_EQ(TextBytes(WatchwordText), texts[GetParam().firstText]);
  EXPECT_EQ(TextBytes(TeachingText), texts[GetParam().firstText + 1]);
  TextRelease(WatchwordText);
  TextRelease(TeachingText);
}

INSTANTIATE_TEST_SUITE_P(Cases, LookupWatchwordsCases,
                         testing::Values(SlotCase{1, 1, 0},
                                         // February keeps all 31 slots.
                                         SlotCase{3, 1, 124}, SlotCase{12, 31, 742}, SlotCase{2, 30, 118},
                                         // No calendar check: day 32 of January is 1 February.
                                         SlotCase{1, 32, 62}, SlotCase{12, 24, 2 * (11 * 31 + 23)}));

TEST(LookupWatchwords, EmptiesTheTextsBeforeCopying) {
  ViewerDate = ViewerDateRecord{2007, 1, 1, 0};
  LookupWatchwords();
  ViewerDate = ViewerDateRecord{2007, 2, 30, 0};
  LookupWatchwords();
  EXPECT_EQ(WatchwordText.length, 0u);
  EXPECT_EQ(TeachingText.length, 0u);
  TextRelease(WatchwordText);
  TextRelease(TeachingText);
}

struct SlotRangeCase {
  uint16_t month, day;
  bool inTable;
};

class SlotInTableCases : public testing::TestWithParam<SlotRangeCase> {};

TEST_P(SlotInTableCases, AcceptsExactlyTheSlotsOfTheBlock) {
  EXPECT_EQ(SlotInTable(GetParam().month, GetParam().day), GetParam().inTable)
      << GetParam().day << "." << GetParam().month << ".";
}

INSTANTIATE_TEST_SUITE_P(Cases, SlotInTableCases,
                         testing::Values(SlotRangeCase{1, 1, true}, SlotRangeCase{12, 31, true},
                                         SlotRangeCase{1, 254, true}, SlotRangeCase{11, 62, true},
                                         SlotRangeCase{1, 0, false}, SlotRangeCase{0, 1, false},
                                         SlotRangeCase{13, 1, false}, SlotRangeCase{12, 32, false},
                                         SlotRangeCase{11, 63, false}, SlotRangeCase{254, 254, false}));
