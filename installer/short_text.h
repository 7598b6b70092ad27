// Texts of at most 255 characters: the size in which the installer holds its
// paths and messages. A longer text is cut at 255 characters.
#pragma once

#include <stddef.h>

const size_t ShortTextLimit = 255;

struct ShortText {
  char bytes[ShortTextLimit + 1];  // zero-ended
};

size_t Length(const ShortText& text);
void Assign(ShortText& text, const char* value);
void Append(ShortText& text, const char* value);
// Appends `length` bytes as they are; used for data that need not end in zero.
void AppendBytes(ShortText& text, const char* bytes, size_t length);
