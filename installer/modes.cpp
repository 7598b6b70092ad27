#include "modes.h"

#include <string.h>

#include "../common/command_line.h"
#include "install_procedure.h"
#include "platform.h"
#include "uninstall_launcher.h"
#include "uninstall_worker.h"

const char InstallCaption[] = "Instalace programu Ranoslov";
const char UninstallCaption[] = "Odinstalace programu Ranoslov";

static bool IsWord(const Parameter& word, const char* expected) {
  return word.length == strlen(expected) && memcmp(word.bytes, expected, word.length) == 0;
}

InstallMode ChooseInstallMode(const char* commandLine) {
  const char* cursor = SkipProgramName(commandLine);
  Parameter first;
  NextParameter(cursor, first);
  if (IsWord(first, "/INSTALL")) return InstallProcedureMode;
  if (IsWord(first, "/REMOVE")) return UninstallWorkerMode;
  return UninstallLauncherMode;
}

void RunInstaller() {
  switch (ChooseInstallMode(ProcessCommandLine())) {
    case InstallProcedureMode:
      InstallProcedure();
      break;
    case UninstallWorkerMode:
      UninstallWorker();
      break;
    case UninstallLauncherMode:
      UninstallLauncher();
      break;
  }
}

int ShowInstallMessage(const char* text, unsigned type) {
  return ShowMessageBox(text ? text : "", InstallCaption, type);
}

void OwnProgramPath(ShortText& path) { ProgramFileName(path.bytes, sizeof path.bytes); }

void LogPathOf(const char* programPath, ShortText& logPath) {
  Assign(logPath, programPath);
  char* name = strrchr(logPath.bytes, '\\');
  name = name ? name + 1 : logPath.bytes;
  char* extension = strrchr(name, '.');
  if (extension) *extension = 0;
  Append(logPath, ".DAT");
}

void EndWithFileError(const char* caption, const char* message, const char* path) {
  ShortText text;
  Assign(text, message);
  Append(text, path);
  Append(text, "!");
  ShowMessageBox(text.bytes, caption, MessageError);
  EndProgram();
}
