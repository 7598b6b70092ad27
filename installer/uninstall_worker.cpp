#include "uninstall_worker.h"

#include <stdlib.h>

#include "modes.h"
#include "platform.h"
#include "short_text.h"

// The log's lines in file order, each cut at 255 characters. The list grows
// with the log, so that every line is undone however long the log is.
struct LogLineList {
  ShortText* lines;
  size_t count;
  size_t capacity;
};

static bool AddLine(LogLineList& list, const ShortText& line) {
  if (list.count == list.capacity) {
    size_t capacity = list.capacity ? list.capacity * 2 : 32;
    ShortText* grown = static_cast<ShortText*>(realloc(list.lines, capacity * sizeof(ShortText)));
    if (!grown) return false;
    list.lines = grown;
    list.capacity = capacity;
  }
  list.lines[list.count++] = line;
  return true;
}

static void ReleaseLines(LogLineList& list) {
  free(list.lines);
  list = LogLineList{};
}

// Reads the open log byte by byte through a buffer.
struct LogReader {
  FileHandle file;
  char buffer[512];
  size_t next, end;
  bool failed;
};

const int EndOfData = -1;
const char EndOfFileMark = 26;  // Ctrl-Z

static int PeekByte(LogReader& reader) {
  if (reader.next == reader.end && !reader.failed) {
    size_t read = 0;
    reader.failed = !ReadFromFile(reader.file, reader.buffer, sizeof reader.buffer, read);
    reader.next = 0;
    reader.end = reader.failed ? 0 : read;
  }
  return reader.next < reader.end ? static_cast<unsigned char>(reader.buffer[reader.next]) : EndOfData;
}

// Lines end at CR, LF or CR LF; the data ends at its end or at a Ctrl-Z where
// a line would begin. Empty lines are left out. False on a read error or when
// memory runs out.
static bool ReadLogLines(FileHandle file, LogLineList& list) {
  LogReader reader = {};
  reader.file = file;
  for (;;) {
    int c = PeekByte(reader);
    if (c == EndOfData || c == EndOfFileMark) break;
    ShortText line;
    line.bytes[0] = 0;
    size_t length = 0;
    while (c != EndOfData && c != '\r' && c != '\n') {
      if (length < ShortTextLimit) line.bytes[length++] = static_cast<char>(c);
      ++reader.next;
      c = PeekByte(reader);
    }
    line.bytes[length] = 0;
    if (c == '\r') {
      ++reader.next;
      c = PeekByte(reader);
    }
    if (c == '\n') ++reader.next;
    if (length > 0 && !AddLine(list, line)) return false;
  }
  return !reader.failed;
}

void WaitMilliseconds(uint16_t milliseconds) { Pause(milliseconds); }

bool RemoveFolderIfPresent(const char* path) { return !PathExists(path) || RemoveFolder(path); }

bool DeleteFileIfPresent(const char* path) { return !PathExists(path) || DeleteFileNamed(path); }

// The marker is the first character, the path the rest of the line.
static bool UndoLine(const ShortText& line) {
  const char* path = line.bytes + 1;
  switch (line.bytes[0]) {
    case 'D':
      return RemoveFolderIfPresent(path);
    case 'F':
      return DeleteFileIfPresent(path);
    default:
      return false;
  }
}

void UninstallWorker() {
  // The launcher is still ending when the worker starts.
  WaitMilliseconds(1000);

  ShortText ownProgram, logPath;
  OwnProgramPath(ownProgram);
  LogPathOf(ownProgram.bytes, logPath);
  FileHandle log = OpenFileForReading(logPath.bytes);
  if (!log) {
    ShortText message;
    Assign(message, "CHYBA! Nenalezen soubor ");
    Append(message, logPath.bytes);
    Append(message, "!");
    ShowMessageBox(message.bytes, UninstallCaption, MessageError);
    return;
  }
  LogLineList list = {};
  bool read = ReadLogLines(log, list);
  CloseFile(log);
  if (!read) {
    ReleaseLines(list);
    EndWithFileError(UninstallCaption, "CHYBA! Nelze přečíst soubor ", logPath.bytes);
  }

  bool removed = true;
  for (size_t index = list.count; index > 0; --index) removed = UndoLine(list.lines[index - 1]) && removed;
  ReleaseLines(list);

  if (removed)
    ShowMessageBox("Odinstalace úspěšně dokončena.", UninstallCaption, MessageOk);
  else
    ShowMessageBox("Odinstalace dokončena – některé soubory či složky však bohužel nebylo možno odstranit.",
                   UninstallCaption, MessageOk);
}
