#include "web/file_download.h"

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <cstring>

#include "catalogue/install_paths.h"
#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "common/path_names.h"
#include "progress/advance_progress.h"
#include "progress/progress_items.h"
#include "resources/resource_ids.h"
#include "web/answer_check.h"
#include "web/content_digest.h"
#include "web/internet_session.h"
#include "web/remote_file.h"
#include "web/resume_plan.h"
#include "web/retry_loop.h"
#include "web/transfer_text.h"
#include "web/vendor_paths.h"

namespace {

const DWORD TransferBufferSize = 512000;

// How an attempt asks for the file.
enum AskFor {
  AskWhole,       // the whole file
  AskRest,        // the rest, from the bytes stored, if still the same version
  AskIfChanged,   // nothing, if the stored whole file is still current
};

// One file across its attempts.
struct FileTransfer {
  const char* discFolder;
  const char* fileName;
  bool progress;
  bool filtered;
  char url[TextSize];
  char path[TextSize];         // in the download area
  char recordPath[TextSize];   // the record beside it; empty when it does not fit
  char origin[160];            // scheme and host of the session: where new bytes come from
  DownloadRecord record;       // of the answer the stored bytes came from
  bool recordKnown;            // ... read from a whole record of this origin
  ContentChecksum sum;         // what the checksum list says of the file
  bool sumKnown;
  bool wholeOnly;              // the server's answers to a range could not be used
  bool refetched;              // fetched once more after content that did not match the checksum list
  int64_t counted;             // bytes of this file already in ProgressDone
  int chunks;                  // chunks written, for the activity mark
  char* buffer;
  int status;                  // the last answer's status
};

// Creates the folders between the download area's disc folder and a nested
// file name ("Systems\bin\zelta.exe" needs Systems and Systems\bin), given
// the file's whole local path.
void MakeParentFolders(const char* localPath, const char* fileName) {
  char path[TextSize];
  TextCopy(path, localPath);
  size_t start = strlen(path) - strlen(fileName);
  for (size_t i = start; path[i] != '\0'; ++i) {
    if (path[i] != '\\' && path[i] != '/') continue;
    char c = path[i];
    path[i] = '\0';
    CreateDirectoryA(path, nullptr);
    path[i] = c;
  }
}

// The size of a file, or -1 when it is not there.
int64_t StoredBytes(const char* path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return -1;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Reads the record beside the file into t.record; true on failure: no
// record, or one that is not whole or whose bytes came from another scheme
// and host than the one in use (a plain-HTTP run's, for a secure one), so
// that they are neither resumed nor kept, however the validators match.
bool ReadRecord(FileTransfer& t) {
  if (t.recordPath[0] == '\0') return true;
  HANDLE file = CreateFileA(t.recordPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return true;
  char text[1024];
  DWORD n = 0;
  BOOL ok = ReadFile(file, text, sizeof text, &n, nullptr);
  CloseHandle(file);
  return !(ok && n < sizeof text && ParseDownloadRecord(text, n, &t.record) &&
           strcmp(t.record.Origin, t.origin) == 0);
}

// Removes the record beside the file; true on failure (a record is left).
bool RemoveRecord(const FileTransfer& t) {
  if (t.recordPath[0] == '\0') return false;
  DeleteFileA(t.recordPath);
  return GetFileAttributesA(t.recordPath) != INVALID_FILE_ATTRIBUTES;
}

// Keeps what the server said about the version being stored, so that a
// later attempt (or run) can ask for the rest of that same version: written
// whole, with its end mark, and flushed before the first byte of that
// version is stored. An answer without validators leaves no record: its
// bytes cannot be resumed. Called with no record left beside the file.
void WriteRecord(FileTransfer& t, HINTERNET request, int64_t length) {
  t.record = DownloadRecord{};
  TextCopy(t.record.Origin, t.origin);
  t.record.Length = length;
  QueryHttpText(request, HTTP_QUERY_ETAG, t.record.ETag, sizeof t.record.ETag);
  QueryHttpText(request, HTTP_QUERY_LAST_MODIFIED, t.record.LastModified, sizeof t.record.LastModified);
  if (!IsSafeHeaderValue(t.record.ETag, sizeof t.record.ETag)) t.record.ETag[0] = '\0';
  if (!IsSafeHeaderValue(t.record.LastModified, sizeof t.record.LastModified)) t.record.LastModified[0] = '\0';
  t.recordKnown = t.record.ETag[0] != '\0' || t.record.LastModified[0] != '\0';
  char text[1024];
  DWORD n = t.recordKnown ? static_cast<DWORD>(FormatDownloadRecord(text, sizeof text, t.record)) : 0;
  if (t.recordPath[0] == '\0' || n == 0) return;
  HANDLE file = CreateFileA(t.recordPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  bool whole = WriteFile(file, text, n, &written, nullptr) && written == n && FlushFileBuffers(file);
  CloseHandle(file);
  // Part of a record is none; a cut one would not read anyway.
  if (!whole) DeleteFileA(t.recordPath);
}

// Closing the request is part of the transfer: a close that fails makes
// the attempt fail.
TransferOutcome CloseRequest(HINTERNET request, TransferOutcome outcome) {
  if (!InternetCloseHandle(request) && outcome == TransferDone) return TransferConnectionLost;
  return outcome;
}

// Counts the stored bytes that progress has not counted yet: a byte stored
// again after a restart is not counted twice, and the bar never goes back.
void CountStored(FileTransfer& t, int64_t stored) {
  if (!t.progress || stored <= t.counted) return;
  AdvanceProgress(stored - t.counted);
  t.counted = stored;
}

// Writes the body from `offset` (of `length`) to the open file, chunk by chunk.
TransferOutcome StoreBody(FileTransfer& t, HINTERNET request, HANDLE file, int64_t offset, int64_t length,
                          int64_t stored) {
  for (;;) {
    DWORD received = 0;
    TransferOutcome read = ReadBodyWatched(request, t.buffer, TransferBufferSize, &received);
    if (received > 0) {
      // What arrived before a failure is good: keep it for the next attempt.
      DWORD keep = t.filtered ? static_cast<DWORD>(DeinterleaveChunk(t.buffer, received, offset)) : received;
      offset += received;
      DWORD written = 0;
      if (!WriteFile(file, t.buffer, keep, &written, nullptr) || written != keep) return TransferLocalWrite;
      stored += written;
      CountStored(t, stored);
      if (t.chunks >= 1) ShowProgressItem(IDC_ACTIVITY_MARK, ActivityMark(t.chunks));
      ++t.chunks;
    }
    if (read != TransferDone) return read;
    if (received < TransferBufferSize) break;  // the body ended
    if (offset >= length) break;
  }
  // A body that ends before its announced length is a broken transfer; a
  // whole one counts only once it is on the disk.
  if (offset != length) return TransferConnectionLost;
  return FlushFileBuffers(file) ? TransferDone : TransferLocalWrite;
}

// One request for the file and what it brings.
TransferOutcome Attempt(FileTransfer& t) {
  t.status = 0;
  int64_t stored = StoredBytes(t.path);
  AskFor ask = AskWhole;
  int64_t offset = 0;
  char headers[512] = "";
  if (t.recordKnown && !t.wholeOnly && stored > 0) {
    int64_t whole = StoredLength(t.filtered, t.record.Length);
    const char* validator = RangeValidator(t.record);
    if (stored == whole) {
      ask = AskIfChanged;
      FormatRevalidateHeaders(headers, sizeof headers, t.record);
    } else if (stored < whole && validator != nullptr) {
      ask = AskRest;
      offset = TransferOffset(t.filtered, stored);
      FormatResumeHeaders(headers, sizeof headers, offset, validator);
    }
  }

  TransferOutcome outcome;
  HINTERNET request = OpenUrlWatched(SessionHandle(), t.url, headers[0] != '\0' ? headers : nullptr, &outcome);
  if (request == nullptr) return outcome;

  AnswerHead head;
  outcome = CheckAnswer(request, &head);
  const int status = head.Status;
  const int64_t announced = head.Length;
  const bool hasLength = head.HasLength;
  t.status = status;
  HANDLE file = INVALID_HANDLE_VALUE;
  int64_t length = 0;
  if (outcome == TransferDone) {
    if (status == 304 && ask == AskIfChanged) {
      // Complete and current: nothing to fetch.
      CountStored(t, stored);
      return CloseRequest(request, TransferDone);
    }
    char range[128];
    if (status == 206 && ask == AskRest && hasLength &&
        QueryHttpText(request, HTTP_QUERY_CONTENT_RANGE, range, sizeof range) &&
        RangeAnswerFits(range, announced, offset, t.record.Length)) {
      file = CreateFileA(t.path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
      LARGE_INTEGER end;
      if (file != INVALID_HANDLE_VALUE && (!GetFileSizeEx(file, &end) || end.QuadPart != stored ||
                                           !SetFilePointerEx(file, end, nullptr, FILE_BEGIN))) {
        CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
      }
      if (file == INVALID_HANDLE_VALUE) outcome = TransferLocalWrite;
      length = t.record.Length;
    } else if ((status == 206 || status == 416) && ask == AskRest) {
      // A range that is not the rest of the stored version: never stitch
      // two versions together, ask for the whole file instead.
      t.wholeOnly = true;
      InternetCloseHandle(request);
      return TransferRangeUnusable;
    } else if (status == 206) {
      outcome = TransferBadAnswer;  // a part nobody asked for
    } else if (status != 200) {
      ReportUnavailable(t.url);
      outcome = TransferStatus;
    } else if (!hasLength || announced <= 0) {
      outcome = TransferBadAnswer;
    } else {
      // The whole file, a new version or the first one: start from zero.
      // The old record goes first: it must never stand beside new bytes.
      offset = 0;
      stored = 0;
      length = announced;
      t.recordKnown = false;
      if (!RemoveRecord(t)) {
        file = CreateFileA(t.path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
      }
      if (file == INVALID_HANDLE_VALUE) {
        outcome = TransferLocalWrite;
      } else {
        WriteRecord(t, request, length);
      }
    }
  }
  if (outcome == TransferDone) outcome = StoreBody(t, request, file, offset, length, stored);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return CloseRequest(request, outcome);
}

// The stored file against its line of the checksum list.
TransferOutcome CheckContent(FileTransfer& t) {
  ContentChecksum got;
  TransferOutcome outcome = DigestOfFile(t.path, t.buffer, TransferBufferSize, &got);
  if (outcome != TransferDone) return outcome;
  if (got.Length != t.sum.Length || memcmp(got.Digest, t.sum.Digest, sizeof got.Digest) != 0) {
    return TransferBadContent;
  }
  return TransferDone;
}

// Forgets the stored bytes and their record, so that the next attempt asks
// for the whole file; true on failure (something is left).
bool DiscardStored(FileTransfer& t) {
  t.recordKnown = false;
  t.wholeOnly = false;
  if (RemoveRecord(t)) return true;
  DeleteFileA(t.path);
  return StoredBytes(t.path) >= 0;
}

// One try of the file for the retry loop. Content that does not match the
// checksum list (changed on the way, on the server or on the disk since) is
// fetched once more at once, from zero; a second time, the file is not what
// the list says. A range answer that cannot continue the stored bytes is
// followed at once by a request for the whole file, which can give no
// range answer; only the fetch from zero may lead to another.
TryReport TryFile(void* work) {
  FileTransfer& t = *static_cast<FileTransfer*>(work);
  TryReport report = {};
  report.Outcome = Attempt(t);
  if (report.Outcome == TransferDone && t.sumKnown) {
    report.Outcome = CheckContent(t);
    if (report.Outcome == TransferBadContent && !t.refetched) {
      t.refetched = true;
      if (DiscardStored(t)) {
        report.Outcome = TransferLocalWrite;
        return report;
      }
      report.AgainAtOnce = true;
      report.Afresh = true;
      return report;
    }
  }
  report.AgainAtOnce = report.Outcome == TransferRangeUnusable;
  report.Status = t.status;
  report.Held = StoredBytes(t.path);
  return report;
}

}  // namespace

bool DownloadFile(const char* discFolder, const char* fileName, bool progress, const DiscChecksums* sums) {
  char text[TextSize];
  BuildDisplayText(text, sizeof text, discFolder, fileName);
  ShowProgressItem(IDC_FILE_LINE, text);

  // A name from the server's file list must stay inside its disc folder,
  // and its whole path there must fit: cut, it would name another file.
  FileTransfer t = {};
  if (!IsSafeSourceName(fileName) || !BuildWholeLocalPath(t.path, sizeof t.path, discFolder, fileName)) {
    RecordDownloadFailure(discFolder, fileName, TransferBadAnswer, 0);
    return true;
  }

  t.discFolder = discFolder;
  t.fileName = fileName;
  t.progress = progress;
  t.filtered = IsFilteredName(fileName);
  // A cut address would ask for another file (or none) under this name.
  if (BuildRemoteUrl(t.url, sizeof t.url, discFolder, fileName) >= sizeof t.url - 1) {
    RecordDownloadFailure(discFolder, fileName, TransferBadAnswer, 0);
    return true;
  }
  // A published list names every file of its disc once; a file it does not
  // name (or names twice, differently) cannot be checked.
  if (sums != nullptr && FindContentChecksum(sums->Text, sums->Length, fileName, &t.sum) != ChecksumListed) {
    RecordDownloadFailure(discFolder, fileName, TransferNoChecksum, 0);
    return true;
  }
  t.sumKnown = sums != nullptr;
  if (strlen(t.path) + strlen(DownloadRecordSuffix) < sizeof t.recordPath) {
    TextCopy(t.recordPath, t.path);
    TextAppend(t.recordPath, DownloadRecordSuffix);
  }
  BuildOrigin(t.origin, sizeof t.origin);
  t.recordKnown = !ReadRecord(t);
  MakeParentFolders(t.path, fileName);

  TransferOutcome outcome = TransferOutOfMemory;
  t.buffer = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, TransferBufferSize));
  if (t.buffer != nullptr) {
    outcome = RetryUntilDone(TryFile, &t, StoredBytes(t.path));
    HeapFree(GetProcessHeap(), 0, t.buffer);
  }

  ShowProgressItem(IDC_ACTIVITY_MARK, "");
  if (outcome != TransferDone) RecordDownloadFailure(discFolder, fileName, outcome, t.status);
  return outcome != TransferDone;
}
