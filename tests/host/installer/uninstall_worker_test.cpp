// Runs of the uninstall worker against the fake: the log copy read and undone
// from the last line to the first, and the final message.
#include "../../../installer/uninstall_worker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../../installer/install_procedure.h"
#include "../../../installer/modes.h"
#include "../../../installer/uninstall_launcher.h"
#include "fake_platform.h"

static const std::string Folder = "C:\\Program Files\\Ranoslov";
static const std::string LogCopy = "C:\\TEMP\\~REMOVE.DAT";
static const char Caption[] = "Odinstalace programu Ranoslov";
static const ShownBox Success = {Caption, "Odinstalace úspěšně dokončena.", 0};
static const ShownBox Partly = {
    Caption, "Odinstalace dokončena – některé soubory či složky však bohužel nebylo možno odstranit.", 0};

typedef std::vector<std::string> Strings;

class Worker : public InstallerTest {
 protected:
  void SetUp() override {
    InstallerTest::SetUp();
    Fake.commandLine = "\"C:\\TEMP\\~REMOVE.TMP\" /REMOVE";
    Fake.programPath = "C:\\TEMP\\~REMOVE.TMP";
    Fake.files["C:\\TEMP\\~REMOVE.TMP"] = "installer";
    Fake.folders.insert(Folder);
    Fake.files[Folder + "\\REMOVE.EXE"] = "installer";
    Fake.files[Folder + "\\REMOVE.DAT"] = "log";
  }

  void Run(const std::string& log) {
    Fake.files[LogCopy] = log;
    UninstallWorker();
    EXPECT_EQ(Fake.openFiles, 0);
    EXPECT_EQ(Fake.pauses, std::vector<uint32_t>{1000});
  }
};

static const std::string InstalledLog =
    "DC:\\Program Files\\Ranoslov\r\nFC:\\Program Files\\Ranoslov\\REMOVE.DAT\r\n"
    "FC:\\Program Files\\Ranoslov\\REMOVE.EXE\r\n";

TEST_F(Worker, UndoesTheLinesFromTheLastToTheFirst) {
  Run(InstalledLog);
  EXPECT_EQ(Fake.removed, (Strings{"F " + Folder + "\\REMOVE.EXE", "F " + Folder + "\\REMOVE.DAT", "D " + Folder}));
  EXPECT_EQ(Fake.boxes, std::vector<ShownBox>{Success});
  // Its own two files stay for the system to delete.
  EXPECT_TRUE(FileExists("C:\\TEMP\\~REMOVE.TMP") && FileExists(LogCopy));
}

TEST_F(Worker, AFolderThatStillHoldsSomethingStaysAndSoDoesEverythingTheLogDoesNotName) {
  Fake.files[Folder + "\\DIAR.TXT"] = "the user's own";
  Fake.files[Folder + "\\" PRODUCT_VIEWER] = "viewer";
  Run(InstalledLog);
  EXPECT_EQ(Fake.boxes, std::vector<ShownBox>{Partly});
  EXPECT_TRUE(FolderExists(Folder));
  EXPECT_TRUE(FileExists(Folder + "\\DIAR.TXT") && FileExists(Folder + "\\" PRODUCT_VIEWER));
  EXPECT_FALSE(FileExists(Folder + "\\REMOVE.EXE") || FileExists(Folder + "\\REMOVE.DAT"));
}

TEST_F(Worker, ItemsNoLongerPresentCountAsRemoved) {
  // As after an installation made twice: the same file on two lines.
  Run(InstalledLog + "FC:\\Program Files\\Ranoslov\\REMOVE.EXE\r\nFC:\\Chybí\\x.lnk\r\nDC:\\Chybí\r\n");
  EXPECT_EQ(Fake.boxes, std::vector<ShownBox>{Success});
  EXPECT_FALSE(FolderExists(Folder));
}

// Logs of unusual shape: the items left after the undo, the final message.
struct LogCase {
  const char* name;
  std::string log;
  Strings removed;
  bool success;
};

class LogShapes : public Worker, public testing::WithParamInterface<LogCase> {};

TEST_P(LogShapes, AreUndoneAsFarAsTheyGo) {
  Fake.files["C:\\a"] = "";
  Fake.files["C:\\b"] = "";
  Fake.folders.insert("C:\\d");
  Run(GetParam().log);
  EXPECT_EQ(Fake.removed, GetParam().removed);
  EXPECT_EQ(Fake.boxes, std::vector<ShownBox>{GetParam().success ? Success : Partly});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LogShapes,
    testing::Values(
        LogCase{"Empty", "", {}, true},
        LogCase{"LineEndsCrLfOrCrOrLfOrNone", "FC:\\a\rDC:\\d\nFC:\\b", {"F C:\\b", "D C:\\d", "F C:\\a"}, true},
        LogCase{"EmptyLinesAreSkipped", "\r\n\r\nFC:\\a\r\n\n\r\n", {"F C:\\a"}, true},
        LogCase{"MarkerAloneIsDone", "D\r\nF\r\n", {}, true},
        LogCase{"LowerCaseMarkersFail", "fC:\\a\r\ndC:\\d\r\nFC:\\b\r\n", {"F C:\\b"}, false},
        LogCase{"UnknownMarkerFails", "XC:\\a\r\n C:\\a\r\nC:\\b\r\n", {}, false},
        LogCase{"AFailureDoesNotStopTheUndo",
                "FC:\\a\r\nDC:\\d\r\nXC:\\b\r\nFC:\\b\r\n",
                {"F C:\\b", "D C:\\d", "F C:\\a"},
                false},
        LogCase{"FileMarkerOnAFolderFails", "FC:\\d\r\n", {}, false},
        LogCase{"CtrlZAtALineStartEndsTheLog",
                "FC:\\a\r\n\x1A"
                "FC:\\b\r\n",
                {"F C:\\a"},
                true},
        LogCase{"CtrlZInsideALineIsACharacter", "FC:\\a\x1A\r\nFC:\\b\r\n", {"F C:\\b"}, true}),
    [](const testing::TestParamInfo<LogCase>& info) { return std::string(info.param.name); });

TEST_F(Worker, ALineLongerThan255CharactersGivesThePathOfItsCharacters2To255) {
  std::string path = "C:\\" + std::string(251, 'p');  // 254 characters
  Fake.files[path] = "";
  Fake.files[path + "qqq"] = "";
  Run("F" + path + "qqq\r\nFC:\\a\r\n");
  EXPECT_EQ(Fake.removed, (Strings{"F " + path}));
  EXPECT_TRUE(FileExists(path + "qqq"));
}

TEST_F(Worker, EveryLineOfALongLogIsUndoneWhateverTheReadsGive) {
  std::string log;
  Strings removed;
  for (int i = 0; i < 450; ++i) {
    std::string path = "C:\\f" + std::to_string(i);
    Fake.files[path] = "";
    log += "F" + path + "\r\n";
    removed.insert(removed.begin(), "F " + path);
  }
  Fake.readChunk = 7;  // lines and their ends split across reads
  Run(log);
  EXPECT_EQ(Fake.removed, removed);
  EXPECT_EQ(Fake.boxes, std::vector<ShownBox>{Success});
}

TEST_F(Worker, WithoutItsLogCopyItNamesThePathAndRemovesNothing) {
  Fake.files.erase(LogCopy);
  UninstallWorker();
  EXPECT_EQ(Fake.boxes, (std::vector<ShownBox>{{Caption, "CHYBA! Nenalezen soubor C:\\TEMP\\~REMOVE.DAT!", 0x10}}));
  EXPECT_TRUE(Fake.removed.empty());
  // Its log is found by its own program path, whatever the name.
  ResetFake();
  Fake.programPath = "C:\\Dočasné\\kopie";
  UninstallWorker();
  EXPECT_EQ(Fake.boxes, (std::vector<ShownBox>{{Caption, "CHYBA! Nenalezen soubor C:\\Dočasné\\kopie.DAT!", 0x10}}));
}

TEST_F(Worker, AReadErrorEndsTheProgramBeforeAnythingIsRemoved) {
  Fake.failReadAt = 40;
  Fake.readChunk = 16;
  Fake.files[LogCopy] = InstalledLog;
  EXPECT_THROW(UninstallWorker(), ProgramEnded);
  EXPECT_EQ(Fake.boxes, (std::vector<ShownBox>{{Caption, "CHYBA! Nelze přečíst soubor C:\\TEMP\\~REMOVE.DAT!", 0x10}}));
  EXPECT_TRUE(Fake.removed.empty());
  EXPECT_EQ(Fake.openFiles, 0);
}

// The product's whole life on the fake: installed, then removed through the
// launcher and its worker, with a file of the user's own in the folder or not.
class RoundTrip : public InstallerTest {
 protected:
  void InstallAndRemove() {
    InstallProcedure();
    Fake.commandLine = "\"" + Folder + "\\REMOVE.EXE\"";
    Fake.programPath = Folder + "\\REMOVE.EXE";
    UninstallLauncher();
    ASSERT_EQ(Fake.started.size(), 1u);
    Fake.commandLine = Fake.started[0].commandLine;
    Fake.programPath = "C:\\TEMP\\~REMOVE.TMP";
    Fake.currentFolder = Fake.started[0].currentFolder;
    RunInstaller();
  }
};

TEST_F(RoundTrip, LeavesNothingButTheTwoScheduledCopies) {
  auto files = Fake.files;
  auto folders = Fake.folders;
  InstallAndRemove();
  files.erase("D:\\Distribuce\\" PRODUCT_VIEWER);
  files.erase("D:\\Distribuce\\" PRODUCT_MANUAL);
  files["C:\\TEMP\\~REMOVE.TMP"] = "installer";
  files["C:\\TEMP\\~REMOVE.DAT"] = Fake.files["C:\\TEMP\\~REMOVE.DAT"];
  EXPECT_EQ(Fake.files, files);
  EXPECT_EQ(Fake.folders, folders);
  EXPECT_TRUE(Fake.machineKeys.empty());
  EXPECT_EQ(Fake.scheduled, (Strings{"D:\\Distribuce\\INSTALL.EXE", "C:\\TEMP\\~REMOVE.TMP", "C:\\TEMP\\~REMOVE.DAT"}));
  EXPECT_EQ(Fake.boxes.back(), Success);
}

TEST_F(RoundTrip, AFileOfTheUsersOwnKeepsTheFolder) {
  Fake.answers = {AnswerYes, 1, AnswerYes};
  InstallProcedure();
  Fake.files[Folder + "\\DIAR.TXT"] = "mine";
  Fake.boxes.clear();
  Fake.commandLine = "\"" + Folder + "\\REMOVE.EXE\"";
  Fake.programPath = Folder + "\\REMOVE.EXE";
  UninstallLauncher();
  Fake.programPath = "C:\\TEMP\\~REMOVE.TMP";
  UninstallWorker();
  EXPECT_EQ(Fake.boxes.back(), Partly);
  EXPECT_EQ(FileText(Folder + "\\DIAR.TXT"), "mine");
  EXPECT_EQ(Fake.files.count(Folder + "\\REMOVE.EXE") + Fake.files.count(Folder + "\\" PRODUCT_VIEWER), 0u);
  EXPECT_FALSE(FolderExists(std::string(ProgramsFolder) + "\\Ranoslov"));
}
