#include "deferred_deletion.h"

#include <stdlib.h>
#include <string.h>

#include "platform.h"

static const uint32_t SectionBufferSize = 32767;
static const size_t EntryLimit = 255;

static const char RenameSection[] = "rename";
static const char WininitFile[] = "WININIT.INI";

bool DeleteAtRestart(const char* path) {
  if (ScheduleDeletion(path)) return true;
  if (LastErrorCode() != ErrorCallNotImplemented) return false;

  // The entry "nul=" + path, ended by the zero of its item and the zero that
  // ends the list.
  static const char Destination[] = "nul=";
  size_t pathLength = strlen(path);
  size_t entryLength = sizeof Destination - 1 + pathLength + 2;
  if (entryLength > EntryLimit) return false;
  char entry[EntryLimit];
  memcpy(entry, Destination, sizeof Destination - 1);
  memcpy(entry + sizeof Destination - 1, path, pathLength);
  entry[entryLength - 2] = 0;
  entry[entryLength - 1] = 0;

  char* section = static_cast<char*>(malloc(SectionBufferSize));
  if (!section) return false;
  // The count leaves out the zero that ends the list; the entry goes over it.
  uint32_t count = ReadIniSection(RenameSection, WininitFile, section, SectionBufferSize);
  bool written = false;
  if (count == 0) {
    written = WriteIniSection(RenameSection, WininitFile, entry);
  } else if (count <= SectionBufferSize - entryLength) {
    memcpy(section + count, entry, entryLength);
    written = WriteIniSection(RenameSection, WininitFile, section);
  }
  free(section);
  return written;
}
