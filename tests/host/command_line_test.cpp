#include "../../common/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

static std::vector<std::string> Parameters(const char* commandLine) {
  std::vector<std::string> words;
  const char* cursor = SkipProgramName(commandLine);
  Parameter word;
  while (NextParameter(cursor, word)) words.emplace_back(word.bytes, word.length);
  return words;
}

struct SplitCase {
  const char* commandLine;
  std::vector<std::string> parameters;
};

class CommandLineSplit : public testing::TestWithParam<SplitCase> {};

TEST_P(CommandLineSplit, GivesTheParametersAfterTheProgramName) {
  EXPECT_EQ(Parameters(GetParam().commandLine), GetParam().parameters) << GetParam().commandLine;
}

INSTANTIATE_TEST_SUITE_P(Cases, CommandLineSplit,
                         testing::Values(SplitCase{"", {}}, SplitCase{"RS7.EXE", {}}, SplitCase{"RS7.EXE   \t\r ", {}},
                                         SplitCase{"RS7.EXE 24.12.2007", {"24.12.2007"}},
                                         SplitCase{"RS7.EXE \t24.\r12.  2007", {"24.", "12.", "2007"}},
                                         // A quoted program path with blanks is one word.
                                         SplitCase{"\"C:\\Program Files\\Ranoslov\\RS7.EXE\"  1.1.2008", {"1.1.2008"}},
                                         SplitCase{"C:\\Program Files\\Ranoslov\\RS7.EXE +",
                                                   {"Files\\Ranoslov\\RS7.EXE", "+"}},
                                         SplitCase{"x \"a b\" 'c d'", {"a b", "c d"}},
                                         // Quotes inside a word are ordinary characters; the other kind of quote too.
                                         SplitCase{"x a\"b 'x\"y'", {"a\"b", "x\"y"}},
                                         // A closing quote ends the word even when text follows it.
                                         SplitCase{"x \"a b\"c", {"a b", "c"}}, SplitCase{"x 'a'\"b\"", {"a", "b"}},
                                         // An unterminated quote runs to the end of the text.
                                         SplitCase{"x \"a b  c", {"a b  c"}}, SplitCase{"x 'a", {"a"}},
                                         // Empty quoted words are words.
                                         SplitCase{"x \"\" ''", {"", ""}},
                                         // Only blank, tab and CR separate words; LF does not.
                                         SplitCase{"x a\nb", {"a\nb"}}, SplitCase{"'RS7 .EXE' @5", {"@5"}}));

TEST(CommandLineSplit, CutsEachParameterAfter255Characters) {
  std::string longWord(300, 'a');
  std::string line = "x " + longWord + " b";
  std::vector<std::string> words = Parameters(line.c_str());
  ASSERT_EQ(words.size(), 2u);
  EXPECT_EQ(words[0], std::string(255, 'a'));
  EXPECT_EQ(words[1], "b");
}
