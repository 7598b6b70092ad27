#include "other_years.h"

#include "platform.h"
#include "reminders.h"
#include "run_state.h"
#include "viewer.h"

const char DownloadAddress[] = "http://www.ranoslov.cz/download/hesla.php?prog=Ranoslov&year=";

// The platform's own paths may be longer; the program path is cut here.
static const size_t MaxProgramPathLength = 255;

TextView ProgramDirectory(TextView path) {
  size_t length = path.length;
  while (length > 0 && path.bytes[length - 1] != '\\' && path.bytes[length - 1] != ':') --length;
  return TextView{path.bytes, length};
}

void YearViewerName(Text& text, int32_t year) {
  TextAppend(text, "RS");
  if (year != 2001) NumberText(text, year - 2000);
  TextAppend(text, ".EXE");
}

bool StartYearViewer() {
  if (ViewerDate.Year <= 2000) return false;
  Text path{};
  TextAppend(path, ProgramDirectory(ViewOf(OwnProgramPath())));
  YearViewerName(path, ViewerDate.Year);
  if (path.length > MaxProgramPathLength) path.length = MaxProgramPathLength;

  // The path is quoted: the folder may hold blanks ("C:\Program Files\...").
  // The date words follow, each after a blank of its own.
  Text commandLine{};
  TextAppend(commandLine, "\"");
  TextAppend(commandLine, path.bytes, path.length);
  TextAppend(commandLine, "\" ");
  TextAppend(commandLine, ViewOf(ArgumentText));
  bool started = StartProgram(TextBytes(commandLine));
  TextRelease(commandLine);
  TextRelease(path);
  return started;
}

// "Ranoslov pro rok " + the year + `after`.
static void YearMessage(Text& text, const char* after) {
  TextAppend(text, "Ranoslov pro rok ");
  NumberText(text, ViewerDate.Year);
  TextAppend(text, after);
}

void HandOverToOtherYear() {
  if (StartYearViewer()) return;
  Text message{};
  if (ViewerDate.Year <= 2000) {
    YearMessage(message, " nejsou a nebudou, ptejte se prosím v\u00A0roce 2001. :-)");
    ViewerMessage(TextBytes(message), MessageWarning);
    TextRelease(message);
    return;
  }
  YearMessage(message, " nejsou nainstalována. Mám příslušný instalační soubor stáhnout z\u00A0Internetu?");
  if (ViewerMessage(TextBytes(message), MessageQuestion) == AnswerYes) {
    Text address{};
    TextAppend(address, DownloadAddress);
    NumberText(address, ViewerDate.Year);
    if (!OpenWebAddress(TextBytes(address)))
      ViewerMessage("Webovou stránku se bohužel nepovedlo otevřít\u2026", MessageWarning);
    TextRelease(address);
  }
  TextRelease(message);
  ShowReminders();
}
