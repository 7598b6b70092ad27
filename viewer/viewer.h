// The viewer's start-up and the small services its other parts share.
#pragma once

#include <stdint.h>

#include "../common/text.h"

// One whole run of the viewer, from the command line to the last box.
void RunViewer();

// A message box owned by the owner window, captioned with the viewer's title.
int ViewerMessage(const char* text, unsigned type);

// Appends the decimal text of `number` to `text`, with a "-" when negative.
void NumberText(Text& text, int32_t number);

// Fills the viewer's date with today's date and weekday.
void ReadToday();
