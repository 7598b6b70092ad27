// Whole runs of "/INSTALL" against the fake: files, folders, shortcuts, the
// registry, the log's lines, the scheduled deletion and every box.
#include "../../../installer/install_procedure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fake_platform.h"

static const std::string Folder = "C:\\Program Files\\Ranoslov";
static const std::string Log = Folder + "\\REMOVE.DAT";
static const std::string Viewer = Folder + "\\" PRODUCT_VIEWER;
static const std::string Manual = Folder + "\\" PRODUCT_MANUAL;
static const std::string Menu = std::string(ProgramsFolder) + "\\Ranoslov";
static const std::string ViewerLink = Menu + "\\ Ranoslov.lnk";
static const std::string ManualLink = Menu + "\\Něco jako manuál.lnk";
static const std::string StartupLink = std::string(StartupFolder) + "\\Ranoslov.lnk";

static const char Caption[] = "Instalace programu Ranoslov";
static const ShownBox Question = {Caption, "Chcete vytvořit zástupce programu Ranoslov ve složce „Po spuštění“?", 4};
static const ShownBox Success = {Caption, "Instalace úspěšně dokončena.", 0};
static const ShownBox Warning = {
    Caption, "Instalce dokončena – některé soubory či zástupce však bohužel nebylo možno nainstalovat.", 0x30};

// The lines of a first installation with Yes, in their order.
static std::vector<std::string> AllLines() {
  return {"D" + Folder,     "F" + Log,        "F" + Folder + "\\REMOVE.EXE",
          "F" + Viewer,     "F" + Manual,     "D" + Menu,
          "F" + ViewerLink, "F" + ManualLink, "F" + StartupLink};
}

static std::string LinesText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

static std::vector<std::string> Without(std::vector<std::string> lines, const std::string& line) {
  lines.erase(std::find(lines.begin(), lines.end(), line));
  return lines;
}

static std::string Zeroed(const std::string& text) { return std::string(text.c_str(), text.size() + 1); }

class Install : public InstallerTest {
 protected:
  void Run() {
    InstallProcedure();
    EXPECT_EQ(Fake.openFiles, 0);
    EXPECT_EQ(Fake.openKeys, 0);
    EXPECT_EQ(Fake.liveObjects, 0);
    EXPECT_EQ(Fake.comDepth, 0);
  }
};

TEST_F(Install, AFirstInstallationWithYesPlacesEverythingAndLogsNineLines) {
  Run();
  EXPECT_EQ(Fake.boxes, (std::vector<ShownBox>{Question, Success}));
  EXPECT_EQ(FileText(Log), LinesText(AllLines()));
  EXPECT_EQ(FileText(Folder + "\\REMOVE.EXE"), "installer");
  EXPECT_EQ(FileText(Viewer), "viewer");
  EXPECT_EQ(FileText(Manual), "manual");
  EXPECT_FALSE(FileExists(PRODUCT_VIEWER));
  EXPECT_FALSE(FileExists(PRODUCT_MANUAL));
  EXPECT_EQ(Fake.shortcuts.size(), 3u);
  for (const auto& link :
       {std::make_pair(ViewerLink, Viewer), std::make_pair(ManualLink, Manual), std::make_pair(StartupLink, Viewer)}) {
    EXPECT_EQ(Fake.shortcuts[link.first].target, link.second) << link.first;
    EXPECT_EQ(Fake.shortcuts[link.first].arguments, "") << link.first;
  }
  EXPECT_EQ(Fake.machineKeys[UninstallKey]["DisplayName"].data, Zeroed("Ranoslov"));
  // Quoted, so that the system does not try "C:\Program.exe" first.
  EXPECT_EQ(Fake.machineKeys[UninstallKey]["UninstallString"].data, Zeroed("\"" + Folder + "\\REMOVE.EXE\""));
  EXPECT_EQ(Fake.machineKeys[UninstallKey].size(), 4u);
  EXPECT_EQ(Fake.scheduled, std::vector<std::string>{"D:\\Distribuce\\INSTALL.EXE"});
}

TEST_F(Install, WithNoThereIsNoStartupShortcutAndStillSuccess) {
  Fake.answers = {7};
  Run();
  EXPECT_EQ(Fake.boxes, (std::vector<ShownBox>{Question, Success}));
  EXPECT_EQ(FileText(Log), LinesText(Without(AllLines(), "F" + StartupLink)));
  EXPECT_FALSE(FileExists(StartupLink));
}

// Each counted step failing on its own: the warning at the end, every other
// step done and logged.
struct FailureCase {
  const char* name;
  void (*arrange)();
  std::vector<std::string> missingLines;
};

class FailingSteps : public Install, public testing::WithParamInterface<FailureCase> {};

TEST_P(FailingSteps, LeadToTheWarningWithoutSkippingALaterStep) {
  GetParam().arrange();
  Run();
  EXPECT_EQ(Fake.boxes, (std::vector<ShownBox>{Question, Warning}));
  std::vector<std::string> lines = AllLines();
  for (const std::string& missing : GetParam().missingLines) lines = Without(lines, missing);
  EXPECT_EQ(FileText(Log), LinesText(lines));
  EXPECT_EQ(Fake.scheduled, std::vector<std::string>{"D:\\Distribuce\\INSTALL.EXE"});
  EXPECT_EQ(Fake.machineKeys[UninstallKey].size(), 4u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailingSteps,
    testing::Values(
        FailureCase{"CopyOfTheLauncher",
                    [] { Fake.files.erase("D:\\Distribuce\\INSTALL.EXE"); },
                    {"F" + Folder + "\\REMOVE.EXE"}},
        FailureCase{"MoveOfTheViewer", [] { Fake.files.erase("D:\\Distribuce\\" PRODUCT_VIEWER); }, {"F" + Viewer}},
        FailureCase{"MoveOfTheManual", [] { Fake.locked.insert("D:\\Distribuce\\" PRODUCT_MANUAL); }, {"F" + Manual}},
        FailureCase{"ViewerShortcut", [] { Fake.locked.insert(ViewerLink); }, {"F" + ViewerLink}},
        FailureCase{"ManualShortcut", [] { Fake.locked.insert(ManualLink); }, {"F" + ManualLink}},
        FailureCase{"MenuFolder", [] { Fake.locked.insert(Menu); }, {"D" + Menu, "F" + ViewerLink, "F" + ManualLink}},
        FailureCase{"ProgramsFolderUnknown",
                    [] { Fake.userKeys[ShellFoldersKey].erase("Programs"); },
                    {"D" + Menu, "F" + ViewerLink, "F" + ManualLink}},
        FailureCase{
            "StartupFolderUnknown", [] { Fake.userKeys[ShellFoldersKey].erase("Startup"); }, {"F" + StartupLink}},
        FailureCase{"StartupShortcut", [] { Fake.locked.insert(StartupLink); }, {"F" + StartupLink}}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST_F(Install, AMissingViewerStillGetsItsShortcuts) {
  Fake.files.erase("D:\\Distribuce\\" PRODUCT_VIEWER);
  Run();
  EXPECT_EQ(Fake.shortcuts[ViewerLink].target, Viewer);
  EXPECT_EQ(Fake.shortcuts[StartupLink].target, Viewer);
}

TEST_F(Install, AFailedRegistryEntryDoesNotChangeTheFinalMessage) {
  Fake.machineKeysRefused = true;
  Run();
  EXPECT_EQ(Fake.boxes, (std::vector<ShownBox>{Question, Success}));
  EXPECT_TRUE(Fake.machineKeys.empty());
}

TEST_F(Install, AFailedDeletionScheduleDoesNotChangeTheFinalMessage) {
  Fake.delayedMoveWorks = false;
  Fake.delayedMoveError = 5;
  Run();
  EXPECT_EQ(Fake.boxes, (std::vector<ShownBox>{Question, Success}));
}

TEST_F(Install, AFolderThatCannotBeMadeShowsOnlyTheErrorAndDoesNothingElse) {
  Fake.folders.erase("C:\\Program Files");
  Run();
  EXPECT_EQ(Fake.boxes,
            (std::vector<ShownBox>{{Caption, "CHYBA! Nelze vytvořit složku C:\\Program Files\\Ranoslov!", 0x10}}));
  EXPECT_TRUE(Fake.machineKeys.empty());
  EXPECT_TRUE(Fake.scheduled.empty());
  EXPECT_TRUE(Fake.comCalls.empty());
  EXPECT_TRUE(FileExists(PRODUCT_VIEWER));
  EXPECT_FALSE(FolderExists(Menu));
}

TEST_F(Install, AnExistingFolderIsNotRecordedAndItsLogIsContinued) {
  // Without a log the folder and the log go unrecorded ...
  Fake.folders.insert(Folder);
  Run();
  std::vector<std::string> lines = Without(Without(AllLines(), "D" + Folder), "F" + Log);
  EXPECT_EQ(FileText(Log), LinesText(lines));
  EXPECT_EQ(Fake.boxes.back(), Success);
  // ... and with one, a later run appends its lines.
  ResetFake();
  Fake.folders.insert(Folder);
  Fake.files[Log] = "DC:\\Jiné\r\n";
  Run();
  EXPECT_EQ(FileText(Log), "DC:\\Jiné\r\n" + LinesText(lines));
}

TEST_F(Install, TwiceFromTheSameFolderWarnsAndAppendsTheSecondRunsLines) {
  Run();
  Fake.boxes.clear();
  Run();
  EXPECT_EQ(Fake.boxes, (std::vector<ShownBox>{Question, Warning}));
  std::vector<std::string> second = {"F" + Folder + "\\REMOVE.EXE", "F" + ViewerLink, "F" + ManualLink,
                                     "F" + StartupLink};
  EXPECT_EQ(FileText(Log), LinesText(AllLines()) + LinesText(second));
  EXPECT_EQ(FileText(Viewer), "viewer");
}

TEST_F(Install, TheFolderIsOnTheDriveOfTheWindowsDirectory) {
  struct {
    std::string windows, folder;
  } cases[] = {{"C:\\WINDOWS", "C:\\Program Files\\Ranoslov"},
               {"E:\\Win\\Sys", "E:\\Program Files\\Ranoslov"},
               // Without a backslash the part is empty: the folder is relative.
               {"X", "Program Files\\Ranoslov"}};
  for (const auto& one : cases) {
    ResetFake();
    Fake.windowsFolder = one.windows;
    Fake.folders.insert({"E:", "E:\\Program Files", "D:\\Distribuce\\Program Files"});
    Run();
    EXPECT_EQ(Fake.machineKeys[UninstallKey]["UninstallString"].data, Zeroed("\"" + one.folder + "\\REMOVE.EXE\""))
        << one.windows;
    EXPECT_TRUE(FolderExists(one.folder)) << one.windows;
    EXPECT_EQ(Fake.boxes.back(), Success) << one.windows;
  }
}

TEST_F(Install, AFailedLogWriteEndsTheProgramAtOnce) {
  Fake.writesLeft = 3;  // the folder, the log and REMOVE.EXE; the viewer's line fails
  EXPECT_THROW(InstallProcedure(), ProgramEnded);
  EXPECT_EQ(Fake.boxes, (std::vector<ShownBox>{{Caption, "CHYBA! Nelze zapsat do souboru " + Log + "!", 0x10}}));
  EXPECT_EQ(FileText(Log), LinesText({"D" + Folder, "F" + Log, "F" + Folder + "\\REMOVE.EXE"}));
  // Nothing after the failed line: the manual stays, no shortcut, no
  // scheduled deletion.
  EXPECT_TRUE(FileExists(PRODUCT_MANUAL));
  EXPECT_TRUE(Fake.comCalls.empty());
  EXPECT_TRUE(Fake.scheduled.empty());
  EXPECT_EQ(Fake.openFiles, 0);
}

TEST_F(Install, AFailedCloseEndsTheProgramBeforeTheDeletionIsScheduled) {
  Fake.closeFails = true;
  EXPECT_THROW(InstallProcedure(), ProgramEnded);
  EXPECT_EQ(Fake.boxes,
            (std::vector<ShownBox>{Question, {Caption, "CHYBA! Nelze zapsat do souboru " + Log + "!", 0x10}}));
  EXPECT_TRUE(Fake.scheduled.empty());
}
