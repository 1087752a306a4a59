// Times ways of copying a list of files on this platform, to tell what makes
// the installer's 512000-byte copy loop slower than CopyFileA: one variant
// per run, so that the caller can interleave them and sync in between.
//
//   copy_pace.exe VARIANT LIST RESULT-FILE
//
// LIST has one line per file: source and target (Windows paths), separated
// by a tab; target folders must exist. VARIANT is "copyfile" (CopyFileA), or
// "loop" (the installer's way: the source opened once for its times and once
// for reading, a read-only check of the target, the target created with the
// temporary attribute and grown block by block, the times set at the end,
// and per full block two item texts sent to a window of another thread,
// per file the file line, percent and bar position) followed by changes,
// each "+NAME":
//   +once    the source opened once, its times read from the reading handle
//   +plain   the target created without the temporary attribute
//   +length  the target's length set before the first block
//   +scan    FILE_FLAG_SEQUENTIAL_SCAN on the source and the target
//   +quiet   no item texts per block (per file still)
//   +silent  no window and no item texts at all
// RESULT-FILE gets "seconds=" and "bytes=" lines. Exit code 0 when every
// file was copied whole.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const DWORD BlockSize = 512000;

enum { FileLineItem = 101, MarkItem = 102, PercentItem = 103 };

struct Options {
  bool copyFile, once, plain, length, scan, quiet, silent;
};

HWND Window = nullptr;
HWND Bar = nullptr;
HANDLE WindowReady = nullptr;

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

// A shown window with the progress dialog's often written items, run by a
// thread of its own as the installer's dialog is.
DWORD WINAPI WindowThread(void*) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "CopyPaceWindow";
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  RegisterClassA(&windowClass);
  Window = CreateWindowA("CopyPaceWindow", "copy", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 500, 200, nullptr, nullptr,
                         windowClass.hInstance, nullptr);
  const int items[] = {FileLineItem, MarkItem, PercentItem};
  for (int i = 0; i < 3; ++i) {
    CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10 + 25 * i, 450, 20, Window,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(items[i])), windowClass.hInstance, nullptr);
  }
  Bar = CreateWindowA(PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 10, 100, 450, 20, Window, nullptr,
                      windowClass.hInstance, nullptr);
  SendMessageA(Bar, PBM_SETRANGE32, 0, 1000);
  UpdateWindow(Window);
  SetEvent(WindowReady);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

void ShowItem(int item, const char* text) {
  if (Window != nullptr) SetDlgItemTextA(Window, item, text);
}

bool CopyWithLoop(const std::string& from, const std::string& to, const Options& o, char* buffer, long long* done,
                  long long total) {
  if (!o.silent) ShowItem(FileLineItem, to.c_str());
  FILETIME created = {}, accessed = {}, written = {};
  bool timesRead = false;
  DWORD readFlags = FILE_ATTRIBUTE_NORMAL | (o.scan ? FILE_FLAG_SEQUENTIAL_SCAN : 0);
  if (!o.once) {
    HANDLE file = CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      timesRead = GetFileTime(file, &created, &accessed, &written) != 0;
      CloseHandle(file);
    }
  }
  HANDLE in = CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, readFlags, nullptr);
  if (in == INVALID_HANDLE_VALUE) return false;
  if (o.once) timesRead = GetFileTime(in, &created, &accessed, &written) != 0;
  DWORD attributes = GetFileAttributesA(to.c_str());
  bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  DWORD writeFlags = FILE_ATTRIBUTE_NORMAL | (o.plain ? 0 : FILE_ATTRIBUTE_TEMPORARY) |
                     (o.scan ? FILE_FLAG_SEQUENTIAL_SCAN : 0);
  HANDLE out = readOnly ? INVALID_HANDLE_VALUE
                        : CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, writeFlags, nullptr);
  bool whole = false;
  if (out != INVALID_HANDLE_VALUE) {
    LARGE_INTEGER size = {};
    if (o.length && GetFileSizeEx(in, &size) && size.QuadPart > 0) {
      LARGE_INTEGER start = {};
      if (!SetFilePointerEx(out, size, nullptr, FILE_BEGIN) || !SetEndOfFile(out) ||
          !SetFilePointerEx(out, start, nullptr, FILE_BEGIN)) {
        size.QuadPart = 0;
      }
    }
    static const char marks[5] = {'|', '/', '-', '\\', '\0'};
    for (int blocks = 1;; ++blocks) {
      DWORD got = 0, put = 0;
      if (!ReadFile(in, buffer, BlockSize, &got, nullptr)) break;
      if (got == 0) {
        whole = true;
        break;
      }
      if (!WriteFile(out, buffer, got, &put, nullptr) || put != got) break;
      if (got < BlockSize) {
        whole = true;
        break;
      }
      if (!o.quiet && !o.silent) {
        char mark[4] = {marks[(blocks - 1) % 5], '\0'};
        ShowItem(MarkItem, mark);
        char percent[32];
        snprintf(percent, sizeof percent, "%5.1f%%", 100.0 * (*done + 0.25 * blocks * BlockSize) / total);
        ShowItem(PercentItem, percent);
      }
    }
    if (timesRead) SetFileTime(out, &created, &accessed, &written);
    CloseHandle(out);
  }
  LARGE_INTEGER size = {};
  GetFileSizeEx(in, &size);
  CloseHandle(in);
  *done += size.QuadPart;
  if (!o.silent) {
    char percent[32];
    snprintf(percent, sizeof percent, "%5.1f%%", 100.0 * *done / total);
    ShowItem(PercentItem, percent);
    ShowItem(MarkItem, "");
    if (Bar != nullptr) SendMessageA(Bar, PBM_SETPOS, static_cast<WPARAM>(1000.0 * *done / total), 0);
  }
  return whole;
}

long long SizeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: copy_pace VARIANT LIST RESULT-FILE\n");
    return 2;
  }
  std::string variant = argv[1];
  Options o = {};
  o.copyFile = variant == "copyfile";
  if (!o.copyFile && variant.compare(0, 4, "loop") != 0) {
    fprintf(stderr, "copy_pace: unknown variant %s\n", argv[1]);
    return 2;
  }
  o.once = variant.find("+once") != std::string::npos;
  o.plain = variant.find("+plain") != std::string::npos;
  o.length = variant.find("+length") != std::string::npos;
  o.scan = variant.find("+scan") != std::string::npos;
  o.quiet = variant.find("+quiet") != std::string::npos;
  o.silent = o.copyFile || variant.find("+silent") != std::string::npos;

  std::vector<std::pair<std::string, std::string>> files;
  FILE* list = fopen(argv[2], "r");
  if (list == nullptr) return 2;
  char line[4096];
  long long total = 0;
  while (fgets(line, sizeof line, list) != nullptr) {
    std::string text = line;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    size_t tab = text.find('\t');
    if (tab == std::string::npos) continue;
    files.emplace_back(text.substr(0, tab), text.substr(tab + 1));
    total += SizeOf(files.back().first);
  }
  fclose(list);
  if (total <= 0) total = 1;

  HANDLE thread = nullptr;
  if (!o.silent) {
    InitCommonControls();
    WindowReady = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread = CreateThread(nullptr, 0, WindowThread, nullptr, 0, nullptr);
    WaitForSingleObject(WindowReady, 30000);
  }
  char* buffer = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, BlockSize));
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  bool ok = buffer != nullptr;
  long long done = 0;
  for (size_t i = 0; i < files.size() && ok; ++i) {
    if (o.copyFile) {
      ok = CopyFileA(files[i].first.c_str(), files[i].second.c_str(), FALSE) != 0;
    } else {
      ok = CopyWithLoop(files[i].first, files[i].second, o, buffer, &done, total);
    }
  }
  QueryPerformanceCounter(&end);
  if (buffer != nullptr) HeapFree(GetProcessHeap(), 0, buffer);
  if (thread != nullptr) {
    PostMessageA(Window, WM_CLOSE, 0, 0);
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
  }
  if (WindowReady != nullptr) CloseHandle(WindowReady);

  FILE* result = fopen(argv[3], "w");
  if (result == nullptr) return 2;
  fprintf(result, "outcome=%s\nseconds=%.3f\nbytes=%lld\n", ok ? "success" : "failed",
          static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart), total);
  fclose(result);
  return ok ? 0 : 1;
}
