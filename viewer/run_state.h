// The viewer's run state: set up by the start-up, read by the display, the
// reminders and the hand-over to other years, released when the run ends.
#pragma once

#include <stdint.h>

#include "../common/text.h"
#include "platform.h"

struct ViewerDateRecord {
  uint16_t Year, Month, Day;  // the date to show
  uint16_t Weekday;           // today's weekday, whatever date is shown
};

extern ViewerDateRecord ViewerDate;
extern Text ArgumentText;  // the plain parameters, each preceded by one blank
extern bool CombinedMode;  // both texts in one box
extern WindowHandle OwnerWindow;
extern Text DateCaption;  // "5.3." or, after a date phrase, "24.12.2007"
extern Text WatchwordText;
extern Text TeachingText;
