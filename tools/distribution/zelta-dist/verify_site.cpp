#include "tools/distribution/zelta-dist/verify_site.h"

#include <sys/stat.h>

#include "catalogue/catalogue_names.h"
#include "catalogue/install_state.h"
#include "tools/distribution/zelta-dist/description.h"
#include "tools/distribution/zelta-dist/distribution.h"
#include "tools/distribution/zelta-dist/verify_catalogue.h"
#include "tools/distribution/zelta-dist/verify_checksums.h"
#include "tools/distribution/zelta-dist/verify_file_list.h"
#include "tools/distribution/zelta-dist/verify_hosts.h"

namespace {

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// 1 regular file with at least one byte, 0 none, -1 an empty one.
int ListState(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  return st.st_size > 0 ? 1 : -1;
}

std::string Counted(uint64_t n, const char* word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

// The discs of one host, checked against the catalogue; the download takes
// them in order and ends at the first without a file list.
void CheckDiscs(const std::string& site, const std::string& product, const std::string& catalogueFile,
                const CatalogueFacts& catalogue, SiteVerification& result) {
  SiteProblems& problems = result.problems;
  int end = 0;  // the first disc without a usable file list
  for (int n = 1; n <= DiscCount; ++n) {
    char discFolder[32], listName[32], section[32];
    FormatDiscFolder(discFolder, sizeof discFolder, n);
    FormatFileListName(listName, sizeof listName, n);
    FormatDiscSection(section, sizeof section, n);
    DiscPlace disc = {site, product + "/" + discFolder, n};
    const std::string listFile = disc.folder + "/" + listName;
    int state = ListState(site + "/" + listFile);
    if (state < 0) AddProblem(problems, listFile, 0, "is empty: the installer takes it for missing");
    if (end == 0 && state <= 0) {
      end = n;
      if (n == 1) AddProblem(problems, listFile, 0, "is missing: the download fails at its first disc");
    }
    if (end == 0) {
      std::string text, problem;
      if (!ReadWholeFile(site + "/" + listFile, text, problem)) {
        AddProblem(problems, listFile, 0, "cannot be read: " + problem);
        continue;
      }
      DiscTotals totals;
      CheckFileList(disc, text, catalogueFile, catalogue, totals, problems);
      CheckChecksumList(disc, totals, problems);
      result.discs = n;
      result.files += totals.files;
      result.bytes += totals.bytes;
      continue;
    }
    if (state > 0) {
      AddWarning(problems, listFile, 0,
                 "is never downloaded: the download ends at disc " + std::to_string(end) + ", which has no file list");
    }
    if (catalogue.discs[n - 1].line != 0) {
      AddProblem(problems, catalogueFile, catalogue.discs[n - 1].line,
                 "[" + std::string(section) + "] has no file list " + listName +
                     " that the download reaches: its files never come, the installation asks for the disc");
    }
  }
}

}  // namespace

SiteVerification VerifySite(const std::string& site) {
  SiteVerification result;
  const Description layout;  // where `site` puts the update folders
  const std::string web = "web/" + layout.webFolder;
  const std::string download = "download/" + layout.downloadFolder;
  bool webThere = IsFolder(site + "/" + web), downloadThere = IsFolder(site + "/" + download);
  for (const std::string& folder : {web, download}) {
    if (!IsFolder(site + "/" + folder)) {
      AddProblem(result.problems, folder, 0, "update folder is missing");
    } else {
      CheckProbe(site, folder, result.problems);
    }
  }
  if (webThere && downloadThere) CompareHosts(site, web, download, result.problems);

  // The hosts are compared above; the distribution is read from one of them.
  if (webThere || downloadThere) {
    const std::string product = (webThere ? web : download) + "/" + layout.product;
    char discFolder[32];
    FormatDiscFolder(discFolder, sizeof discFolder, 1);
    const std::string catalogueFile = product + "/" + discFolder + "/Install.ini";
    std::string text, problem;
    if (!ReadWholeFile(site + "/" + catalogueFile, text, problem)) {
      AddProblem(result.problems, catalogueFile, 0, "catalogue cannot be read (" + problem + "): the installer stops");
    } else {
      CatalogueFacts catalogue;
      CheckCatalogue(catalogueFile, text, catalogue, result.problems);
      if (!text.empty()) CheckDiscs(site, product, catalogueFile, catalogue, result);
    }
  }
  SortProblems(result.problems);
  return result;
}

std::string FormatVerification(const SiteVerification& verification) {
  std::string out;
  for (const SiteProblem& problem : verification.problems) out += FormatProblem(problem);
  if (!verification.problems.empty()) {
    size_t warnings = WarningCount(verification.problems);
    return out + Counted(verification.problems.size(), "problem") + " in " +
           Counted(ProblemFileCount(verification.problems), "file") + " (" +
           Counted(verification.problems.size() - warnings, "error") + ", " + Counted(warnings, "warning") + ")\n";
  }
  return "site is good: " + Counted(static_cast<uint64_t>(verification.discs), "disc") + ", " +
         Counted(static_cast<uint64_t>(verification.files), "file") + ", " + Counted(verification.bytes, "byte") + "\n";
}

int VerificationExitCode(const SiteVerification& verification, bool strict) {
  size_t warnings = WarningCount(verification.problems);
  return verification.problems.size() > warnings || (strict && warnings > 0) ? 1 : 0;
}
