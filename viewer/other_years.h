// The hand-over to the viewer of another year, for dates outside the
// viewer's own year.
#pragma once

#include <stdint.h>

#include "../common/text.h"

// The address of the download page, to which the year is appended.
extern const char DownloadAddress[];

// The folder part of a path: everything up to its last "\" or ":", which
// stays included; empty when there is none.
TextView ProgramDirectory(TextView path);

// Appends the file name of a year's viewer: "RS.EXE" for 2001, "RS8.EXE" for
// 2008, "RS100.EXE" for 2100.
void YearViewerName(Text& text, int32_t year);

// Starts the viewer of the date's year from this viewer's folder, passing on
// the date words. False when no process started or none was tried.
bool StartYearViewer();

// Starts the other year's viewer or, where none starts, warns or offers the
// download page and then shows the reminders.
void HandOverToOtherYear();
