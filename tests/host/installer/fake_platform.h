// The installer's platform calls, faked for host tests: an in-memory file
// system, registry and WININIT.INI, a recorder of the shell-link calls, of
// started processes and of every box shown. Every test starts from a fresh
// fake (InstallerTest below).
#pragma once

#include <gtest/gtest.h>
#include <stdint.h>

#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "../../../installer/platform.h"

struct ShownBox {
  std::string caption;
  std::string text;
  unsigned type;

  bool operator==(const ShownBox& other) const {
    return caption == other.caption && text == other.text && type == other.type;
  }
};

inline void PrintTo(const ShownBox& box, std::ostream* out) {
  *out << "{\"" << box.caption << "\", \"" << box.text << "\", type " << box.type << "}";
}

// Registry value names are compared without regard to case, as Windows does.
struct NoCase {
  bool operator()(const std::string& a, const std::string& b) const;
};

struct RegistryValue {
  uint32_t type;
  std::string data;  // the bytes as written, a text's zero included

  bool operator==(const RegistryValue& other) const { return type == other.type && data == other.data; }
};
typedef std::map<std::string, RegistryValue, NoCase> RegistryValues;

struct SavedShortcut {
  std::string target;
  bool hasArguments;
  std::string arguments;
};

struct StartedProcess {
  std::string commandLine;
  std::string currentFolder;  // "(own)" when none was given

  bool operator==(const StartedProcess& other) const {
    return commandLine == other.commandLine && currentFolder == other.currentFolder;
  }
};

inline void PrintTo(const StartedProcess& process, std::ostream* out) {
  *out << "{" << process.commandLine << " in " << process.currentFolder << "}";
}

// Thrown by EndProgram, so that a test sees where the program would end.
struct ProgramEnded {};

struct FakeInstallerPlatform {
  std::string commandLine = "INSTALL.EXE /INSTALL";
  std::string programPath = "D:\\Distribuce\\INSTALL.EXE";
  std::vector<ShownBox> boxes;
  std::vector<int> answers;  // buttons pressed, box after box; Yes/OK when none is left

  // Files and folders by full path, as the code names them (case counts).
  // Relative names are found in the current folder.
  std::string currentFolder = "D:\\Distribuce";
  std::map<std::string, std::string> files;
  std::set<std::string> folders;
  std::set<std::string> locked;      // nothing at these paths can be made, replaced, written or deleted
  std::vector<std::string> removed;  // "F " or "D " and the path, for each file deleted and folder removed
  std::string windowsFolder = "C:\\WINDOWS";
  std::string temporaryFolder = "C:\\TEMP\\";
  bool temporaryFolderFails = false;

  size_t writesLeft = SIZE_MAX;  // writes that succeed before one fails
  bool closeFails = false;       // closing a file opened for writing fails
  size_t failReadAt = SIZE_MAX;  // a read that reaches this offset fails
  size_t readChunk = SIZE_MAX;   // the most bytes one read gives
  int openFiles = 0;

  bool delayedMoveWorks = true;
  uint32_t delayedMoveError = ErrorCallNotImplemented;
  std::set<std::string> delayedMoveRefused;  // paths whose delayed move fails with error 5
  std::vector<std::string> scheduled;        // delayed moves that succeeded
  bool wininitExists = false;
  std::map<std::string, std::string> wininit;  // section -> items, each ended by a zero
  bool profileWriteWorks = true;
  int profileReads = 0, profileWrites = 0;

  std::map<std::string, RegistryValues> machineKeys;  // under HKEY_LOCAL_MACHINE
  std::map<std::string, RegistryValues> userKeys;     // under HKEY_CURRENT_USER
  bool machineKeysRefused = false;
  size_t valueWritesLeft = SIZE_MAX;
  std::vector<std::string> valuesWritten;  // names, in order
  int openKeys = 0;

  std::vector<std::string> comCalls;
  int32_t createResult = ResultOk;  // of CoCreateInstance
  int32_t queryResult = ResultOk;   // of QueryInterface for IPersistFile
  int32_t saveResult = ResultOk;    // of a save that can be done
  std::map<std::string, SavedShortcut> shortcuts;
  int comDepth = 0, liveObjects = 0;

  bool startWorks = true;
  std::vector<StartedProcess> started;
  std::vector<uint32_t> pauses;
};

extern FakeInstallerPlatform Fake;

void ResetFake();

// The fake's default system: the folders of a Czech Windows XP, and the
// current user's Programs and Startup folders in "Shell Folders".
extern const char ProgramsFolder[];
extern const char StartupFolder[];
extern const char ShellFoldersKey[];
extern const char UninstallKey[];  // ...\Uninstall\Ranoslov

std::string FullPath(const std::string& path);
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
std::string FileText(const std::string& path);

// Every test of the installer starts from a fresh fake, and leaves the log
// closed even when it fails half-way.
class InstallerTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};
