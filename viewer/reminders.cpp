#include "reminders.h"

#include <stdint.h>
#include <string.h>

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

// Whether any of eight bytes lies below 14, CR being 13: subtracting 14 from
// each byte borrows into its top bit exactly when the byte is smaller, and
// bytes with the top bit already set are masked out.
static bool HasByteBelow14(const unsigned char* eight) {
  const uint64_t ones = 0x0101010101010101ull;
  uint64_t word;
  memcpy(&word, eight, sizeof word);
  return ((word - 14 * ones) & ~word & (0x80 * ones)) != 0;
}

// The position of the first CR or LF in the block from `from` on, or the end
// of the data in the block. Long runs of text are skipped eight bytes at a
// time.
static size_t LineEndIn(const ReminderReader& reader, size_t from) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(reader.block);
  for (;;) {
    while (from + 8 <= reader.filled && !HasByteBelow14(bytes + from)) from += 8;
    size_t stop = from + 8 < reader.filled ? from + 8 : reader.filled;
    for (; from < stop; ++from)
      if (bytes[from] == '\r' || bytes[from] == '\n') return from;
    if (from == reader.filled) return from;
  }
}

// The characters up to the next CR or LF, or up to the end of the file. A
// line within the block is not copied; one that runs on past it is gathered
// in `carried`. The line stays valid until the reader reads on.
static TextView NextLine(ReminderReader& reader, Text& carried) {
  size_t start = reader.position;
  reader.position = LineEndIn(reader, start);
  if (reader.position < reader.filled) return TextView{reader.block + start, reader.position - start};
  TextClear(carried);
  for (;;) {
    TextAppend(carried, reader.block + start, reader.position - start);
    if (reader.position < reader.filled || PeekByte(reader) == -1) return ViewOf(carried);
    start = reader.position;
    reader.position = LineEndIn(reader, start);
  }
}

// Consumes an LF, or a CR together with an LF directly after it.
static void SkipLineEnd(ReminderReader& reader) {
  int end = PeekByte(reader);
  if (end != '\r' && end != '\n') return;
  ++reader.position;
  if (end == '\r' && PeekByte(reader) == '\n') ++reader.position;
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

static void ShowLine(TextView line) {
  while (line.length > 0 && line.bytes[0] == ' ') {
    ++line.bytes;
    --line.length;
  }
  if (line.length == 0 || line.bytes[0] == ';') return;

  Text datedCaption{};
  const char* caption = ReminderCaption(line, datedCaption);
  if (caption) {
    Text text{};
    TextAppend(text, line);
    ShowMessageBox(OwnerWindow, TextBytes(text), caption, MessageOk);
    TextRelease(text);
  }
  TextRelease(datedCaption);
}

void ShowReminders() {
  FileHandle file = OpenReminderFile();
  if (!file) return;
  ReminderReader reader;
  reader.file = file;
  reader.position = reader.filled = 0;
  reader.failed = false;
  Text carried{};
  for (;;) {
    int next = PeekByte(reader);
    if (next == -1 || next == EndOfFile) break;
    TextView line = NextLine(reader, carried);
    if (reader.failed) break;
    // Shown before the line end is consumed: reading on may refill the block.
    ShowLine(line);
    SkipLineEnd(reader);
  }
  if (reader.failed) ViewerMessage(ReadFailedMessage, MessageWarning);
  TextRelease(carried);
  CloseFile(file);
}
