// zelta-dist: makes the vendor's server files, and the expected results,
// from a distribution description.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/distribution/zelta-dist/check_server.h"
#include "tools/distribution/zelta-dist/checksum_lists.h"
#include "tools/distribution/zelta-dist/description.h"
#include "tools/distribution/zelta-dist/distribution.h"
#include "tools/distribution/zelta-dist/verify_site.h"

namespace {

const char Usage[] =
    "usage: zelta-dist [--define NAME=PATH]... COMMAND DESCRIPTION [DIR]\n"
    "  site DESCRIPTION SITE    write both hosts' files (SITE/web, SITE/download) and\n"
    "                           the empty fault folders (SITE/faults/web, .../download)\n"
    "  expect DESCRIPTION DIR   write the real files: DIR/root (installation root),\n"
    "                           DIR/windows (*% targets), DIR/download/Disc_nn (downloads)\n"
    "  list DESCRIPTION         print disc, component, source, target, real size,\n"
    "                           stored size and storage of every file (tab-separated)\n"
    "  check DESCRIPTION        read the description and its files, write nothing\n"
    "  verify [--strict] SITE   check a site as it is to be uploaded (SITE/web,\n"
    "                           SITE/download) against what the installer accepts;\n"
    "                           prints FILE:LINE: problem lines (warnings marked), then\n"
    "                           a summary; exit 1 on errors (--strict: warnings too)\n"
    "  checksums SITE           write each disc's checksum list (Fajls_n.sha256) into\n"
    "                           both update folders of a site made by other means\n"
    "  serve SITE [--port-https N] [--port-http N] [--state DIR]\n"
    "                           serve SITE on 127.0.0.1 and ::1 for try-outs (web host\n"
    "                           HTTPS 443, download host HTTP 80) until Ctrl-C; prints\n"
    "                           the URLs and how to trust its test CA\n"
    "  check-server [--web URL] [--download URL] [--jobs N] [--full] [--strict]\n"
    "               [--cacert FILE] [SITE]\n"
    "                           ask the live hosts what the installer asks and report the\n"
    "                           answers that would fail it (check-server --help)\n"
    "  --define NAME=PATH       the value of @{NAME} in Copy paths\n";

int UsageError(const char* message) {
  fprintf(stderr, "zelta-dist: %s\n%s", message, Usage);
  return 2;
}

// serve is a shell script around nginx and openssl; the build bakes in its path.
int Serve(char** args) {
  std::vector<char*> command = {const_cast<char*>("bash"), const_cast<char*>(ZELTA_SERVE_SCRIPT)};
  for (; *args != nullptr; ++args) command.push_back(*args);
  command.push_back(nullptr);
  execvp("bash", command.data());
  fprintf(stderr, "zelta-dist: cannot run %s: %s\n", ZELTA_SERVE_SCRIPT, strerror(errno));
  return 1;
}

std::string FolderOf(const std::string& path) {
  size_t cut = path.rfind('/');
  if (cut == std::string::npos) return ".";
  if (cut == 0) return "/";
  return path.substr(0, cut);
}

}  // namespace

int main(int argc, char** argv) {
  // check-server asks live hosts: options of its own, no description.
  if (argc >= 2 && strcmp(argv[1], "check-server") == 0) return RunCheckServer(argc - 2, argv + 2);
  // serve has options of its own.
  if (argc >= 2 && strcmp(argv[1], "serve") == 0) return Serve(argv + 2);
  DistParseOptions options;
  bool strict = false;
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      fputs(Usage, stdout);
      return 0;
    }
    if (arg == "--define") {
      if (i + 1 >= argc) return UsageError("--define needs NAME=PATH");
      std::string define = argv[++i];
      size_t equals = define.find('=');
      if (equals == std::string::npos || equals == 0) return UsageError("--define needs NAME=PATH");
      options.defines.emplace_back(define.substr(0, equals), define.substr(equals + 1));
      continue;
    }
    if (arg == "--strict") {
      strict = true;
      continue;
    }
    if (arg.size() > 1 && arg[0] == '-') return UsageError(("unknown option " + arg).c_str());
    args.push_back(arg);
  }
  if (args.empty()) return UsageError("no command");

  if (strict && args[0] != "verify") return UsageError("--strict is an option of verify and check-server");
  // verify and checksums read a site, no description.
  if (args[0] == "verify") {
    if (args.size() != 2) return UsageError("wrong number of arguments for verify");
    SiteVerification verification = VerifySite(args[1]);
    fputs(FormatVerification(verification).c_str(), stdout);
    return VerificationExitCode(verification, strict);
  }
  if (args[0] == "checksums") {
    if (args.size() != 2) return UsageError("wrong number of arguments for checksums");
    std::string report, error;
    if (!WriteSiteChecksums(args[1], report, error)) {
      fprintf(stderr, "zelta-dist: %s\n", error.c_str());
      return 1;
    }
    fputs(report.c_str(), stdout);
    return 0;
  }

  const std::string& command = args[0];
  size_t wanted = (command == "site" || command == "expect") ? 3 : 2;
  if (command != "site" && command != "expect" && command != "list" && command != "check") {
    return UsageError(("unknown command " + command).c_str());
  }
  if (args.size() != wanted) return UsageError(("wrong number of arguments for " + command).c_str());

  const std::string& path = args[1];
  std::string text, problem;
  if (!ReadWholeFile(path, text, problem)) {
    fprintf(stderr, "zelta-dist: %s: %s\n", path.c_str(), problem.c_str());
    return 1;
  }
  options.fileName = path;
  options.baseDir = FolderOf(path);

  Description description;
  Distribution dist;
  std::string error;
  if (!ParseDescription(text, options, description, error) ||
      !LoadDistribution(description, path, dist, error)) {
    fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }

  bool ok = true;
  if (command == "site") {
    ok = WriteSite(dist, args[2], error);
  } else if (command == "expect") {
    ok = WriteExpected(dist, args[2], error);
  } else if (command == "list") {
    fputs(BuildListing(dist).c_str(), stdout);
  }
  if (!ok) {
    fprintf(stderr, "zelta-dist: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
