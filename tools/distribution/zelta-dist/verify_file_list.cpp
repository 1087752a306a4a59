#include "tools/distribution/zelta-dist/verify_file_list.h"

#include <sys/stat.h>

#include "catalogue/catalogue_names.h"
#include "catalogue/install_state.h"
#include "common/path_names.h"
#include "install/file_entry.h"
#include "catalogue/install_paths.h"
#include "tools/distribution/zelta-dist/cp1250.h"
#include "tools/distribution/zelta-dist/verify_ini.h"
#include "tools/distribution/zelta-dist/verify_paths.h"
#include "tools/distribution/zelta-dist/verify_text.h"
#include "tools/distribution/zelta-dist/distribution.h"
#include "web/resume_plan.h"
#include "web/transfer_text.h"
#include "web/vendor_paths.h"

namespace {

struct EntryPlace {
  const DiscPlace* disc;
  std::string listFile;
  std::string discFolder;  // "Disc_01"
  int line;
};

std::string Quoted(const std::string& cp1250) {
  return "'" + Cp1250ToUtf8(cp1250) + "'";
}

// Characters a URL path gives a meaning of its own, or that are not ASCII.
std::string UrlFault(const std::string& name) {
  for (char ch : name) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c <= 0x20 || c >= 0x7F || ch == '%' || ch == '#' || ch == '?') {
      return "holds a character that does not reach the server as written in a URL";
    }
  }
  return "";
}

// The download's view and the installation's view of the source.
bool CheckSourceName(const EntryPlace& at, const std::string& name, const FileEntryRecord& entry,
                     const CatalogueFacts& catalogue, SiteProblems& problems) {
  const std::string& file = at.listFile;
  if (!IsSafeSourceName(name.c_str())) {
    std::string fault = PathFault("\\" + name);
    if (fault.empty()) fault = "could leave its disc folder";
    AddProblem(problems, file, at.line, "source " + Quoted(name) + " is refused by the download: it " + fault);
    return false;
  }
  std::string source = "\\" + name;
  if (entry.Source != source) {
    AddProblem(problems, file, at.line,
               "the download fetches " + Quoted(source) + " but the installation copies " + Quoted(entry.Source));
  } else if (!PathFault(source).empty()) {
    AddProblem(problems, file, at.line, "source " + Quoted(source) + " " + PathFault(source));
  }
  std::string fault = NameFault(name);
  if (fault.empty()) fault = UrlFault(name);
  if (!fault.empty()) AddProblem(problems, file, at.line, "source " + Quoted(source) + ": " + Cp1250ToUtf8(fault));

  for (bool secure : {true, false}) {
    size_t n = DownloadUrlLength(secure, at.discFolder, name);
    if (n >= TextSize) {
      AddProblem(problems, file, at.line,
                 std::string("the source's URL on the ") + (secure ? "web" : "download") + " host is " +
                     std::to_string(n) + " characters; the installer holds at most 255");
    }
  }
  if (catalogue.rootUsable) {
    size_t n = DownloadPathLength(catalogue.root, at.discFolder, name);
    if (n >= TextSize) {
      AddProblem(problems, file, at.line,
                 "the source's path in the download area is " + std::to_string(n) +
                     " characters; the installer holds at most 255");
    }
  }
  return true;
}

void CheckTarget(const EntryPlace& at, const FileEntryRecord& entry, const CatalogueFacts& catalogue,
                 SiteProblems& problems) {
  const std::string& file = at.listFile;
  if (entry.TargetField[0] == '\0') {
    AddProblem(problems, file, at.line, "the entry has no target");
    return;
  }
  if (entry.WrongCodeCount > 0) {
    std::string code = entry.WrongCode == '\0' ? "a lone '*'" : std::string("'*") + entry.WrongCode + "'";
    AddProblem(problems, file, at.line, "unknown target code " + Cp1250ToUtf8(code) + " (known: *? *- *%)");
    return;
  }
  const std::string path = entry.TargetPath;
  std::string fault = PathFault(path);
  if (!fault.empty()) {
    AddProblem(problems, file, at.line, "target " + Quoted(path) + " " + fault);
    return;
  }
  if (!NameFault(path).empty()) {
    AddProblem(problems, file, at.line, "target: " + Cp1250ToUtf8(NameFault(path)));
    return;
  }
  std::string base = LongestWindowsDirectory();
  if (!entry.WindowsBase) {
    if (!catalogue.rootUsable) return;
    char root[TextSize];
    if (!FormatInstallRoot(root, sizeof root, VerifyDrive, catalogue.root.c_str())) return;
    base = root;
  }
  char joined[TextSize];
  if (!JoinContainedPath(joined, sizeof joined, base.c_str(), path.c_str())) {
    AddProblem(problems, file, at.line,
               "target path is " + std::to_string(base.size() + path.size()) + " characters" +
                   (entry.WindowsBase ? " below the longest Windows directory" : "") +
                   "; the installer holds at most 255");
    return;
  }
  if (entry.WindowsBase) return;
  // The installer makes only the folders of [Directorys].
  std::string parent = path.substr(0, path.find_last_of("\\/"));
  std::string folded = FoldWindowsCase(parent);
  for (const std::string& folder : catalogue.folders) {
    if (folder == folded) return;
  }
  AddProblem(problems, file, at.line,
             "target folder " + Quoted(parent) + " is not made by the catalogue's [Directorys]: the copy fails");
}

// The stored file on the host; true with its real size and its path below
// the site when it is usable.
bool CheckStoredFile(const EntryPlace& at, const std::string& name, uint64_t& realSize, std::string& storedPath,
                     SiteProblems& problems) {
  std::string local = name;
  for (char& c : local) {
    if (c == '\\') c = '/';
  }
  std::string shown = at.discFolder + "/" + local;
  storedPath = at.disc->folder + "/" + local;
  struct stat st;
  if (stat((at.disc->site + "/" + storedPath).c_str(), &st) != 0) {
    AddProblem(problems, at.listFile, at.line, "source " + shown + " is not on the server");
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    AddProblem(problems, at.listFile, at.line, "source " + shown + " is no file");
    return false;
  }
  uint64_t stored = static_cast<uint64_t>(st.st_size);
  if (stored == 0) {
    AddProblem(problems, at.listFile, at.line, "source " + shown + " is empty: the installer takes it for missing");
    return false;
  }
  if (IsFilteredName(name.c_str())) {
    if (stored % 2 != 0) {
      AddProblem(problems, at.listFile, at.line,
                 "source " + shown + " is stored interleaved ('ex_' or 'dl_' in its name), so its length must be even, not " +
                     std::to_string(stored));
      return false;
    }
    realSize = stored / 2;
  } else {
    realSize = stored;
  }
  return true;
}

// One entry; true with the real size when the size is known. `source` gets
// what the download fetches for it.
bool CheckEntry(const EntryPlace& at, const std::string& value, const CatalogueFacts& catalogue, uint64_t& realSize,
                DiscSource& source, SiteProblems& problems) {
  char name[TextSize];
  SourceNameFromEntry(name, sizeof name, value.c_str());
  FileEntryRecord entry;
  SplitFileEntry(value.c_str(), &entry);
  source.name = name;
  source.line = at.line;
  bool safe = CheckSourceName(at, name, entry, catalogue, problems);
  CheckTarget(at, entry, catalogue, problems);
  if (!safe) source.name.clear();  // never fetched
  bool usable = safe && CheckStoredFile(at, name, realSize, source.stored, problems);
  if (!usable) source.stored.clear();
  return usable;
}

// Names the download area already gives other files: the record kept
// beside each download (NAME.dlinfo), the disc's file list and, on disc 1,
// the catalogue. A source with such a name and that file overwrite each
// other there, whatever the order.
void CheckReservedNames(const std::string& listFile, int disc, const std::vector<DiscSource>& sources,
                        SiteProblems& problems) {
  const std::string suffix = FoldWindowsCase(DownloadRecordSuffix);
  for (const DiscSource& source : sources) {
    std::string folded = FoldWindowsCase(source.name);
    if (folded == FoldWindowsCase(FileListName(disc)) || (disc == 1 && folded == FoldWindowsCase(CatalogueFileName))) {
      AddProblem(problems, listFile, source.line,
                 "source " + Quoted(source.name) + " has the name the download saves the " +
                     (disc == 1 && folded == FoldWindowsCase(CatalogueFileName) ? "catalogue" : "file list") +
                     " under: one overwrites the other in the download area");
      continue;
    }
    if (folded.size() <= suffix.size() || folded.compare(folded.size() - suffix.size(), suffix.size(), suffix) != 0) {
      continue;
    }
    std::string owner = folded.substr(0, folded.size() - suffix.size());
    for (const DiscSource& other : sources) {
      if (FoldWindowsCase(other.name) != owner) continue;
      AddProblem(problems, listFile, source.line,
                 "source " + Quoted(source.name) + " is the name of the record the download keeps beside " +
                     Quoted(other.name) + " (line " + std::to_string(other.line) +
                     "): the two overwrite each other in the download area");
      break;
    }
  }
}

void CheckDiscName(const std::string& listFile, const std::string& text, const std::string& catalogueFile,
                   const CatalogueDisc& disc, SiteProblems& problems) {
  IniSection section = OpenSection(listFile, text, "Disc");
  IniValue name = ReadKey(section, "Name", problems);
  if (!disc.named) return;
  if (IsAbsent(name)) {
    AddProblem(problems, listFile, section.header.line,
               "no [Disc] Name: the installation asks for another disc and can only be cancelled");
  } else if (name.value != disc.name) {
    AddProblem(problems, listFile, name.line,
               "Name " + Quoted(name.value) + " is not the catalogue's " + Quoted(disc.name) + " (" + catalogueFile +
                   ":" + std::to_string(disc.line) + "): the installation asks for another disc");
  }
}

}  // namespace

void CheckFileList(const DiscPlace& disc, const std::string& text, const std::string& catalogueFile,
                   const CatalogueFacts& catalogue, DiscTotals& totals, SiteProblems& problems) {
  char discFolder[32], listName[32], section[32];
  FormatDiscFolder(discFolder, sizeof discFolder, disc.number);
  FormatFileListName(listName, sizeof listName, disc.number);
  FormatDiscSection(section, sizeof section, disc.number);
  const std::string listFile = disc.folder + "/" + listName;
  CheckInstallerText(listFile, text, problems);
  const CatalogueDisc& entry = catalogue.discs[disc.number - 1];
  if (entry.line == 0) {
    AddProblem(problems, listFile, 0,
               std::string("the catalogue has no [") + section + "]: nothing of this disc is downloaded");
    return;
  }
  CheckDiscName(listFile, text, catalogueFile, entry, problems);
  // The download keeps the list, and disc 1 the catalogue, in the download
  // area: a long root can push them over the limit.
  if (catalogue.rootUsable) {
    for (const std::string& kept : {std::string(listName), std::string("Install.ini")}) {
      if (kept == "Install.ini" && disc.number != 1) continue;
      size_t n = DownloadPathLength(catalogue.root, discFolder, kept);
      if (n >= TextSize) {
        AddProblem(problems, kept == listName ? listFile : catalogueFile, 0,
                   "its copy in the download area would be " + std::to_string(n) +
                       " characters; the installer holds at most 255 (RootDirectory is too long)");
      }
    }
  }

  EntryPlace at = {&disc, listFile, discFolder, 0};
  for (int c = 0; c < ComponentCount; ++c) {
    const char* component = Components[c].Key;
    IniSection files = OpenSection(listFile, text, component);
    if (!entry.present[c]) {
      if (!IsAbsent(LookupIni(text, component, "File1"))) {
        AddWarning(problems, listFile, files.header.line,
                   std::string("[") + component + "] is never downloaded: [" + section +
                       "] of the catalogue has no " + component);
      }
      continue;
    }
    uint64_t sum = 0;
    bool sumKnown = true;
    int k = 1;
    for (;; ++k) {
      char key[32];
      FormatNumberedKey(key, sizeof key, "File", k);
      IniValue value = ReadKey(files, key, problems);
      if (IsAbsent(value)) break;
      at.line = value.line;
      uint64_t realSize = 0;
      DiscSource source;
      if (CheckEntry(at, value.value, catalogue, realSize, source, problems)) {
        sum += realSize;
        totals.bytes += realSize;
      } else {
        sumKnown = false;
      }
      totals.sources.push_back(source);
      ++totals.files;
    }
    CheckListEnd(files, "File", k - 1, problems);
    if (sumKnown && entry.bytes[c] >= 0 && sum != static_cast<uint64_t>(entry.bytes[c])) {
      AddProblem(problems, catalogueFile, entry.keyLine[c],
                 std::string(component) + " on disc " + std::to_string(disc.number) + " is " +
                     std::to_string(entry.bytes[c]) + " bytes, but the files " + listName + " names hold " +
                     std::to_string(sum));
    }
  }
  CheckReservedNames(listFile, disc.number, totals.sources, problems);
}
