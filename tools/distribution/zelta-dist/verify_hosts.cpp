#include "tools/distribution/zelta-dist/verify_hosts.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <set>

#include "tools/distribution/zelta-dist/distribution.h"
#include "web/transfer_text.h"

namespace {

// The regular files below `folder`, as paths relative to it.
void ListFiles(const std::string& folder, const std::string& relative, std::set<std::string>& files) {
  std::string path = relative.empty() ? folder : folder + "/" + relative;
  DIR* dir = opendir(path.c_str());
  if (dir == nullptr) return;
  while (dirent* item = readdir(dir)) {
    std::string name = item->d_name;
    if (name == "." || name == "..") continue;
    std::string child = relative.empty() ? name : relative + "/" + name;
    struct stat st;
    if (stat((folder + "/" + child).c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      ListFiles(folder, child, files);
    } else if (S_ISREG(st.st_mode)) {
      files.insert(child);
    }
  }
  closedir(dir);
}

// "" when both files hold the same bytes, else how they differ.
std::string Difference(const std::string& a, const std::string& b) {
  FILE* fa = fopen(a.c_str(), "rb");
  FILE* fb = fopen(b.c_str(), "rb");
  std::string result;
  if (fa == nullptr || fb == nullptr) {
    result = "cannot be read";
  } else {
    char ba[65536], bb[65536];
    uint64_t offset = 0;
    for (;;) {
      size_t na = fread(ba, 1, sizeof ba, fa);
      size_t nb = fread(bb, 1, sizeof bb, fb);
      size_t n = na < nb ? na : nb;
      size_t i = 0;
      while (i < n && ba[i] == bb[i]) ++i;
      if (i < n || na != nb) {
        result = "first difference at byte " + std::to_string(offset + i);
        break;
      }
      if (na == 0) break;
      offset += na;
    }
  }
  if (fa != nullptr) fclose(fa);
  if (fb != nullptr) fclose(fb);
  return result;
}

uint64_t SizeOf(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

}  // namespace

void CheckProbe(const std::string& site, const std::string& folder, SiteProblems& problems) {
  const std::string file = folder + "/Update.ini";
  std::string body, problem;
  if (!ReadWholeFile(site + "/" + file, body, problem)) {
    AddProblem(problems, file, 0, "probe file cannot be read (" + problem + "): the installer does not use this host");
  } else if (body.empty()) {
    AddProblem(problems, file, 0, "probe file is empty: the installer does not use this host");
  } else if (!ProbeMarkersPresent(body.data(), body.size(), nullptr)) {
    AddProblem(problems, file, 0,
               std::string("no CR LF line beginning with '") + ProbeFirstMarker +
                   "' followed by one beginning with '" + ProbeSecondMarker + "': the installer does not use this host");
  }
}

void CompareHosts(const std::string& site, const std::string& webFolder, const std::string& downloadFolder,
                  SiteProblems& problems) {
  std::set<std::string> web, download;
  ListFiles(site + "/" + webFolder, "", web);
  ListFiles(site + "/" + downloadFolder, "", download);
  for (const std::string& name : web) {
    if (download.count(name) == 0) {
      AddProblem(problems, webFolder + "/" + name, 0, "is on the web host only (missing in " + downloadFolder + ")");
    }
  }
  for (const std::string& name : download) {
    const std::string there = downloadFolder + "/" + name;
    if (web.count(name) == 0) {
      AddProblem(problems, there, 0, "is on the download host only (missing in " + webFolder + ")");
      continue;
    }
    const std::string a = site + "/" + webFolder + "/" + name, b = site + "/" + there;
    uint64_t sizeA = SizeOf(a), sizeB = SizeOf(b);
    if (sizeA != sizeB) {
      AddProblem(problems, there, 0,
                 "differs from the web host's copy: " + std::to_string(sizeB) + " bytes, not " + std::to_string(sizeA));
      continue;
    }
    std::string difference = Difference(a, b);
    if (!difference.empty()) AddProblem(problems, there, 0, "differs from the web host's copy: " + difference);
  }
}
