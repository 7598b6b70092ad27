// The removal log "REMOVE.DAT": one line for each file-system item that the
// installation created, a type letter ("D" folder, "F" file) and the full
// path, ended by CR LF, in Windows-1250 bytes as the system gives them. The
// uninstall worker undoes the lines from the last to the first.
//
// Only the install procedure opens the log. The logged operations work also
// while it is closed; they then record nothing. A line that cannot be written,
// or a log that cannot be closed, ends the program at once.
#pragma once

// Opens the log at `path` (taken as at most 255 characters) for appending,
// creating the file but not its folder. `useTypeLetters` says whether entries
// carry their letter; it is set also when the open fails.
bool OpenRemovalLog(const char* path, bool useTypeLetters);

// Writes one entry, `letter` (when type letters are in use) and `path`, while
// the log is open.
void LogEntry(char letter, const char* path);

// Writes `text` as one line, with no letter added, while the log is open.
void WriteLogLine(const char* text);

// Closes the log if it is open; it is closed afterwards in any case.
void CloseRemovalLog();

// The logged operations: each records its item ("D" or "F" and the path) only
// after it succeeded, and returns its own success.

// Creates one folder level; a folder that exists already counts as failure.
bool MakeFolderLogged(const char* path);
// Copies, replacing an existing destination.
bool CopyFileLogged(const char* source, const char* destination);
// Copies, then deletes the source; both must succeed.
bool MoveFileLogged(const char* source, const char* destination);
