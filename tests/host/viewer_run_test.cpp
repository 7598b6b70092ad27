// Whole runs of the viewer against the fake platform: which boxes appear,
// with which captions, texts, owners and types, in which order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../viewer/viewer.h"
#include "fake_platform.h"
#include "table_texts.h"

static const WindowHandle Shell = 0x10010;

static std::vector<ShownBox> RunWith(const std::string& parameters) {
  ResetFake();
  Fake.commandLine = "RS7.EXE " + parameters;
  RunViewer();
  return Fake.boxes;
}

static std::vector<ShownBox> TwoBoxes(const std::string& date, int month, int day) {
  std::vector<std::string> texts = TableTexts();
  size_t first = FirstTextOf(month, day);
  return {ShownBox{Shell, "Hesla " + date + " SZ", texts[first], 0},
          ShownBox{Shell, "Hesla " + date + " NZ", texts[first + 1], 0}};
}

static std::vector<ShownBox> Warning(const std::string& argumentText) {
  return {ShownBox{Shell, "Ranoslov 2007", "Neplatný parametr:  " + argumentText, 0x30}};
}

TEST(ViewerRun, WithoutParametersShowsTodaysTwoTextsWithoutYear) { EXPECT_EQ(RunWith(""), TwoBoxes("5.3.", 3, 5)); }

TEST(ViewerRun, PlusShowsBothTextsInOneBoxWithAnEmptyLineBetween) {
  std::vector<std::string> texts = TableTexts();
  size_t first = FirstTextOf(3, 5);
  std::vector<ShownBox> expected = {ShownBox{Shell, "Hesla 5.3.", texts[first] + "\r\r" + texts[first + 1], 0}};
  EXPECT_EQ(RunWith("+"), expected);
  EXPECT_EQ(RunWith("+ 24.12. +"),
            (std::vector<ShownBox>{ShownBox{Shell, "Hesla 24.12.2007",
                                            texts[FirstTextOf(12, 24)] + "\r\r" + texts[FirstTextOf(12, 24) + 1], 0}}));
}

struct PhraseCase {
  std::string parameters;
  std::string caption;
  int month, day;
};

class DatePhraseRuns : public testing::TestWithParam<PhraseCase> {};

TEST_P(DatePhraseRuns, ShowThatDaysTextsWithTheYearInTheCaption) {
  EXPECT_EQ(RunWith(GetParam().parameters), TwoBoxes(GetParam().caption, GetParam().month, GetParam().day))
      << GetParam().parameters;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DatePhraseRuns,
    testing::Values(PhraseCase{"24.12.2007", "24.12.2007", 12, 24}, PhraseCase{"24.12.", "24.12.2007", 12, 24},
                    PhraseCase{"24.12. x", "24.12.2007", 12, 24}, PhraseCase{"24 12 07", "24.12.2007", 12, 24},
                    PhraseCase{"24. 12. 2007", "24.12.2007", 12, 24},
                    PhraseCase{"\"24.12.2007\"", "24.12.2007", 12, 24}, PhraseCase{"15", "15.3.2007", 3, 15},
                    PhraseCase{"1.1.2007", "1.1.2007", 1, 1}, PhraseCase{"31.12.2007", "31.12.2007", 12, 31},
                    // No calendar check: the slots of missing dates hold empty texts ...
                    PhraseCase{"30.2.2007", "30.2.2007", 2, 30}, PhraseCase{"31.4.", "31.4.2007", 4, 31},
                    // ... and a day past the month's slots runs into the next month.
                    PhraseCase{"32.1.2007", "32.1.2007", 2, 1}));

TEST(ViewerRun, MissingDatesShowTwoEmptyBoxes) {
  std::vector<ShownBox> boxes = RunWith("30.2.2007");
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "");
  EXPECT_EQ(boxes[1].text, "");
}

class InvalidPhraseRuns : public testing::TestWithParam<std::string> {};

TEST_P(InvalidPhraseRuns, ShowOnlyTheWarningWithTheWholePhrase) {
  EXPECT_EQ(RunWith(GetParam()), Warning(" " + GetParam())) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Cases, InvalidPhraseRuns,
                         testing::Values("abc", "PO", "+5", ".5", "511.1.2007", "-1.1.",
                                         // Dates of the year whose slot lies outside the table.
                                         "0.1.2007", "1.0.2007", "1.13.2007", "32.12.2007", "254.12."));

TEST(ViewerRun, WarningCarriesEveryPlainWordButNotTheOthers) {
  EXPECT_EQ(RunWith("@5 x + \"a b\""), Warning(" x a b"));
}

TEST(ViewerRun, TodayInTheViewersYearIsShownWithoutADatePhrase) {
  ResetFake();
  Fake.today = LocalTime{2007, 12, 31, 1};
  RunViewer();
  std::vector<std::string> texts = TableTexts();
  ASSERT_EQ(Fake.boxes.size(), 2u);
  EXPECT_EQ(Fake.boxes[0].caption, "Hesla 31.12. SZ");
  EXPECT_EQ(Fake.boxes[1].text, texts[743]);
}

struct OwnerCase {
  std::string parameters;
  WindowHandle owner;
};

class OwnerRuns : public testing::TestWithParam<OwnerCase> {};

TEST_P(OwnerRuns, OwnBoxesByTheLastOwnerParameterThatNamesAWindow) {
  ResetFake();
  Fake.windows.insert(GetParam().owner);
  Fake.commandLine = "RS7.EXE 24.12. " + GetParam().parameters;
  RunViewer();
  ASSERT_EQ(Fake.boxes.size(), 2u) << GetParam().parameters;
  EXPECT_EQ(Fake.boxes[0].owner, GetParam().owner) << GetParam().parameters;
  EXPECT_EQ(Fake.boxes[1].owner, GetParam().owner) << GetParam().parameters;
}

static WindowHandle Handle(int32_t number) { return static_cast<WindowHandle>(static_cast<intptr_t>(number)); }

INSTANTIATE_TEST_SUITE_P(Cases, OwnerRuns,
                         testing::Values(OwnerCase{"@1234", 1234}, OwnerCase{"\"@ \t+1234\"", 1234},
                                         OwnerCase{"@-7", Handle(-7)}, OwnerCase{"@$1F", 31}, OwnerCase{"@$ff", 255},
                                         OwnerCase{"@%101", 5}, OwnerCase{"@-$10", Handle(-16)},
                                         OwnerCase{"@2147483647", 2147483647},
                                         OwnerCase{"@-2147483648", Handle(INT32_MIN)}, OwnerCase{"@x @1234", 1234},
                                         // Anything that does not convert gives no owner, and so the shell's window.
                                         OwnerCase{"@", Shell}, OwnerCase{"@x", Shell}, OwnerCase{"@+", Shell},
                                         OwnerCase{"@$", Shell}, OwnerCase{"@12x", Shell}, OwnerCase{"\"@12 \"", Shell},
                                         OwnerCase{"@2147483648", Shell}, OwnerCase{"@$100000000", Shell},
                                         OwnerCase{"@%2", Shell}, OwnerCase{"@1234 @x", Shell},
                                         OwnerCase{"@0", Shell}));

TEST(ViewerRun, AnOwnerNumberThatNamesNoWindowFallsBackToTheShellsWindow) {
  ResetFake();
  Fake.commandLine = "RS7.EXE @99999";
  RunViewer();
  ASSERT_EQ(Fake.boxes.size(), 2u);
  EXPECT_EQ(Fake.boxes[0].owner, Shell);
}

TEST(ViewerRun, WithoutTheShellsWindowTheBoxesHaveNoOwner) {
  ResetFake();
  Fake.shellWindow = 0;
  Fake.windows.clear();
  Fake.commandLine = "RS7.EXE @99999 abc";
  RunViewer();
  ASSERT_EQ(Fake.boxes.size(), 1u);
  EXPECT_EQ(Fake.boxes[0].owner, 0u);
}

TEST(ViewerRun, ThousandsOfParametersFormOnePhrase) {
  std::string parameters = "24.12.2007";
  for (int i = 0; i < 3000; ++i) parameters += " @x";
  for (int i = 0; i < 3000; ++i) parameters += " x";
  EXPECT_EQ(RunWith(parameters), TwoBoxes("24.12.2007", 12, 24));
}

struct NumberTextCase {
  int32_t number;
  std::string text;
};

class NumberTextCases : public testing::TestWithParam<NumberTextCase> {};

TEST_P(NumberTextCases, WritesDecimalWithoutLeadingZeros) {
  Text text{};
  TextAppend(text, "x");
  NumberText(text, GetParam().number);
  EXPECT_EQ(TextBytes(text), "x" + GetParam().text);
  TextRelease(text);
}

INSTANTIATE_TEST_SUITE_P(Cases, NumberTextCases,
                         testing::Values(NumberTextCase{0, "0"}, NumberTextCase{7, "7"}, NumberTextCase{2007, "2007"},
                                         NumberTextCase{-5, "-5"}, NumberTextCase{2147483647, "2147483647"},
                                         NumberTextCase{INT32_MIN, "-2147483648"}));
