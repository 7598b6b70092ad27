#include "viewer.h"

#include "../common/command_line.h"
#include "date_phrase.h"
#include "other_years.h"
#include "platform.h"
#include "reminders.h"
#include "run_state.h"
#include "watchwords.h"

ViewerDateRecord ViewerDate;
Text ArgumentText;
bool CombinedMode;
WindowHandle OwnerWindow;
Text DateCaption;
Text WatchwordText;
Text TeachingText;

int ViewerMessage(const char* text, unsigned type) { return ShowMessageBox(OwnerWindow, text, VIEWER_TITLE, type); }

void NumberText(Text& text, int32_t number) {
  char digits[12];
  size_t start = sizeof digits;
  // Work on the magnitude as unsigned, so that the most negative number has one.
  uint32_t magnitude = number < 0 ? 0u - static_cast<uint32_t>(number) : static_cast<uint32_t>(number);
  do {
    digits[--start] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (number < 0) digits[--start] = '-';
  TextAppend(text, digits + start, sizeof digits - start);
}

void ReadToday() {
  LocalTime now = ReadLocalTime();
  ViewerDate.Year = now.Year;
  ViewerDate.Month = now.Month;
  ViewerDate.Day = now.Day;
  ViewerDate.Weekday = now.Weekday;
}

static int DigitValue(char c, unsigned base) {
  int value = -1;
  if (c >= '0' && c <= '9')
    value = c - '0';
  else if (c >= 'a' && c <= 'f')
    value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    value = c - 'A' + 10;
  return value >= 0 && static_cast<unsigned>(value) < base ? value : -1;
}

// The rest of an "@" parameter as a signed 32-bit number: blanks or tabs, one
// sign, then decimal digits, "$" and hexadecimal digits or "%" and binary
// digits. Anything else, nothing at all or a number out of range gives 0.
static int32_t OwnerNumber(const char* rest) {
  while (*rest == ' ' || *rest == '\t') ++rest;
  bool negative = false;
  if (*rest == '+' || *rest == '-') negative = *rest++ == '-';
  unsigned base = 10;
  if (*rest == '$') base = 16;
  if (*rest == '%') base = 2;
  if (base != 10) ++rest;
  if (*rest == 0) return 0;
  const int64_t limit = negative ? 2147483648LL : 2147483647LL;
  int64_t magnitude = 0;
  for (; *rest != 0; ++rest) {
    int digit = DigitValue(*rest, base);
    if (digit < 0) return 0;
    magnitude = magnitude * base + digit;
    if (magnitude > limit) return 0;
  }
  return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

static void ExamineParameters() {
  const char* cursor = SkipProgramName(ProcessCommandLine());
  Parameter word;
  while (NextParameter(cursor, word)) {
    if (word.bytes[0] == '@') {
      OwnerWindow = static_cast<WindowHandle>(static_cast<intptr_t>(OwnerNumber(word.bytes + 1)));
    } else if (word.length == 1 && word.bytes[0] == '+') {
      CombinedMode = true;
    } else {
      TextAppend(ArgumentText, " ");
      TextAppend(ArgumentText, word.bytes, word.length);
    }
  }
}

// Reads the date phrase into the viewer date. False when the phrase names no
// day, or a day of the viewer's own year that has no slot in the table.
static bool TakeDatePhrase() {
  TextView datePhrase = ViewOf(ArgumentText);
  datePhrase.bytes += 1;  // the blank before the first word
  datePhrase.length -= 1;
  TakeDate(datePhrase, ViewerDate.Day, ViewerDate.Month, ViewerDate.Year);
  if (ViewerDate.Day == Absent) return false;
  return ViewerDate.Year != VIEWER_YEAR || SlotInTable(ViewerDate.Month, ViewerDate.Day);
}

static void BuildDateCaption() {
  NumberText(DateCaption, ViewerDate.Day);
  TextAppend(DateCaption, ".");
  NumberText(DateCaption, ViewerDate.Month);
  TextAppend(DateCaption, ".");
  if (ArgumentText.length > 0) NumberText(DateCaption, ViewerDate.Year);
}

static void ReleaseRunState() {
  TextRelease(ArgumentText);
  TextRelease(DateCaption);
  TextRelease(WatchwordText);
  TextRelease(TeachingText);
  CombinedMode = false;
  OwnerWindow = 0;
  ViewerDate = ViewerDateRecord{};
}

static void ShowDay() {
  ExamineParameters();
  // A number that names no window would make every box fail unseen.
  if (OwnerWindow == 0 || !WindowExists(OwnerWindow)) OwnerWindow = FindShellWindow();
  ReadToday();
  if (ArgumentText.length > 0 && !TakeDatePhrase()) {
    Text warning{};
    TextAppend(warning, "Neplatný parametr:  ");
    TextAppend(warning, ViewOf(ArgumentText));
    ViewerMessage(TextBytes(warning), MessageWarning);
    TextRelease(warning);
    return;
  }
  BuildDateCaption();
  if (ViewerDate.Year == VIEWER_YEAR) {
    LookupWatchwords();
    ShowWatchwords();
    ShowReminders();
  } else {
    HandOverToOtherYear();
  }
}

void RunViewer() {
  ShowDay();
  ReleaseRunState();
}
