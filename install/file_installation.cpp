#include "install/file_installation.h"

#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "catalogue/catalogue_names.h"
#include "catalogue/install_paths.h"
#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "common/path_names.h"
#include "install/file_entry.h"
#include "progress/advance_progress.h"
#include "progress/progress_items.h"
#include "progress/progress_message.h"
#include "resources/resource_ids.h"

namespace {

// One buffer per disc, not per file.
const DWORD CopyBufferSize = 512000;

enum {
  MessageSize = 256,
  ShortMessageSize = 128,  // the wrong-code and overwrite questions
};

// Shown after each full block of a file; the fifth position is empty.
const char SpinnerMarks[5] = {'|', '/', '-', '\\', '\0'};

// A source file's times, read before it is copied.
struct SourceTimesRecord {
  FILETIME Creation;
  FILETIME LastAccess;
  FILETIME LastWrite;
  bool Read;
};

// Cancel in a file message ends the step once the entry has been copied.
void AbortOnCancel(int answer) {
  if (answer == IDCANCEL) InstallState.FileCopyAborted = 1;
}

// A file's bytes counted once it is done (copied, failed or left as it
// was): the bar and the percent move, the activity mark goes.
void CountFileBytes(DWORD bytes) {
  AdvanceProgress(bytes, NoTotalShowsAStep);
  ShowProgressItem(IDC_ACTIVITY_MARK, "");
}

DWORD FileSizeOf(HANDLE file) {
  DWORD size = GetFileSize(file, nullptr);
  if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return 0;
  return size;
}

// With the keep or ask code: true when the target exists and stays as it
// is, its size counted; false when it is to be copied.
bool LeaveExistingTarget(const char* target, int32_t mode) {
  HANDLE existing = CreateFileA(target, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  if (existing == INVALID_HANDLE_VALUE) return false;
  bool leave = mode == TargetModeKeep ||
               ShowProgressMessage(IDS_OVERWRITE_EXISTING, ShortMessageSize, MB_ICONERROR | MB_YESNO, target) == IDNO;
  if (leave) CountFileBytes(FileSizeOf(existing));
  CloseHandle(existing);
  return leave;
}

// A read-only file is never replaced. Windows refuses to open one for
// writing; Wine running as root opens it all the same, and the copy would
// silently undo what the user protected.
bool IsReadOnlyFile(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

SourceTimesRecord ReadSourceTimes(const char* source) {
  SourceTimesRecord times = {};
  HANDLE file = CreateFileA(source, GENERIC_READ, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return times;
  times.Read = GetFileTime(file, &times.Creation, &times.LastAccess, &times.LastWrite) != 0;
  CloseHandle(file);
  return times;
}

// Copies block by block; a read or write error is reported and ends the
// copy, leaving what was written.
void CopyBlocks(HANDLE source, HANDLE target, const char* sourcePath, const char* targetPath, char* buffer) {
  int spinner = 0;
  for (int blocks = 1;; ++blocks) {
    DWORD got = 0;
    if (!ReadFile(source, buffer, CopyBufferSize, &got, nullptr)) {
      AbortOnCancel(ShowProgressMessage(IDS_COPY_READ_ERROR, MessageSize, MB_ICONERROR | MB_OKCANCEL, sourcePath,
                                targetPath));
      return;
    }
    if (got == 0) return;
    DWORD written = 0;
    if (!WriteFile(target, buffer, got, &written, nullptr) || written < got) {
      AbortOnCancel(ShowProgressMessage(IDS_COPY_WRITE_ERROR, MessageSize, MB_ICONERROR | MB_OKCANCEL, sourcePath,
                                targetPath));
      return;
    }
    if (got < CopyBufferSize) return;

    char mark[4];
    TextFormat(mark, sizeof mark, "%c", SpinnerMarks[spinner]);
    ShowProgressItem(IDC_ACTIVITY_MARK, mark);
    spinner = (spinner + 1) % 5;
    // A quarter of each block, as a sign of life; the bar itself moves only
    // when the file is done.
    ShowProgressPercent(InstallState.ProgressDone + static_cast<int64_t>(blocks) * (CopyBufferSize / 4),
                        NoTotalShowsAStep);
  }
}

// Copies one file, keeping the source's times. A source or target that
// would lie outside its folder is not touched: it counts as one that cannot
// be opened or created. Returns true when the user stops at once (Cancel on
// a source that cannot be opened).
bool CopyEntryFile(const char* source, bool sourceSafe, const char* target, bool targetSafe, char* buffer) {
  ShowProgressItem(IDC_FILE_LINE, target);

  SourceTimesRecord times = {};
  HANDLE in = INVALID_HANDLE_VALUE;
  if (sourceSafe) {
    times = ReadSourceTimes(source);
    in = CreateFileA(source, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (in == INVALID_HANDLE_VALUE) {
    if (ShowProgressMessage(IDS_SOURCE_OPEN_ERROR, MessageSize, MB_ICONERROR | MB_OKCANCEL, source) == IDCANCEL) {
      InstallState.FileCopyAborted = 1;
      return true;
    }
    return false;
  }

  HANDLE out = INVALID_HANDLE_VALUE;
  if (targetSafe && !IsReadOnlyFile(target)) {
    out = CreateFileA(target, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_TEMPORARY, nullptr);
  }
  if (out == INVALID_HANDLE_VALUE) {
    AbortOnCancel(ShowProgressMessage(IDS_TARGET_CREATE_ERROR, MessageSize, MB_ICONERROR | MB_OKCANCEL, target));
  } else {
    CopyBlocks(in, out, source, target, buffer);
    // Also after a failed copy: the partial file carries the source's times.
    if (times.Read) SetFileTime(out, &times.Creation, &times.LastAccess, &times.LastWrite);
    CloseHandle(out);
  }

  // Counted even when nothing or only part was written: the bar goes on.
  CountFileBytes(FileSizeOf(in));
  CloseHandle(in);
  return false;
}

// One file-list value; `whole` is false for a value that was longer than a
// value may be. Returns true when the disc's work ends here.
bool InstallEntry(const char* value, bool whole, const char* discFolder, char* buffer) {
  FileEntryRecord entry;
  SplitFileEntry(value, &entry);
  for (int32_t i = 0; i < entry.WrongCodeCount; ++i) {
    AbortOnCancel(
        ShowProgressMessage(IDS_BAD_TARGET_CODE, ShortMessageSize, MB_ICONERROR | MB_OKCANCEL, entry.TargetField));
  }

  char folder[TextSize];
  bool folderWhole = JoinWhole(folder, sizeof folder, InstallState.DownloadArea, discFolder);
  char source[TextSize];
  bool sourceSafe = JoinContainedPath(source, sizeof source, folder, entry.Source) && folderWhole;

  char base[TextSize];
  bool baseWhole = entry.WindowsBase
                       ? JoinWhole(base, sizeof base, InstallState.WindowsDirectory, nullptr)
                       : FormatInstallRoot(base, sizeof base, InstallState.TargetDrive, InstallState.RootDirectory);
  char target[TextSize];
  bool targetSafe = JoinContainedPath(target, sizeof target, base, entry.TargetPath) && baseWhole && whole;

  if (targetSafe && entry.Mode != TargetModeNone && LeaveExistingTarget(target, entry.Mode)) return false;
  if (CopyEntryFile(source, sourceSafe, target, targetSafe, buffer)) return true;
  return InstallState.FileCopyAborted != 0;
}

// Systems ... Help, chosen and on the disc; Setup alone does not count.
bool DiscIsVisited(int disc) {
  for (int component = ComponentSystems; component < ComponentCount; ++component) {
    if (InstallState.ComponentChosen[component] && InstallState.ComponentOnDisc[component][disc]) return true;
  }
  return false;
}

// The file list at FileListPath names the disc as the catalogue does.
bool FileListMatches(int disc) {
  char name[TextSize];
  GetPrivateProfileStringA("Disc", "Name", "*", name, sizeof name, InstallState.FileListPath);
  return strcmp(name, InstallState.DiscName[disc]) == 0;
}

// Asks for the disc until its file list matches (true) or the user gives
// up (false).
bool ConfirmDisc(int disc) {
  for (;;) {
    MessageBeep(MB_OK);
    if (ShowProgressMessage(IDS_INSERT_DISC, MessageSize, MB_ICONINFORMATION | MB_OKCANCEL, InstallState.DownloadArea,
                    InstallState.DiscName[disc]) == IDCANCEL) {
      return false;
    }
    if (FileListMatches(disc)) return true;
    if (ShowProgressMessage(IDS_WRONG_DISC, MessageSize, MB_ICONERROR | MB_OKCANCEL, InstallState.DownloadArea,
                    InstallState.DiscName[disc]) == IDCANCEL) {
      return false;
    }
  }
}

void SetFileListPath(int disc) {
  char discFolder[32];
  FormatDiscFolder(discFolder, sizeof discFolder, disc + 1);
  char listName[32];
  FormatFileListName(listName, sizeof listName, disc + 1);
  TextCopy(InstallState.FileListPath, InstallState.DownloadArea);
  TextAppend(InstallState.FileListPath, discFolder);
  TextAppend(InstallState.FileListPath, "\\");
  TextAppend(InstallState.FileListPath, listName);
}

}  // namespace

int32_t InstallFiles(HWND window) {
  for (int disc = 0; disc < DiscCount; ++disc) {
    if (!DiscIsVisited(disc)) continue;
    SetFileListPath(disc);
    if (!FileListMatches(disc) && !ConfirmDisc(disc)) {
      PostMessageA(window, WM_COMMAND, CMD_CANCEL_REQUEST, 0);
      return 1;
    }
    InstallState.CurrentDisc = disc;
    if (InstallDiscFiles() != 0) return 1;
  }
  return 0;
}

int32_t InstallDiscFiles() {
  int disc = InstallState.CurrentDisc;
  if (disc < 0 || disc >= DiscCount) return InstallState.FileCopyAborted ? 1 : 0;

  char* buffer = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, CopyBufferSize));
  if (buffer == nullptr) {
    ShowProgressMessage(IDS_OUT_OF_MEMORY, MessageSize, MB_ICONERROR | MB_OK, nullptr);
    return InstallState.FileCopyAborted ? 1 : 0;
  }
  char discFolder[32];
  FormatDiscFolder(discFolder, sizeof discFolder, disc + 1);

  bool stop = false;
  for (int component = 0; component < ComponentCount && !stop; ++component) {
    if (!InstallState.ComponentChosen[component] || !InstallState.ComponentOnDisc[component][disc]) continue;
    for (int i = 1; !stop; ++i) {
      char key[32];
      FormatNumberedKey(key, sizeof key, "File", i);
      // One byte more than a value may hold: a longer value fills it, and
      // its target is refused rather than used cut (cut, it would name
      // another file than the list does).
      char value[TextSize + 1];
      DWORD length = GetPrivateProfileStringA(Components[component].Key, key, "*", value, sizeof value,
                                              InstallState.FileListPath);
      if (value[0] == '*') break;
      value[TextSize - 1] = '\0';
      stop = InstallEntry(value, length < TextSize, discFolder, buffer);
    }
  }
  HeapFree(GetProcessHeap(), 0, buffer);
  return InstallState.FileCopyAborted ? 1 : 0;
}
