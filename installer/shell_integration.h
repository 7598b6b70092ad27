// The product in the Windows shell: shortcut files made through the
// shell-link object, the entry in the list of installed programs, and the
// current user's Start-menu folders.
#pragma once

#include <stdint.h>

#include "short_text.h"

// Room for a shortcut's file name in UTF-16, the zero included.
const int WidePathSize = 260;

// Saves a shortcut to `targetPath` at `linkPath`. `arguments` are set only
// when present (an empty text is present); `description` and `iconPath` may be
// null. No working directory is set. Returns the COM result: ResultFail when
// the object can't be made, lacks IPersistFile or the link path does not fit
// WidePathSize, otherwise what saving returned.
int32_t CreateShortcut(const char* linkPath, const char* targetPath, const char* arguments, const char* description,
                       const char* iconPath, int iconIndex);

// CreateShortcut with empty arguments when none are given, no description and
// no icon; records "F" and the link path when it was saved.
bool CreateShortcutLogged(const char* linkPath, const char* targetPath, const char* arguments);

// Writes "DisplayName", "UninstallString", "NoModify" and "NoRepair" into the
// key `keyName` under HKLM's Uninstall key, in this order, stopping at the
// first failure. The two texts are each cut at 254 characters.
bool RegisterUninstall(const char* keyName, const char* displayName, const char* uninstallCommand);

// Deletes the key `keyName` under HKLM's Uninstall key.
bool UnregisterUninstall(const char* keyName);

// The current user's shell folder named `valueName` under "Shell Folders",
// followed by "\"; empty when it can't be read.
void ShellFolderPath(const char* valueName, ShortText& path);

// The folder `subfolder` inside that shell folder, followed by "\". Made (and
// logged) when nothing of that name exists; empty when the shell folder can't
// be read or the subfolder can't be made.
void ShellSubfolderPath(const char* valueName, const char* subfolder, ShortText& path);
