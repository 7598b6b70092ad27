#include "../../viewer/date_phrase.h"

#include <gtest/gtest.h>

#include <string>

#include "../../viewer/run_state.h"

static std::string Rest(TextView view) { return std::string(view.bytes, view.length); }

struct NumberCase {
  std::string text;
  uint16_t value;
  std::string rest;
};

class TakeNumberCases : public testing::TestWithParam<NumberCase> {};

TEST_P(TakeNumberCases, ReadsTheNumberAndItsSeparators) {
  TextView text{GetParam().text.data(), GetParam().text.size()};
  EXPECT_EQ(TakeNumber(text), GetParam().value);
  EXPECT_EQ(Rest(text), GetParam().rest);
}

INSTANTIATE_TEST_SUITE_P(Cases, TakeNumberCases,
                         testing::Values(NumberCase{"24.12.2007", 24, "12.2007"}, NumberCase{"24 . .x", 24, "x"},
                                         // The last character is never consumed as a separator.
                                         NumberCase{"12.", 12, "."}, NumberCase{"12. ", 12, " "},
                                         NumberCase{"7", 7, ""}, NumberCase{"", Absent, ""},
                                         NumberCase{" 5", Absent, " 5"}, NumberCase{".5", Absent, ".5"},
                                         NumberCase{"-5", Absent, "-5"}, NumberCase{"65535", 65535, ""},
                                         NumberCase{"65536 x", 0, "x"}, NumberCase{"0012", 12, ""},
                                         NumberCase{"5-3", 5, "-3"}));

TEST(TakeNumber, ReadsPastAnyLengthOfDigitsAndSeparators) {
  // Numbers and separators far longer than 255 characters are read whole.
  std::string text = std::string(1000, '0') + "42" + std::string(1000, ' ') + "x";
  TextView view{text.data(), text.size()};
  EXPECT_EQ(TakeNumber(view), 42);
  EXPECT_EQ(Rest(view), "x");
}

struct DateCase {
  std::string text;
  uint16_t day, month, year;
  std::string rest;
};

class TakeDateCases : public testing::TestWithParam<DateCase> {
 protected:
  void SetUp() override { ViewerDate = ViewerDateRecord{2007, 3, 5, 1}; }
};

TEST_P(TakeDateCases, ReadsDayMonthAndYearWithDefaults) {
  const DateCase& c = GetParam();
  TextView text{c.text.data(), c.text.size()};
  uint16_t day = 1, month = 1, year = 1;
  TakeDate(text, day, month, year);
  EXPECT_EQ(day, c.day) << c.text;
  EXPECT_EQ(month, c.month) << c.text;
  EXPECT_EQ(year, c.year) << c.text;
  EXPECT_EQ(Rest(text), c.rest) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TakeDateCases,
    testing::Values(DateCase{"24.12.2007", 24, 12, 2007, ""}, DateCase{"24.12.", 24, 12, 2007, "."},
                    DateCase{"24.12. ", 24, 12, 2007, " "}, DateCase{"24 12 07", 24, 12, 2007, ""},
                    DateCase{"24. 12. 7", 24, 12, 2007, ""}, DateCase{"5..3", 5, 3, 2007, ""},
                    DateCase{"15", 15, 3, 2007, ""},
                    // The century rule.
                    DateCase{"5.3.90", 5, 3, 2090, ""}, DateCase{"5.3.91", 5, 3, 1991, ""},
                    DateCase{"5.3.99", 5, 3, 1999, ""}, DateCase{"5.3.100", 5, 3, 100, ""},
                    DateCase{"5.3.0", 5, 3, 2000, ""},
                    // A typed 255 cannot be told from a missing number; numbers wrap.
                    DateCase{"5.3.255", 5, 3, 2007, ""}, DateCase{"5.3.65536", 5, 3, 2000, ""},
                    DateCase{"256.1.", 0, 1, 2007, "."}, DateCase{"511.1.", Absent, 1, 2007, "."},
                    DateCase{"1.255.", 1, 3, 2007, "."}, DateCase{"1.257.", 1, 1, 2007, "."},
                    // Reading stops at the first character that is no digit.
                    DateCase{"24-12-2007", 24, 3, 2007, "-12-2007"}, DateCase{"PO", Absent, 3, 2007, "PO"},
                    DateCase{"24.12. Vánoce", 24, 12, 2007, "Vánoce"}, DateCase{"", Absent, 3, 2007, ""}));

struct WeekdayCase {
  std::string text;
  uint8_t weekday;
  std::string rest;
};

class TakeWeekdayCases : public testing::TestWithParam<WeekdayCase> {};

TEST_P(TakeWeekdayCases, ReadsTheAbbreviationAndConsumesThreeCharacters) {
  TextView text{GetParam().text.data(), GetParam().text.size()};
  EXPECT_EQ(TakeWeekday(text), GetParam().weekday) << GetParam().text;
  EXPECT_EQ(Rest(text), GetParam().rest) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TakeWeekdayCases,
    testing::Values(WeekdayCase{"po nakoupit", 1, "nakoupit"}, WeekdayCase{"Ne x", 0, "x"},
                    WeekdayCase{"Ne  x", 0, " x"}, WeekdayCase{"PONDELI", Absent, "PONDELI"},
                    WeekdayCase{"čt x", Absent, "čt x"}, WeekdayCase{"ct x", 4, "x"}, WeekdayCase{"E Praha", 0, "raha"},
                    WeekdayCase{"PO", 1, ""}, WeekdayCase{"", Absent, ""},
                    // Every day, and pieces that straddle two abbreviations.
                    WeekdayCase{"UT x", 2, "x"}, WeekdayCase{"ST x", 3, "x"}, WeekdayCase{"PA x", 5, "x"},
                    WeekdayCase{"SO x", 6, "x"}, WeekdayCase{" PO", 1, ""}, WeekdayCase{"O U", 1, ""},
                    WeekdayCase{"T S", 2, ""}, WeekdayCase{"T C", 3, ""}, WeekdayCase{"T P", 4, ""},
                    WeekdayCase{"A S", 5, ""}, WeekdayCase{" SO", 6, ""},
                    // The last abbreviation's blank ends the constant: nothing follows it.
                    WeekdayCase{"O N", Absent, "O N"},
                    // Short texts are compared whole; the first occurrence counts.
                    WeekdayCase{"T", 2, ""}, WeekdayCase{"S", 3, ""}, WeekdayCase{" ", 1, ""}, WeekdayCase{"A", 5, ""},
                    WeekdayCase{"X", Absent, "X"}, WeekdayCase{"ST", 3, ""}, WeekdayCase{"SX", Absent, "SX"},
                    WeekdayCase{std::string("N\0 x", 4), Absent, std::string("N\0 x", 4)}));
