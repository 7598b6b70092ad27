// Random and hostile command lines: the viewer must end normally, under the
// address and undefined-behaviour sanitizers, with one of its usual outcomes.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "../../viewer/viewer.h"
#include "fake_platform.h"

// The outcomes a run may have: a warning alone, the download question, the
// two texts, or the combined text.
static void ExpectUsualOutcome(const std::string& commandLine) {
  ResetFake();
  Fake.commandLine = commandLine;
  RunViewer();
  const std::vector<ShownBox>& boxes = Fake.boxes;
  ASSERT_LE(boxes.size(), 2u);
  if (boxes.size() == 2) {
    EXPECT_EQ(boxes[0].caption.compare(0, 6, "Hesla "), 0);
    EXPECT_EQ(boxes[0].caption.substr(boxes[0].caption.size() - 3), " SZ");
    EXPECT_EQ(boxes[1].caption.substr(boxes[1].caption.size() - 3), " NZ");
  } else if (boxes.size() == 1 && boxes[0].caption == "Ranoslov 2007") {
    const std::string& text = boxes[0].text;
    bool warning = boxes[0].type == 0x30 &&
                   (text.compare(0, 20, "Neplatný parametr:  ") == 0 || text.compare(0, 17, "Ranoslov pro rok ") == 0);
    bool question = boxes[0].type == 0x24 && text.compare(0, 17, "Ranoslov pro rok ") == 0;
    EXPECT_TRUE(warning || question) << text;
  } else if (boxes.size() == 1) {
    EXPECT_EQ(boxes[0].caption.compare(0, 6, "Hesla "), 0);
  }
}

TEST(Robustness, RandomBytes) {
  std::mt19937 random(2007);
  for (int run = 0; run < 3000; ++run) {
    std::string line(random() % 600, ' ');
    for (char& c : line) c = static_cast<char>(1 + random() % 255);
    ExpectUsualOutcome(line);
  }
}

TEST(Robustness, RandomWordsOfTheCommandLinesAlphabet) {
  // Words built from the characters the viewer looks at hit its paths more
  // often than plain random bytes.
  const char alphabet[] = "0123456789 ..\t\r\"'@+-$%xF";
  std::mt19937 random(1250);
  for (int run = 0; run < 20000; ++run) {
    std::string line = "RS7.EXE ";
    for (size_t n = random() % 40; n > 0; --n) line += alphabet[random() % (sizeof alphabet - 1)];
    ExpectUsualOutcome(line);
  }
}

TEST(Robustness, HostileShapes) {
  const std::string hundredThousandDigits(100000, '9');
  const std::string hostile[] = {
      "RS7.EXE " + std::string(100000, 'x'),
      "RS7.EXE " + hundredThousandDigits,
      "RS7.EXE 1" + std::string(100000, '.') + "1",
      "RS7.EXE \"" + std::string(100000, ' '),
      "RS7.EXE @" + hundredThousandDigits,
      "RS7.EXE @$" + std::string(100000, 'F'),
      std::string(100000, '"'),
      std::string(100000, '\''),
  };
  for (const std::string& line : hostile) ExpectUsualOutcome(line);

  std::string manyWords = "RS7.EXE";
  for (int i = 0; i < 20000; ++i) manyWords += " 1";
  ExpectUsualOutcome(manyWords);
  std::string manyPluses = "RS7.EXE";
  for (int i = 0; i < 20000; ++i) manyPluses += " +";
  ExpectUsualOutcome(manyPluses);
}

// Reminder files of any content end the run normally, one box per line at
// most.
static void ExpectRemindersEnd(const std::string& file) {
  ResetFake();
  Fake.today = LocalTime{2007, 12, 24, 1};
  Fake.reminderFileExists = true;
  Fake.reminderFile = file;
  RunViewer();
  EXPECT_FALSE(Fake.reminderFileOpen);
  EXPECT_GE(Fake.boxes.size(), 2u);
}

TEST(Robustness, ReminderFilesOfAnyContent) {
  std::mt19937 random(24);
  for (int run = 0; run < 200; ++run) {
    std::string file(random() % 5000, ' ');
    for (char& c : file) c = static_cast<char>(random() % 256);
    ExpectRemindersEnd(file);
  }
  ExpectRemindersEnd(std::string(100000, '\0'));
  ExpectRemindersEnd("PO " + std::string(5000000, 'x'));
  ExpectRemindersEnd(std::string(5000000, '9'));
  std::string shortLines;
  for (int i = 0; i < 1000000; ++i) shortLines += "5.1. x\n";
  ExpectRemindersEnd(shortLines);
}
