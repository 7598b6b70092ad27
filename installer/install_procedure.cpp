#include "install_procedure.h"

#include <string.h>

#include "deferred_deletion.h"
#include "modes.h"
#include "platform.h"
#include "removal_log.h"
#include "shell_integration.h"
#include "short_text.h"

static const char ProductName[] = "Ranoslov";

static ShortText Joined(const char* first, const char* second, const char* third = "") {
  ShortText text;
  Assign(text, first);
  Append(text, second);
  Append(text, third);
  return text;
}

// The drive part of the Windows directory (up to and including its first
// "\") followed by "Program Files\Ranoslov".
static void FindInstallFolder(ShortText& installFolder) {
  ShortText windows;
  WindowsFolder(windows.bytes, ShortTextLimit);
  char* separator = strchr(windows.bytes, '\\');
  if (separator)
    separator[1] = 0;
  else
    windows.bytes[0] = 0;
  installFolder = Joined(windows.bytes, "Program Files\\", ProductName);
}

void InstallProcedure() {
  ShortText installFolder;
  FindInstallFolder(installFolder);
  ShortText logPath = Joined(installFolder.bytes, "\\REMOVE.DAT");
  bool installSucceeded = OpenRemovalLog(logPath.bytes, true);
  if (!installSucceeded) {
    // The folder is recorded by hand, with the log that lies in it.
    MakeFolder(installFolder.bytes);
    installSucceeded = OpenRemovalLog(logPath.bytes, true);
    WriteLogLine(Joined("D", installFolder.bytes).bytes);
    WriteLogLine(Joined("F", logPath.bytes).bytes);
  }
  if (!installSucceeded) {
    ShowInstallMessage(Joined("CHYBA! Nelze vytvořit složku ", installFolder.bytes, "!").bytes, MessageError);
    return;
  }

  ShortText launcher = Joined(installFolder.bytes, "\\REMOVE.EXE");
  // Quoted: unquoted, the system would try "C:\Program.exe" first.
  RegisterUninstall(ProductName, ProductName, Joined("\"", launcher.bytes, "\"").bytes);

  ShortText ownProgram;
  OwnProgramPath(ownProgram);
  ShortText viewer = Joined(installFolder.bytes, "\\" PRODUCT_VIEWER);
  ShortText manual = Joined(installFolder.bytes, "\\" PRODUCT_MANUAL);
  installSucceeded = CopyFileLogged(ownProgram.bytes, launcher.bytes) && installSucceeded;
  // The product files come from the current folder.
  installSucceeded = MoveFileLogged(PRODUCT_VIEWER, viewer.bytes) && installSucceeded;
  installSucceeded = MoveFileLogged(PRODUCT_MANUAL, manual.bytes) && installSucceeded;

  ShortText menuFolder;
  ShellSubfolderPath("programs", ProductName, menuFolder);
  if (Length(menuFolder) > 0) {
    installSucceeded = CreateShortcutLogged(Joined(menuFolder.bytes, " Ranoslov.lnk").bytes, viewer.bytes, nullptr) &&
                       installSucceeded;
    installSucceeded =
        CreateShortcutLogged(Joined(menuFolder.bytes, "Něco jako manuál.lnk").bytes, manual.bytes, nullptr) &&
        installSucceeded;
  } else {
    installSucceeded = false;
  }

  if (ShowInstallMessage("Chcete vytvořit zástupce programu Ranoslov ve složce „Po spuštění“?", MessageYesNo) ==
      AnswerYes) {
    ShortText startupFolder;
    ShellFolderPath("startup", startupFolder);
    if (Length(startupFolder) > 0)
      installSucceeded =
          CreateShortcutLogged(Joined(startupFolder.bytes, "Ranoslov.lnk").bytes, viewer.bytes, nullptr) &&
          installSucceeded;
    else
      installSucceeded = false;
  }

  CloseRemovalLog();
  DeleteAtRestart(ownProgram.bytes);
  if (installSucceeded)
    ShowInstallMessage("Instalace úspěšně dokončena.", MessageOk);
  else
    ShowInstallMessage("Instalce dokončena – některé soubory či zástupce však bohužel nebylo možno nainstalovat.",
                       MessageWarning);
}
