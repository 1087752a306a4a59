#include "tests/win/test_site.h"
#include "tests/win/wait_until.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

std::string ToWindows(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

void MakeParents(const std::string& path) {
  for (size_t i = 3; i < path.size(); ++i) {
    if (path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
  }
}

// A file of the test server's state folder (ZELTA_VENDOR_STATE) as it stands.
std::string StateFile(const char* name) {
  const char* state = getenv("ZELTA_VENDOR_STATE");
  std::string text;
  if (state == nullptr || state[0] != '/') {
    ADD_FAILURE() << "ZELTA_VENDOR_STATE is not set: run under tools/distribution/vendor-net.sh";
    return text;
  }
  ReadLocalFile("Z:" + ToWindows(state) + "\\" + name, &text);
  return text;
}

}  // namespace

std::string SitePath() {
  const char* site = getenv("ZELTA_SITE");
  if (site == nullptr || site[0] != '/') {
    ADD_FAILURE() << "ZELTA_SITE is not set: run under tools/distribution/vendor-net.sh";
    return "Z:\\nonexistent";
  }
  return "Z:" + ToWindows(site);
}

std::string UpdateFolder(SiteHost host) {
  return SitePath() + (host == WebSite ? "\\web\\Download\\UpDate-V9.20" : "\\download\\UpDate-V9.20");
}

void WriteSiteFile(SiteHost host, const std::string& relative, const std::string& content) {
  std::string path = UpdateFolder(host) + "\\" + ToWindows(relative);
  MakeParents(path);
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  fwrite(content.data(), 1, content.size(), f);
  fclose(f);
}

void WriteProbe(SiteHost host) {
  WriteSiteFile(host, "Update.ini",
                "[Update]\r\nZeltaCAD WEB update system: V9.21\r\nZeltaSoft Ltd. 1992-2019.\r\n");
}

void SetFault(SiteHost host, const std::string& relative, const std::string& fault) {
  std::string folder = host == WebSite ? "\\faults\\web\\Download\\UpDate-V9.20\\"
                                       : "\\faults\\download\\UpDate-V9.20\\";
  std::string path = SitePath() + folder + ToWindows(relative);
  if (fault.empty()) {
    DeleteFileA(path.c_str());
    return;
  }
  MakeParents(path);
  // Written aside and renamed into place: the server counts the requests
  // of a fault file and must never read one half written.
  std::string aside = path + ".new";
  FILE* f = fopen(aside.c_str(), "wb");
  ASSERT_NE(f, nullptr) << aside;
  fputs((fault + "\n").c_str(), f);
  fclose(f);
  ASSERT_TRUE(MoveFileExA(aside.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) << path;
}

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      std::string child = path + "\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(path.c_str());
}

std::string ServerAccessLog() {
  return StateFile("nginx-access.log");
}

std::string FaultServerLog() {
  return StateFile("fault-server.log");
}

bool WaitForFaultLog(const std::string& part, size_t from, unsigned ms) {
  return WaitUntil([&] {
    std::string log = FaultServerLog();
    return log.size() > from && log.find(part, from) != std::string::npos;
  }, ms);
}

std::vector<LoggedRequest> LoggedRequestsFor(size_t from, const std::string& part, size_t count) {
  std::vector<LoggedRequest> found;
  WaitUntil([&] {
    std::string log = ServerAccessLog();
    found = RequestsFor(log.size() > from ? log.substr(from) : std::string(), part);
    return found.size() >= count;
  });
  return found;
}

// A line reads: ADDRESS [TIME] "REQUEST" STATUS BYTES "URI" ...
std::vector<LoggedRequest> RequestsFor(const std::string& log, const std::string& part) {
  std::vector<LoggedRequest> found;
  size_t start = 0;
  while (start < log.size()) {
    size_t end = log.find('\n', start);
    if (end == std::string::npos) end = log.size();
    std::string line = log.substr(start, end - start);
    start = end + 1;
    size_t open = line.find('"');
    size_t close = open == std::string::npos ? std::string::npos : line.find('"', open + 1);
    if (close == std::string::npos) continue;
    LoggedRequest request;
    request.request = line.substr(open + 1, close - open - 1);
    if (request.request.find(part) == std::string::npos) continue;
    request.status = 0;
    request.bytes = 0;
    if (sscanf(line.c_str() + close + 1, " %d %lld", &request.status, &request.bytes) != 2) continue;
    found.push_back(request);
  }
  return found;
}

long long BytesSentFor(const std::string& log, const std::string& part) {
  long long total = 0;
  for (const LoggedRequest& request : RequestsFor(log, part)) total += request.bytes;
  return total;
}

void ClearSite() {
  RemoveTree(SitePath() + "\\web");
  RemoveTree(SitePath() + "\\download");
  RemoveTree(SitePath() + "\\faults");
}

bool ReadLocalFile(const std::string& path, std::string* content) {
  FILE* f = fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  content->clear();
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) content->append(buf, n);
  fclose(f);
  return true;
}

bool PathExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string TestBytes(size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  unsigned x = seed * 2654435761u + 1;
  for (size_t i = 0; i < size; ++i) {
    x = x * 1103515245u + 12345u;
    bytes[i] = static_cast<char>(x >> 16);
  }
  return bytes;
}

std::string Interleave(const std::string& real) {
  std::string stored;
  stored.reserve(real.size() * 2);
  for (char c : real) {
    stored.push_back('#');
    stored.push_back(c);
  }
  return stored;
}
