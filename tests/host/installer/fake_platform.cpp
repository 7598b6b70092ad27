#include "fake_platform.h"

#include <string.h>
#include <strings.h>

#include <algorithm>

#include "../../../installer/removal_log.h"

FakeInstallerPlatform Fake;

// Open files and keys by handle.
struct OpenFile {
  std::string path;
  bool writing;
  size_t offset;
};
static std::map<FileHandle, OpenFile> OpenFiles;
static FileHandle NextHandle = 0x100;
struct OpenKey {
  bool machine;
  std::string path;
};
static std::map<RegistryKey, OpenKey> OpenKeys;
static RegistryKey NextKey = 0x200;
static uint32_t LastError;

const char ProgramsFolder[] = "C:\\Documents and Settings\\Jan\\Nabídka Start\\Programy";
const char StartupFolder[] = "C:\\Documents and Settings\\Jan\\Nabídka Start\\Programy\\Po spuštění";
const char ShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char UninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ranoslov";

bool NoCase::operator()(const std::string& a, const std::string& b) const {
  return strcasecmp(a.c_str(), b.c_str()) < 0;
}

static std::string WithZero(const std::string& text) { return std::string(text.c_str(), text.size() + 1); }

void ResetFake() {
  Fake = FakeInstallerPlatform{};
  OpenFiles.clear();
  OpenKeys.clear();
  LastError = 0;
  Fake.folders = {"C:",
                  "C:\\WINDOWS",
                  "C:\\Program Files",
                  "C:\\TEMP",
                  "C:\\Documents and Settings",
                  "C:\\Documents and Settings\\Jan",
                  "C:\\Documents and Settings\\Jan\\Nabídka Start",
                  ProgramsFolder,
                  StartupFolder,
                  "D:",
                  "D:\\Distribuce"};
  Fake.files = {{"D:\\Distribuce\\INSTALL.EXE", "installer"},
                {"D:\\Distribuce\\" VIEWER_NAME ".EXE", "viewer"},
                {"D:\\Distribuce\\" VIEWER_NAME ".RTF", "manual"}};
  Fake.userKeys[ShellFoldersKey] = {{"Programs", {RegistryText, WithZero(ProgramsFolder)}},
                                    {"Startup", {RegistryText, WithZero(StartupFolder)}},
                                    {"Desktop", {RegistryText, WithZero("C:\\Documents and Settings\\Jan\\Plocha")}}};
}

void InstallerTest::SetUp() { ResetFake(); }

void InstallerTest::TearDown() {
  Fake.closeFails = false;
  CloseRemovalLog();
}

std::string FullPath(const std::string& path) {
  bool absolute = path.find(':') != std::string::npos || (!path.empty() && path[0] == '\\');
  return absolute || path.empty() ? path : Fake.currentFolder + "\\" + path;
}

bool FileExists(const std::string& path) { return Fake.files.count(FullPath(path)) != 0; }

bool FolderExists(const std::string& path) { return Fake.folders.count(FullPath(path)) != 0; }

std::string FileText(const std::string& path) {
  auto file = Fake.files.find(FullPath(path));
  return file == Fake.files.end() ? "(missing)" : file->second;
}

static bool Exists(const std::string& path) { return FileExists(path) || FolderExists(path); }

static bool ParentExists(const std::string& path) {
  size_t separator = path.rfind('\\');
  return separator != std::string::npos && FolderExists(path.substr(0, separator));
}

static bool Locked(const std::string& path) { return Fake.locked.count(FullPath(path)) != 0; }

// --- Process

const char* ProcessCommandLine() { return Fake.commandLine.c_str(); }

size_t ProgramFileName(char* buffer, size_t size) {
  size_t length = std::min(Fake.programPath.size(), size - 1);
  memcpy(buffer, Fake.programPath.data(), length);
  buffer[length] = 0;
  return length;
}

int ShowMessageBox(const char* text, const char* caption, unsigned type) {
  Fake.boxes.push_back(ShownBox{caption, text, type});
  int answer = (type & 0xF) == MessageYesNo ? AnswerYes : 1;  // IDOK
  if (!Fake.answers.empty()) {
    answer = Fake.answers.front();
    Fake.answers.erase(Fake.answers.begin());
  }
  return answer;
}

bool StartProcess(const char* commandLine, const char* currentFolder) {
  EXPECT_LE(strlen(commandLine), 255u);
  Fake.started.push_back(StartedProcess{commandLine, currentFolder ? currentFolder : "(own)"});
  return Fake.startWorks;
}

void Pause(uint32_t milliseconds) { Fake.pauses.push_back(milliseconds); }

void EndProgram() { throw ProgramEnded{}; }

// --- Files and folders

static FileHandle Open(const std::string& path, bool writing) {
  FileHandle handle = NextHandle++;
  OpenFiles[handle] = OpenFile{path, writing, 0};
  ++Fake.openFiles;
  return handle;
}

FileHandle OpenFileForAppending(const char* path) {
  std::string full = FullPath(path);
  if (Locked(full) || FolderExists(full)) return 0;
  if (!FileExists(full)) {
    if (!ParentExists(full)) return 0;
    Fake.files[full] = "";
  }
  return Open(full, true);
}

FileHandle OpenFileForReading(const char* path) {
  std::string full = FullPath(path);
  return FileExists(full) ? Open(full, false) : 0;
}

bool WriteToFile(FileHandle file, const char* bytes, size_t length) {
  auto open = OpenFiles.find(file);
  if (open == OpenFiles.end() || !open->second.writing) return false;
  if (Fake.writesLeft == 0) return false;
  --Fake.writesLeft;
  Fake.files[open->second.path].append(bytes, length);
  return true;
}

bool ReadFromFile(FileHandle file, char* buffer, size_t size, size_t& read) {
  read = 0;
  auto open = OpenFiles.find(file);
  if (open == OpenFiles.end() || open->second.writing) return false;
  const std::string& data = Fake.files[open->second.path];
  size_t offset = open->second.offset;
  read = std::min({size, data.size() - offset, Fake.readChunk});
  if (Fake.failReadAt != SIZE_MAX && offset + read > Fake.failReadAt) {
    read = 0;
    return false;
  }
  memcpy(buffer, data.data() + offset, read);
  open->second.offset += read;
  return true;
}

bool CloseFile(FileHandle file) {
  auto open = OpenFiles.find(file);
  if (open == OpenFiles.end()) return false;
  bool writing = open->second.writing;
  OpenFiles.erase(open);
  --Fake.openFiles;
  return !(writing && Fake.closeFails);
}

static bool InUse(const std::string& path) {
  for (const auto& open : OpenFiles)
    if (open.second.path == path) return true;
  return false;
}

bool CopyFileReplacing(const char* source, const char* destination) {
  std::string from = FullPath(source), to = FullPath(destination);
  if (!FileExists(from) || FolderExists(to) || !ParentExists(to) || Locked(to) || InUse(to)) return false;
  Fake.files[to] = Fake.files[from];
  return true;
}

bool DeleteFileNamed(const char* path) {
  std::string full = FullPath(path);
  if (!FileExists(full) || Locked(full) || InUse(full)) return false;
  Fake.files.erase(full);
  Fake.removed.push_back("F " + full);
  return true;
}

bool MakeFolder(const char* path) {
  std::string full = FullPath(path);
  if (Exists(full) || !ParentExists(full) || Locked(full)) return false;
  Fake.folders.insert(full);
  return true;
}

bool RemoveFolder(const char* path) {
  std::string full = FullPath(path);
  if (!FolderExists(full) || Locked(full)) return false;
  std::string inside = full + "\\";
  for (const auto& file : Fake.files)
    if (file.first.compare(0, inside.size(), inside) == 0) return false;
  for (const auto& folder : Fake.folders)
    if (folder.compare(0, inside.size(), inside) == 0) return false;
  Fake.folders.erase(full);
  Fake.removed.push_back("D " + full);
  return true;
}

bool PathExists(const char* path) { return *path != 0 && Exists(path); }

size_t WindowsFolder(char* buffer, size_t size) {
  if (Fake.windowsFolder.size() >= size) return 0;
  memcpy(buffer, Fake.windowsFolder.c_str(), Fake.windowsFolder.size() + 1);
  return Fake.windowsFolder.size();
}

size_t TemporaryFolder(char* buffer, size_t size) {
  if (Fake.temporaryFolderFails) return 0;
  // Like GetTempPathA: a path that does not fit leaves the buffer alone.
  if (Fake.temporaryFolder.size() >= size) return Fake.temporaryFolder.size() + 1;
  memcpy(buffer, Fake.temporaryFolder.c_str(), Fake.temporaryFolder.size() + 1);
  return Fake.temporaryFolder.size();
}

// --- Deletion at the next start

bool ScheduleDeletion(const char* path) {
  if (!Fake.delayedMoveWorks || Fake.delayedMoveRefused.count(path)) {
    LastError = Fake.delayedMoveWorks ? 5 : Fake.delayedMoveError;
    return false;
  }
  Fake.scheduled.push_back(path);
  return true;
}

uint32_t LastErrorCode() { return LastError; }

// Like GetPrivateProfileSectionA: the items and one more zero; a section that
// does not fit is cut, and the count is then the size less two.
uint32_t ReadIniSection(const char* section, const char* file, char* buffer, uint32_t size) {
  EXPECT_STREQ(file, "WININIT.INI");
  ++Fake.profileReads;
  std::string items;
  if (Fake.wininitExists && Fake.wininit.count(section)) items = Fake.wininit[section];
  if (items.size() + 1 > size) {
    memcpy(buffer, items.data(), size - 2);
    buffer[size - 2] = buffer[size - 1] = 0;
    return size - 2;
  }
  memcpy(buffer, items.data(), items.size());
  buffer[items.size()] = 0;
  if (items.empty() && size > 1) buffer[1] = 0;
  return static_cast<uint32_t>(items.size());
}

bool WriteIniSection(const char* section, const char* file, const char* list) {
  EXPECT_STREQ(file, "WININIT.INI");
  ++Fake.profileWrites;
  if (!Fake.profileWriteWorks) return false;
  std::string items;
  for (const char* item = list; *item; item += strlen(item) + 1) items.append(item, strlen(item) + 1);
  Fake.wininitExists = true;
  Fake.wininit[section] = items;
  return true;
}

// --- Registry

static RegistryKey OpenKeyHandle(bool machine, const std::string& path) {
  RegistryKey key = NextKey++;
  OpenKeys[key] = OpenKey{machine, path};
  ++Fake.openKeys;
  return key;
}

bool CreateMachineKey(const char* subkey, RegistryKey& key) {
  key = 0;
  if (Fake.machineKeysRefused) return false;
  Fake.machineKeys[subkey];
  key = OpenKeyHandle(true, subkey);
  return true;
}

bool OpenUserKey(const char* subkey, RegistryKey& key) {
  key = 0;
  if (!Fake.userKeys.count(subkey)) return false;
  key = OpenKeyHandle(false, subkey);
  return true;
}

static RegistryValues* ValuesOf(RegistryKey key) {
  auto open = OpenKeys.find(key);
  if (open == OpenKeys.end()) return nullptr;
  auto& keys = open->second.machine ? Fake.machineKeys : Fake.userKeys;
  auto found = keys.find(open->second.path);
  return found == keys.end() ? nullptr : &found->second;
}

bool SetRegistryValue(RegistryKey key, const char* name, uint32_t type, const void* data, uint32_t size) {
  RegistryValues* values = ValuesOf(key);
  if (!values || Fake.valueWritesLeft == 0) return false;
  --Fake.valueWritesLeft;
  (*values)[name] = RegistryValue{type, std::string(static_cast<const char*>(data), size)};
  Fake.valuesWritten.push_back(name);
  return true;
}

bool QueryRegistryValue(RegistryKey key, const char* name, void* data, uint32_t& size) {
  RegistryValues* values = ValuesOf(key);
  if (!values || !values->count(name)) return false;
  const std::string& bytes = (*values)[name].data;
  bool fits = bytes.size() <= size;
  if (fits) memcpy(data, bytes.data(), bytes.size());
  size = static_cast<uint32_t>(bytes.size());
  return fits;
}

void CloseRegistryKey(RegistryKey key) {
  if (OpenKeys.erase(key)) --Fake.openKeys;
}

bool DeleteMachineKey(const char* subkey) { return Fake.machineKeys.erase(subkey) != 0; }

// --- The shell-link object: one link and its persist-file view at a time.

struct FakeLink {
  std::string target;
  bool hasArguments = false;
  std::string arguments;
};
static FakeLink Link;
static const ComObject LinkObject = 0x301, PersistObject = 0x302;

static std::string Shown(const char* text) { return text ? "\"" + std::string(text) + "\"" : "null"; }

int32_t InitializeCom() {
  Fake.comCalls.push_back("CoInitialize");
  ++Fake.comDepth;
  return ResultOk;
}

void UninitializeCom() {
  Fake.comCalls.push_back("CoUninitialize");
  --Fake.comDepth;
}

int32_t CreateShellLink(ComObject& link) {
  Fake.comCalls.push_back("CoCreateInstance");
  EXPECT_EQ(Fake.comDepth, 1) << "COM is not initialised";
  link = 0;
  if (Fake.createResult < 0) return Fake.createResult;
  Link = FakeLink{};
  link = LinkObject;
  ++Fake.liveObjects;
  return Fake.createResult;
}

void ShellLinkSetPath(ComObject link, const char* path) {
  EXPECT_EQ(link, LinkObject);
  Fake.comCalls.push_back("SetPath " + Shown(path));
  Link.target = path;
}

void ShellLinkSetArguments(ComObject link, const char* arguments) {
  EXPECT_EQ(link, LinkObject);
  Fake.comCalls.push_back("SetArguments " + Shown(arguments));
  Link.hasArguments = true;
  Link.arguments = arguments;
}

void ShellLinkSetDescription(ComObject link, const char* description) {
  EXPECT_EQ(link, LinkObject);
  Fake.comCalls.push_back("SetDescription " + Shown(description));
}

void ShellLinkSetIconLocation(ComObject link, const char* path, int index) {
  EXPECT_EQ(link, LinkObject);
  Fake.comCalls.push_back("SetIconLocation " + Shown(path) + " " + std::to_string(index));
}

int32_t QueryPersistFile(ComObject link, ComObject& file) {
  EXPECT_EQ(link, LinkObject);
  Fake.comCalls.push_back("QueryInterface IPersistFile");
  file = 0;
  if (Fake.queryResult < 0) return Fake.queryResult;
  file = PersistObject;
  ++Fake.liveObjects;
  return Fake.queryResult;
}

int32_t SavePersistFile(ComObject file, const WideChar* path, bool remember) {
  EXPECT_EQ(file, PersistObject);
  std::string name;
  for (; *path; ++path) name += static_cast<char>(*path);
  Fake.comCalls.push_back("Save \"" + name + "\"" + (remember ? " remember" : ""));
  if (!ParentExists(name)) return static_cast<int32_t>(0x80070003);                 // the path was not found
  if (Locked(name) || FolderExists(name)) return static_cast<int32_t>(0x80070005);  // access denied
  if (Fake.saveResult != ResultOk) return Fake.saveResult;
  Fake.files[name] = "[shortcut] " + Link.target;
  Fake.shortcuts[name] = SavedShortcut{Link.target, Link.hasArguments, Link.arguments};
  return ResultOk;
}

void ReleaseComObject(ComObject object) {
  EXPECT_TRUE(object == LinkObject || object == PersistObject);
  Fake.comCalls.push_back(object == LinkObject ? "Release IShellLinkA" : "Release IPersistFile");
  --Fake.liveObjects;
}

// Windows-1250 bytes carried over one to one: enough to see that the name
// arrives whole, or not at all.
int ConvertToWide(const char* text, WideChar* buffer, int size) {
  int needed = static_cast<int>(strlen(text)) + 1;
  if (needed > size) return 0;
  for (int i = 0; i < needed; ++i) buffer[i] = static_cast<unsigned char>(text[i]);
  return needed;
}
