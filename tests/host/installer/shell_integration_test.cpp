// Shortcuts through the shell-link object, the Uninstall entry and the shell
// folders.
#include "../../../installer/shell_integration.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../../installer/removal_log.h"
#include "fake_platform.h"

typedef std::vector<std::string> Calls;

class Shortcuts : public InstallerTest {
 protected:
  void TearDown() override {
    // Whatever happened, COM was left as found and nothing is still held.
    EXPECT_EQ(Fake.comDepth, 0);
    EXPECT_EQ(Fake.liveObjects, 0);
    InstallerTest::TearDown();
  }
};

TEST_F(Shortcuts, EveryStepInOrderWithEverythingReleased) {
  EXPECT_EQ(CreateShortcut("C:\\a.lnk", "C:\\b.exe", "-x", "popis", "C:\\i.ico", 3), ResultOk);
  EXPECT_EQ(Fake.comCalls,
            (Calls{"CoInitialize", "CoCreateInstance", "SetPath \"C:\\b.exe\"", "SetArguments \"-x\"",
                   "SetDescription \"popis\"", "SetIconLocation \"C:\\i.ico\" 3", "QueryInterface IPersistFile",
                   "Save \"C:\\a.lnk\" remember", "Release IPersistFile", "Release IShellLinkA", "CoUninitialize"}));
}

TEST_F(Shortcuts, AbsentArgumentsAreNotSetButAbsentDescriptionAndIconAre) {
  EXPECT_EQ(CreateShortcut("C:\\a.lnk", "C:\\b.exe", nullptr, nullptr, nullptr, 0), ResultOk);
  EXPECT_EQ(Fake.comCalls,
            (Calls{"CoInitialize", "CoCreateInstance", "SetPath \"C:\\b.exe\"", "SetDescription null",
                   "SetIconLocation null 0", "QueryInterface IPersistFile", "Save \"C:\\a.lnk\" remember",
                   "Release IPersistFile", "Release IShellLinkA", "CoUninitialize"}));
  EXPECT_FALSE(Fake.shortcuts["C:\\a.lnk"].hasArguments);
}

TEST_F(Shortcuts, WithoutTheObjectNothingIsSetAndCOMIsStillEnded) {
  Fake.createResult = static_cast<int32_t>(0x80040154);  // class not registered
  EXPECT_EQ(CreateShortcut("C:\\a.lnk", "C:\\b.exe", "", nullptr, nullptr, 0), ResultFail);
  EXPECT_EQ(Fake.comCalls, (Calls{"CoInitialize", "CoCreateInstance", "CoUninitialize"}));
}

TEST_F(Shortcuts, OnlyExactlySOkCountsAsMadeButAnObjectGivenIsReleased) {
  Fake.createResult = 1;  // S_FALSE
  EXPECT_EQ(CreateShortcut("C:\\a.lnk", "C:\\b.exe", "", nullptr, nullptr, 0), ResultFail);
  EXPECT_EQ(Fake.comCalls, (Calls{"CoInitialize", "CoCreateInstance", "Release IShellLinkA", "CoUninitialize"}));
  EXPECT_TRUE(Fake.shortcuts.empty());
}

TEST_F(Shortcuts, WithoutIPersistFileNothingIsSaved) {
  Fake.queryResult = static_cast<int32_t>(0x80004002);  // no such interface
  EXPECT_EQ(CreateShortcut("C:\\a.lnk", "C:\\b.exe", "", nullptr, nullptr, 0), ResultFail);
  EXPECT_EQ(Fake.comCalls.at(6), "QueryInterface IPersistFile");
  EXPECT_EQ(Fake.comCalls.at(7), "Release IShellLinkA");
  EXPECT_FALSE(FileExists("C:\\a.lnk"));
}

TEST_F(Shortcuts, TheResultOfSavingIsPassedOn) {
  EXPECT_EQ(CreateShortcut("C:\\Chybí\\a.lnk", "C:\\b.exe", "", nullptr, nullptr, 0), static_cast<int32_t>(0x80070003));
  Fake.saveResult = 1;  // another success code
  EXPECT_EQ(CreateShortcut("C:\\a.lnk", "C:\\b.exe", "", nullptr, nullptr, 0), 1);
}

TEST_F(Shortcuts, ALinkPathBeyondTheWideBufferIsNotSaved) {
  std::string fits = "C:\\" + std::string(252, 'a') + ".lnk";     // 259 characters and the zero
  std::string tooLong = "C:\\" + std::string(253, 'a') + ".lnk";  // 260 and the zero
  EXPECT_EQ(CreateShortcut(fits.c_str(), "C:\\b.exe", "", nullptr, nullptr, 0), ResultOk);
  EXPECT_TRUE(FileExists(fits));
  Fake.comCalls.clear();
  EXPECT_EQ(CreateShortcut(tooLong.c_str(), "C:\\b.exe", "", nullptr, nullptr, 0), ResultFail);
  EXPECT_EQ(Fake.comCalls, (Calls{"CoInitialize", "CoCreateInstance", "SetPath \"C:\\b.exe\"", "SetArguments \"\"",
                                  "SetDescription null", "SetIconLocation null 0", "QueryInterface IPersistFile",
                                  "Release IPersistFile", "Release IShellLinkA", "CoUninitialize"}));
  EXPECT_EQ(Fake.shortcuts.size(), 1u);
}

TEST_F(Shortcuts, TheLoggedFormSetsEmptyArgumentsAndRecordsASavedShortcut) {
  Fake.folders.insert("C:\\Program Files\\Ranoslov");
  ASSERT_TRUE(OpenRemovalLog("C:\\Program Files\\Ranoslov\\REMOVE.DAT", true));
  std::string link = std::string(ProgramsFolder) + "\\Něco jako manuál.lnk";
  EXPECT_TRUE(CreateShortcutLogged(link.c_str(), "C:\\Program Files\\Ranoslov\\M.RTF", nullptr));
  EXPECT_FALSE(CreateShortcutLogged("C:\\Chybí\\x.lnk", "C:\\b.exe", nullptr));
  Fake.saveResult = 1;  // S_FALSE is not success here
  EXPECT_FALSE(CreateShortcutLogged("C:\\y.lnk", "C:\\b.exe", "a"));
  CloseRemovalLog();
  EXPECT_EQ(FileText("C:\\Program Files\\Ranoslov\\REMOVE.DAT"), "F" + link + "\r\n");
  ASSERT_EQ(Fake.shortcuts.count(link), 1u);
  EXPECT_EQ(Fake.shortcuts[link].target, "C:\\Program Files\\Ranoslov\\M.RTF");
  EXPECT_TRUE(Fake.shortcuts[link].hasArguments);
  EXPECT_EQ(Fake.shortcuts[link].arguments, "");
}

class UninstallEntry : public InstallerTest {
 protected:
  void TearDown() override {
    EXPECT_EQ(Fake.openKeys, 0);
    InstallerTest::TearDown();
  }
};

static std::string Zeroed(const std::string& text) { return std::string(text.c_str(), text.size() + 1); }
static const std::string One("\1\0\0\0", 4);

TEST_F(UninstallEntry, WritesTheFourValuesInOrderUnderHKLM) {
  EXPECT_TRUE(RegisterUninstall("Ranoslov", "Ranoslov", "\"C:\\Program Files\\Ranoslov\\REMOVE.EXE\""));
  EXPECT_EQ(Fake.valuesWritten, (Calls{"DisplayName", "UninstallString", "NoModify", "NoRepair"}));
  EXPECT_EQ(Fake.machineKeys[UninstallKey],
            (RegistryValues{{"DisplayName", {RegistryText, Zeroed("Ranoslov")}},
                            {"UninstallString", {RegistryText, Zeroed("\"C:\\Program Files\\Ranoslov\\REMOVE.EXE\"")}},
                            {"NoModify", {RegistryNumber, One}},
                            {"NoRepair", {RegistryNumber, One}}}));
}

TEST_F(UninstallEntry, ASecondRegistrationOverwritesTheValues) {
  EXPECT_TRUE(RegisterUninstall("Ranoslov", "Starý", "old"));
  EXPECT_TRUE(RegisterUninstall("Ranoslov", "Nový – Žluťoučký", "new"));
  EXPECT_EQ(Fake.machineKeys[UninstallKey]["DisplayName"].data, Zeroed("Nový – Žluťoučký"));
  EXPECT_EQ(Fake.machineKeys[UninstallKey]["UninstallString"].data, Zeroed("new"));
  EXPECT_EQ(Fake.machineKeys.size(), 1u);
}

TEST_F(UninstallEntry, TextsAreCutAt254CharactersSoThatTheirZeroFits) {
  std::string text254(254, 'n'), text255(255, 'n'), text400(400, 'n');
  for (const std::string& text : {text254, text255, text400}) {
    EXPECT_TRUE(RegisterUninstall("R", text.c_str(), text.c_str()));
    std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\R";
    EXPECT_EQ(Fake.machineKeys[key]["DisplayName"].data, Zeroed(text254)) << text.size();
    EXPECT_EQ(Fake.machineKeys[key]["UninstallString"].data, Zeroed(text254)) << text.size();
  }
}

TEST_F(UninstallEntry, StopsAtTheFirstFailedValueKeepingThoseBefore) {
  for (size_t writes = 0; writes < 4; ++writes) {
    ResetFake();
    Fake.valueWritesLeft = writes;
    EXPECT_FALSE(RegisterUninstall("Ranoslov", "Ranoslov", "x")) << writes;
    EXPECT_EQ(Fake.machineKeys[UninstallKey].size(), writes);
    EXPECT_EQ(Fake.openKeys, 0);
  }
}

TEST_F(UninstallEntry, FailsWithoutTheRightToWriteUnderHKLM) {
  Fake.machineKeysRefused = true;
  EXPECT_FALSE(RegisterUninstall("Ranoslov", "Ranoslov", "x"));
  EXPECT_TRUE(Fake.valuesWritten.empty());
}

TEST_F(UninstallEntry, UnregisteringDeletesTheKeyOnceAndOnlyIt) {
  Fake.machineKeys["Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Jiný"] = {};
  EXPECT_TRUE(RegisterUninstall("Ranoslov", "Ranoslov", "x"));
  EXPECT_TRUE(UnregisterUninstall("Ranoslov"));
  EXPECT_FALSE(UnregisterUninstall("Ranoslov"));
  EXPECT_EQ(Fake.machineKeys.size(), 1u);
}

class ShellFolders : public UninstallEntry {
 protected:
  std::string Folder(const char* name) {
    ShortText path;
    ShellFolderPath(name, path);
    return path.bytes;
  }
  std::string Subfolder(const char* name, const char* subfolder) {
    ShortText path;
    ShellSubfolderPath(name, subfolder, path);
    return path.bytes;
  }
  RegistryValues& Values() { return Fake.userKeys[ShellFoldersKey]; }
};

TEST_F(ShellFolders, ValueNamesInAnyCaseGiveThePathWithABackslash) {
  EXPECT_EQ(Folder("programs"), std::string(ProgramsFolder) + "\\");
  EXPECT_EQ(Folder("STARTUP"), std::string(StartupFolder) + "\\");
}

TEST_F(ShellFolders, WhatCannotBeReadGivesAnEmptyText) {
  EXPECT_EQ(Folder("Chybí"), "");
  Values()["Programs"].data = Zeroed(std::string(254, 'p'));
  EXPECT_EQ(Folder("programs"), std::string(254, 'p') + "\\");
  Values()["Programs"].data = Zeroed(std::string(255, 'p'));  // beyond the 255-byte buffer
  EXPECT_EQ(Folder("programs"), "");
  Fake.userKeys.clear();
  EXPECT_EQ(Folder("programs"), "");
}

TEST_F(ShellFolders, AnEmptyValueGivesTheBackslashAlone) {
  Values()["Programs"].data = Zeroed("");
  EXPECT_EQ(Folder("programs"), "\\");
  Values()["Programs"].data = "";
  EXPECT_EQ(Folder("programs"), "\\");
}

TEST_F(ShellFolders, TheLastByteReadIsTakenForTheZero) {
  Values()["Programs"].data = "C:\\Xy";  // stored without its zero
  EXPECT_EQ(Folder("programs"), "C:\\X\\");
}

TEST_F(ShellFolders, AMissingSubfolderIsMadeAndLogged) {
  Fake.folders.insert("C:\\Program Files\\Ranoslov");
  ASSERT_TRUE(OpenRemovalLog("C:\\Program Files\\Ranoslov\\REMOVE.DAT", true));
  std::string subfolder = std::string(ProgramsFolder) + "\\Ranoslov";
  EXPECT_EQ(Subfolder("programs", "Ranoslov"), subfolder + "\\");
  EXPECT_TRUE(FolderExists(subfolder));
  // Present now: given again, not logged again.
  EXPECT_EQ(Subfolder("programs", "Ranoslov"), subfolder + "\\");
  // A file of that name counts as present.
  Fake.files[std::string(ProgramsFolder) + "\\Soubor"] = "";
  EXPECT_EQ(Subfolder("programs", "Soubor"), std::string(ProgramsFolder) + "\\Soubor\\");
  CloseRemovalLog();
  EXPECT_EQ(FileText("C:\\Program Files\\Ranoslov\\REMOVE.DAT"), "D" + subfolder + "\r\n");
}

TEST_F(ShellFolders, NoSubfolderWithoutTheShellFolderOrWhenItCannotBeMade) {
  EXPECT_EQ(Subfolder("chybí", "Ranoslov"), "");
  Fake.locked.insert(std::string(ProgramsFolder) + "\\Ranoslov");
  EXPECT_EQ(Subfolder("programs", "Ranoslov"), "");
  Values()["Programs"].data = Zeroed("C:\\Neexistuje");
  EXPECT_EQ(Subfolder("programs", "Ranoslov"), "");
  EXPECT_FALSE(FolderExists("C:\\Neexistuje\\Ranoslov"));
}
