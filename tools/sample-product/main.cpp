// A stand-in for the installed system (shipped as ZeltaWin32.exe in the
// sample distribution): leaves "started.txt" next to itself with the command
// line it was given and the folder it started in, one per line, and ends.
#include <windows.h>

namespace {

void WriteLine(HANDLE file, const char* text) {
  DWORD written = 0;
  WriteFile(file, text, lstrlenA(text), &written, nullptr);
  WriteFile(file, "\r\n", 2, &written, nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char path[MAX_PATH + 16];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return 1;
  char* name = path + n;
  while (name > path && name[-1] != '\\') --name;
  // Written under another name first, so that a watcher never reads half a file.
  char temporary[MAX_PATH + 16];
  lstrcpyA(name, "started.tmp");
  lstrcpyA(temporary, path);
  lstrcpyA(name, "started.txt");

  char folder[MAX_PATH];
  DWORD m = GetCurrentDirectoryA(sizeof folder, folder);
  if (m == 0 || m >= sizeof folder) folder[0] = '\0';

  HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  WriteLine(file, GetCommandLineA());
  WriteLine(file, folder);
  CloseHandle(file);
  return MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
