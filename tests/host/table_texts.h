// The built-in table split into its texts, independently of the viewer's
// lookup, so that tests can name texts by their number in the block.
#pragma once

#include <string>
#include <vector>

#include "../../viewer/watchwords.h"

inline std::vector<std::string> TableTexts() {
  std::vector<std::string> texts;
  std::string current;
  for (size_t i = 0; i < WatchwordTableSize; ++i) {
    if (WatchwordTable[i] == 0) {
      texts.push_back(current);
      current.clear();
    } else {
      current += WatchwordTable[i];
    }
  }
  return texts;
}

// The number of the first text of a day's slot in the block.
inline size_t FirstTextOf(int month, int day) { return 2 * ((month - 1) * 31 + (day - 1)); }
