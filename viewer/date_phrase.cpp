#include "date_phrase.h"

#include <string.h>

#include "run_state.h"

// The two-letter day abbreviations from Sunday to Saturday, each followed by
// a blank. The whole constant is searched, not only the starts of its
// abbreviations, so "E P" or " UT" are weekdays too.
static const char WeekdayAbbreviations[] = "NE PO UT ST CT PA SO ";
static const size_t WeekdayAbbreviationsLength = sizeof WeekdayAbbreviations - 1;

static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

static void Consume(TextView& text, size_t count) {
  text.bytes += count;
  text.length -= count;
}

uint16_t TakeNumber(TextView& text) {
  size_t position = 0;
  uint16_t value = 0;
  while (position < text.length && IsDigit(text.bytes[position])) {
    value = static_cast<uint16_t>(value * 10 + (text.bytes[position] - '0'));
    ++position;
  }
  if (position == 0) return Absent;
  while (position + 1 < text.length && (text.bytes[position] == ' ' || text.bytes[position] == '.')) ++position;
  Consume(text, position);
  return value;
}

static uint16_t CompleteCentury(uint16_t year) {
  if (year <= 90) year += 2000;
  if (year <= 99) year += 1900;
  return year;
}

void TakeDate(TextView& text, uint16_t& day, uint16_t& month, uint16_t& year) {
  day = TakeNumber(text) % 256;
  uint16_t typedMonth = TakeNumber(text) % 256;
  uint16_t typedYear = TakeNumber(text);
  month = typedMonth == Absent ? ViewerDate.Month : typedMonth;
  year = CompleteCentury(typedYear == Absent ? ViewerDate.Year : typedYear);
}

static char Capital(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

uint8_t TakeWeekday(TextView& text) {
  size_t pieceLength = text.length < 3 ? text.length : 3;
  if (pieceLength == 0) return Absent;
  char piece[3];
  for (size_t i = 0; i < pieceLength; ++i) piece[i] = Capital(text.bytes[i]);
  for (size_t start = 0; start + pieceLength <= WeekdayAbbreviationsLength; ++start) {
    if (WeekdayAbbreviations[start] == piece[0] && memcmp(piece, WeekdayAbbreviations + start, pieceLength) == 0) {
      Consume(text, pieceLength);
      return static_cast<uint8_t>((start + 1) / 3);
    }
  }
  return Absent;
}
