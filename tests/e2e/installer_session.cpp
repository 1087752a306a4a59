#include "tests/e2e/installer_session.h"

#include <cstdio>
#include <vector>

namespace {

const char InstallerCaption[] = "ZeltaCAD telepités";

struct Search {
  DWORD pid;
  const std::function<bool(HWND)>* match;
  HWND found;
};

BOOL CALLBACK OnTopLevel(HWND window, LPARAM data) {
  Search* search = reinterpret_cast<Search*>(data);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == search->pid && IsWindowVisible(window) && (*search->match)(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

bool IsDialog(HWND window) {
  char name[32] = {};
  GetClassNameA(window, name, sizeof name);
  return lstrcmpA(name, "#32770") == 0;
}

std::string Caption(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

}  // namespace

bool InstallerSession::Start(const std::string& program) {
  std::string folder = program.substr(0, program.find_last_of('\\'));
  std::vector<char> commandLine(program.begin(), program.end());
  commandLine.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  started_ = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            folder.c_str(), &startup, &process_) != FALSE;
  return started_;
}

InstallerSession::~InstallerSession() {
  if (!started_) return;
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

HWND InstallerSession::FindTopLevel(const std::function<bool(HWND)>& match) const {
  Search search = {process_.dwProcessId, &match, nullptr};
  EnumWindows(OnTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND InstallerSession::WaitFor(const std::function<bool(HWND)>& match, DWORD ms) const {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindTopLevel(match)) != nullptr; }, ms);
  return found;
}

HWND InstallerSession::WaitForMainWindow(DWORD ms) {
  return WaitFor([](HWND w) {
    char name[64] = {};
    GetClassNameA(w, name, sizeof name);
    return lstrcmpA(name, "ZeltaCAD WEB Install") == 0;
  }, ms);
}

HWND InstallerSession::WaitForSetupDialog(DWORD ms) {
  // The setup dialog holds the drive field; the progress dialog has the same caption.
  return WaitFor([](HWND w) { return IsDialog(w) && GetDlgItem(w, 503) != nullptr; }, ms);
}

HWND InstallerSession::WaitForProgressDialog(DWORD ms) {
  return WaitFor([](HWND w) { return IsDialog(w) && GetDlgItem(w, 3206) != nullptr; }, ms);
}

HWND InstallerSession::WaitForMessageBox(DWORD ms) {
  return WaitFor([](HWND w) { return IsDialog(w) && Caption(w) == InstallerCaption; }, ms);
}

std::string InstallerSession::MessageText(HWND box) {
  return Text(box, 0xFFFF);
}

void InstallerSession::Answer(HWND box, int button) {
  PostMessageA(box, WM_COMMAND, button, 0);
  WaitUntil([box] { return !IsWindow(box) || !IsWindowVisible(box); });
}

void InstallerSession::Type(HWND dialog, int item, const char* text) {
  // The change may open a message box inside the program's handling of it:
  // do not wait for that handling to end.
  DWORD_PTR result = 0;
  SendMessageTimeoutA(GetDlgItem(dialog, item), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 300,
                      &result);
}

void InstallerSession::Click(HWND dialog, int item) {
  // Posted so that a dialog the click opens does not hold this thread.
  PostMessageA(GetDlgItem(dialog, item), BM_CLICK, 0, 0);
  Sleep(50);
}

std::string InstallerSession::Text(HWND dialog, int item) {
  char text[1024] = {};
  GetDlgItemTextA(dialog, item, text, sizeof text);
  return text;
}

bool InstallerSession::Checked(HWND dialog, int item) {
  return SendMessageA(GetDlgItem(dialog, item), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool InstallerSession::WaitForCheck(HWND dialog, int item, bool checked, DWORD ms) {
  return WaitUntil([=] { return Checked(dialog, item) == checked; }, ms);
}

bool InstallerSession::Enabled(HWND dialog, int item) {
  return IsWindowEnabled(GetDlgItem(dialog, item)) != FALSE;
}

InstallerSession::Progress InstallerSession::Follow(HWND progress,
                                                    const std::function<int(const std::string&)>& answer,
                                                    const std::function<void(HWND)>& during, DWORD ms) {
  Progress seen;
  DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    if (!IsWindow(progress)) {
      seen.ended = true;
      break;
    }
    std::string phase = Text(progress, 3201);
    if (seen.phases.empty() || seen.phases.back() != phase) seen.phases.push_back(phase);
    HWND box = FindTopLevel([](HWND w) { return IsDialog(w) && Caption(w) == InstallerCaption; });
    if (box != nullptr) {
      std::string text = MessageText(box);
      seen.messages.push_back(text);
      Answer(box, answer ? answer(text) : IDOK);
      continue;
    }
    if (during) during(progress);
    if (Text(progress, IDCANCEL) == "Kilépés" && IsWindowEnabled(GetDlgItem(progress, IDCANCEL))) {
      seen.phases.push_back(Text(progress, 3201));
      seen.message = Text(progress, 3202);
      seen.button = "Kilépés";
      seen.buttonEnabled = true;
      break;
    }
    Sleep(20);
  }
  return seen;
}

int InstallerSession::WaitForExit(DWORD ms) {
  if (!started_ || WaitForSingleObject(process_.hProcess, ms) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return static_cast<int>(code);
}

bool InstallerSession::SaveScreen(const std::string& path) {
  int width = GetSystemMetrics(SM_CXSCREEN);
  int height = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  SelectObject(memory, old);

  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  std::vector<char> pixels(stride * height);
  GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  FILE* out = fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  fwrite(&file, sizeof file, 1, out);
  fwrite(&header, sizeof header, 1, out);
  fwrite(pixels.data(), 1, pixels.size(), out);
  return fclose(out) == 0;
}
