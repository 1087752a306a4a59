#include "tools/distribution/zelta-dist/check_server.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/distribution/zelta-dist/answer_rules.h"
#include "tools/distribution/zelta-dist/check_report.h"
#include "tools/distribution/zelta-dist/distribution.h"
#include "tools/distribution/zelta-dist/http_batch.h"
#include "tools/distribution/zelta-dist/installer_urls.h"
#include "tools/distribution/zelta-dist/server_files.h"
#include "tools/distribution/zelta-dist/file_sha256.h"
#include "web/transfer_text.h"

namespace {

const long RequestSeconds = 60;
// Whole files for the comparison may be large; all of them longer still.
const long WholeFileSeconds = 300;
const long FullCheckSeconds = 1800;
// The largest files whose bytes are compared without --full.
const size_t LargestCompared = 3;
// The part a range answer brings is read when it is no longer than this:
// a cut body shows, and the connection stays usable.
const int64_t RangeReadLimit = 1 << 20;

struct CheckOptions {
  std::string web, download, site, caFile;
  int jobs = HttpJobsDefault;
  bool full = false;
  bool strict = false;
};

struct HostCheck {
  std::string folderUrl;
  bool secure = false;
  bool reachable = false;
  ReportHost report;
  std::vector<HttpAnswer> heads;   // per file
  std::vector<bool> good;          // HEAD said 200
  std::vector<std::string> hashes; // per file, of a whole body that came complete
  std::vector<std::string> contents;  // per file, the same of its content as the installer keeps it
};

void PrintUsage(FILE* out) {
  fprintf(out,
          "usage: zelta-dist check-server [--web URL] [--download URL] [--jobs N] [--full]\n"
          "                               [--strict] [--cacert FILE] [SITE]\n"
          "  Asks both hosts what the installer asks (probe, catalogue, file lists,\n"
          "  checksum lists, files) and reports the answers that would fail it (errors)\n"
          "  or cost its users (warnings): one table per host, then 'HOST FILE: what is\n"
          "  wrong' lines and a summary. Exit 0 without errors, 1 with errors (with\n"
          "  --strict: or warnings), 2 a bad command line.\n"
          "  --web URL       the web host's update folder (default %s)\n"
          "  --download URL  the download host's update folder (default %s)\n"
          "  --jobs N        requests at a time, 1 to %d (default %d)\n"
          "  --full          compare the bytes of every file on both hosts (and with the\n"
          "                  checksum lists), not only the catalogue, the lists and the\n"
          "                  %zu largest files\n"
          "  --strict        warnings count as errors for the exit code\n"
          "  --cacert FILE   trust this CA (PEM) beside the system's, for a staging server\n"
          "  SITE            a site folder as 'zelta-dist site' writes it: the files, their\n"
          "                  lengths and bytes come from SITE/web\n",
          InstallerFolderUrl(true).c_str(), InstallerFolderUrl(false).c_str(), static_cast<int>(HttpJobsMax),
          static_cast<int>(HttpJobsDefault), LargestCompared);
}

int UsageError(const std::string& message) {
  fprintf(stderr, "zelta-dist: %s\n", message.c_str());
  PrintUsage(stderr);
  return 2;
}

bool IsFolderUrl(const std::string& url) {
  return (url.compare(0, 7, "http://") == 0 || url.compare(0, 8, "https://") == 0) && !UrlHost(url).empty();
}

std::string WithoutTrailingSlash(std::string url) {
  while (!url.empty() && url.back() == '/') url.pop_back();
  return url;
}

int64_t FileSize(const std::string& path) {
  struct stat s;
  if (stat(path.c_str(), &s) != 0 || !S_ISREG(s.st_mode)) return -1;
  return static_cast<int64_t>(s.st_size);
}

// -1 when the options are good, else the exit code.
int ParseOptions(int argc, char** argv, CheckOptions& o) {
  o.web = InstallerFolderUrl(true);
  o.download = InstallerFolderUrl(false);
  bool haveSite = false;
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      PrintUsage(stdout);
      return 0;
    }
    if (arg == "--full") {
      o.full = true;
    } else if (arg == "--strict") {
      o.strict = true;
    } else if (arg == "--cacert") {
      if (i + 1 >= argc) return UsageError("--cacert needs a file");
      o.caFile = argv[++i];
      if (FileSize(o.caFile) <= 0) return UsageError("--cacert " + o.caFile + ": no such file");
    } else if (arg == "--web" || arg == "--download") {
      if (i + 1 >= argc) return UsageError(arg + " needs a URL");
      std::string url = WithoutTrailingSlash(argv[++i]);
      if (!IsFolderUrl(url)) return UsageError(arg + " needs an http:// or https:// URL, not '" + url + "'");
      (arg == "--web" ? o.web : o.download) = url;
    } else if (arg == "--jobs") {
      if (i + 1 >= argc) return UsageError("--jobs needs a number");
      const char* text = argv[++i];
      char* end = nullptr;
      long n = strtol(text, &end, 10);
      if (*text == '\0' || *end != '\0' || n < 1 || n > HttpJobsMax) {
        return UsageError("--jobs needs a number from 1 to " + std::to_string(HttpJobsMax) + ", not '" + text + "'");
      }
      o.jobs = static_cast<int>(n);
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError("unknown option " + arg);
    } else if (haveSite) {
      return UsageError("more than one SITE");
    } else {
      o.site = arg;
      haveSite = true;
    }
  }
  return -1;
}

bool IsFolder(const std::string& path) {
  struct stat s;
  return stat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}


TextReader HostReader(HttpSession* http, const std::string& folderUrl) {
  return [http, folderUrl](const std::string& path) {
    std::vector<HttpRequest> requests(1);
    requests[0].url = folderUrl + "/" + path;
    requests[0].kind = HttpWhole;
    requests[0].keepBody = true;
    requests[0].totalSeconds = RequestSeconds;
    std::vector<HttpAnswer> answers;
    RunHttpBatch(http, requests, answers, 1);
    return TextFromAnswer(answers[0]);
  };
}

void AddProblems(ReportHost& host, const std::vector<ServerFileProblem>& problems) {
  for (const ServerFileProblem& p : problems) AddFinding(RowOf(host, p.path).findings, false, p.text);
}

std::string LengthText(const HttpAnswer& answer) {
  int64_t length = 0;
  return AnswerLength(answer, &length) ? std::to_string(static_cast<long long>(length)) : "-";
}

// The probe on every host; a host that does not answer it at all is not
// asked anything more.
void ProbeHosts(HttpSession* http, std::vector<HostCheck>& hosts, int jobs) {
  const std::string probe = InstallerProbeName();
  std::vector<HttpRequest> requests(hosts.size());
  for (size_t h = 0; h < hosts.size(); ++h) {
    requests[h].url = hosts[h].folderUrl + "/" + probe;
    requests[h].kind = HttpWhole;
    requests[h].keepBody = true;
    requests[h].totalSeconds = RequestSeconds;
  }
  std::vector<HttpAnswer> answers;
  RunHttpBatch(http, requests, answers, jobs);
  for (size_t h = 0; h < hosts.size(); ++h) {
    ReportRow& row = RowOf(hosts[h].report, probe);
    if (answers[h].answered) row.status = std::to_string(answers[h].status);
    row.length = LengthText(answers[h]);
    CheckProbe(answers[h], hosts[h].secure, row.findings);
    hosts[h].reachable = answers[h].answered;
    if (!hosts[h].reachable && !row.findings.empty()) row.findings.back().text += "; no file of this host was checked";
  }
}

// The files, from the site or from the first host that has a catalogue.
// Returns the host the list came from, -1 for the site or none.
int ListFiles(HttpSession* http, const CheckOptions& o, const std::string& siteFolder, std::vector<HostCheck>& hosts,
              ReportHost& site, ServerFileSet& set) {
  if (!o.site.empty()) {
    ListServerFiles(FolderReader(siteFolder), set);
    AddProblems(site, set.problems);
    return -1;
  }
  std::vector<ServerFileSet> tried(hosts.size());
  for (size_t h = 0; h < hosts.size(); ++h) {
    if (!hosts[h].reachable) continue;
    ListServerFiles(HostReader(http, hosts[h].folderUrl), tried[h]);
    if (!tried[h].files.empty()) {
      set = tried[h];
      return static_cast<int>(h);
    }
  }
  // No host has a catalogue: each one says why.
  for (size_t h = 0; h < hosts.size(); ++h) AddProblems(hosts[h].report, tried[h].problems);
  return -1;
}

// The site's length of each file; a file the site lacks is a problem of the site.
std::vector<int64_t> SiteLengths(const std::vector<ServerFile>& files, const std::string& siteFolder,
                                 ReportHost& site) {
  std::vector<int64_t> lengths;
  if (siteFolder.empty()) return lengths;
  for (const ServerFile& file : files) {
    lengths.push_back(FileSize(siteFolder + "/" + file.path));
    if (lengths.back() < 0) AddFinding(RowOf(site, file.path).findings, false, "not in the site");
  }
  return lengths;
}

// The length a host announced for a file it has (HEAD answered 200), else -1.
int64_t HeadLength(const HostCheck& host, size_t file) {
  int64_t length = -1;
  const HttpAnswer& head = host.heads[file];
  if (!head.answered || head.status != 200 || !AnswerLength(head, &length)) length = -1;
  return length;
}

void AskHeads(HttpSession* http, std::vector<HostCheck>& hosts, const std::vector<ServerFile>& files, int jobs) {
  std::vector<HttpRequest> requests;
  for (HostCheck& host : hosts) {
    if (!host.reachable) continue;
    for (const ServerFile& file : files) {
      HttpRequest r;
      r.url = host.folderUrl + "/" + file.path;
      r.kind = HttpHead;
      r.totalSeconds = RequestSeconds;
      requests.push_back(r);
    }
  }
  std::vector<HttpAnswer> answers;
  RunHttpBatch(http, requests, answers, jobs);
  size_t k = 0;
  for (HostCheck& host : hosts) {
    host.heads.assign(files.size(), HttpAnswer());
    host.good.assign(files.size(), false);
    host.hashes.assign(files.size(), std::string());
    host.contents.assign(files.size(), std::string());
    if (!host.reachable) continue;
    for (size_t i = 0; i < files.size(); ++i) host.heads[i] = answers[k++];
  }

  // The installer never sends HEAD: where a server refuses it, the headers
  // of a GET stand in.
  requests.clear();
  std::vector<HttpAnswer*> refused;
  for (HostCheck& host : hosts) {
    for (size_t i = 0; i < host.heads.size(); ++i) {
      if (host.heads[i].status != 405 && host.heads[i].status != 501) continue;
      HttpRequest r;
      r.url = host.folderUrl + "/" + files[i].path;
      r.kind = HttpHeaders;
      r.totalSeconds = RequestSeconds;
      requests.push_back(r);
      refused.push_back(&host.heads[i]);
    }
  }
  RunHttpBatch(http, requests, answers, jobs);
  for (size_t n = 0; n < refused.size(); ++n) *refused[n] = answers[n];
}

// The lengths come from the site when there is one, else every other host
// is held to the reference host's.
void JudgeHeads(std::vector<HostCheck>& hosts, const std::vector<ServerFile>& files,
                const std::vector<int64_t>& siteLengths, int reference) {
  for (size_t h = 0; h < hosts.size(); ++h) {
    HostCheck& host = hosts[h];
    if (!host.reachable) continue;
    for (size_t i = 0; i < files.size(); ++i) {
      const HttpAnswer& head = host.heads[i];
      LengthExpectation expect;
      expect.filtered = !files[i].source.empty() && IsFilteredName(files[i].source.c_str());
      if (!siteLengths.empty()) {
        expect.length = siteLengths[i];
        expect.from = "the site";
      } else if (reference >= 0 && static_cast<int>(h) != reference) {
        expect.length = HeadLength(hosts[reference], i);
        expect.from = hosts[reference].report.name;
      }
      ReportRow& row = RowOf(host.report, files[i].path);
      if (head.answered) row.status = std::to_string(head.status);
      row.length = LengthText(head);
      row.validators = ValidatorsColumn(head);
      host.good[i] = CheckFileHead(head, host.secure, expect, row.findings);
    }
  }
}

// The files whose bytes are compared: the catalogue texts and the largest
// files (by the site's lengths, else the reference host's), or all of them.
std::vector<bool> ComparedFiles(const std::vector<ServerFile>& files, const std::vector<int64_t>& siteLengths,
                                const std::vector<HostCheck>& hosts, int reference, bool full) {
  std::vector<bool> compared(files.size(), full);
  std::vector<int64_t> lengths = siteLengths;
  if (lengths.empty() && reference >= 0) {
    for (size_t i = 0; i < files.size(); ++i) lengths.push_back(HeadLength(hosts[reference], i));
  }
  lengths.resize(files.size(), -1);
  std::vector<size_t> others;
  for (size_t i = 0; i < files.size(); ++i) {
    if (files[i].listText) {
      compared[i] = true;
    } else {
      others.push_back(i);
    }
  }
  std::stable_sort(others.begin(), others.end(), [&](size_t a, size_t b) { return lengths[a] > lengths[b]; });
  for (size_t k = 0; k < others.size() && k < LargestCompared; ++k) compared[others[k]] = true;
  return compared;
}

struct AskedGet {
  size_t host, file;
  bool whole;
  RangeRequest range;
};

// The range GETs (a small part read, a large one stopped after the
// headers) and the whole GETs of the compared files, in one batch.
void AskGets(HttpSession* http, std::vector<HostCheck>& hosts, const std::vector<ServerFile>& files,
             const std::vector<bool>& compared, const CheckOptions& o) {
  std::vector<HttpRequest> requests;
  std::vector<AskedGet> asked;
  for (size_t h = 0; h < hosts.size(); ++h) {
    for (size_t i = 0; i < files.size(); ++i) {
      if (!hosts[h].good[i]) continue;
      HttpRequest r;
      r.url = hosts[h].folderUrl + "/" + files[i].path;
      r.totalSeconds = RequestSeconds;
      AskedGet get = {h, i, false, PlanRangeRequest(hosts[h].heads[i])};
      r.kind = HttpHeaders;
      r.headers = get.range.headers;
      r.readLimit = RangeReadLimit;
      requests.push_back(r);
      asked.push_back(get);
      if (!compared[i]) continue;
      r.kind = HttpWhole;
      r.headers.clear();
      r.interleaved = !files[i].source.empty() && IsFilteredName(files[i].source.c_str());
      if (!files[i].listText) r.totalSeconds = o.full ? FullCheckSeconds : WholeFileSeconds;
      get.whole = true;
      requests.push_back(r);
      asked.push_back(get);
    }
  }
  std::vector<HttpAnswer> answers;
  RunHttpBatch(http, requests, answers, o.jobs);
  for (size_t k = 0; k < asked.size(); ++k) {
    HostCheck& host = hosts[asked[k].host];
    ReportRow& row = RowOf(host.report, files[asked[k].file].path);
    if (!asked[k].whole) {
      row.ranges = RangeColumn(CheckRangeAnswer(answers[k], asked[k].range, host.secure, row.findings));
      continue;
    }
    size_t before = row.findings.size();
    CheckWholeBody(answers[k], host.secure, row.findings);
    if (row.findings.size() == before) {
      host.hashes[asked[k].file] = answers[k].sha256;
      host.contents[asked[k].file] = answers[k].contentSha256;
    }
  }
}

void CompareContents(std::vector<HostCheck>& hosts, const std::vector<ServerFile>& files,
                     const std::vector<bool>& compared, const std::string& siteFolder, int reference) {
  for (size_t i = 0; i < files.size(); ++i) {
    if (!compared[i]) continue;
    std::string wanted, from;
    if (!siteFolder.empty()) {
      if (!Sha256OfFile(siteFolder + "/" + files[i].path, wanted)) continue;
      from = "the site";
    } else if (reference >= 0) {
      wanted = hosts[reference].hashes[i];
      from = hosts[reference].report.name;
    }
    if (wanted.empty()) continue;
    for (size_t h = 0; h < hosts.size(); ++h) {
      const std::string& got = hosts[h].hashes[i];
      if (got.empty() || got == wanted) continue;
      AddFinding(RowOf(hosts[h].report, files[i].path).findings, false,
                 "the bytes differ from " + from + " (SHA-256 " + got.substr(0, 16) + "..., " + from + " " +
                     wanted.substr(0, 16) + "...)");
    }
  }
}

// Each disc's checksum list against the files of the disc: the list itself
// (on `owner`, the site or the host the files were listed from), then every
// host's length and content of each file against its line.
void CheckChecksums(std::vector<HostCheck>& hosts, const ServerFileSet& set, ReportHost& owner) {
  for (const ChecksumListRead& list : set.checksums) {
    Findings& findings = RowOf(owner, list.path).findings;
    if (list.read.state == TextMissing) {
      AddFinding(findings, true, "no checksum list: the installer cannot check the files of this disc");
      continue;
    }
    if (list.read.state != TextFound) continue;  // said by the walk
    ChecksumListText text = ReadChecksumList(list.read.text);
    std::vector<std::string> sources;
    for (const ServerFile& file : set.files) {
      if (file.disc == list.disc && !file.listText) sources.push_back(file.source);
    }
    CheckChecksumList(text, sources, findings);
    for (size_t i = 0; i < set.files.size(); ++i) {
      const ServerFile& file = set.files[i];
      if (file.disc != list.disc || file.listText) continue;
      for (const ChecksumEntry& entry : text.entries) {
        if (entry.source != file.source) continue;
        for (HostCheck& host : hosts) {
          if (!host.reachable) continue;
          CheckAgainstChecksum(entry, IsFilteredName(file.source.c_str()), HeadLength(host, i), host.contents[i],
                               RowOf(host.report, file.path).findings);
        }
        break;
      }
    }
  }
}

ReportCounts Check(HttpSession* http, const CheckOptions& o, const std::string& siteFolder) {
  std::vector<HostCheck> hosts(2);
  hosts[0].folderUrl = o.web;
  hosts[1].folderUrl = o.download;
  for (HostCheck& host : hosts) {
    host.secure = host.folderUrl.compare(0, 8, "https://") == 0;
    host.report.name = UrlHost(host.folderUrl);
    host.report.title = host.report.name + " (" + host.folderUrl + ")";
  }
  ReportHost site;
  site.name = "site";

  ProbeHosts(http, hosts, o.jobs);
  ServerFileSet set;
  int reference = ListFiles(http, o, siteFolder, hosts, site, set);
  for (HostCheck& host : hosts) {
    if (!host.reachable) continue;
    for (const ServerFile& file : set.files) RowOf(host.report, file.path);
  }
  if (reference >= 0) AddProblems(hosts[reference].report, set.problems);

  std::vector<int64_t> siteLengths = SiteLengths(set.files, siteFolder, site);
  AskHeads(http, hosts, set.files, o.jobs);
  JudgeHeads(hosts, set.files, siteLengths, reference);
  std::vector<bool> compared = ComparedFiles(set.files, siteLengths, hosts, reference, o.full);
  AskGets(http, hosts, set.files, compared, o);
  CompareContents(hosts, set.files, compared, siteFolder, reference);
  if (!siteFolder.empty() || reference >= 0) CheckChecksums(hosts, set, siteFolder.empty() ? hosts[reference].report : site);

  std::vector<ReportHost> reports;
  for (const HostCheck& host : hosts) reports.push_back(host.report);
  reports.push_back(site);
  return PrintReport(stdout, reports, set.files.size() + 1);
}

}  // namespace

int RunCheckServer(int argc, char** argv) {
  CheckOptions o;
  int rc = ParseOptions(argc, argv, o);
  if (rc >= 0) return rc;
  std::string siteFolder;
  if (!o.site.empty()) {
    siteFolder = o.site + "/web/" + InstallerFolderPath(true);
    if (!IsFolder(siteFolder)) return UsageError(siteFolder + " is not a folder (SITE as 'site' writes it)");
  }
  HttpSession* http = OpenHttpSession(o.caFile);
  if (http == nullptr) {
    fprintf(stderr, "zelta-dist: libcurl cannot be set up%s\n",
            o.caFile.empty() ? "" : (" (or " + o.caFile + " holds no PEM certificate)").c_str());
    return 1;
  }
  ReportCounts counts = Check(http, o, siteFolder);
  CloseHttpSession(http);
  return counts.errors > 0 || (o.strict && counts.warnings > 0) ? 1 : 0;
}
