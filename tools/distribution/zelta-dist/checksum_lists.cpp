#include "tools/distribution/zelta-dist/checksum_lists.h"

#include <map>

#include "tools/distribution/zelta-dist/file_sha256.h"
#include "tools/distribution/zelta-dist/server_files.h"
#include "web/content_checksum.h"
#include "web/transfer_text.h"

namespace {

bool WriteText(const std::string& path, const std::string& text, std::string& error) {
  FILE* f = fopen(path.c_str(), "wb");
  bool ok = f != nullptr && fwrite(text.data(), 1, text.size(), f) == text.size();
  if (f != nullptr) ok = fclose(f) == 0 && ok;
  if (!ok) error = path + ": cannot be written";
  return ok;
}

// The lists of one update folder, by path below it; false when a file the
// installer would download cannot be read.
bool BuildFolderLists(const std::string& folder, std::map<std::string, std::string>& lists, std::string& error) {
  ServerFileSet set;
  ListServerFiles(FolderReader(folder), set);
  if (set.discs == 0) {
    error = folder + ": " + (set.problems.empty() ? "no disc" : set.problems[0].path + ": " + set.problems[0].text);
    return false;
  }
  std::map<int, std::string> byDisc;
  for (const ChecksumListRead& list : set.checksums) byDisc[list.disc] = ChecksumListHeader(list.disc);
  for (const ServerFile& file : set.files) {
    if (file.listText) continue;
    std::string hex;
    uint64_t length = 0;
    std::string path = folder + "/" + file.path;
    if (!ContentSha256OfFile(path, IsFilteredName(file.source.c_str()), hex, length)) {
      error = path + ": cannot be read (named by the file list of disc " + std::to_string(file.disc) + ")";
      return false;
    }
    byDisc[file.disc] += ChecksumLine(hex, length, "\\" + file.source);
  }
  for (const ChecksumListRead& list : set.checksums) lists[list.path] = byDisc[list.disc];
  return true;
}

}  // namespace

std::string ChecksumListName(int disc) {
  char name[32];
  FormatChecksumListName(name, sizeof name, disc);
  return name;
}

std::string ChecksumListHeader(int disc) {
  return "# SHA-256, length and source of each file of " + FileListName(disc) +
         ", as the installer keeps it (ex_/dl_ files without their filler bytes)\r\n";
}

std::string ChecksumLine(const std::string& sha256Hex, uint64_t length, const std::string& source) {
  return sha256Hex + " " + std::to_string(length) + " " + source + "\r\n";
}

std::string BuildChecksumList(const Distribution& dist, size_t discIndex) {
  const DistDisc& disc = dist.description.discs[discIndex];
  std::string out = ChecksumListHeader(disc.number);
  // The file list's order: component by component.
  for (int c = 0; c < DistComponentCount; ++c) {
    for (size_t k = 0; k < disc.files.size(); ++k) {
      if (disc.files[k].component != c) continue;
      const std::string& real = dist.contents[discIndex][k];
      Sha256 hash;
      Sha256Begin(hash);
      Sha256Add(hash, real.data(), real.size());
      out += ChecksumLine(Sha256Hex(hash), real.size(), disc.files[k].source);
    }
  }
  return out;
}

ChecksumListText ReadChecksumList(const std::string& text) {
  ChecksumListText out;
  size_t start = 0;
  for (int line = 1; start < text.size(); ++line) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    ContentChecksum sum;
    const char* path = nullptr;
    size_t pathLength = 0;
    switch (ParseChecksumLine(text.data() + start, end - start, &sum, &path, &pathLength)) {
      case ChecksumLineEmpty:
        break;
      case ChecksumLineBad:
        out.badLines.push_back(line);
        break;
      case ChecksumLineEntry: {
        ChecksumEntry entry;
        entry.line = line;
        entry.source.assign(path, pathLength);
        if (!entry.source.empty() && entry.source[0] == '\\') entry.source.erase(0, 1);
        char hex[65];
        FormatDigestHex(hex, sizeof hex, sum.Digest);
        entry.sha256 = hex;
        entry.length = static_cast<uint64_t>(sum.Length);
        out.entries.push_back(entry);
        break;
      }
    }
    start = end + 1;
  }
  return out;
}

bool WriteSiteChecksums(const std::string& site, std::string& report, std::string& error) {
  const Description layout;  // where `site` puts the update folders
  std::map<std::string, std::string> lists[2];
  const std::string folders[2] = {"web/" + layout.webFolder, "download/" + layout.downloadFolder};
  for (int h = 0; h < 2; ++h) {
    if (!BuildFolderLists(site + "/" + folders[h], lists[h], error)) return false;
  }
  for (int h = 0; h < 2; ++h) {
    for (const auto& list : lists[h]) {
      if (!WriteText(site + "/" + folders[h] + "/" + list.first, list.second, error)) return false;
      size_t files = 0;
      for (char c : list.second) files += c == '\n' ? 1 : 0;
      report += folders[h] + "/" + list.first + ": " + std::to_string(files - 1) + " files\n";
    }
  }
  return true;
}
