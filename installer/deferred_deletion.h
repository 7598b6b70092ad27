// Deletion of a file at the next start of Windows.
#pragma once

// Schedules the file at `path` (used as it is) for deletion: through the
// delayed file move, or where the system lacks it (error 120) through a
// "nul=" entry at the end of the "rename" section of "WININIT.INI". True when
// the deletion was scheduled.
//
// The fallback refuses, writing nothing, an entry of more than 255 characters
// (a path of more than 249) and a section that would no longer fit its
// 32767-byte buffer with the entry.
bool DeleteAtRestart(const char* path);
