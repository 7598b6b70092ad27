#include "fake_platform.h"

#include <algorithm>

FakeViewerPlatform Fake;

void ResetFake() { Fake = FakeViewerPlatform{}; }

const char* ProcessCommandLine() { return Fake.commandLine.c_str(); }

LocalTime ReadLocalTime() { return Fake.today; }

WindowHandle FindShellWindow() { return Fake.shellWindow; }

bool WindowExists(WindowHandle window) { return Fake.windows.count(window) != 0; }

int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned type) {
  Fake.boxes.push_back(ShownBox{owner, caption, text, type});
  if (Fake.answers.empty()) return 1;  // IDOK
  int answer = Fake.answers.front();
  Fake.answers.erase(Fake.answers.begin());
  return answer;
}

static const FileHandle ReminderFileHandle = 0xD1A;
static size_t ReadOffset;

FileHandle OpenReminderFile() {
  if (!Fake.reminderFileExists) return 0;
  Fake.reminderFileOpen = true;
  ReadOffset = 0;
  return ReminderFileHandle;
}

bool ReadFileBytes(FileHandle file, char* buffer, size_t size, size_t& read) {
  read = 0;
  if (file != ReminderFileHandle || !Fake.reminderFileOpen) return false;
  ++Fake.reads;
  if (size > Fake.largestRead) Fake.largestRead = size;
  read = std::min(size, Fake.reminderFile.size() - ReadOffset);
  if (Fake.failReadAt != SIZE_MAX && ReadOffset + read > Fake.failReadAt) {
    read = 0;
    return false;
  }
  std::copy_n(Fake.reminderFile.data() + ReadOffset, read, buffer);
  ReadOffset += read;
  return true;
}

void CloseFile(FileHandle file) {
  if (file == ReminderFileHandle) Fake.reminderFileOpen = false;
}

const char* OwnProgramPath() { return Fake.programPath.c_str(); }

bool StartProgram(const char* commandLine) {
  Fake.attemptedCommandLines.push_back(commandLine);
  std::string line = commandLine;
  if (line.size() < 2 || line[0] != '"') return false;
  return Fake.startablePrograms.count(line.substr(1, line.find('"', 1) - 1)) != 0;
}

bool OpenWebAddress(const char* address) {
  Fake.openedAddresses.push_back(address);
  return Fake.webAddressOpens;
}
