// Random and hostile command lines: the viewer must end normally, under the
// address and undefined-behaviour sanitizers, with one of its usual outcomes.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "../../viewer/viewer.h"
#include "fake_platform.h"

// The outcomes a run may have: the warning alone, the two texts, the
// combined text, or nothing for a date of another year.
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
    EXPECT_EQ(boxes[0].type, 0x30u);
    EXPECT_EQ(boxes[0].text.compare(0, 20, "Neplatný parametr:  "), 0);
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
