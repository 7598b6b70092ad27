// The viewer's platform calls, faked for host tests: the tests set the
// command line, the clock and the windows, and read back every box shown.
#pragma once

#include <stdint.h>

#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "../../viewer/platform.h"

struct ShownBox {
  WindowHandle owner;
  std::string caption;
  std::string text;
  unsigned type;

  bool operator==(const ShownBox& other) const {
    return owner == other.owner && caption == other.caption && text == other.text && type == other.type;
  }
};

inline void PrintTo(const ShownBox& box, std::ostream* out) {
  *out << "{owner " << box.owner << ", caption \"" << box.caption << "\", text \"" << box.text << "\", type "
       << box.type << "}";
}

struct FakeViewerPlatform {
  std::string commandLine = "RS7.EXE";
  LocalTime today = {2007, 3, 5, 1};  // Monday 5 March 2007
  WindowHandle shellWindow = 0x10010;
  std::set<WindowHandle> windows = {0x10010};
  std::vector<ShownBox> boxes;
  std::vector<int> answers;  // the buttons pressed, box after box; OK when none is left

  bool reminderFileExists = false;
  std::string reminderFile;
  size_t failReadAt = SIZE_MAX;  // a read that reaches this offset fails
  size_t largestRead = 0;        // the largest block asked for
  size_t reads = 0;
  bool reminderFileOpen = false;

  std::string programPath = "C:\\Program Files\\Ranoslov\\RS7.EXE";
  std::set<std::string> startablePrograms;  // paths as they appear between the quotes
  std::vector<std::string> attemptedCommandLines;
  bool webAddressOpens = true;
  std::vector<std::string> openedAddresses;
};

// The fake's state; every test starts from a fresh one.
extern FakeViewerPlatform Fake;

void ResetFake();
