// Splitting of the process command line into parameters, the same in both
// programs.
//
// The rules, applied word by word from the front of the text:
//
//   before a word    blanks, tabs and carriage returns are skipped;
//                    the end of the text ends the splitting
//   "word"           runs from after the double quote to the next one
//   'word'           runs from after the single quote to the next one
//   word             runs to the next blank, tab or carriage return
//
// The character that ends a word is consumed; a word whose end character is
// missing runs to the end of the text. There is no escape character, and a
// closing quote ends its word even when text follows it directly: the next
// word starts right after the quote. So `"a b"c` gives `a b` and `c`, and
// `x"y z"` gives `x"y` and `z"`.
//
// The first word is the program as it was named when started; callers skip it
// with SkipProgramName. Each parameter keeps at most 255 characters.
#pragma once

#include <stddef.h>

const size_t MaxParameterLength = 255;

struct Parameter {
  char bytes[MaxParameterLength + 1];  // zero-ended
  size_t length;
};

// Takes the next word from `cursor` into `word` and advances `cursor` past it.
// Returns false, leaving `word` empty, when no word is left.
bool NextParameter(const char*& cursor, Parameter& word);

// The position right after the program name, where the parameters begin.
const char* SkipProgramName(const char* commandLine);
