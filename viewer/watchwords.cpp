#include "watchwords.h"

#include <string.h>

#include "platform.h"
#include "run_state.h"

static const unsigned SlotsPerMonth = 31;
static const unsigned SlotCount = 12 * SlotsPerMonth;

static unsigned SlotIndex(uint16_t month, uint16_t day) { return (month - 1u) * SlotsPerMonth + (day - 1u); }

bool SlotInTable(uint16_t month, uint16_t day) {
  return month >= 1 && month <= 12 && day >= 1 && SlotIndex(month, day) < SlotCount;
}

// Copies the zero-ended text at `at` and returns the position after its zero.
static const char* CopyText(const char* at, Text& into) {
  size_t length = strlen(at);
  TextAppend(into, at, length);
  return at + length + 1;
}

void LookupWatchwords() {
  TextClear(WatchwordText);
  TextClear(TeachingText);
  const char* at = WatchwordTable;
  // The walk is short and runs once per run, so no index is kept.
  for (unsigned skip = 2 * SlotIndex(ViewerDate.Month, ViewerDate.Day); skip > 0; --skip) at += strlen(at) + 1;
  at = CopyText(at, WatchwordText);
  CopyText(at, TeachingText);
}

// Shows `text` in a box captioned "Hesla " + the date caption + `suffix`.
static void ShowText(const char* text, const char* suffix) {
  Text caption{};
  TextAppend(caption, "Hesla ");
  TextAppend(caption, ViewOf(DateCaption));
  TextAppend(caption, suffix);
  ShowMessageBox(OwnerWindow, text, TextBytes(caption), MessageOk);
  TextRelease(caption);
}

void ShowWatchwords() {
  if (!CombinedMode) {
    ShowText(TextBytes(WatchwordText), " SZ");
    ShowText(TextBytes(TeachingText), " NZ");
    return;
  }
  // Two bare carriage returns: the box shows them as one empty line.
  Text both{};
  TextAppend(both, ViewOf(WatchwordText));
  TextAppend(both, "\r\r");
  TextAppend(both, ViewOf(TeachingText));
  ShowText(TextBytes(both), "");
  TextRelease(both);
}
