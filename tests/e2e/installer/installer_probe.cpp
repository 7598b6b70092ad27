// Runs single operations of the installer's own code against the real system,
// and reads back what they made through the system's own interfaces, for the
// end-to-end tests. Texts are taken and printed as Windows-1250 bytes: each
// result is one line "name=hex bytes".
//
//   installer_probe shortcut LOG LINK TARGET     CreateShortcutLogged, the log open
//   installer_probe read-shortcut LINK           the shortcut as the shell reads it
//   installer_probe make-folder LOG PATH         MakeFolderLogged, the log open
//   installer_probe register KEY NAME COMMAND    RegisterUninstall
//   installer_probe unregister KEY               UnregisterUninstall
//   installer_probe read-uninstall KEY           the entry's texts, read with RegQueryValueExA
//   installer_probe shell-folder NAME            ShellFolderPath
//   installer_probe temporary-folder             GetTempPathA
//   installer_probe delete-at-restart PATH       DeleteAtRestart
//   installer_probe answer-box CAPTION SECONDS   waits for a message box of
//       any process with this caption, reports its text, buttons and icon,
//       and clicks its first button
//
// Exit code 0 when the command ran, 1 on bad usage, 2 when no box came.
#include <windows.h>
// The shell-link and persist-file interfaces need windows.h first.
#include <objidl.h>
#include <shlobj.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "../../../installer/deferred_deletion.h"
#include "../../../installer/removal_log.h"
#include "../../../installer/shell_integration.h"

static void Print(const char* name, const char* bytes, size_t length) {
  printf("%s=", name);
  for (size_t i = 0; i < length; ++i) printf("%02x", static_cast<unsigned char>(bytes[i]));
  printf("\n");
}

static void Print(const char* name, const char* text) { Print(name, text, strlen(text)); }

static void PrintFlag(const char* name, bool value) { Print(name, value ? "1" : "0"); }

static int ReadShortcut(const char* link) {
  CoInitialize(nullptr);
  IShellLinkA* shellLink = nullptr;
  IPersistFile* file = nullptr;
  HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                    reinterpret_cast<void**>(&shellLink));
  if (SUCCEEDED(result)) result = shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  WCHAR wideLink[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, link, -1, wideLink, MAX_PATH);
  if (SUCCEEDED(result)) result = file->Load(wideLink, STGM_READ);
  PrintFlag("loaded", SUCCEEDED(result));
  if (SUCCEEDED(result)) {
    char text[1024] = "";
    WIN32_FIND_DATAA found;
    shellLink->GetPath(text, sizeof text, &found, SLGP_RAWPATH);
    Print("path", text);
    text[0] = 0;
    shellLink->GetArguments(text, sizeof text);
    Print("arguments", text);
    text[0] = 0;
    shellLink->GetWorkingDirectory(text, sizeof text);
    Print("working_folder", text);
  }
  if (file) file->Release();
  if (shellLink) shellLink->Release();
  CoUninitialize();
  return 0;
}

static int ReadUninstall(const char* keyName) {
  char path[512] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
  strncat(path, keyName, sizeof path - strlen(path) - 1);
  HKEY key;
  bool opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) == ERROR_SUCCESS;
  PrintFlag("exists", opened);
  if (!opened) return 0;
  static const char* const Names[] = {"DisplayName", "UninstallString"};
  for (const char* name : Names) {
    char data[1024];
    DWORD size = sizeof data, type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS)
      Print(name, data, size);  // with its zero, as stored
  }
  RegCloseKey(key);
  return 0;
}

struct BoxSearch {
  const char* caption;
  HWND box;
};

static BOOL CALLBACK FindBox(HWND window, LPARAM context) {
  BoxSearch* search = reinterpret_cast<BoxSearch*>(context);
  char name[64] = "", caption[512] = "";
  GetClassNameA(window, name, sizeof name);
  GetWindowTextA(window, caption, sizeof caption);
  if (strcmp(name, "#32770") == 0 && IsWindowVisible(window) && strcmp(caption, search->caption) == 0) {
    search->box = window;
    return FALSE;
  }
  return TRUE;
}

struct BoxParts {
  char text[2048];
  char buttons[256];
  HWND firstButton;
  bool icon;
};

static BOOL CALLBACK CollectPart(HWND child, LPARAM context) {
  BoxParts* parts = reinterpret_cast<BoxParts*>(context);
  char name[64] = "";
  GetClassNameA(child, name, sizeof name);
  LONG style = GetWindowLongA(child, GWL_STYLE);
  if (lstrcmpiA(name, "Static") == 0) {
    if ((style & SS_TYPEMASK) == SS_ICON)
      parts->icon = parts->icon || (IsWindowVisible(child) && SendMessageA(child, STM_GETICON, 0, 0) != 0);
    else if (GetDlgCtrlID(child) == 0xFFFF)
      GetWindowTextA(child, parts->text, sizeof parts->text);
  } else if (lstrcmpiA(name, "Button") == 0 && (style & WS_VISIBLE)) {
    char label[64] = "";
    GetWindowTextA(child, label, sizeof label);
    if (parts->buttons[0]) strncat(parts->buttons, ",", sizeof parts->buttons - strlen(parts->buttons) - 1);
    strncat(parts->buttons, label, sizeof parts->buttons - strlen(parts->buttons) - 1);
    if (!parts->firstButton) parts->firstButton = child;
  }
  return TRUE;
}

static int AnswerBox(const char* caption, int seconds) {
  BoxSearch search = {caption, nullptr};
  for (DWORD start = GetTickCount(); !search.box; Sleep(50)) {
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
    if (!search.box && GetTickCount() - start > static_cast<DWORD>(seconds) * 1000) {
      printf("error=no box\n");
      return 2;
    }
  }
  DWORD_PTR ignored;  // the box has been set up once it answers
  SendMessageTimeoutA(search.box, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
  BoxParts parts = {};
  EnumChildWindows(search.box, CollectPart, reinterpret_cast<LPARAM>(&parts));
  Print("text", parts.text);
  Print("buttons", parts.buttons);
  PrintFlag("icon", parts.icon);
  PostMessageA(parts.firstButton, BM_CLICK, 0, 0);
  return 0;
}

int main(int argc, char** argv) {
  if (argc < 2) return 1;
  const char* command = argv[1];
  if (strcmp(command, "shortcut") == 0 && argc == 5) {
    OpenRemovalLog(argv[2], true);
    PrintFlag("saved", CreateShortcutLogged(argv[3], argv[4], nullptr));
    CloseRemovalLog();
  } else if (strcmp(command, "read-shortcut") == 0 && argc == 3) {
    return ReadShortcut(argv[2]);
  } else if (strcmp(command, "make-folder") == 0 && argc == 4) {
    PrintFlag("log_open", OpenRemovalLog(argv[2], true));
    PrintFlag("made", MakeFolderLogged(argv[3]));
    CloseRemovalLog();
  } else if (strcmp(command, "register") == 0 && argc == 5) {
    PrintFlag("registered", RegisterUninstall(argv[2], argv[3], argv[4]));
  } else if (strcmp(command, "unregister") == 0 && argc == 3) {
    PrintFlag("unregistered", UnregisterUninstall(argv[2]));
  } else if (strcmp(command, "read-uninstall") == 0 && argc == 3) {
    return ReadUninstall(argv[2]);
  } else if (strcmp(command, "shell-folder") == 0 && argc == 3) {
    ShortText path;
    ShellFolderPath(argv[2], path);
    Print("path", path.bytes);
  } else if (strcmp(command, "temporary-folder") == 0 && argc == 2) {
    char path[MAX_PATH + 1] = "";
    GetTempPathA(sizeof path, path);
    Print("path", path);
  } else if (strcmp(command, "delete-at-restart") == 0 && argc == 3) {
    PrintFlag("scheduled", DeleteAtRestart(argv[2]));
  } else if (strcmp(command, "answer-box") == 0 && argc == 4) {
    return AnswerBox(argv[2], atoi(argv[3]));
  } else {
    return 1;
  }
  return 0;
}
