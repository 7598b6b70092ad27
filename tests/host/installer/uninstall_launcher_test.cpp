// Runs of the uninstall launcher against the fake: the question, the two
// temporary copies, their scheduled deletion, the worker's start and the
// Uninstall entry.
#include "../../../installer/uninstall_launcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../../installer/modes.h"
#include "fake_platform.h"

using namespace std::string_literals;

static const std::string Folder = "C:\\Program Files\\Ranoslov";
static const char Caption[] = "Odinstalace programu Ranoslov";
static const ShownBox Question = {Caption, "Opravdu chcete odstranit program Ranoslov?", 0x24};
static const ShownBox Failure = {Caption, "Není možné inicializovat odinstalační program!", 0x10};

class Launcher : public InstallerTest {
 protected:
  void SetUp() override {
    InstallerTest::SetUp();
    Fake.commandLine = "\"" + Folder + "\\REMOVE.EXE\"";
    Fake.programPath = Folder + "\\REMOVE.EXE";
    Fake.folders.insert(Folder);
    Fake.files[Folder + "\\REMOVE.EXE"] = "installer";
    Fake.files[Folder + "\\REMOVE.DAT"] = "DC:\\Program Files\\Ranoslov\r\n";
    Fake.machineKeys[UninstallKey] = {};
  }

  void Run() {
    UninstallLauncher();
    EXPECT_EQ(Fake.openFiles, 0);
  }

  bool EntryKept() { return Fake.machineKeys.count(UninstallKey) != 0; }
};

TEST_F(Launcher, HandsOverToACopyInTheTemporaryFolderAndDeletesTheEntry) {
  Fake.files["C:\\TEMP\\~REMOVE.TMP"] = "older copy";
  Run();
  EXPECT_EQ(Fake.boxes, std::vector<ShownBox>{Question});
  EXPECT_EQ(FileText("C:\\TEMP\\~REMOVE.TMP"), "installer");
  EXPECT_EQ(FileText("C:\\TEMP\\~REMOVE.DAT"), "DC:\\Program Files\\Ranoslov\r\n");
  EXPECT_EQ(Fake.scheduled, (std::vector<std::string>{"C:\\TEMP\\~REMOVE.TMP", "C:\\TEMP\\~REMOVE.DAT"}));
  // The worker runs in the temporary folder, never in a folder it removes.
  EXPECT_EQ(Fake.started, (std::vector<StartedProcess>{{"\"C:\\TEMP\\~REMOVE.TMP\" /REMOVE", "C:\\TEMP\\"}}));
  EXPECT_FALSE(EntryKept());
  // The launcher removes nothing itself.
  EXPECT_TRUE(Fake.removed.empty());
  EXPECT_TRUE(FileExists(Folder + "\\REMOVE.DAT"));
}

TEST_F(Launcher, AnyAnswerButYesChangesNothing) {
  for (int answer : {7, 2, 1}) {
    SetUp();
    Fake.answers = {answer};
    Run();
    EXPECT_EQ(Fake.boxes, std::vector<ShownBox>{Question}) << answer;
    EXPECT_FALSE(FileExists("C:\\TEMP\\~REMOVE.TMP")) << answer;
    EXPECT_TRUE(Fake.scheduled.empty() && Fake.started.empty()) << answer;
    EXPECT_TRUE(EntryKept()) << answer;
  }
}

TEST_F(Launcher, AWorkerInAFolderWithBlanksStillGetsRemoveFirst) {
  Fake.temporaryFolder = "C:\\Documents and Settings\\Jan\\Local Settings\\Temp\\";
  Fake.folders.insert(
      {"C:\\Documents and Settings\\Jan\\Local Settings", "C:\\Documents and Settings\\Jan\\Local Settings\\Temp"});
  Run();
  ASSERT_EQ(Fake.started.size(), 1u);
  EXPECT_EQ(Fake.started[0].commandLine,
            "\"C:\\Documents and Settings\\Jan\\Local Settings\\Temp\\~REMOVE.TMP\" /REMOVE");
  EXPECT_EQ(ChooseInstallMode(Fake.started[0].commandLine.c_str()), UninstallWorkerMode);
}

TEST_F(Launcher, WithoutALogBesideItNothingIsStartedButTheProgramCopyIsScheduled) {
  // As when the installer is started without parameters in its distribution folder.
  Fake.programPath = "D:\\Distribuce\\INSTALL.EXE";
  Run();
  EXPECT_EQ(Fake.boxes, (std::vector<ShownBox>{Question, Failure}));
  EXPECT_EQ(FileText("C:\\TEMP\\~REMOVE.TMP"), "installer");
  EXPECT_FALSE(FileExists("C:\\TEMP\\~REMOVE.DAT"));
  // Scheduling does not look for the file: both are scheduled.
  EXPECT_EQ(Fake.scheduled, (std::vector<std::string>{"C:\\TEMP\\~REMOVE.TMP", "C:\\TEMP\\~REMOVE.DAT"}));
  EXPECT_TRUE(Fake.started.empty());
  EXPECT_TRUE(EntryKept());
}

TEST_F(Launcher, AFailedSchedulingOfEitherCopyStartsNoWorker) {
  for (const char* refused : {"C:\\TEMP\\~REMOVE.TMP", "C:\\TEMP\\~REMOVE.DAT"}) {
    SetUp();
    Fake.delayedMoveRefused = {refused};
    Run();
    EXPECT_EQ(Fake.boxes, (std::vector<ShownBox>{Question, Failure})) << refused;
    EXPECT_TRUE(FileExists("C:\\TEMP\\~REMOVE.TMP") && FileExists("C:\\TEMP\\~REMOVE.DAT")) << refused;
    EXPECT_EQ(Fake.scheduled.size(), 1u) << refused;
    EXPECT_TRUE(Fake.started.empty()) << refused;
    EXPECT_TRUE(EntryKept()) << refused;
  }
}

TEST_F(Launcher, AFailedStartKeepsTheEntry) {
  Fake.startWorks = false;
  Run();
  EXPECT_EQ(Fake.boxes, (std::vector<ShownBox>{Question, Failure}));
  EXPECT_EQ(Fake.started.size(), 1u);
  EXPECT_TRUE(EntryKept());
}

TEST_F(Launcher, WithoutTheDelayedMoveBothCopiesGoIntoWininitProgramFirst) {
  Fake.delayedMoveWorks = false;
  Run();
  EXPECT_EQ(Fake.wininit["rename"], "nul=C:\\TEMP\\~REMOVE.TMP\0nul=C:\\TEMP\\~REMOVE.DAT\0"s);
  EXPECT_EQ(Fake.started.size(), 1u);
}

TEST_F(Launcher, WithoutATemporaryFolderTheCopiesLieInTheCurrentFolder) {
  Fake.temporaryFolderFails = true;
  Fake.currentFolder = Folder;
  Run();
  EXPECT_TRUE(FileExists(Folder + "\\~REMOVE.TMP") && FileExists(Folder + "\\~REMOVE.DAT"));
  EXPECT_EQ(Fake.started, (std::vector<StartedProcess>{{"\"~REMOVE.TMP\" /REMOVE", "(own)"}}));
}

TEST_F(Launcher, ATemporaryFolderTooLongForTheCommandLineGetsNoCopies) {
  // The longest folder gives a command line of exactly 255 characters.
  std::string longest = "C:\\" + std::string(LongestTemporaryFolder - 4, 't') + "\\";
  Fake.folders.insert(longest.substr(0, longest.size() - 1));
  Fake.temporaryFolder = longest;
  Run();
  ASSERT_EQ(Fake.started.size(), 1u);
  EXPECT_EQ(Fake.started[0].commandLine, "\"" + longest + "~REMOVE.TMP\" /REMOVE");
  EXPECT_EQ(Fake.started[0].commandLine.size(), 255u);

  for (std::string tooLong :
       {"C:\\" + std::string(LongestTemporaryFolder - 3, 't') + "\\", "C:\\" + std::string(300, 't') + "\\"}) {
    SetUp();
    Fake.folders.insert(tooLong.substr(0, tooLong.size() - 1));
    Fake.temporaryFolder = tooLong;
    Run();
    EXPECT_EQ(Fake.boxes, (std::vector<ShownBox>{Question, Failure}));
    EXPECT_TRUE(Fake.started.empty());
    EXPECT_TRUE(Fake.scheduled.empty());
    EXPECT_FALSE(FileExists(tooLong + "~REMOVE.TMP"));
    EXPECT_EQ(Fake.files.size(), 5u) << "no copy anywhere";
    EXPECT_TRUE(EntryKept());
  }
}
