#include "tools/distribution/zelta-dist/server_files.h"

#include <sys/stat.h>

#include <set>

#include "catalogue/catalogue_names.h"
#include "catalogue/components.h"
#include "catalogue/install_state.h"
#include "tools/distribution/zelta-dist/installer_urls.h"
#include "tools/distribution/zelta-dist/distribution.h"
#include "common/path_names.h"
#include "web/content_checksum.h"
#include "web/ini_lookup.h"
#include "web/vendor_paths.h"

namespace {

bool Lookup(const std::string& text, const char* section, const char* key, char (&value)[TextSize]) {
  return IniLookup(section, key, value, sizeof value, text.data(), text.size());
}

void Add(ServerFileSet& out, std::set<std::string>& seen, const std::string& path, const std::string& source,
         bool listText, int disc = 0) {
  if (!seen.insert(path).second) return;  // asked twice by the installer, checked once
  ServerFile file;
  file.path = path;
  file.source = source;
  file.listText = listText;
  file.disc = disc;
  out.files.push_back(file);
}

void Problem(ServerFileSet& out, const std::string& path, const std::string& text) {
  out.problems.push_back(ServerFileProblem{path, text});
}

// The files of one disc: every File1, File2, ... of each component that the
// catalogue puts on it.
void ListDiscFiles(const std::string& catalogue, const std::string& list, int disc, const std::string& discPath,
                   const std::string& listPath, ServerFileSet& out, std::set<std::string>& seen) {
  char section[32];
  FormatDiscSection(section, sizeof section, disc);
  for (int component = 0; component < ComponentCount; ++component) {
    char value[TextSize];
    if (!Lookup(catalogue, section, Components[component].Key, value)) continue;
    for (int k = 1;; ++k) {
      char key[32];
      FormatNumberedKey(key, sizeof key, "File", k);
      if (!Lookup(list, Components[component].Key, key, value)) break;
      char name[TextSize];
      SourceNameFromEntry(name, sizeof name, value);
      if (!IsSafeSourceName(name)) {
        Problem(out, listPath, std::string(key) + " of [" + Components[component].Key + "] names '" + name +
                                   "', which the installer refuses to download");
        continue;
      }
      Add(out, seen, discPath + "/" + UrlPathOf(name), name, false, disc);
    }
  }
}

}  // namespace

void ListServerFiles(const TextReader& read, ServerFileSet& out) {
  out = ServerFileSet{};
  std::set<std::string> seen;
  const std::string product = InstallerProductFolder();
  char folder[32];
  FormatDiscFolder(folder, sizeof folder, 1);
  const std::string cataloguePath = product + "/" + folder + "/" + CatalogueFileName;

  TextRead catalogue = read(cataloguePath);
  if (catalogue.state != TextFound) {
    Problem(out, cataloguePath, catalogue.problem + "; the installer cannot start");
    return;
  }
  Add(out, seen, cataloguePath, "", true);
  char root[TextSize];
  Lookup(catalogue.text, "System", "RootDirectory", root);
  if (root[0] == '*' || !IsSafeRootName(root)) {
    Problem(out, cataloguePath, "no usable RootDirectory in [System]; the installer stops");
  }

  int disc = 1;
  for (; disc <= DiscCount; ++disc) {
    FormatDiscFolder(folder, sizeof folder, disc);
    char listName[32];
    FormatFileListName(listName, sizeof listName, disc);
    const std::string discPath = product + "/" + folder;
    const std::string listPath = discPath + "/" + listName;
    TextRead list = read(listPath);
    if (list.state == TextMissing) {
      if (disc == 1) Problem(out, listPath, list.problem + "; the installer downloads nothing");
      break;
    }
    if (list.state == TextFailed) {
      Problem(out, listPath, list.problem + "; the installer stops at disc " + std::to_string(disc));
      return;
    }
    Add(out, seen, listPath, "", true);
    ++out.discs;

    // The checksums come before the files; any failure but "not there" stops the installer.
    char checksumName[32];
    FormatChecksumListName(checksumName, sizeof checksumName, disc);
    ChecksumListRead checksums;
    checksums.disc = disc;
    checksums.path = discPath + "/" + checksumName;
    checksums.read = read(checksums.path);
    if (checksums.read.state == TextFound) Add(out, seen, checksums.path, "", true);
    if (checksums.read.state == TextFailed) {
      Problem(out, checksums.path, checksums.read.problem + "; the installer stops at disc " + std::to_string(disc));
    }
    out.checksums.push_back(checksums);
    ListDiscFiles(catalogue.text, list.text, disc, discPath, listPath, out, seen);
  }

  // Discs the catalogue describes past the first missing file list (with
  // none at all, or a list that failed, the problem is said already).
  for (int later = disc; disc > 1 && later <= DiscCount; ++later) {
    char section[32], value[TextSize];
    FormatDiscSection(section, sizeof section, later);
    if (!Lookup(catalogue.text, section, "", value)) continue;
    Problem(out, cataloguePath,
            std::string("[") + section + "] lies past the last disc with a file list (" +
                std::to_string(disc - 1) + "): the installer never downloads it");
  }
}

TextReader FolderReader(const std::string& folder) {
  return [folder](const std::string& path) {
    TextRead read;
    std::string problem;
    struct stat st;
    if (stat((folder + "/" + path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
      read.state = TextMissing;
      read.problem = "not in the site";
    } else if (ReadWholeFile(folder + "/" + path, read.text, problem)) {
      read.state = TextFound;
    } else {
      read.problem = problem;
    }
    return read;
  };
}
