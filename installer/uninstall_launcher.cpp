#include "uninstall_launcher.h"

#include "deferred_deletion.h"
#include "modes.h"
#include "platform.h"
#include "removal_log.h"
#include "shell_integration.h"
#include "short_text.h"

static const char WorkerParameter[] = " /REMOVE";
static_assert(LongestTemporaryFolder + sizeof "\"~REMOVE.TMP\"" - 1 + sizeof WorkerParameter - 1 == ShortTextLimit,
              "the command line fills a 255-character string");

void UninstallLauncher() {
  if (ShowMessageBox("Opravdu chcete odstranit program Ranoslov?", UninstallCaption, MessageQuestion) != AnswerYes)
    return;

  // The temporary folder ends with "\"; when the system gives none, the
  // copies go to the current folder.
  ShortText temporaryFolder;
  size_t count = TemporaryFolder(temporaryFolder.bytes, ShortTextLimit);
  bool folderFits = count <= LongestTemporaryFolder;
  temporaryFolder.bytes[folderFits ? count : 0] = 0;

  ShortText ownProgram, installedLog;
  OwnProgramPath(ownProgram);
  LogPathOf(ownProgram.bytes, installedLog);
  ShortText programCopy = temporaryFolder, logCopy = temporaryFolder;
  Append(programCopy, "~REMOVE.TMP");
  Append(logCopy, "~REMOVE.DAT");

  // A folder whose names would be cut gets no copies at all.
  bool prepared = folderFits;
  if (folderFits) {
    prepared = CopyFileLogged(ownProgram.bytes, programCopy.bytes);
    prepared = CopyFileLogged(installedLog.bytes, logCopy.bytes) && prepared;
    prepared = DeleteAtRestart(programCopy.bytes) && prepared;
    prepared = DeleteAtRestart(logCopy.bytes) && prepared;
  }

  // The copy's path is quoted, as temporary folders may hold blanks. The
  // worker runs in the temporary folder, so that no folder it is to remove is
  // its current one.
  ShortText commandLine;
  Assign(commandLine, "\"");
  Append(commandLine, programCopy.bytes);
  Append(commandLine, "\"");
  Append(commandLine, WorkerParameter);
  if (prepared)
    prepared = StartProcess(commandLine.bytes, Length(temporaryFolder) > 0 ? temporaryFolder.bytes : nullptr);

  if (prepared)
    UnregisterUninstall("Ranoslov");
  else
    ShowMessageBox("Není možné inicializovat odinstalační program!", UninstallCaption, MessageError);
}
