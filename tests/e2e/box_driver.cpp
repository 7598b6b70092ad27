// Starts a program, answers every message box it shows and reports each box
// as one JSON line on stdout: caption and text (as the Windows-1250 bytes in
// hex and as UTF-8), owner, buttons and icon. The last line is the program's
// exit code. Every wait is bounded: a program that neither shows a box nor
// ends in time is terminated and reported as an error.
//
// box_driver [options] PROGRAM [PARAMETERS]
//   PARAMETERS       appended to the quoted PROGRAM as they are, after one
//                    blank; "{OWNER}" in them is replaced by the decimal
//                    handle of the driver's own window (see --owner-window)
//   --cwd DIR        current folder of the program
//   --owner-window   create a visible window of the driver's own
//   --answers LIST   comma-separated buttons to click, box by box (ok, yes,
//                    no, cancel); after the list the default answer
//   --default-answer NAME  the button to click where the list gives none and
//                    the box has it; otherwise OK where there is one, else Yes
//   --step-timeout MS  longest wait for the next box or the end (10000)
//   --max-boxes N    more boxes than this is an error (50)
//   --screenshots DIR  save each box as DIR\box-N.bmp
//   --follow-children  also answer the boxes of the processes the program
//                    starts, and theirs in turn, also after the program has
//                    ended; wait until all of them have ended. Each new
//                    process is reported ("process": pid, parent_pid, image
//                    name) and so is its end ("process_exit": code); the
//                    "start" record gains the program's "pid", each box and
//                    window record "pid" and "process" (the image name). A
//                    process that ends before the driver sees it is not
//                    reported, but is waited for. The last line is still the
//                    started program's "exit", with "all_ended_ms".
//   --at-box N COMMAND  when box N has been reported and before it is
//                    answered, run the command line COMMAND in the --cwd
//                    folder and wait for it; report its exit code ("command").
//                    May be given more than once.
//   --memory         add the peak working set and peak pagefile use of the
//                    box's process to each box record, in bytes (and to the
//                    "exit" record where the system still knows them)
//
// Exit code: 0 when the program ended by itself, 2 on a timeout or another
// failure of the driver, 1 on bad usage.
#include <windows.h>
// psapi.h and winternl.h need windows.h first.
#include <psapi.h>
#include <winternl.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

const DWORD PollMilliseconds = 2;
// The message box's text control; any other static that is no icon will do.
const LONG TextControlId = 0xFFFF;

// A command to run while a given box is open.
struct BoxCommand {
  unsigned box;
  std::wstring commandLine;
};

struct Options {
  std::wstring program;
  std::wstring parameters;
  std::wstring folder;
  std::wstring screenshots;
  std::vector<std::wstring> answers;
  int defaultAnswer = 0;
  bool ownerWindow = false;
  DWORD stepTimeout = 10000;
  unsigned maxBoxes = 50;
  bool followChildren = false;
  bool memory = false;
  std::vector<BoxCommand> commands;
};

struct ButtonName {
  int id;
  const char* name;
};
const ButtonName ButtonNames[] = {
    {IDOK, "ok"},   {IDCANCEL, "cancel"}, {IDABORT, "abort"}, {IDRETRY, "retry"},       {IDIGNORE, "ignore"},
    {IDYES, "yes"}, {IDNO, "no"},         {IDHELP, "help"},   {IDTRYAGAIN, "tryagain"}, {IDCONTINUE, "continue"}};

const char* ButtonNameOf(int id) {
  for (const ButtonName& button : ButtonNames)
    if (button.id == id) return button.name;
  return nullptr;
}

int ButtonIdOf(const std::wstring& name) {
  for (const ButtonName& button : ButtonNames) {
    std::wstring wide(button.name, button.name + strlen(button.name));
    if (wide == name) return button.id;
  }
  return 0;
}

std::string Narrow(const std::wstring& text, UINT codePage, bool* unmappable = nullptr) {
  if (text.empty()) return std::string();
  BOOL usedDefault = FALSE;
  bool strict = codePage != CP_UTF8;
  int size = WideCharToMultiByte(codePage, strict ? WC_NO_BEST_FIT_CHARS : 0, text.data(), (int)text.size(), nullptr, 0,
                                 nullptr, nullptr);
  std::string out(size, '\0');
  WideCharToMultiByte(codePage, strict ? WC_NO_BEST_FIT_CHARS : 0, text.data(), (int)text.size(), &out[0], size,
                      nullptr, strict ? &usedDefault : nullptr);
  if (unmappable) *unmappable = usedDefault != FALSE;
  return out;
}

std::string JsonString(const std::string& utf8) {
  std::string out = "\"";
  for (unsigned char c : utf8) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += (char)c;
    } else if (c < 0x20) {
      char escape[8];
      snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    } else {
      out += (char)c;
    }
  }
  return out + "\"";
}

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

// A text field as two members: the Windows-1250 bytes in hex, and UTF-8.
std::string TextFields(const char* name, const std::wstring& text) {
  bool unmappable = false;
  std::string cp1250 = Narrow(text, 1250, &unmappable);
  std::string out = "\"" + std::string(name) + "_cp1250\":\"" + Hex(cp1250) + "\",\"" + name +
                    "_utf8\":" + JsonString(Narrow(text, CP_UTF8));
  if (unmappable) out += ",\"" + std::string(name) + "_unmappable\":true";
  return out;
}

void Emit(const std::string& line) {
  fputs(line.c_str(), stdout);
  fputc('\n', stdout);
  fflush(stdout);
}

void Fail(const std::string& message) { Emit("{\"event\":\"error\",\"message\":" + JsonString(message) + "}"); }

// The text of a window of another process, through a sent WM_GETTEXT.
bool WindowText(HWND window, std::wstring& text) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return false;
  std::vector<wchar_t> buffer(length + 2);
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(), (LPARAM)buffer.data(), SMTO_ABORTIFHUNG, 5000, &copied))
    return false;
  text.assign(buffer.data(), copied);
  return true;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = L"";
  GetClassNameW(window, name, 256);
  return name;
}

// Pumps the driver's own messages (its window may be the boxes' owner) and
// waits briefly.
void PumpAndWait(HANDLE process, DWORD milliseconds) {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  MsgWaitForMultipleObjects(process ? 1 : 0, process ? &process : nullptr, FALSE, milliseconds, QS_ALLINPUT);
}

struct Search {
  std::vector<DWORD> processIds;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
  Search* search = (Search*)context;
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  for (DWORD id : search->processIds)
    if (processId == id && IsWindowVisible(window)) search->windows.push_back(window);
  return TRUE;
}

std::vector<HWND> VisibleTopWindows(const std::vector<DWORD>& processIds) {
  Search search{processIds, {}};
  EnumWindows(CollectWindow, (LPARAM)&search);
  return search.windows;
}

// The pixels of a screen rectangle, as 32-bit BGRX rows from the top.
struct Picture {
  int width = 0, height = 0;
  std::vector<DWORD> pixels;
  bool operator==(const Picture& other) const {
    return width == other.width && height == other.height && pixels == other.pixels;
  }
};

Picture CaptureDc(HDC source, int x, int y, int width, int height) {
  Picture picture;
  if (width <= 0 || height <= 0) return picture;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC memory = CreateCompatibleDC(source);
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
  GdiFlush();
  picture.width = width;
  picture.height = height;
  picture.pixels.assign((DWORD*)bits, (DWORD*)bits + width * height);
  for (DWORD& pixel : picture.pixels) pixel &= 0xFFFFFF;
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return picture;
}

Picture CaptureScreen(const RECT& rect) {
  HDC screen = GetDC(nullptr);
  Picture picture = CaptureDc(screen, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  ReleaseDC(nullptr, screen);
  return picture;
}

// The system icon drawn at the given size over two backgrounds; the pixels
// that come out the same on both are the icon's opaque ones.
struct Reference {
  Picture onBlack, onWhite;
};

Reference DrawSystemIcon(LPCWSTR id, int width, int height) {
  Reference reference;
  HICON icon = LoadIconW(nullptr, id);
  HDC screen = GetDC(nullptr);
  for (int pass = 0; pass < 2; ++pass) {
    // Drawn into a bitmap of the screen's kind, then read out like the screen.
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    RECT all = {0, 0, width, height};
    FillRect(memory, &all, (HBRUSH)GetStockObject(pass == 0 ? BLACK_BRUSH : WHITE_BRUSH));
    DrawIconEx(memory, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    Picture& picture = pass == 0 ? reference.onBlack : reference.onWhite;
    picture = CaptureDc(memory, 0, 0, width, height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
  }
  ReleaseDC(nullptr, screen);
  return reference;
}

// Share of the icon's opaque pixels that the captured picture matches.
double Likeness(const Picture& captured, const Reference& reference) {
  int opaque = 0, matching = 0;
  for (size_t i = 0; i < captured.pixels.size(); ++i) {
    DWORD pixel = reference.onBlack.pixels[i];
    if (pixel != reference.onWhite.pixels[i]) continue;
    ++opaque;
    if (captured.pixels[i] == pixel) ++matching;
  }
  return opaque == 0 ? 0 : (double)matching / opaque;
}

struct IconKind {
  LPCWSTR id;
  const char* name;
};
const IconKind IconKinds[] = {
    {IDI_EXCLAMATION, "warning"}, {IDI_QUESTION, "question"}, {IDI_HAND, "error"}, {IDI_ASTERISK, "information"}};

// Which system icon the box shows: the one whose opaque pixels the icon
// control's screen area matches; "none" when the control holds no icon.
std::string ClassifyIcon(HWND iconControl) {
  if (!iconControl) return "none";
  DWORD_PTR icon = 0;
  if (!SendMessageTimeoutW(iconControl, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 5000, &icon)) return "unknown";
  if (icon == 0 || !IsWindowVisible(iconControl)) return "none";
  RECT rect;
  GetWindowRect(iconControl, &rect);
  Picture captured = CaptureScreen(rect);
  const char* best = "unknown";
  // Exact pixels give 1; the question and information icons match each
  // other to about 0.8.
  double bestLikeness = 0.95;
  for (const IconKind& kind : IconKinds) {
    double likeness = Likeness(captured, DrawSystemIcon(kind.id, captured.width, captured.height));
    if (likeness > bestLikeness) {
      bestLikeness = likeness;
      best = kind.name;
    }
  }
  return best;
}

// Waits until the box's screen area has stopped changing, so that what is
// captured is what a person sees.
Picture SettledPicture(HWND box) {
  RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT rect;
  GetWindowRect(box, &rect);
  Picture last = CaptureScreen(rect);
  for (int round = 0; round < 40; ++round) {
    Sleep(25);
    Picture now = CaptureScreen(rect);
    if (now == last) break;
    last = now;
  }
  return last;
}

bool SaveBitmap(const std::wstring& path, const Picture& picture) {
  int rowBytes = (picture.width * 3 + 3) & ~3;
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = picture.width;
  header.biHeight = picture.height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  header.biSizeImage = rowBytes * picture.height;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + header.biSizeImage;
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (!out) return false;
  fwrite(&file, sizeof file, 1, out);
  fwrite(&header, sizeof header, 1, out);
  std::vector<unsigned char> row(rowBytes, 0);
  for (int y = picture.height - 1; y >= 0; --y) {
    for (int x = 0; x < picture.width; ++x) {
      DWORD pixel = picture.pixels[y * picture.width + x];
      row[x * 3] = pixel & 0xFF;
      row[x * 3 + 1] = (pixel >> 8) & 0xFF;
      row[x * 3 + 2] = (pixel >> 16) & 0xFF;
    }
    fwrite(row.data(), rowBytes, 1, out);
  }
  return fclose(out) == 0;
}

struct BoxParts {
  HWND text = nullptr;
  HWND icon = nullptr;
  std::vector<HWND> buttons;  // left to right
};

BOOL CALLBACK CollectPart(HWND child, LPARAM context) {
  BoxParts* parts = (BoxParts*)context;
  std::wstring name = ClassOf(child);
  LONG style = GetWindowLongW(child, GWL_STYLE);
  if (_wcsicmp(name.c_str(), L"Static") == 0) {
    if ((style & SS_TYPEMASK) == SS_ICON) {
      parts->icon = child;
    } else if (!parts->text || GetDlgCtrlID(child) == TextControlId) {
      parts->text = child;
    }
  } else if (_wcsicmp(name.c_str(), L"Button") == 0 && (style & WS_VISIBLE)) {
    RECT rect;
    GetWindowRect(child, &rect);
    size_t at = 0;
    while (at < parts->buttons.size()) {
      RECT other;
      GetWindowRect(parts->buttons[at], &other);
      if (other.left > rect.left) break;
      ++at;
    }
    parts->buttons.insert(parts->buttons.begin() + at, child);
  }
  return TRUE;
}

std::string Handle(HWND window) { return std::to_string((unsigned long long)(UINT_PTR)window); }

// Runs a command line in the --cwd folder and waits for it; reports its
// exit code. False when it cannot be started or does not end in time.
bool RunBoxCommand(const BoxCommand& command, const Options& options) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::vector<wchar_t> line(command.commandLine.begin(), command.commandLine.end());
  line.push_back(0);
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      options.folder.empty() ? nullptr : options.folder.c_str(), &startup, &process)) {
    Fail("cannot start the command for box " + std::to_string(command.box) + ": error " +
         std::to_string(GetLastError()));
    return false;
  }
  CloseHandle(process.hThread);
  bool ended = WaitForSingleObject(process.hProcess, options.stepTimeout) == WAIT_OBJECT_0;
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  if (!ended) TerminateProcess(process.hProcess, 255);
  CloseHandle(process.hProcess);
  if (!ended) {
    Fail("the command for box " + std::to_string(command.box) + " did not end in time");
    return false;
  }
  Emit("{\"event\":\"command\",\"box\":" + std::to_string(command.box) + "," +
       TextFields("command_line", command.commandLine) + ",\"code\":" + std::to_string(code) + "}");
  return true;
}

// The peak memory use of a process so far, as record members; none when
// the system does not tell (Wine knows the figures only while the process
// runs).
std::string MemoryFields(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (!process || !GetProcessMemoryInfo(process, &counters, sizeof counters)) return "";
  return ",\"peak_working_set\":" + std::to_string((unsigned long long)counters.PeakWorkingSetSize) +
         ",\"peak_pagefile\":" + std::to_string((unsigned long long)counters.PeakPagefileUsage);
}

// Reads one box, reports it and clicks the answer. False when the box cannot
// be answered. `fields` are further record members, each with its leading
// comma.
bool HandleBox(HWND box, unsigned index, DWORD elapsed, HWND ownWindow, const Options& options,
               const std::string& fields) {
  // The box's thread has finished setting it up once it answers a message.
  DWORD_PTR ignored;
  SendMessageTimeoutW(box, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);

  std::wstring caption, text;
  WindowText(box, caption);
  BoxParts parts;
  EnumChildWindows(box, CollectPart, (LPARAM)&parts);
  if (parts.text) WindowText(parts.text, text);

  HWND owner = GetWindow(box, GW_OWNER);
  HWND shell = FindWindowW(L"Progman", nullptr);
  std::string ownerKind = !owner                              ? "none"
                          : (ownWindow && owner == ownWindow) ? "driver"
                          : (shell && owner == shell)         ? "progman"
                                                              : "other";

  Picture picture = SettledPicture(box);
  std::string icon = ClassifyIcon(parts.icon);

  std::string buttons;
  int answer = 0;
  for (HWND button : parts.buttons) {
    int id = GetDlgCtrlID(button);
    const char* name = ButtonNameOf(id);
    if (!buttons.empty()) buttons += ",";
    buttons += name ? JsonString(name) : JsonString("id" + std::to_string(id));
    if (id == IDOK || (id == IDYES && answer != IDOK)) answer = id;
  }
  for (HWND button : parts.buttons)
    if (GetDlgCtrlID(button) == options.defaultAnswer) answer = options.defaultAnswer;
  if (index <= options.answers.size()) answer = ButtonIdOf(options.answers[index - 1]);
  HWND answerButton = answer ? GetDlgItem(box, answer) : nullptr;

  std::string line = "{\"event\":\"box\",\"index\":" + std::to_string(index) +
                     ",\"elapsed_ms\":" + std::to_string(elapsed) + "," + TextFields("caption", caption) + "," +
                     TextFields("text", text) + ",\"owner\":\"" + ownerKind + "\",\"owner_handle\":" + Handle(owner) +
                     ",\"buttons\":[" + buttons + "],\"icon\":\"" + icon +
                     "\",\"answer\":" + JsonString(ButtonNameOf(answer) ? ButtonNameOf(answer) : "") + fields + "}";
  Emit(line);

  if (!options.screenshots.empty()) {
    std::wstring path = options.screenshots + L"\\box-" + std::to_wstring(index) + L".bmp";
    if (!SaveBitmap(path, picture)) Fail("cannot write " + Narrow(path, CP_UTF8));
  }
  for (const BoxCommand& command : options.commands)
    if (command.box == index && !RunBoxCommand(command, options)) return false;
  if (!answerButton || !IsWindowVisible(answerButton)) {
    Fail("box " + std::to_string(index) + " has no such button to click");
    return false;
  }
  PostMessageW(answerButton, BM_CLICK, 0, 0);
  return true;
}

// The started program and, with --follow-children, every process started
// from it: they all belong to one job, which new processes join by
// themselves.
struct Process {
  DWORD id;
  HANDLE handle;
  std::wstring image;  // the program file's name, without its folder
  bool ended;
  DWORD exitCode;
  DWORD endedAt;   // milliseconds since the start
  bool announced;  // reported as a "process" (the program needs no report)
};

std::wstring ImageName(HANDLE process) {
  wchar_t path[MAX_PATH * 2];
  DWORD size = MAX_PATH * 2;
  if (!QueryFullProcessImageNameW(process, 0, path, &size)) return L"";
  std::wstring name(path, size);
  size_t slash = name.find_last_of(L"\\/");
  return slash == std::wstring::npos ? name : name.substr(slash + 1);
}

DWORD ParentId(HANDLE process) {
  PROCESS_BASIC_INFORMATION basic = {};
  if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) return 0;
  return (DWORD)basic.InheritedFromUniqueProcessId;
}

class ProcessTree {
 public:
  ProcessTree(const PROCESS_INFORMATION& started, HANDLE job, DWORD startTick) : job_(job), start_(startTick) {
    processes_.push_back(
        Process{started.dwProcessId, started.hProcess, ImageName(started.hProcess), false, 0, 0, true});
  }

  const Process& Program() const { return processes_[0]; }

  // Takes in the job's new processes and notes the ends; reports both for
  // the processes other than the started program.
  void Update() {
    if (job_) {
      struct {
        JOBOBJECT_BASIC_PROCESS_ID_LIST list;
        ULONG_PTR more[1023];
      } ids = {};
      ids.list.NumberOfAssignedProcesses = 1024;
      if (QueryInformationJobObject(job_, JobObjectBasicProcessIdList, &ids, sizeof ids, nullptr)) {
        for (DWORD i = 0; i < ids.list.NumberOfProcessIdsInList; ++i) Add((DWORD)ids.list.ProcessIdList[i]);
      }
    }
    for (size_t i = 0; i < processes_.size(); ++i) {
      Process& process = processes_[i];
      // A process just created may not know its image yet: it is reported
      // once it does, or when it ends.
      if (!process.announced) {
        process.image = ImageName(process.handle);
        bool ending = WaitForSingleObject(process.handle, 0) == WAIT_OBJECT_0;
        if (!process.image.empty() || ending) Announce(process);
      }
      if (process.ended || WaitForSingleObject(process.handle, 0) != WAIT_OBJECT_0) continue;
      process.ended = true;
      process.endedAt = GetTickCount() - start_;
      GetExitCodeProcess(process.handle, &process.exitCode);
      if (i > 0)
        Emit("{\"event\":\"process_exit\",\"pid\":" + std::to_string(process.id) + "," +
             TextFields("image", process.image) + ",\"code\":" + std::to_string(process.exitCode) +
             ",\"elapsed_ms\":" + std::to_string(process.endedAt) + "}");
    }
  }

  // Whether every process has ended: the started program, and with a job
  // every process in it, also those gone before they were seen.
  bool AllEnded() const {
    for (const Process& process : processes_)
      if (!process.ended) return false;
    if (!job_) return true;
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
    if (!QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &accounting, sizeof accounting, nullptr))
      return true;
    return accounting.ActiveProcesses == 0;
  }

  std::vector<DWORD> LiveIds() const {
    std::vector<DWORD> ids;
    for (const Process& process : processes_)
      if (!process.ended) ids.push_back(process.id);
    return ids;
  }

  const Process* Find(DWORD id) const {
    for (const Process& process : processes_)
      if (process.id == id && !process.ended) return &process;
    return nullptr;
  }

  void TerminateAll() {
    if (job_) TerminateJobObject(job_, 255);
    TerminateProcess(processes_[0].handle, 255);
    WaitForSingleObject(processes_[0].handle, 5000);
  }

 private:
  void Add(DWORD id) {
    for (const Process& process : processes_)
      if (process.id == id) return;
    HANDLE handle = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, id);
    if (!handle) return;  // gone already
    processes_.push_back(Process{id, handle, L"", false, 0, 0, false});
  }

  void Announce(Process& process) {
    process.announced = true;
    Emit("{\"event\":\"process\",\"pid\":" + std::to_string(process.id) +
         ",\"parent_pid\":" + std::to_string(ParentId(process.handle)) + "," + TextFields("image", process.image) +
         ",\"elapsed_ms\":" + std::to_string(GetTickCount() - start_) + "}");
  }

  HANDLE job_;
  DWORD start_;
  std::vector<Process> processes_;
};

DWORD WindowProcess(HWND window) {
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  return id;
}

// With --follow-children: the process that shows a window, as record members.
std::string ShowerFields(const ProcessTree& tree, HWND window, bool following) {
  if (!following) return "";
  DWORD id = WindowProcess(window);
  const Process* shower = tree.Find(id);
  return ",\"pid\":" + std::to_string(id) + "," + TextFields("process", shower ? shower->image : L"");
}

// A job that its processes' children join, and that ends them all when the
// driver ends. Null when the system has none to give.
HANDLE CreateFollowingJob() {
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  if (!job) return nullptr;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  return job;
}

LRESULT CALLBACK OwnerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateOwnerWindow() {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = OwnerProcedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  windowClass.lpszClassName = L"BoxDriverOwner";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, L"BoxDriverOwner", L"Box driver owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                                300, 150, nullptr, nullptr, windowClass.hInstance, nullptr);
  UpdateWindow(window);
  return window;
}

std::wstring Replace(std::wstring text, const std::wstring& what, const std::wstring& with) {
  for (size_t at = text.find(what); at != std::wstring::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
  return text;
}

bool ParseOptions(int argc, wchar_t** argv, Options& options) {
  int i = 1;
  for (; i < argc && wcsncmp(argv[i], L"--", 2) == 0; ++i) {
    std::wstring name = argv[i];
    if (name == L"--owner-window" || name == L"--follow-children" || name == L"--memory") {
      (name == L"--owner-window" ? options.ownerWindow
       : name == L"--memory"     ? options.memory
                                 : options.followChildren) = true;
      continue;
    }
    if (name == L"--at-box") {
      if (i + 2 >= argc) return false;
      wchar_t* end = nullptr;
      unsigned long box = wcstoul(argv[i + 1], &end, 10);
      if (box == 0 || *end != 0) return false;
      options.commands.push_back(BoxCommand{(unsigned)box, argv[i + 2]});
      i += 2;
      continue;
    }
    if (i + 1 >= argc) return false;
    const wchar_t* value = argv[++i];
    if (name == L"--cwd") {
      options.folder = value;
    } else if (name == L"--screenshots") {
      options.screenshots = value;
    } else if (name == L"--step-timeout") {
      options.stepTimeout = wcstoul(value, nullptr, 10);
    } else if (name == L"--max-boxes") {
      options.maxBoxes = wcstoul(value, nullptr, 10);
    } else if (name == L"--default-answer") {
      options.defaultAnswer = ButtonIdOf(value);
      if (!options.defaultAnswer) return false;
    } else if (name == L"--answers") {
      std::wstring list = value;
      for (size_t start = 0; start <= list.size();) {
        size_t end = list.find(L',', start);
        if (end == std::wstring::npos) end = list.size();
        std::wstring answer = list.substr(start, end - start);
        if (!ButtonIdOf(answer)) return false;
        options.answers.push_back(answer);
        start = end + 1;
      }
    } else {
      return false;
    }
  }
  if (i >= argc || argc - i > 2) return false;
  options.program = argv[i];
  if (i + 1 < argc) options.parameters = argv[i + 1];
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    fputs(
        "usage: box_driver [--cwd DIR] [--owner-window] [--answers ok,yes,no] [--default-answer NAME]\n"
        "                  [--step-timeout MS] [--max-boxes N] [--screenshots DIR] [--follow-children]\n"
        "                  [--at-box N COMMAND]... [--memory] PROGRAM [PARAMETERS]\n",
        stderr);
    return 1;
  }

  HWND ownWindow = options.ownerWindow ? CreateOwnerWindow() : nullptr;
  std::wstring parameters =
      Replace(options.parameters, L"{OWNER}", std::to_wstring((unsigned long long)(UINT_PTR)ownWindow));
  std::wstring commandLine = L"\"" + options.program + L"\"";
  if (!parameters.empty()) commandLine += L" " + parameters;

  HANDLE job = nullptr;
  if (options.followChildren) {
    job = CreateFollowingJob();
    if (!job) {
      Fail("cannot create a job: error " + std::to_string(GetLastError()));
      return 2;
    }
  }
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::vector<wchar_t> mutableLine(commandLine.begin(), commandLine.end());
  mutableLine.push_back(0);
  DWORD started = GetTickCount();
  // A followed program joins the job before it can start anything.
  if (!CreateProcessW(options.program.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, job ? CREATE_SUSPENDED : 0,
                      nullptr, options.folder.empty() ? nullptr : options.folder.c_str(), &startup, &process)) {
    Fail("cannot start " + Narrow(options.program, CP_UTF8) + ": error " + std::to_string(GetLastError()));
    return 2;
  }
  if (job) {
    if (!AssignProcessToJobObject(job, process.hProcess)) {
      Fail("cannot put the program into a job: error " + std::to_string(GetLastError()));
      TerminateProcess(process.hProcess, 255);
      return 2;
    }
    ResumeThread(process.hThread);
  }
  HWND shell = FindWindowW(L"Progman", nullptr);
  Emit("{\"event\":\"start\"," + TextFields("command_line", commandLine) + ",\"owner_window\":" + Handle(ownWindow) +
       ",\"progman\":" + Handle(shell) + (job ? ",\"pid\":" + std::to_string(process.dwProcessId) : "") + "}");

  ProcessTree tree(process, job, started);
  std::vector<HWND> reported;  // boxes and other windows already reported
  unsigned boxes = 0;
  int status = 0;
  DWORD lastProgress = GetTickCount();
  // Without --follow-children the waits end early when the program ends.
  HANDLE waitFor = job ? nullptr : process.hProcess;
  for (;;) {
    tree.Update();
    if (tree.AllEnded()) break;
    bool progress = false;
    // Other windows first, then at most one box a round: answering it may
    // end the program, and with it the windows not yet reported.
    std::vector<HWND> newBoxes;
    for (HWND window : VisibleTopWindows(tree.LiveIds())) {
      bool seen = false;
      for (HWND old : reported) seen = seen || old == window;
      if (seen) continue;
      progress = true;
      if (ClassOf(window) == L"#32770") {
        newBoxes.push_back(window);
        continue;
      }
      reported.push_back(window);
      std::wstring caption;
      WindowText(window, caption);
      Emit("{\"event\":\"window\",\"class\":" + JsonString(Narrow(ClassOf(window), CP_UTF8)) + "," +
           TextFields("caption", caption) + ShowerFields(tree, window, job != nullptr) + "}");
    }
    for (HWND window : newBoxes) {
      reported.push_back(window);
      if (++boxes > options.maxBoxes) {
        Fail("more than " + std::to_string(options.maxBoxes) + " boxes");
        status = 2;
        break;
      }
      std::string fields = ShowerFields(tree, window, job != nullptr);
      if (options.memory) {
        const Process* shower = tree.Find(WindowProcess(window));
        fields += MemoryFields(shower ? shower->handle : nullptr);
      }
      if (!HandleBox(window, boxes, GetTickCount() - started, ownWindow, options, fields)) {
        status = 2;
        break;
      }
      // Wait for the box to go before looking for the next one.
      DWORD clicked = GetTickCount();
      while (IsWindow(window) && IsWindowVisible(window) && GetTickCount() - clicked < options.stepTimeout)
        PumpAndWait(waitFor, PollMilliseconds);
      if (IsWindow(window) && IsWindowVisible(window)) {
        Fail("box " + std::to_string(boxes) + " did not close when answered");
        status = 2;
      }
      break;
    }
    if (status != 0) break;
    if (progress) lastProgress = GetTickCount();
    if (GetTickCount() - lastProgress > options.stepTimeout) {
      Fail("no box and no end within " + std::to_string(options.stepTimeout) + " ms");
      status = 2;
      break;
    }
    PumpAndWait(tree.Program().ended ? nullptr : waitFor, PollMilliseconds);
  }

  if (status != 0) {
    tree.TerminateAll();
    return status;
  }
  const Process& program = tree.Program();
  std::string fields;
  if (job) fields = ",\"all_ended_ms\":" + std::to_string(GetTickCount() - started);
  if (options.memory) fields += MemoryFields(program.handle);
  Emit("{\"event\":\"exit\",\"code\":" + std::to_string(program.exitCode) +
       ",\"elapsed_ms\":" + std::to_string(job ? program.endedAt : GetTickCount() - started) + fields + "}");
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (ownWindow) DestroyWindow(ownWindow);
  return 0;
}
