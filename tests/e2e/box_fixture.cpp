// Shows known message boxes, so that the box driver itself can be tested.
//   (no parameter)  the boxes below, one of each kind; the exit code holds
//                   the answers, four bits a box, the first box highest
//   window          a plain window of its own, then one box
//   hang            no box at all, and no end for a minute
//   spawn           starts itself with "relay", shows one box and ends;
//                   "relay" starts itself with "late" and ends at once;
//                   "late" waits until the other two have ended, shows one
//                   box and ends with exit code 3
#include <windows.h>

#include <string.h>

struct FixtureBox {
  const char* caption;
  const char* text;
  UINT type;
};

// Windows-1250 bytes: letters with diacritics, the Czech quotation marks,
// a non-breaking space and two bare carriage returns.
const FixtureBox Boxes[] = {
    {"Otázka",
     "Příliš žluťoučký kůň úpěl ďábelské ódy?\r\r„Šťastný“ (1.Mojž\xA0"
     "1,1)",
     MB_YESNO | MB_ICONQUESTION},
    {"Chyba", "Soubor nelze otevřít.", MB_OK | MB_ICONERROR},
    {"Varování", "Neplatný parametr:   x", MB_OK | MB_ICONWARNING},
    {"Informace", "Hotovo.", MB_OK | MB_ICONINFORMATION},
    {"", "", MB_OK},
};

LRESULT CALLBACK PlainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// Starts this program again with `parameter`, without waiting for it.
static bool StartSelf(const char* parameter) {
  char line[MAX_PATH * 2 + 16] = "\"";
  GetModuleFileNameA(nullptr, line + 1, MAX_PATH * 2);
  lstrcatA(line, "\" ");
  lstrcatA(line, parameter);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  if (!CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  if (strcmp(commandLine, "spawn") == 0) {
    if (!StartSelf("relay")) return 1;
    MessageBoxA(nullptr, "Rodič", "Rodič", MB_OK);
    return 0;
  }
  if (strcmp(commandLine, "relay") == 0) return StartSelf("late") ? 0 : 1;
  if (strcmp(commandLine, "late") == 0) {
    Sleep(1500);
    MessageBoxA(nullptr, "Potomek", "Potomek", MB_OK | MB_ICONINFORMATION);
    return 3;
  }
  if (strcmp(commandLine, "hang") == 0) {
    Sleep(60000);
    return 0;
  }
  if (strcmp(commandLine, "window") == 0) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = PlainProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "FixturePlain";
    RegisterClassA(&windowClass);
    CreateWindowExA(0, "FixturePlain", "Okno", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                    instance, nullptr);
    MessageBoxA(nullptr, "Text", "Okno", MB_OK);
    return 0;
  }
  int answers = 0;
  for (const FixtureBox& box : Boxes) answers = answers * 16 + MessageBoxA(nullptr, box.text, box.caption, box.type);
  return answers;
}
