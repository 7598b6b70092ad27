// Byte strings in Windows-1250, without length limit.
//
// The programs keep to plain C types here on purpose: the C++ string classes
// pull the exception and formatting runtime of libstdc++ into a statically
// linked MinGW program, which would outweigh the rest of it.
#pragma once

#include <stddef.h>

// A growable byte string. The bytes are always followed by a zero byte, so
// `bytes` can go straight to the platform's "A" functions.
struct Text {
  char* bytes;
  size_t length;
  size_t capacity;
};

// A read-only window onto bytes owned elsewhere; the parsing operations
// consume from its front by advancing it.
struct TextView {
  const char* bytes;
  size_t length;
};

void TextAppend(Text& text, const char* bytes, size_t length);
void TextAppend(Text& text, const char* zeroEnded);
void TextAppend(Text& text, TextView view);
void TextClear(Text& text);
void TextRelease(Text& text);

// The zero-ended bytes of `text`, also for a text that never held any.
const char* TextBytes(const Text& text);
TextView ViewOf(const Text& text);
TextView ViewOf(const char* zeroEnded);
bool ViewEquals(TextView view, const char* zeroEnded);
