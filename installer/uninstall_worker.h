// The mode "/REMOVE", run by the launcher's temporary copy of the program:
// undoes the removal log beside the program, from the last line to the first.
#pragma once

#include <stdint.h>

void UninstallWorker();

// Waits without using the processor and without looking at the wall clock.
void WaitMilliseconds(uint16_t milliseconds);

// Nothing at the path counts as done; a folder that still holds anything is
// not removed.
bool RemoveFolderIfPresent(const char* path);
bool DeleteFileIfPresent(const char* path);
