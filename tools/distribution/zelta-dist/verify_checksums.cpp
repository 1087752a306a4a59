#include "tools/distribution/zelta-dist/verify_checksums.h"

#include <sys/stat.h>

#include <map>

#include "tools/distribution/zelta-dist/checksum_lists.h"
#include "tools/distribution/zelta-dist/cp1250.h"
#include "tools/distribution/zelta-dist/distribution.h"
#include "tools/distribution/zelta-dist/file_sha256.h"
#include "web/transfer_text.h"

namespace {

std::string Quoted(const std::string& cp1250) {
  return "'" + Cp1250ToUtf8(cp1250) + "'";
}

// The stored file's content against its line.
void CheckSum(const DiscPlace& disc, const std::string& listFile, const ChecksumEntry& entry,
              const DiscSource& source, SiteProblems& problems) {
  if (source.stored.empty()) return;  // said at its entry in the file list
  std::string hex;
  uint64_t length = 0;
  if (!ContentSha256OfFile(disc.site + "/" + source.stored, IsFilteredName(source.name.c_str()), hex, length)) {
    AddProblem(problems, listFile, entry.line, Quoted(entry.source) + " cannot be read to check it");
  } else if (length != entry.length) {
    AddProblem(problems, listFile, entry.line,
               Quoted(entry.source) + " holds " + std::to_string(length) + " bytes as the installer keeps it, not " +
                   std::to_string(entry.length) + ": the installer refuses the file and stops");
  } else if (hex != entry.sha256) {
    AddProblem(problems, listFile, entry.line,
               "the SHA-256 of " + Quoted(entry.source) + " as the installer keeps it is " + hex +
                   ": the installer refuses the file and stops");
  }
}

}  // namespace

void CheckChecksumList(const DiscPlace& disc, const DiscTotals& totals, SiteProblems& problems) {
  const std::string listFile = disc.folder + "/" + ChecksumListName(disc.number);
  const std::string fileList = FileListName(disc.number);
  struct stat st;
  if (stat((disc.site + "/" + listFile).c_str(), &st) != 0) {
    AddWarning(problems, listFile, 0,
               "is missing: the installer cannot check the files of " + fileList +
                   " (zelta-dist checksums SITE writes it)");
    return;
  }
  std::string text, problem;
  if (!ReadWholeFile(disc.site + "/" + listFile, text, problem)) {
    AddProblem(problems, listFile, 0, "cannot be read (" + problem + ")");
    return;
  }
  if (text.empty()) {
    AddProblem(problems, listFile, 0, "is empty: the installer takes it for a broken answer and stops at this disc");
    return;
  }
  ChecksumListText list = ReadChecksumList(text);
  for (int line : list.badLines) {
    AddProblem(problems, listFile, line,
               "is no line '<SHA-256 in 64 lower-case hex digits> <length> <source>': the installer cannot "
               "read the list and stops at this disc");
  }

  std::map<std::string, const ChecksumEntry*> bySource;
  for (const ChecksumEntry& entry : list.entries) {
    auto first = bySource.find(entry.source);
    if (first == bySource.end()) {
      bySource[entry.source] = &entry;
    } else if (first->second->sha256 != entry.sha256 || first->second->length != entry.length) {
      AddProblem(problems, listFile, entry.line,
                 Quoted(entry.source) + " is listed again with another sum (line " +
                     std::to_string(first->second->line) + "): the installer stops at the file");
    } else {
      AddWarning(problems, listFile, entry.line,
                 Quoted(entry.source) + " is listed again (line " + std::to_string(first->second->line) + ")");
    }
  }

  std::map<std::string, bool> fetched;
  for (const DiscSource& source : totals.sources) {
    if (source.name.empty() || fetched[source.name]) continue;
    fetched[source.name] = true;
    auto entry = bySource.find(source.name);
    if (entry == bySource.end()) {
      AddProblem(problems, listFile, 0,
                 "has no line for " + Quoted(source.name) + " (" + fileList + ":" + std::to_string(source.line) +
                     "): the installer stops at that file");
    } else {
      CheckSum(disc, listFile, *entry->second, source, problems);
    }
  }
  for (const ChecksumEntry& entry : list.entries) {
    if (fetched.count(entry.source) == 0 && bySource[entry.source] == &entry) {
      AddWarning(problems, listFile, entry.line,
                 Quoted(entry.source) + " is not downloaded from this disc: the line is never read");
    }
  }
}
