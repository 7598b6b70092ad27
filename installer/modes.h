// The installer's start-up: the mode chosen from the first parameter, the
// program's own path, and the message boxes the modes share.
#pragma once

#include "short_text.h"

enum InstallMode { InstallProcedureMode, UninstallWorkerMode, UninstallLauncherMode };

extern const char InstallCaption[];    // the install mode's boxes
extern const char UninstallCaption[];  // the boxes of both uninstall modes

// The mode that a command line asks for: "/INSTALL" or "/REMOVE" as the first
// parameter, exactly; anything else, or nothing, is the launcher.
InstallMode ChooseInstallMode(const char* commandLine);

// One whole run of the program: the mode of the process's command line.
void RunInstaller();

// A box of the install mode, without owner; an absent text counts as empty.
int ShowInstallMessage(const char* text, unsigned type);

// The running program file's full path, at most 255 characters.
void OwnProgramPath(ShortText& path);

// `programPath` with its extension replaced by ".DAT": the removal log beside
// a program copy. A file name without extension gets ".DAT" appended.
void LogPathOf(const char* programPath, ShortText& logPath);

// Tells the user which file failed, in the mode's caption, and ends the
// program at once.
[[noreturn]] void EndWithFileError(const char* caption, const char* message, const char* path);
