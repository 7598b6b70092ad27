// Reminders from "DIAR.TXT", read after the day's texts. Unless a test says
// otherwise, today is Monday 24.12.2007 and no date is asked for.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "../../viewer/viewer.h"
#include "fake_platform.h"

static const LocalTime MondayChristmasEve = {2007, 12, 24, 1};

// The boxes that follow the day's two texts.
static std::vector<ShownBox> Reminders(const std::string& file, const std::string& parameters = "",
                                       LocalTime today = MondayChristmasEve) {
  ResetFake();
  Fake.today = today;
  Fake.reminderFileExists = true;
  Fake.reminderFile = file;
  Fake.commandLine = "RS7.EXE " + parameters;
  RunViewer();
  EXPECT_FALSE(Fake.reminderFileOpen) << "the file stays open after the run";
  if (Fake.boxes.size() < 2) return {};
  return std::vector<ShownBox>(Fake.boxes.begin() + 2, Fake.boxes.end());
}

static ShownBox Box(const std::string& caption, const std::string& text) { return ShownBox{0x10010, caption, text, 0}; }

struct LineCase {
  std::string line;
  std::vector<ShownBox> boxes;
};

class ReminderLines : public testing::TestWithParam<LineCase> {};

TEST_P(ReminderLines, ApplyByWeekdayDateOrAlways) {
  EXPECT_EQ(Reminders(GetParam().line + "\r\n"), GetParam().boxes) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReminderLines,
    testing::Values(
        // Skipped lines.
        LineCase{"", {}}, LineCase{"     ", {}}, LineCase{"; Vánoce", {}}, LineCase{"   ; Vánoce", {}},
        LineCase{"\t; x", {Box("[uzel na kapesníku]", "\t; x")}},
        // Undated reminders.
        LineCase{"Zavolat mámě", {Box("[uzel na kapesníku]", "Zavolat mámě")}},
        LineCase{"   Zavolat", {Box("[uzel na kapesníku]", "Zavolat")}},
        LineCase{"PONDĚLÍ úklid", {Box("[uzel na kapesníku]", "PONDĚLÍ úklid")}},
        LineCase{"-5 x", {Box("[uzel na kapesníku]", "-5 x")}}, LineCase{"255 x", {Box("[uzel na kapesníku]", "x")}},
        LineCase{"511 x", {Box("[uzel na kapesníku]", "x")}},
        // Weekday reminders, by today's weekday.
        LineCase{"PO úklid", {Box("Pondělí", "úklid")}}, LineCase{"po úklid", {Box("Pondělí", "úklid")}},
        LineCase{"PO  úklid", {Box("Pondělí", " úklid")}}, LineCase{"PO", {Box("Pondělí", "")}},
        LineCase{"UT úklid", {}}, LineCase{"E Praha", {}}, LineCase{"ST 24.12. Vánoce", {}},
        // Dated reminders, captioned with the date as typed.
        LineCase{"24.12. Vánoce", {Box("24.12. ", "Vánoce")}},
        LineCase{"24.12.2007 Vánoce", {Box("24.12.2007 ", "Vánoce")}},
        LineCase{"24.12.07 Vánoce", {Box("24.12.07 ", "Vánoce")}}, LineCase{"24.12.2008 Vánoce", {}},
        LineCase{"24 Výplata", {Box("24 ", "Výplata")}}, LineCase{"25.12. Hod", {}}, LineCase{"24.11. x", {}},
        LineCase{"24.12.", {Box("24.12", ".")}}, LineCase{"24.12.2007", {Box("24.12.2007", "")}},
        LineCase{"24.12.2007   ", {Box("24.12.2007  ", " ")}}));

TEST(Reminders, WeekdaysFollowTheClockAndDatesTheDateAsked) {
  const LocalTime tuesday = {2007, 12, 25, 2};
  const std::string file = "PO úklid\nUT úklid\n24.12. Vánoce\n25.12. Hod\n";
  EXPECT_EQ(Reminders(file, "24.12.2007", tuesday),
            (std::vector<ShownBox>{Box("Úterý", "úklid"), Box("24.12. ", "Vánoce")}));
}

TEST(Reminders, EveryWeekdayHasItsName) {
  const char* lines[] = {"NE x", "PO x", "UT x", "ST x", "CT x", "PA x", "SO x"};
  const char* names[] = {"Neděle", "Pondělí", "Úterý", "Středa", "Čtvrtek", "Pátek", "Sobota"};
  for (uint16_t weekday = 0; weekday < 7; ++weekday) {
    std::string file;
    for (const char* line : lines) file += std::string(line) + "\n";
    EXPECT_EQ(Reminders(file, "", LocalTime{2007, 12, 24, weekday}), std::vector<ShownBox>{Box(names[weekday], "x")});
  }
  EXPECT_EQ(Reminders("ST 24.12. Vánoce", "", LocalTime{2007, 12, 24, 3}),
            std::vector<ShownBox>{Box("Středa", "24.12. Vánoce")});
}

struct FileCase {
  std::string file;
  std::vector<std::string> texts;  // undated reminders, in order
};

class ReminderFiles : public testing::TestWithParam<FileCase> {};

TEST_P(ReminderFiles, SplitIntoLinesAtEveryKindOfLineEnd) {
  std::vector<ShownBox> expected;
  for (const std::string& text : GetParam().texts) expected.push_back(Box("[uzel na kapesníku]", text));
  EXPECT_EQ(Reminders(GetParam().file), expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReminderFiles,
                         testing::Values(FileCase{"", {}}, FileCase{"x", {"x"}},
                                         FileCase{"x\r\ny\rz\nw", {"x", "y", "z", "w"}},
                                         FileCase{"x\r\r\ny\n\rz", {"x", "y", "z"}}, FileCase{"\r\n\n\r", {}},
                                         // Ctrl-Z ends the file only at the start of a line.
                                         FileCase{"\x1A"
                                                  "x",
                                                  {}},
                                         FileCase{"x\n\x1A"
                                                  "y\nz",
                                                  {"x"}},
                                         FileCase{"x\r\n\x1A", {"x"}},
                                         FileCase{"x\x1A"
                                                  "y",
                                                  {"x\x1A"
                                                   "y"}},
                                         FileCase{"  \x1A", {"\x1A"}}));

TEST(Reminders, WithoutTheFileNothingIsShown) {
  ResetFake();
  Fake.today = MondayChristmasEve;
  RunViewer();
  EXPECT_EQ(Fake.boxes.size(), 2u);
}

TEST(Reminders, AreReadInLargeBlocks) {
  std::string file = "x\n";
  for (int i = 0; i < 100000; ++i) file += "; nothing to show here\n";
  EXPECT_EQ(Reminders(file).size(), 1u);
  EXPECT_GE(Fake.largestRead, 4096u);
  EXPECT_LE(Fake.reads, file.size() / 4096 + 2);
}

TEST(Reminders, LinesLongerThanABlockAreShownWhole) {
  std::string longLine(200000, 'x');
  EXPECT_EQ(Reminders("PO " + longLine + "\r\nPO b"),
            (std::vector<ShownBox>{Box("Pondělí", longLine), Box("Pondělí", "b")}));
}

TEST(Reminders, AReadErrorStopsTheReminderWithAWarning) {
  std::string file = "x\n";
  while (file.size() < 200000) file += "; comment\n";
  file += "y\n";
  ResetFake();
  Fake.today = MondayChristmasEve;
  Fake.reminderFileExists = true;
  Fake.reminderFile = file;
  Fake.failReadAt = 100000;
  RunViewer();
  ASSERT_EQ(Fake.boxes.size(), 4u);
  EXPECT_EQ(Fake.boxes[2], Box("[uzel na kapesníku]", "x"));
  EXPECT_EQ(Fake.boxes[3].caption, "Ranoslov 2007");
  EXPECT_EQ(Fake.boxes[3].type, 0x30u);
  EXPECT_FALSE(Fake.reminderFileOpen);
}

TEST(Reminders, FollowCombinedTexts) {
  ResetFake();
  Fake.today = MondayChristmasEve;
  Fake.reminderFileExists = true;
  Fake.reminderFile = "PO úklid";
  Fake.commandLine = "RS7.EXE +";
  RunViewer();
  ASSERT_EQ(Fake.boxes.size(), 2u);
  EXPECT_EQ(Fake.boxes[1], Box("Pondělí", "úklid"));
}

TEST(Reminders, AreNotShownAfterAnInvalidPhrase) {
  ResetFake();
  Fake.reminderFileExists = true;
  Fake.reminderFile = "x";
  Fake.commandLine = "RS7.EXE abc";
  RunViewer();
  EXPECT_EQ(Fake.boxes.size(), 1u);
}

// Lines of every length, with bytes on both sides of CR and LF in value, end
// where a plain byte-by-byte reading ends them, wherever they fall against
// word and block boundaries.
TEST(Reminders, LinesEndAtEveryLineEndWhereverTheyFall) {
  const char filler[] = {'x', '\t', '\x0E', '\x0C', '\x80', '\xFF', '\x8D', '\x8A', ';', 'z'};
  const char* const ends[] = {"\n", "\r", "\r\n"};
  std::mt19937 random(13);
  std::string file;
  std::vector<ShownBox> expected;
  while (file.size() < 200000) {
    std::string text = "x";  // undated, and never taken for a weekday
    for (size_t n = random() % 40; n > 0; --n) text += filler[random() % sizeof filler];
    file += text + ends[random() % 3];
    expected.push_back(Box("[uzel na kapesníku]", text));
  }
  EXPECT_EQ(Reminders(file), expected);
}
