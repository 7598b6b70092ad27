// The viewer's platform calls, faked for host tests: the tests set the
// command line, the clock and the windows, and read back every box shown.
#pragma once

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

struct FakeViewerPlatform {
  std::string commandLine = "RS7.EXE";
  LocalTime today = {2007, 3, 5, 1};  // Monday 5 March 2007
  WindowHandle shellWindow = 0x10010;
  std::set<WindowHandle> windows = {0x10010};
  std::vector<ShownBox> boxes;
};

// The fake's state; every test starts from a fresh one.
extern FakeViewerPlatform Fake;

void ResetFake();
