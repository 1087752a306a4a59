// Times ways of reading answer bodies with WinINet on this platform, to
// choose one that keeps the platform's pace while the installer's worker can
// still give up a read of its own accord (an asynchronous session, the
// worker waiting for each call itself): one way per run.
//
//   read_pace.exe WAY[+cookies] SIZE LIST RESULT-FILE
//
// LIST is the reference's list (URL, download path, ...; tab-separated); the
// bodies are stored under the download paths. WAY:
//   sync    a blocking session, InternetReadFile of SIZE (the reference)
//   nowait  asynchronous; each buffer of SIZE filled by InternetReadFileExA
//           with IRF_ASYNC | IRF_NO_WAIT, waiting when a call is pending
//           (the installer's way)
//   full    asynchronous; InternetReadFileExA of SIZE with IRF_ASYNC, which
//           completes when the buffer is full or the body ends
//   query   asynchronous; InternetQueryDataAvailable, then InternetReadFile
//           of what it reports (at most SIZE)
// WAY may end in "+cookies": requests then go without INTERNET_FLAG_NO_COOKIES
// (with INTERNET_FLAG_RELOAD, INTERNET_FLAG_NO_CACHE_WRITE and
// INTERNET_FLAG_NO_AUTH, as always).
// RESULT-FILE gets seconds, reads (calls), waits (pending calls) and
// "received" (INTERNET_STATUS_RESPONSE_RECEIVED reports during the bodies:
// what a watch could count as progress while a large read is pending), and
// the longest wait for one call in milliseconds.
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/bench/make_parents.h"

namespace {

HANDLE Completed = nullptr;
DWORD_PTR Result = 0;
DWORD Error = 0;
volatile LONG Received = 0;
long long Reads = 0, Waits = 0;
DWORD LongestWait = 0;

void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID information, DWORD length) {
  if (context == 0) return;
  if (status == INTERNET_STATUS_RESPONSE_RECEIVED) InterlockedIncrement(&Received);
  if (status == INTERNET_STATUS_REQUEST_COMPLETE && information != nullptr && length >= sizeof(INTERNET_ASYNC_RESULT)) {
    const INTERNET_ASYNC_RESULT* outcome = static_cast<const INTERNET_ASYNC_RESULT*>(information);
    Result = outcome->dwResult;
    Error = outcome->dwError;
    SetEvent(Completed);
  }
}

// After a call answered ERROR_IO_PENDING. False when it failed.
bool Await() {
  ++Waits;
  DWORD start = GetTickCount();
  bool done = WaitForSingleObject(Completed, 60000) == WAIT_OBJECT_0;
  DWORD waited = GetTickCount() - start;
  if (waited > LongestWait) LongestWait = waited;
  return done && Result != 0;
}

bool Pending(BOOL answered) {
  if (answered) return true;
  return GetLastError() == ERROR_IO_PENDING && Await();
}

// One body into `file` the given way; false on failure.
bool ReadBody(HINTERNET request, const std::string& way, DWORD size, char* buffer, HANDLE file) {
  for (;;) {
    DWORD got = 0;
    if (way == "sync") {
      ++Reads;
      if (!InternetReadFile(request, buffer, size, &got)) return false;
    } else if (way == "nowait") {
      // Fills the buffer with what has arrived, call by call.
      for (;;) {
        INTERNET_BUFFERSA part = {};
        part.dwStructSize = sizeof part;
        part.lpvBuffer = buffer + got;
        part.dwBufferLength = size - got;
        ResetEvent(Completed);
        ++Reads;
        if (InternetReadFileExA(request, &part, IRF_ASYNC | IRF_NO_WAIT, 1)) {
          if (part.dwBufferLength == 0) break;
          got += part.dwBufferLength;
          if (got == size) break;
          continue;
        }
        if (GetLastError() != ERROR_IO_PENDING || !Await()) return false;
      }
    } else if (way == "full") {
      INTERNET_BUFFERSA part = {};
      part.dwStructSize = sizeof part;
      part.lpvBuffer = buffer;
      part.dwBufferLength = size;
      ResetEvent(Completed);
      ++Reads;
      if (!Pending(InternetReadFileExA(request, &part, IRF_ASYNC, 1))) return false;
      got = part.dwBufferLength;
    } else {
      DWORD available = 0;
      ResetEvent(Completed);
      ++Reads;
      BOOL answered = InternetQueryDataAvailable(request, &available, 0, 1);
      if (!answered) {
        if (GetLastError() != ERROR_IO_PENDING || !Await()) return false;
        // Asked again: what arrived is now there.
        if (!InternetQueryDataAvailable(request, &available, 0, 1)) return false;
      }
      if (available == 0) return true;
      ResetEvent(Completed);
      ++Reads;
      if (!Pending(InternetReadFile(request, buffer, available < size ? available : size, &got))) return false;
    }
    if (got == 0) return true;
    DWORD written = 0;
    if (!WriteFile(file, buffer, got, &written, nullptr) || written != got) return false;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    fprintf(stderr, "usage: read_pace WAY SIZE LIST RESULT-FILE\n");
    return 2;
  }
  std::string way = argv[1];
  // "+cookies": requests without INTERNET_FLAG_NO_COOKIES.
  DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTH | INTERNET_FLAG_NO_COOKIES;
  size_t plus = way.find("+cookies");
  if (plus != std::string::npos) {
    flags &= ~static_cast<DWORD>(INTERNET_FLAG_NO_COOKIES);
    way.erase(plus);
  }
  DWORD size = static_cast<DWORD>(strtoul(argv[2], nullptr, 10));
  if ((way != "sync" && way != "nowait" && way != "full" && way != "query") || size == 0) {
    fprintf(stderr, "read_pace: unknown way or size\n");
    return 2;
  }
  std::vector<std::pair<std::string, std::string>> items;
  FILE* list = fopen(argv[3], "r");
  if (list == nullptr) return 2;
  char line[4096];
  while (fgets(line, sizeof line, list) != nullptr) {
    std::string text = line;
    size_t first = text.find('\t');
    if (first == std::string::npos) continue;
    size_t second = text.find_first_of("\t\r\n", first + 1);
    items.emplace_back(text.substr(0, first), text.substr(first + 1, second - first - 1));
  }
  fclose(list);

  bool async = way != "sync";
  Completed = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  char* buffer = static_cast<char*>(malloc(size));
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  HINTERNET session = InternetOpenA("ZeltaCAD UpDate", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr,
                                    async ? INTERNET_FLAG_ASYNC : 0);
  if (async && session != nullptr) InternetSetStatusCallbackA(session, OnStatus);
  std::string failure = session == nullptr || buffer == nullptr ? "no session" : "";
  LONG receivedBefore = 0;
  LONG inBodies = 0;
  for (size_t i = 0; i < items.size() && failure.empty(); ++i) {
    ResetEvent(Completed);
    HINTERNET request = InternetOpenUrlA(session, items[i].first.c_str(), nullptr, 0, flags, async ? 1 : 0);
    if (request == nullptr && GetLastError() == ERROR_IO_PENDING && Await()) {
      request = reinterpret_cast<HINTERNET>(Result);
    }
    if (request == nullptr) {
      failure = "open failed: " + items[i].first;
      break;
    }
    MakeParents(items[i].second);
    HANDLE file = CreateFileA(items[i].second.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    receivedBefore = Received;
    if (file == INVALID_HANDLE_VALUE || !ReadBody(request, way, size, buffer, file)) failure = "read failed: " + items[i].first;
    inBodies += Received - receivedBefore;
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    InternetCloseHandle(request);
  }
  if (session != nullptr) InternetCloseHandle(session);
  QueryPerformanceCounter(&end);
  free(buffer);
  CloseHandle(Completed);

  FILE* result = fopen(argv[4], "w");
  if (result == nullptr) return 2;
  fprintf(result, "outcome=%s\nseconds=%.3f\nreads=%lld\nwaits=%lld\nreceived=%ld\nlongest=%lu\n",
          failure.empty() ? "success" : failure.c_str(),
          static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart), Reads, Waits,
          static_cast<long>(inBodies), static_cast<unsigned long>(LongestWait));
  fclose(result);
  return failure.empty() ? 0 : 1;
}
