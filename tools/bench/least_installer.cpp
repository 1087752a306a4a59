// The least program that does the installer's transfer on this platform, the
// pace the installer is measured against (scripts/benchmark.sh): one WinINet
// session, each answer read in 512000-byte pieces into a file of the
// download folder, then each stored file copied to its place with CopyFileA.
// No window, no progress, no resuming, no checksums. Files the server stores
// interleaved are copied as stored (the installer takes them apart while it
// downloads).
//
//   least_installer.exe [--cookies] LIST RESULT-FILE
//
// LIST has one line per request, tab-separated: URL, download path, target
// path (Windows paths); a line without a target is fetched and not copied
// (probe, catalogue, lists). Requests carry the installer's flags:
// INTERNET_FLAG_RELOAD, INTERNET_FLAG_NO_CACHE_WRITE, INTERNET_FLAG_NO_AUTH
// and INTERNET_FLAG_NO_COOKIES, the last one left out with --cookies (under
// Wine each request then costs about a millisecond more). RESULT-FILE gets "key=value"
// lines: outcome, download and copy seconds, files, requests and bytes.
// Exit code: 0 when every request answered 200 and every copy was made.
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/bench/make_parents.h"

namespace {

const DWORD ReadSize = 512000;

struct Item {
  std::string url;
  std::string download;
  std::string target;
};

bool ReadList(const char* path, std::vector<Item>* items) {
  FILE* list = fopen(path, "r");
  if (list == nullptr) return false;
  char line[4096];
  while (fgets(line, sizeof line, list) != nullptr) {
    std::string text = line;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    if (text.empty()) continue;
    size_t first = text.find('\t');
    if (first == std::string::npos) continue;
    size_t second = text.find('\t', first + 1);
    Item item;
    item.url = text.substr(0, first);
    item.download = text.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    if (second != std::string::npos) item.target = text.substr(second + 1);
    items->push_back(item);
  }
  fclose(list);
  return true;
}

// One request, its body stored whole. Returns the bytes stored, or -1.
long long Fetch(HINTERNET session, const Item& item, DWORD flags, char* buffer) {
  HINTERNET request = InternetOpenUrlA(session, item.url.c_str(), nullptr, 0, flags, 0);
  if (request == nullptr) return -1;
  char status[32] = {};
  DWORD size = sizeof status;
  long long stored = -1;
  if (HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE, status, &size, nullptr) && strcmp(status, "200") == 0) {
    MakeParents(item.download);
    HANDLE file = CreateFileA(item.download.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      stored = 0;
      for (;;) {
        DWORD got = 0, written = 0;
        if (!InternetReadFile(request, buffer, ReadSize, &got)) {
          stored = -1;
          break;
        }
        if (got == 0) break;
        if (!WriteFile(file, buffer, got, &written, nullptr) || written != got) {
          stored = -1;
          break;
        }
        stored += got;
      }
      CloseHandle(file);
    }
  }
  InternetCloseHandle(request);
  return stored;
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to, const LARGE_INTEGER& frequency) {
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTH | INTERNET_FLAG_NO_COOKIES;
  int first = 1;
  if (argc > 1 && strcmp(argv[1], "--cookies") == 0) {
    flags &= ~static_cast<DWORD>(INTERNET_FLAG_NO_COOKIES);
    first = 2;
  }
  if (argc - first != 2) {
    fprintf(stderr, "usage: least_installer [--cookies] LIST RESULT-FILE\n");
    return 2;
  }
  std::vector<Item> items;
  if (!ReadList(argv[first], &items)) {
    fprintf(stderr, "least_installer: cannot read %s\n", argv[first]);
    return 2;
  }
  FILE* result = fopen(argv[first + 1], "w");
  if (result == nullptr) {
    fprintf(stderr, "least_installer: cannot write %s\n", argv[first + 1]);
    return 2;
  }
  char* buffer = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, ReadSize));
  if (buffer == nullptr) {
    fprintf(result, "outcome=out of memory\n");
    fclose(result);
    return 1;
  }

  LARGE_INTEGER frequency, start, fetched, copied;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  std::string failure;
  long long bytes = 0;
  HINTERNET session = InternetOpenA("ZeltaCAD UpDate", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  if (session == nullptr) failure = "no session";
  for (size_t i = 0; i < items.size() && failure.empty(); ++i) {
    long long stored = Fetch(session, items[i], flags, buffer);
    if (stored < 0) failure = "failed: " + items[i].url;
    bytes += stored;
  }
  if (session != nullptr) InternetCloseHandle(session);
  QueryPerformanceCounter(&fetched);

  int files = 0;
  for (size_t i = 0; i < items.size() && failure.empty(); ++i) {
    if (items[i].target.empty()) continue;
    MakeParents(items[i].target);
    if (!CopyFileA(items[i].download.c_str(), items[i].target.c_str(), FALSE)) failure = "copy failed: " + items[i].target;
    ++files;
  }
  QueryPerformanceCounter(&copied);
  HeapFree(GetProcessHeap(), 0, buffer);

  fprintf(result, "outcome=%s\n", failure.empty() ? "success" : failure.c_str());
  if (failure.empty()) {
    fprintf(result, "download=%.3f\ncopy=%.3f\n", Seconds(start, fetched, frequency), Seconds(fetched, copied, frequency));
  }
  fprintf(result, "requests=%u\nfiles=%d\nbytes=%lld\n", static_cast<unsigned>(items.size()), files, bytes);
  fclose(result);
  return failure.empty() ? 0 : 1;
}
