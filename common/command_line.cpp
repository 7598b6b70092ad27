#include "command_line.h"

static bool IsWordGap(char c) { return c == ' ' || c == '\t' || c == '\r'; }

bool NextParameter(const char*& cursor, Parameter& word) {
  word.length = 0;
  word.bytes[0] = 0;
  while (IsWordGap(*cursor)) ++cursor;
  if (*cursor == 0) return false;

  char quote = 0;
  if (*cursor == '"' || *cursor == '\'') quote = *cursor++;
  while (*cursor != 0) {
    char c = *cursor;
    if (quote ? c == quote : IsWordGap(c)) {
      ++cursor;  // The end character belongs to no word.
      break;
    }
    if (word.length < MaxParameterLength) word.bytes[word.length++] = c;
    ++cursor;
  }
  word.bytes[word.length] = 0;
  return true;
}

const char* SkipProgramName(const char* commandLine) {
  Parameter programName;
  NextParameter(commandLine, programName);
  return commandLine;
}
