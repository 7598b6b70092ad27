#include "reminders.h"

#include "date_phrase.h"
#include "platform.h"
#include "run_state.h"
#include "viewer.h"

static const char* const WeekdayNames[] = {"Neděle", "Pondělí", "Úterý", "Středa", "Čtvrtek", "Pátek", "Sobota"};
static const char UndatedCaption[] = "[uzel na kapesníku]";
static const char ReadFailedMessage[] =
    "Soubor DIAR.TXT se nepodařilo dočíst, další připomínky proto nejsou zobrazeny.";
static const char EndOfFile = 26;  // Ctrl-Z at the start of a line ends the file.

// The file is read in large blocks: a system call per character would make
// a long file crawl.
struct ReminderReader {
  FileHandle file;
  char block[64 * 1024];
  size_t position, filled;
  bool failed;
};

// The next byte, or -1 at the end of the file or after a read error.
static int PeekByte(ReminderReader& reader) {
  if (reader.position == reader.filled && !reader.failed) {
    reader.position = 0;
    reader.filled = 0;
    if (!ReadFileBytes(reader.file, reader.block, sizeof reader.block, reader.filled)) reader.failed = true;
  }
  return reader.position < reader.filled ? static_cast<unsigned char>(reader.block[reader.position]) : -1;
}

// Reads the characters up to the next CR or LF into `line`, then consumes the
// line end: an LF, or a CR with an LF directly after it.
static void ReadLine(ReminderReader& reader, Text& line) {
  TextClear(line);
  for (;;) {
    size_t start = reader.position;
    while (reader.position < reader.filled && reader.block[reader.position] != '\r' &&
           reader.block[reader.position] != '\n')
      ++reader.position;
    TextAppend(line, reader.block + start, reader.position - start);
    int next = PeekByte(reader);
    if (next == -1) return;
    if (next == '\r' || next == '\n') break;
  }
  bool carriageReturn = reader.block[reader.position++] == '\r';
  if (carriageReturn && PeekByte(reader) == '\n') ++reader.position;
}

// The caption of the box a line gives, or null when the line does not apply.
// `line` is left holding the box's text.
static const char* ReminderCaption(TextView& line, Text& datedCaption) {
  TextView typed = line;
  uint8_t weekday = TakeWeekday(line);
  if (weekday != Absent) return weekday == ViewerDate.Weekday ? WeekdayNames[weekday] : nullptr;

  uint16_t day, month, year;
  TakeDate(line, day, month, year);
  if (day == ViewerDate.Day && month == ViewerDate.Month && year == ViewerDate.Year) {
    // The date exactly as typed, separators included.
    TextAppend(datedCaption, typed.bytes, typed.length - line.length);
    return TextBytes(datedCaption);
  }
  return day == Absent ? UndatedCaption : nullptr;
}

static void ShowLine(const Text& wholeLine) {
  TextView line = ViewOf(wholeLine);
  while (line.length > 0 && line.bytes[0] == ' ') {
    ++line.bytes;
    --line.length;
  }
  if (line.length == 0 || line.bytes[0] == ';') return;

  Text datedCaption{};
  const char* caption = ReminderCaption(line, datedCaption);
  // What is left runs to the end of the line, so it is zero-ended.
  if (caption) ShowMessageBox(OwnerWindow, line.bytes, caption, MessageOk);
  TextRelease(datedCaption);
}

void ShowReminders() {
  FileHandle file = OpenReminderFile();
  if (!file) return;
  ReminderReader reader;
  reader.file = file;
  reader.position = reader.filled = 0;
  reader.failed = false;
  Text line{};
  for (;;) {
    int next = PeekByte(reader);
    if (next == -1 || next == EndOfFile) break;
    ReadLine(reader, line);
    if (reader.failed) break;
    ShowLine(line);
  }
  if (reader.failed) ViewerMessage(ReadFailedMessage, MessageWarning);
  TextRelease(line);
  CloseFile(file);
}
