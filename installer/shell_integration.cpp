#include "shell_integration.h"

#include <string.h>

#include "platform.h"
#include "removal_log.h"

static const char UninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
static const char ShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Each call starts and ends its own use of COM and releases every interface
// it obtained.
int32_t CreateShortcut(const char* linkPath, const char* targetPath, const char* arguments, const char* description,
                       const char* iconPath, int iconIndex) {
  int32_t result = ResultFail;
  InitializeCom();
  ComObject link = 0;
  if (CreateShellLink(link) == ResultOk) {
    ShellLinkSetPath(link, targetPath);
    if (arguments) ShellLinkSetArguments(link, arguments);
    ShellLinkSetDescription(link, description);
    ShellLinkSetIconLocation(link, iconPath, iconIndex);
    ComObject file = 0;
    if (QueryPersistFile(link, file) == ResultOk) {
      WideChar widePath[WidePathSize];
      // A link path that does not fit is not saved under a cut name.
      if (ConvertToWide(linkPath, widePath, WidePathSize) > 0) result = SavePersistFile(file, widePath, true);
      ReleaseComObject(file);
    }
  }
  if (link) ReleaseComObject(link);
  UninitializeCom();
  return result;
}

bool CreateShortcutLogged(const char* linkPath, const char* targetPath, const char* arguments) {
  bool saved = CreateShortcut(linkPath, targetPath, arguments ? arguments : "", nullptr, nullptr, 0) == ResultOk;
  if (saved) LogEntry('F', linkPath);
  return saved;
}

static void UninstallKeyPath(const char* keyName, ShortText& path) {
  Assign(path, UninstallKey);
  Append(path, keyName);
}

// The text and its zero, which must fit a 255-character string.
static void RegistryText255(const char* value, char (&data)[ShortTextLimit], uint32_t& size) {
  size_t length = strlen(value);
  if (length > ShortTextLimit - 1) length = ShortTextLimit - 1;
  memcpy(data, value, length);
  data[length] = 0;
  size = static_cast<uint32_t>(length + 1);
}

bool RegisterUninstall(const char* keyName, const char* displayName, const char* uninstallCommand) {
  char name[ShortTextLimit], command[ShortTextLimit];
  uint32_t nameSize, commandSize;
  RegistryText255(displayName, name, nameSize);
  RegistryText255(uninstallCommand, command, commandSize);
  ShortText keyPath;
  UninstallKeyPath(keyName, keyPath);
  RegistryKey key;
  if (!CreateMachineKey(keyPath.bytes, key)) return false;
  const uint32_t one = 1;
  bool written = SetRegistryValue(key, "DisplayName", RegistryText, name, nameSize) &&
                 SetRegistryValue(key, "UninstallString", RegistryText, command, commandSize) &&
                 SetRegistryValue(key, "NoModify", RegistryNumber, &one, sizeof one) &&
                 SetRegistryValue(key, "NoRepair", RegistryNumber, &one, sizeof one);
  CloseRegistryKey(key);
  return written;
}

bool UnregisterUninstall(const char* keyName) {
  ShortText keyPath;
  UninstallKeyPath(keyName, keyPath);
  return DeleteMachineKey(keyPath.bytes);
}

void ShellFolderPath(const char* valueName, ShortText& path) {
  Assign(path, "");
  RegistryKey key;
  if (!OpenUserKey(ShellFoldersKey, key)) return;
  // Paths of up to 254 characters and their zero; longer values fail.
  char data[ShortTextLimit];
  uint32_t size = sizeof data;
  bool read = QueryRegistryValue(key, valueName, data, size);
  CloseRegistryKey(key);
  if (!read) return;
  if (size > sizeof data) size = sizeof data;
  AppendBytes(path, data, size > 0 ? size - 1 : 0);
  Append(path, "\\");
}

void ShellSubfolderPath(const char* valueName, const char* subfolder, ShortText& path) {
  ShortText folder;
  ShellFolderPath(valueName, folder);
  Assign(path, "");
  if (Length(folder) == 0) return;
  Append(folder, subfolder);
  // Anything of that name counts as present, a file too.
  if (PathExists(folder.bytes) || MakeFolderLogged(folder.bytes)) {
    Assign(path, folder.bytes);
    Append(path, "\\");
  }
}
