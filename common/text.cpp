#include "text.h"

#include <stdlib.h>
#include <string.h>

void TextAppend(Text& text, const char* bytes, size_t length) {
  if (length == 0) return;
  if (text.length + length + 1 > text.capacity) {
    size_t capacity = text.capacity ? text.capacity : 32;
    while (capacity < text.length + length + 1) capacity *= 2;
    char* grown = static_cast<char*>(realloc(text.bytes, capacity));
    if (!grown) abort();  // Nothing sensible remains to be shown without memory.
    text.bytes = grown;
    text.capacity = capacity;
  }
  memcpy(text.bytes + text.length, bytes, length);
  text.length += length;
  text.bytes[text.length] = 0;
}

void TextAppend(Text& text, const char* zeroEnded) { TextAppend(text, zeroEnded, strlen(zeroEnded)); }

void TextAppend(Text& text, TextView view) { TextAppend(text, view.bytes, view.length); }

void TextClear(Text& text) {
  text.length = 0;
  if (text.bytes) text.bytes[0] = 0;
}

void TextRelease(Text& text) {
  free(text.bytes);
  text = Text{};
}

const char* TextBytes(const Text& text) { return text.bytes ? text.bytes : ""; }

TextView ViewOf(const Text& text) { return TextView{TextBytes(text), text.length}; }

TextView ViewOf(const char* zeroEnded) { return TextView{zeroEnded, strlen(zeroEnded)}; }

bool ViewEquals(TextView view, const char* zeroEnded) {
  size_t length = strlen(zeroEnded);
  return view.length == length && memcmp(view.bytes, zeroEnded, length) == 0;
}
