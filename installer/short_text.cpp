#include "short_text.h"

#include <string.h>

size_t Length(const ShortText& text) { return strlen(text.bytes); }

void Assign(ShortText& text, const char* value) {
  text.bytes[0] = 0;
  Append(text, value);
}

void Append(ShortText& text, const char* value) { AppendBytes(text, value, strlen(value)); }

void AppendBytes(ShortText& text, const char* bytes, size_t length) {
  size_t used = Length(text);
  size_t room = ShortTextLimit - used;
  if (length > room) length = room;
  memcpy(text.bytes + used, bytes, length);
  text.bytes[used + length] = 0;
}
