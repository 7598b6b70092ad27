// The removal log: its states, the entry rule and the logged operations.
#include "../../../installer/removal_log.h"

#include <gtest/gtest.h>

#include <string>

#include "fake_platform.h"

static const char Folder[] = "C:\\Program Files\\Ranoslov";
static const char Log[] = "C:\\Program Files\\Ranoslov\\REMOVE.DAT";

class RemovalLog : public InstallerTest {
 protected:
  void SetUp() override {
    InstallerTest::SetUp();
    Fake.folders.insert(Folder);
  }
};

TEST_F(RemovalLog, LinesAreLetterPathAndCrLfInTheOrderOfCreation) {
  ASSERT_TRUE(OpenRemovalLog(Log, true));
  WriteLogLine((std::string("D") + Folder).c_str());
  WriteLogLine((std::string("F") + Log).c_str());
  EXPECT_TRUE(CopyFileLogged("D:\\Distribuce\\INSTALL.EXE", "C:\\Program Files\\Ranoslov\\REMOVE.EXE"));
  EXPECT_TRUE(MakeFolderLogged("C:\\Program Files\\Jiné"));
  CloseRemovalLog();
  EXPECT_EQ(FileText(Log),
            "DC:\\Program Files\\Ranoslov\r\n"
            "FC:\\Program Files\\Ranoslov\\REMOVE.DAT\r\n"
            "FC:\\Program Files\\Ranoslov\\REMOVE.EXE\r\n"
            "DC:\\Program Files\\Jiné\r\n");
  EXPECT_EQ(Fake.openFiles, 0);
}

TEST_F(RemovalLog, AnExistingLogKeepsItsLinesAndTheNextEntryFollowsThem) {
  Fake.files[Log] = "DC:\\a\r\nFC:\\a\\b";  // even a last line without its end
  ASSERT_TRUE(OpenRemovalLog(Log, true));
  LogEntry('F', "C:\\a\\c");
  CloseRemovalLog();
  EXPECT_EQ(FileText(Log), "DC:\\a\r\nFC:\\a\\bFC:\\a\\c\r\n");
}

TEST_F(RemovalLog, AMissingFolderIsNotCreatedAndTheLogStaysClosed) {
  EXPECT_FALSE(OpenRemovalLog("C:\\Program Files\\Chybí\\REMOVE.DAT", true));
  EXPECT_FALSE(FolderExists("C:\\Program Files\\Chybí"));
  EXPECT_FALSE(FileExists("C:\\Program Files\\Chybí\\REMOVE.DAT"));
  // Later entries are dropped, the operations still work.
  LogEntry('F', "C:\\x");
  EXPECT_TRUE(MakeFolderLogged("C:\\Program Files\\Chybí"));
  EXPECT_TRUE(FolderExists("C:\\Program Files\\Chybí"));
  EXPECT_FALSE(FileExists("C:\\Program Files\\Chybí\\REMOVE.DAT"));
  EXPECT_EQ(Fake.openFiles, 0);
}

TEST_F(RemovalLog, WithoutTypeLettersEntriesAreBarePaths) {
  ASSERT_TRUE(OpenRemovalLog(Log, false));
  EXPECT_TRUE(MakeFolderLogged("C:\\b"));
  WriteLogLine("Fc");
  CloseRemovalLog();
  EXPECT_EQ(FileText(Log), "C:\\b\r\nFc\r\n");
}

TEST_F(RemovalLog, AfterClosingEntriesAreDroppedUntilItIsOpenedAgain) {
  ASSERT_TRUE(OpenRemovalLog(Log, true));
  LogEntry('D', "C:\\1");
  CloseRemovalLog();
  LogEntry('D', "C:\\2");
  WriteLogLine("x");
  CloseRemovalLog();
  EXPECT_TRUE(CopyFileLogged("D:\\Distribuce\\INSTALL.EXE", "C:\\copy"));
  ASSERT_TRUE(OpenRemovalLog(Log, true));
  LogEntry('D', "C:\\3");
  CloseRemovalLog();
  EXPECT_EQ(FileText(Log), "DC:\\1\r\nDC:\\3\r\n");
  EXPECT_TRUE(FileExists("C:\\copy"));
}

TEST_F(RemovalLog, WindowsBytesAndLongPathsAreWrittenUnchangedUpTo255Characters) {
  std::string czech = "C:\\Příliš žluťoučký kůň\x84\x93\xA0";  // the quotes and no-break space of Windows-1250
  std::string path255 = "C:\\" + std::string(252, 'p');
  std::string path300 = "C:\\" + std::string(297, 'q');
  ASSERT_TRUE(OpenRemovalLog(Log, true));
  LogEntry('F', czech.c_str());
  LogEntry('F', path255.c_str());
  LogEntry('F', path300.c_str());
  CloseRemovalLog();
  EXPECT_EQ(FileText(Log), "F" + czech + "\r\nF" + path255 + "\r\nF" + path300.substr(0, 255) + "\r\n");
}

TEST_F(RemovalLog, ItsPathIsTakenAsAtMost255Characters) {
  std::string path = std::string(Folder) + "\\" + std::string(250, 'x') + ".DAT";
  ASSERT_TRUE(OpenRemovalLog(path.c_str(), true));
  CloseRemovalLog();
  EXPECT_TRUE(FileExists(path.substr(0, 255)));
  EXPECT_FALSE(FileExists(path));
}

// Each logged operation, succeeding or failing, with what the log then holds.
struct OperationCase {
  const char* name;
  bool (*operation)();
  bool result;
  std::string entry;
};

static bool MakeNewFolder() { return MakeFolderLogged("C:\\Program Files\\Nová"); }
static bool MakeExistingFolder() { return MakeFolderLogged("C:\\Program Files"); }
static bool MakeFolderWithoutParent() { return MakeFolderLogged("C:\\Chybí\\Nová"); }
static bool CopyFile() { return CopyFileLogged("D:\\Distribuce\\INSTALL.EXE", "C:\\Program Files\\Ranoslov\\R.EXE"); }
static bool CopyOverAFile() {
  Fake.files["C:\\Program Files\\Ranoslov\\R.EXE"] = "old";
  bool copied = CopyFileLogged("D:\\Distribuce\\INSTALL.EXE", "C:\\Program Files\\Ranoslov\\R.EXE");
  EXPECT_EQ(FileText("C:\\Program Files\\Ranoslov\\R.EXE"), "installer");
  return copied;
}
static bool CopyMissingFile() { return CopyFileLogged("D:\\Distribuce\\X.EXE", "C:\\Program Files\\Ranoslov\\X.EXE"); }
static bool CopyIntoMissingFolder() { return CopyFileLogged("D:\\Distribuce\\INSTALL.EXE", "C:\\Chybí\\R.EXE"); }
static bool MoveFile() {
  bool moved = MoveFileLogged(VIEWER_NAME ".EXE", "C:\\Program Files\\Ranoslov\\" VIEWER_NAME ".EXE");
  EXPECT_FALSE(FileExists("D:\\Distribuce\\" VIEWER_NAME ".EXE"));
  EXPECT_EQ(FileText("C:\\Program Files\\Ranoslov\\" VIEWER_NAME ".EXE"), "viewer");
  return moved;
}
static bool MoveMissingFile() { return MoveFileLogged("CHYBÍ.EXE", "C:\\Program Files\\Ranoslov\\CHYBÍ.EXE"); }
static bool MoveUndeletableFile() {
  Fake.locked.insert("D:\\Distribuce\\" VIEWER_NAME ".EXE");
  bool moved = MoveFileLogged(VIEWER_NAME ".EXE", "C:\\Program Files\\Ranoslov\\" VIEWER_NAME ".EXE");
  // The copy stays, although the move failed.
  EXPECT_TRUE(FileExists("C:\\Program Files\\Ranoslov\\" VIEWER_NAME ".EXE"));
  EXPECT_TRUE(FileExists("D:\\Distribuce\\" VIEWER_NAME ".EXE"));
  return moved;
}

class LoggedOperations : public RemovalLog, public testing::WithParamInterface<OperationCase> {};

TEST_P(LoggedOperations, RecordTheirItemOnlyAfterTheySucceeded) {
  ASSERT_TRUE(OpenRemovalLog(Log, true));
  EXPECT_EQ(GetParam().operation(), GetParam().result);
  CloseRemovalLog();
  EXPECT_EQ(FileText(Log), GetParam().entry);
}

TEST_P(LoggedOperations, WorkButRecordNothingWhileTheLogIsClosed) {
  EXPECT_EQ(GetParam().operation(), GetParam().result);
  EXPECT_FALSE(FileExists(Log));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoggedOperations,
    testing::Values(OperationCase{"MakeNewFolder", MakeNewFolder, true, "DC:\\Program Files\\Nová\r\n"},
                    OperationCase{"MakeExistingFolder", MakeExistingFolder, false, ""},
                    OperationCase{"MakeFolderWithoutParent", MakeFolderWithoutParent, false, ""},
                    OperationCase{"CopyFile", CopyFile, true, "FC:\\Program Files\\Ranoslov\\R.EXE\r\n"},
                    OperationCase{"CopyOverAFile", CopyOverAFile, true, "FC:\\Program Files\\Ranoslov\\R.EXE\r\n"},
                    OperationCase{"CopyMissingFile", CopyMissingFile, false, ""},
                    OperationCase{"CopyIntoMissingFolder", CopyIntoMissingFolder, false, ""},
                    OperationCase{"MoveFile", MoveFile, true, "FC:\\Program Files\\Ranoslov\\" VIEWER_NAME ".EXE\r\n"},
                    OperationCase{"MoveMissingFile", MoveMissingFile, false, ""},
                    OperationCase{"MoveUndeletableFile", MoveUndeletableFile, false, ""}),
    [](const testing::TestParamInfo<OperationCase>& info) { return std::string(info.param.name); });

// A failed write or close ends the program at once, after a box that names
// the log in the install mode's caption.
static const ShownBox WriteFailureBox = {
    "Instalace programu Ranoslov", "CHYBA! Nelze zapsat do souboru C:\\Program Files\\Ranoslov\\REMOVE.DAT!", 0x10};

TEST_F(RemovalLog, AFailedWriteEndsTheProgramAndLeavesTheLogClosed) {
  ASSERT_TRUE(OpenRemovalLog(Log, true));
  LogEntry('D', "C:\\1");
  Fake.writesLeft = 0;
  EXPECT_THROW(MakeFolderLogged("C:\\2"), ProgramEnded);
  EXPECT_EQ(Fake.boxes, std::vector<ShownBox>{WriteFailureBox});
  EXPECT_EQ(Fake.openFiles, 0);
  // Closed: nothing more is written, and closing again does nothing.
  Fake.writesLeft = SIZE_MAX;
  LogEntry('D', "C:\\3");
  CloseRemovalLog();
  EXPECT_EQ(FileText(Log), "DC:\\1\r\n");
  EXPECT_EQ(Fake.boxes.size(), 1u);
}

TEST_F(RemovalLog, AFailedCloseEndsTheProgram) {
  ASSERT_TRUE(OpenRemovalLog(Log, true));
  Fake.closeFails = true;
  EXPECT_THROW(CloseRemovalLog(), ProgramEnded);
  EXPECT_EQ(Fake.boxes, std::vector<ShownBox>{WriteFailureBox});
  EXPECT_EQ(Fake.openFiles, 0);
  CloseRemovalLog();
  EXPECT_EQ(Fake.boxes.size(), 1u);
}
