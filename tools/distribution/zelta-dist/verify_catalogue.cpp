#include "tools/distribution/zelta-dist/verify_catalogue.h"

#include <cstdlib>

#include "catalogue/catalogue_names.h"
#include "common/bounded_text.h"
#include "common/path_names.h"
#include "catalogue/install_paths.h"
#include "tools/distribution/zelta-dist/cp1250.h"
#include "tools/distribution/zelta-dist/verify_ini.h"
#include "tools/distribution/zelta-dist/verify_install_steps.h"
#include "tools/distribution/zelta-dist/verify_paths.h"
#include "tools/distribution/zelta-dist/verify_text.h"
#include "web/transfer_text.h"
#include "web/vendor_paths.h"

namespace {

std::string Quoted(const std::string& cp1250) {
  return "'" + Cp1250ToUtf8(cp1250) + "'";
}

void CheckRoot(const IniSection& system, CatalogueFacts& facts, SiteProblems& problems) {
  IniValue root = ReadKey(system, "RootDirectory", problems);
  const std::string& file = system.file;
  if (!root.found) {
    AddProblem(problems, file, system.header.line, "[System] has no RootDirectory: the installer stops at once");
    return;
  }
  const std::string& value = root.value;
  std::string fault = PathFault("\\" + value);
  if (IsAbsent(root)) {
    AddProblem(problems, file, root.line, "RootDirectory begins with '*': the installer takes it for absent and stops");
  } else if (!IsSafeRootName(value.c_str()) || !fault.empty()) {
    if (fault.empty()) fault = "is not one folder path below the drive's root";
    AddProblem(problems, file, root.line, "RootDirectory " + Quoted(value) + " " + fault);
  } else if (!NameFault(value).empty()) {
    AddProblem(problems, file, root.line, "RootDirectory: " + Cp1250ToUtf8(NameFault(value)));
  } else if (!RootDirectoryFits(VerifyDrive, value.c_str())) {
    AddProblem(problems, file, root.line,
               "RootDirectory is " + std::to_string(value.size()) + " characters; the installer refuses it, " +
                   "since its paths in the download area would pass 255 characters");
  } else {
    facts.rootUsable = true;
    facts.root = value;
  }
}

void CheckRecordKeys(const IniSection& system, SiteProblems& problems) {
  for (const char* key : {"CadSystem", "SubSystem", "Version"}) {
    IniValue value = ReadKey(system, key, problems);
    if (IsAbsent(value) || value.value.empty()) {
      AddWarning(problems, system.file, system.header.line,
                 std::string("[System] has no ") + key + ": the installation is not recorded in the registry");
    } else if (std::string(key) == "CadSystem") {
      char recordKey[TextSize];
      if (!JoinWhole(recordKey, sizeof recordKey, "Software\\ZeltaSoft\\", value.value.c_str())) {
        AddWarning(problems, system.file, value.line, "CadSystem is too long for the registry key it names");
      }
    }
  }
}

// A size the installer reads whole: decimal digits, 64-bit.
bool IsDecimal(const std::string& text) {
  return !text.empty() && text.size() <= 18 && text.find_first_not_of("0123456789") == std::string::npos;
}

void CheckDiscs(const std::string& file, const std::string& text, CatalogueFacts& facts, SiteProblems& problems) {
  for (int n = 1; n <= DiscCount; ++n) {
    char name[32];
    FormatDiscSection(name, sizeof name, n);
    IniSection section = OpenSection(file, text, name);
    if (!section.header.found) continue;
    CatalogueDisc& disc = facts.discs[n - 1];
    disc.line = section.header.line;
    IniValue label = ReadKey(section, "Name", problems);
    disc.named = !IsAbsent(label);
    disc.name = label.value;
    if (!disc.named) {
      AddProblem(problems, file, disc.line,
                 "[" + std::string(name) + "] has no Name: the download fetches the disc, the installation skips it");
    }
    for (int c = 0; c < ComponentCount; ++c) {
      IniValue size = ReadKey(section, Components[c].Key, problems);
      if (IsAbsent(size)) continue;
      disc.present[c] = true;
      disc.keyLine[c] = size.line;
      disc.bytes[c] = TextToInt64(size.value.c_str());
      int64_t bytes = 0;
      if (!ReadCatalogueSize(size.value.c_str(), &bytes)) {
        disc.bytes[c] = -1;
        AddProblem(problems, file, size.line,
                   std::string(Components[c].Key) + " size " + Quoted(size.value) +
                       " is negative or more than a file can hold: the installer refuses the catalogue");
      } else if (!IsDecimal(size.value)) {
        AddProblem(problems, file, size.line,
                   std::string(Components[c].Key) + " size " + Quoted(size.value) + " is not a decimal number of bytes");
      }
    }
  }
}

std::string ParentOf(const std::string& path) {
  size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? "" : path.substr(0, cut);
}

bool Known(const std::vector<std::string>& folders, const std::string& folded) {
  for (const std::string& folder : folders) {
    if (folder == folded) return true;
  }
  return false;
}

void CheckDirectories(const std::string& file, const std::string& text, CatalogueFacts& facts,
                      SiteProblems& problems) {
  // The root and the download area's folders are made before the list.
  facts.folders = {"", FoldWindowsCase("\\ZeltaWin32"), FoldWindowsCase("\\ZeltaWin32\\Install")};
  IniSection section = OpenSection(file, text, "Directorys");
  int n = 1;
  for (;; ++n) {
    char key[32];
    FormatNumberedKey(key, sizeof key, "Dir", n);
    IniValue dir = ReadKey(section, key, problems);
    if (IsAbsent(dir)) break;
    const std::string& value = dir.value;
    std::string what = std::string(key) + " " + Quoted(value);
    std::string fault = PathFault(value);
    char root[TextSize], path[TextSize];
    if (!IsHarmlessDirectoryValue(value.c_str())) {
      AddProblem(problems, file, dir.line, what + " is passed over by the installer: it " + fault);
    } else if (!fault.empty()) {
      AddProblem(problems, file, dir.line, what + " " + fault);
    } else if (!NameFault(value).empty()) {
      AddProblem(problems, file, dir.line, what + ": " + Cp1250ToUtf8(NameFault(value)));
    } else if (facts.rootUsable &&
               (!FormatInstallRoot(root, sizeof root, VerifyDrive, facts.root.c_str()) ||
                !JoinWhole(path, sizeof path, root, value.c_str()))) {
      AddProblem(problems, file, dir.line, what + " is over 255 characters below the root: the installer passes it over");
    } else if (!Known(facts.folders, FoldWindowsCase(ParentOf(value)))) {
      AddProblem(problems, file, dir.line,
                 what + " comes before its parent folder " + Quoted(ParentOf(value)) + ": it cannot be made");
    } else {
      facts.folders.push_back(FoldWindowsCase(value));
    }
  }
  CheckListEnd(section, "Dir", n - 1, problems);
}

}  // namespace

void CheckCatalogue(const std::string& file, const std::string& text, CatalogueFacts& facts, SiteProblems& problems) {
  CheckInstallerText(file, text, problems);
  if (text.empty()) return;
  IniSection system = OpenSection(file, text, "System");
  if (!system.header.found) {
    AddProblem(problems, file, 0, "has no [System] section: the installer finds no RootDirectory and stops");
  } else {
    CheckRoot(system, facts, problems);
    CheckRecordKeys(system, problems);
  }
  CheckDiscs(file, text, facts, problems);
  CheckDirectories(file, text, facts, problems);
  CheckInstallSteps(file, text, facts, problems);
}
