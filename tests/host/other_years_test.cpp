// Dates of other years: the other year's viewer is started, or the viewer
// warns or offers the download page and then shows the reminders.
#include "../../viewer/other_years.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../viewer/viewer.h"
#include "fake_platform.h"

static const WindowHandle Shell = 0x10010;
static const std::string Folder = "C:\\Program Files\\Ranoslov\\";

static void RunWith(const std::string& parameters) {
  Fake.commandLine = "RS7.EXE " + parameters;
  RunViewer();
}

struct DirectoryCase {
  std::string path, directory;
};

class ProgramDirectoryCases : public testing::TestWithParam<DirectoryCase> {};

TEST_P(ProgramDirectoryCases, KeepsEverythingUpToTheLastBackslashOrColon) {
  const std::string& path = GetParam().path;
  TextView directory = ProgramDirectory(TextView{path.data(), path.size()});
  EXPECT_EQ(std::string(directory.bytes, directory.length), GetParam().directory);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProgramDirectoryCases,
                         testing::Values(DirectoryCase{Folder + "RS7.EXE", Folder}, DirectoryCase{"C:RS7.EXE", "C:"},
                                         DirectoryCase{"RS7.EXE", ""}, DirectoryCase{"", ""},
                                         DirectoryCase{"C:/Ranoslov/RS7.EXE", "C:"},
                                         DirectoryCase{"\\\\server\\share\\RS7.EXE", "\\\\server\\share\\"},
                                         DirectoryCase{"C:\\a:b\\", "C:\\a:b\\"}));

TEST(YearViewerName, NumbersTheYearFrom2000ButNot2001) {
  const std::pair<int, const char*> cases[] = {{2001, "RS.EXE"},  {2002, "RS2.EXE"},  {2007, "RS7.EXE"},
                                               {2008, "RS8.EXE"}, {2010, "RS10.EXE"}, {2100, "RS100.EXE"}};
  for (const auto& [year, name] : cases) {
    Text text{};
    YearViewerName(text, year);
    EXPECT_STREQ(TextBytes(text), name);
    TextRelease(text);
  }
}

struct StartCase {
  std::string parameters;
  std::string program;      // the file started from the viewer's folder
  std::string commandLine;  // what follows the quoted path
};

class YearViewerStarts : public testing::TestWithParam<StartCase> {};

TEST_P(YearViewerStarts, PassOnOnlyTheDateWordsAndShowNothing) {
  ResetFake();
  Fake.reminderFileExists = true;
  Fake.reminderFile = "undated";
  Fake.startablePrograms.insert(Folder + GetParam().program);
  RunWith(GetParam().parameters);
  EXPECT_EQ(Fake.attemptedCommandLines,
            std::vector<std::string>{"\"" + Folder + GetParam().program + "\"" + GetParam().commandLine});
  EXPECT_TRUE(Fake.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, YearViewerStarts,
    testing::Values(StartCase{"1.1.2008", "RS8.EXE", "  1.1.2008"}, StartCase{"+ @5 1.1.2008", "RS8.EXE", "  1.1.2008"},
                    StartCase{"1.1.8", "RS8.EXE", "  1.1.8"}, StartCase{"1. 1. 2008 x", "RS8.EXE", "  1. 1. 2008 x"},
                    StartCase{"1.1.2001", "RS.EXE", "  1.1.2001"}, StartCase{"1.1.2100", "RS100.EXE", "  1.1.2100"},
                    StartCase{"24.12.2006", "RS6.EXE", "  24.12.2006"},
                    // Only dates of the viewer's own year need a slot in its table.
                    StartCase{"0.1.2008", "RS8.EXE", "  0.1.2008"}));

TEST(YearViewerStarts, TodayInAnotherYearPassesAnEmptyPhrase) {
  ResetFake();
  Fake.today = LocalTime{2008, 1, 1, 2};
  Fake.startablePrograms.insert(Folder + "RS8.EXE");
  RunWith("+");
  EXPECT_EQ(Fake.attemptedCommandLines, std::vector<std::string>{"\"" + Folder + "RS8.EXE\" "});
  EXPECT_TRUE(Fake.boxes.empty());
}

TEST(YearViewerStarts, AProgramPathIsCutAfter255Characters) {
  ResetFake();
  Fake.programPath = "C:\\" + std::string(300, 'a') + "\\RS7.EXE";
  RunWith("1.1.2008");
  ASSERT_EQ(Fake.attemptedCommandLines.size(), 1u);
  EXPECT_EQ(Fake.attemptedCommandLines[0], "\"" + Fake.programPath.substr(0, 255) + "\"  1.1.2008");
}

static const char* Question2006 =
    "Ranoslov pro rok 2006 nejsou nainstalována. Mám příslušný instalační soubor stáhnout z\xA0Internetu?";

TEST(HandOver, AnsweredNoShowsTheRemindersOnly) {
  ResetFake();
  Fake.reminderFileExists = true;
  Fake.reminderFile = "1.1. Nový rok\n2.1. x\n";
  Fake.answers = {7};  // IDNO
  RunWith("1.1.2006");
  EXPECT_EQ(Fake.boxes, (std::vector<ShownBox>{ShownBox{Shell, "Ranoslov 2007", Question2006, 0x24},
                                               ShownBox{Shell, "1.1. ", "Nový rok", 0}}));
  EXPECT_TRUE(Fake.openedAddresses.empty());
}

TEST(HandOver, AnsweredYesOpensTheYearsDownloadPageThenShowsTheReminders) {
  ResetFake();
  Fake.reminderFileExists = true;
  Fake.reminderFile = "x";
  Fake.answers = {6};
  RunWith("1.1.2008");
  EXPECT_EQ(Fake.openedAddresses, std::vector<std::string>{std::string(DownloadAddress) + "2008"});
  EXPECT_EQ(Fake.openedAddresses[0].substr(0, 7), "http://");
  EXPECT_NE(Fake.openedAddresses[0].find("/download/hesla.php?prog=Ranoslov&year=2008"), std::string::npos);
  ASSERT_EQ(Fake.boxes.size(), 2u);
  EXPECT_EQ(Fake.boxes[1], (ShownBox{Shell, "[uzel na kapesníku]", "x", 0}));
}

TEST(HandOver, APageThatFailsToOpenGivesAWarningBeforeTheReminders) {
  ResetFake();
  Fake.reminderFileExists = true;
  Fake.reminderFile = "x";
  Fake.answers = {6};
  Fake.webAddressOpens = false;
  RunWith("1.1.2006");
  EXPECT_EQ(Fake.boxes, (std::vector<ShownBox>{
                            ShownBox{Shell, "Ranoslov 2007", Question2006, 0x24},
                            ShownBox{Shell, "Ranoslov 2007", "Webovou stránku se bohužel nepovedlo otevřít\x85", 0x30},
                            ShownBox{Shell, "[uzel na kapesníku]", "x", 0}}));
}

TEST(HandOver, YearsUpTo2000AreWarnedAboutWithoutReminders) {
  const std::pair<const char*, const char*> cases[] = {{"1.1.99", "1999"}, {"1.1.2000", "2000"}, {"1.1.100", "100"}};
  for (const auto& [parameters, year] : cases) {
    ResetFake();
    Fake.reminderFileExists = true;
    Fake.reminderFile = "x";
    RunWith(parameters);
    EXPECT_TRUE(Fake.attemptedCommandLines.empty()) << parameters;
    std::string text =
        std::string("Ranoslov pro rok ") + year + " nejsou a nebudou, ptejte se prosím v\xA0roce 2001. :-)";
    EXPECT_EQ(Fake.boxes, (std::vector<ShownBox>{ShownBox{Shell, "Ranoslov 2007", text, 0x30}})) << parameters;
  }
}
