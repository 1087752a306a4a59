// check-server without a network: the answer rules, the file walk and the
// report format.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "tools/distribution/zelta-dist/answer_rules.h"
#include "tools/distribution/zelta-dist/check_report.h"
#include "tools/distribution/zelta-dist/installer_urls.h"
#include "tools/distribution/zelta-dist/server_files.h"
#include "web/vendor_paths.h"

namespace {

HttpAnswer Answer(int status, std::vector<std::pair<std::string, std::string>> headers) {
  HttpAnswer a;
  a.answered = true;
  a.status = status;
  a.headers = std::move(headers);
  return a;
}

// "error: text | warning: text" for comparing findings in one line.
std::string Described(const Findings& findings) {
  std::string out;
  for (const Finding& f : findings) {
    if (!out.empty()) out += " | ";
    out += (f.warning ? "warning: " : "error: ") + f.text;
  }
  return out;
}

const std::pair<std::string, std::string> Tag{"ETag", "\"5e1-28\""};
const std::pair<std::string, std::string> Date{"Last-Modified", "Mon, 04 Nov 2019 10:00:00 GMT"};

const char WeakTagOnly[] =
    "warning: a weak ETag: the installer cannot resume the file (If-Range needs a strong one, and where a tag was "
    "given its date may not stand in)";

TEST(AnswerRules, FileHead) {
  struct Case {
    const char* name;
    HttpAnswer head;
    bool secure;
    LengthExpectation expect;
    bool worthGet;
    std::string findings;
  };
  HttpAnswer silent;
  silent.error = "Could not resolve host: www.zeltasoft.example";
  LengthExpectation none, site40{40, "the site", false}, filtered{-1, "", true};
  const std::pair<std::string, std::string> length40{"Content-Length", "40"};
  const Case cases[] = {
      {"good", Answer(200, {length40, Tag, Date}), true, site40, true, ""},
      {"no answer", silent, true, none, false, "error: no answer: Could not resolve host: www.zeltasoft.example"},
      {"404", Answer(404, {length40}), true, none, false, "error: status 404: the installer needs 200"},
      {"redirect to http from https", Answer(302, {{"Location", "http://x.example/a"}}), true, none, false,
       "error: redirect (302) to http://x.example/a: plain http from the HTTPS host is insecure, the installer "
       "refuses it"},
      {"redirect on the http host", Answer(301, {{"location", "http://x.example/a"}}), false, none, false,
       "warning: redirect (301) to http://x.example/a: not followed here, so what it leads to is unchecked"},
      {"no length", Answer(200, {Tag}), true, none, true, "error: no Content-Length: the installer refuses the file"},
      {"zero length", Answer(200, {{"Content-Length", "0"}, Tag}), true, none, true,
       "error: Content-Length 0: the installer refuses the file"},
      {"length differs", Answer(200, {{"Content-Length", "41"}, Tag}), true, site40, true,
       "error: Content-Length 41, but 40 on the site"},
      {"odd stored length", Answer(200, {{"Content-Length", "41"}, Tag}), true, filtered, true,
       "error: Content-Length 41 is odd: ex_/dl_ files are stored two bytes per byte"},
      {"compressed", Answer(200, {length40, {"content-encoding", "gzip"}, Tag}), true, none, true,
       "error: Content-Encoding gzip: compressed, the lengths the installer checks break"},
      {"chunked", Answer(200, {{"Transfer-Encoding", "chunked"}, Tag}), true, none, true,
       "error: Transfer-Encoding chunked: no Content-Length for the installer | error: no Content-Length: the "
       "installer refuses the file"},
      {"no validators", Answer(200, {length40}), true, none, true,
       "warning: no ETag or Last-Modified: the installer can neither resume nor reuse the file"},
      // Where a tag was given, a date may not stand in for it.
      {"weak tag only", Answer(200, {length40, {"ETag", "W/\"x\""}}), true, none, true, WeakTagOnly},
      {"weak tag and a date", Answer(200, {length40, {"ETag", "W/\"x\""}, Date}), true, none, true, WeakTagOnly},
      {"a date and no tag", Answer(200, {length40, Date}), true, none, true, ""},
  };
  for (const Case& c : cases) {
    Findings findings;
    EXPECT_EQ(CheckFileHead(c.head, c.secure, c.expect, findings), c.worthGet) << c.name;
    EXPECT_EQ(Described(findings), c.findings) << c.name;
  }
}

// A disc's checksum list against the files the installer fetches, and a
// host's answer for one file against its line.
TEST(AnswerRules, ChecksumLists) {
  const std::string a(64, 'a'), b(64, 'b');
  ChecksumListText list = ReadChecksumList("# sums\r\n" + a + " 10 \\x.txt\r\n" + b + " 4 ex_y.dat\r\nbad\r\n" +
                                           a + " 1 \\gone.txt\r\n");
  ASSERT_EQ(list.entries.size(), 3u);
  EXPECT_EQ(list.entries[0].source, "x.txt");
  EXPECT_EQ(list.entries[1].line, 3);
  EXPECT_EQ(list.badLines, std::vector<int>{4});
  Findings findings;
  CheckChecksumList(list, {"x.txt", "ex_y.dat", "z.txt"}, findings);
  EXPECT_EQ(Described(findings),
            "error: line 4 is no '<SHA-256> <length> <source>' line: the installer cannot read the list and stops at "
            "this disc | error: no line for z.txt: the installer stops at that file | warning: line 5: gone.txt is "
            "not downloaded from this disc, the line is never read");

  struct Case {
    const char* name;
    const ChecksumEntry& entry;
    bool filtered;
    int64_t stored;
    std::string content;
    std::string findings;
  } cases[] = {
      {"fits", list.entries[0], false, 10, a, ""},
      {"not read whole: the length alone", list.entries[0], false, 10, "", ""},
      {"stored two bytes per byte", list.entries[1], true, 8, b, ""},
      {"another length", list.entries[1], true, 4, "",
       "error: Content-Length 4, but the checksum list gives 8 (twice its length): the installer refuses the file"},
      {"other bytes", list.entries[0], false, -1, b,
       "error: the content's SHA-256 is bbbbbbbbbbbbbbbb..., the checksum list's aaaaaaaaaaaaaaaa...: the "
       "installer refuses the file"},
  };
  for (const Case& c : cases) {
    Findings found;
    CheckAgainstChecksum(c.entry, c.filtered, c.stored, c.content, found);
    EXPECT_EQ(Described(found), c.findings) << c.name;
  }
}

TEST(AnswerRules, RangeAsTheInstallerAsks) {
  struct Case {
    const char* name;
    HttpAnswer head;
    bool asked;
    int64_t offset;
    std::vector<std::string> headers;
  };
  const Case cases[] = {
      {"strong tag", Answer(200, {{"Content-Length", "41"}, Tag, Date}), true, 20,
       {"Range: bytes=20-", "If-Range: \"5e1-28\""}},
      {"weak tag: no range", Answer(200, {{"Content-Length", "40"}, {"ETag", "W/\"x\""}, Date}), false, 0, {}},
      {"no tag: the date", Answer(200, {{"Content-Length", "40"}, Date}), true, 20,
       {"Range: bytes=20-", "If-Range: Mon, 04 Nov 2019 10:00:00 GMT"}},
      {"no validator", Answer(200, {{"Content-Length", "40"}}), false, 0, {}},
      {"no length", Answer(200, {Tag}), false, 0, {}},
  };
  for (const Case& c : cases) {
    RangeRequest range = PlanRangeRequest(c.head);
    EXPECT_EQ(range.asked, c.asked) << c.name;
    EXPECT_EQ(range.offset, c.offset) << c.name;
    EXPECT_EQ(range.headers, c.headers) << c.name;
  }
}

// A GET answer whose body was read: all of the announced length unless
// said otherwise.
HttpAnswer Read(HttpAnswer a, int64_t received = -1, const std::string& error = "") {
  if (received < 0 && !AnswerLength(a, &received)) received = 0;
  a.received = received;
  a.error = error;
  return a;
}

HttpAnswer Stopped(HttpAnswer a) {
  a.stopped = true;
  return a;
}

TEST(AnswerRules, RangeAnswer) {
  RangeRequest asked;
  asked.asked = true;
  asked.offset = 20;
  asked.length = 41;
  RangeRequest plain;
  const std::pair<std::string, std::string> part{"Content-Range", "bytes 20-40/41"};
  const std::pair<std::string, std::string> partLength{"Content-Length", "21"};
  struct Case {
    const char* name;
    HttpAnswer get;
    const RangeRequest* range;
    RangeVerdict verdict;
    std::string findings;
  };
  const Case cases[] = {
      {"honoured", Read(Answer(206, {part, partLength})), &asked, RangeHonoured, ""},
      {"honoured, not read", Stopped(Answer(206, {part, partLength})), &asked, RangeHonoured, ""},
      {"honoured, cut", Read(Answer(206, {part, partLength}), 5, "transfer closed with 16 bytes remaining to read"),
       &asked, RangeHonoured,
       "error: the body broke off after 5 of 21 bytes: transfer closed with 16 bytes remaining to read"},
      {"honoured, short without an error", Read(Answer(206, {part, partLength}), 20), &asked, RangeHonoured,
       "error: a body of 20 bytes for Content-Length 21"},
      {"ignored", Stopped(Answer(200, {{"Content-Length", "41"}})), &asked, RangeIgnored,
       "warning: ranges ignored (200 for Range: bytes=20- with If-Range): an interrupted download starts again"},
      {"another part", Read(Answer(206, {{"Content-Range", "bytes 20-29/41"}, {"Content-Length", "10"}})), &asked,
       RangeWrong,
       "error: 206 with Content-Range 'bytes 20-29/41' and Content-Length 10 for Range: bytes=20- with If-Range: "
       "the installer needs bytes 20-40/41"},
      {"right range, wrong length", Read(Answer(206, {part, {"Content-Length", "41"}})), &asked, RangeWrong,
       "error: 206 with Content-Range 'bytes 20-40/41' and Content-Length 41 for Range: bytes=20- with If-Range: "
       "the installer needs bytes 20-40/41"},
      {"no Content-Range", Read(Answer(206, {partLength})), &asked, RangeWrong,
       "error: 206 with Content-Range '-' and Content-Length 21 for Range: bytes=20- with If-Range: the installer "
       "needs bytes 20-40/41"},
      {"refused", Read(Answer(416, {})), &asked, RangeWrong, "error: status 416 for Range: bytes=20- with If-Range"},
      {"chunked GET", Stopped(Answer(200, {{"Transfer-Encoding", "chunked"}})), &plain, RangeNotTried,
       "error: Transfer-Encoding chunked: no Content-Length for the installer"},
      {"GET differs from HEAD", Read(Answer(503, {})), &plain, RangeNotTried,
       "error: status 503 for a GET after 200 for HEAD"},
  };
  for (const Case& c : cases) {
    Findings findings;
    EXPECT_EQ(CheckRangeAnswer(c.get, *c.range, true, findings), c.verdict) << c.name;
    EXPECT_EQ(Described(findings), c.findings) << c.name;
  }
}

TEST(AnswerRules, WholeBodyAndProbe) {
  HttpAnswer cut = Answer(200, {{"Content-Length", "200"}});
  cut.received = 100;
  cut.error = "transfer closed with 100 bytes remaining to read";
  HttpAnswer shorter = Answer(200, {{"Content-Length", "200"}});
  shorter.received = 150;
  HttpAnswer whole = Answer(200, {{"Content-Length", "200"}});
  whole.received = 200;
  struct Case {
    const char* name;
    const HttpAnswer& answer;
    std::string findings;
  } bodies[] = {
      {"cut", cut, "error: the body broke off after 100 of 200 bytes: transfer closed with 100 bytes remaining to read"},
      {"short", shorter, "error: a body of 150 bytes for Content-Length 200"},
      {"whole", whole, ""},
  };
  for (const Case& c : bodies) {
    Findings findings;
    CheckWholeBody(c.answer, true, findings);
    EXPECT_EQ(Described(findings), c.findings) << c.name;
  }

  const std::string markers = "ZeltaCAD WEB update system: V9.21\r\nDemo\r\nZeltaSoft Ltd. 1992-2019.\r\n";
  struct Probe {
    const char* name;
    std::string body;
    bool withLength;
    std::string findings;
  } probes[] = {
      {"good", markers, true, ""},
      {"a portal page", "<html><body>Sign in</body></html>\r\n", true,
       "error: the two marker lines are missing: the installer passes over this host"},
      {"second marker without CR LF", markers.substr(0, markers.size() - 2), true,
       "error: the two marker lines are missing: the installer passes over this host"},
      {"no length", markers, false, "error: no Content-Length above 0: the installer passes over this host"},
  };
  for (const Probe& p : probes) {
    HttpAnswer probe = Answer(200, {});
    if (p.withLength) probe.headers.emplace_back("Content-Length", std::to_string(p.body.size()));
    probe.body = p.body;
    Findings findings;
    CheckProbe(probe, true, findings);
    EXPECT_EQ(Described(findings), p.findings) << p.name;
  }
}

TEST(AnswerRules, CatalogueTexts) {
  HttpAnswer found = Answer(200, {{"Content-Length", "4"}});
  found.body = "a\r\n\r";
  HttpAnswer cut = found;
  cut.body = "a\r";
  HttpAnswer gone = Answer(404, {});
  HttpAnswer removed = Answer(410, {});
  HttpAnswer forbidden = Answer(403, {});
  HttpAnswer busy = Answer(503, {});
  HttpAnswer moved = Answer(302, {{"Location", "https://x.example/"}});
  HttpAnswer silent;
  silent.error = "Connection refused";
  struct Case {
    const char* name;
    const HttpAnswer& answer;
    TextReadState state;
    std::string problem;
  } cases[] = {
      {"found", found, TextFound, ""},
      {"cut", cut, TextFailed, "the body broke off after 2 of 4 bytes"},
      {"404: the end of the discs", gone, TextMissing, "status 404"},
      {"410: the end of the discs", removed, TextMissing, "status 410"},
      {"403: no end, a failure", forbidden, TextFailed, "status 403"},
      {"503: no end, a failure", busy, TextFailed, "status 503"},
      {"redirect", moved, TextFailed, "redirect (302) to https://x.example/"},
      {"no answer", silent, TextFailed, "no answer: Connection refused"},
  };
  for (const Case& c : cases) {
    TextRead read = TextFromAnswer(c.answer);
    EXPECT_EQ(read.state, c.state) << c.name;
    EXPECT_EQ(read.problem, c.problem) << c.name;
    EXPECT_EQ(read.text, c.state == TextFound ? c.answer.body : "") << c.name;
  }
}

TEST(InstallerUrls, AsTheInstallerFormsThem) {
  EXPECT_EQ(InstallerFolderUrl(true), std::string("https://") + WebHost() + "/Download/UpDate-V9.20");
  EXPECT_EQ(InstallerFolderUrl(false), std::string("http://") + DownloadHost() + "/UpDate-V9.20");
  EXPECT_EQ(InstallerFolderPath(true), "Download/UpDate-V9.20");
  EXPECT_EQ(InstallerProbeName(), "Update.ini");
  EXPECT_EQ(InstallerProductFolder(), "VarnelDemo");
  EXPECT_EQ(UrlHost("https://localhost:8443/Download/x"), "localhost:8443");
  EXPECT_EQ(UrlHost("http://download.zeltasoft.example"), "download.zeltasoft.example");
  EXPECT_EQ(UrlPathOf("VarnelDemo/Disc_01/Systems\\bin\\zelta.exe"), "VarnelDemo/Disc_01/Systems/bin/zelta.exe");
  EXPECT_EQ(UrlPathOf("a b\x7F\xE1.txt"), "a%20b%7F%E1.txt");
}

// The walk over texts held in memory, keyed by path; absent paths are 404s.
struct Walk {
  const char* name;
  std::map<std::string, std::string> texts;
  std::vector<std::string> files;
  std::vector<std::string> problems;  // "path: text"
  int discs;
};

TEST(ServerFiles, WalksAsTheInstallerDownloads) {
  const std::string cat = "VarnelDemo/Disc_01/Install.ini";
  const std::string list1 = "VarnelDemo/Disc_01/Fajls_1.ini", list2 = "VarnelDemo/Disc_02/Fajls_2.ini";
  const std::string sums1 = "VarnelDemo/Disc_01/Fajls_1.sha256";
  const std::string system = "[System]\r\nRootDirectory=V92EDemo\r\n";
  const Walk walks[] = {
      {"two discs, checksums for the first",
       {{cat, system + "[Disc01]\r\nName=One\r\nSetup=10\r\nSystems=5\r\n[Disc02]\r\nName=Two\r\nHelp=3\r\n"},
        {sums1, "# sums\r\n"},
        {list1,
         "[Disc]\r\nName=One\r\n[Setup]\r\nFile1=\\Setup\\a.ini *?\\a.ini\r\nFile2=  \\bin\\ex_c.dll,\\c.dll\r\n"
         "[Systems]\r\nFile1=\\Setup\\a.ini \\b.ini\r\n[Drawings]\r\nFile1=\\d.zdw \\d.zdw\r\n"},
        {list2, "[Help]\r\nFile1=\\h.txt \\h.txt\r\nFile3=\\gap.txt \\g.txt\r\n"}},
       {cat, list1, sums1, "VarnelDemo/Disc_01/Setup/a.ini", "VarnelDemo/Disc_01/bin/ex_c.dll", list2,
        "VarnelDemo/Disc_02/h.txt"},
       {},
       2},
      {"no catalogue", {}, {}, {cat + ": status 404; the installer cannot start"}, 0},
      {"no first file list",
       {{cat, system + "[Disc01]\r\nName=One\r\nSetup=1\r\n"}},
       {cat},
       {list1 + ": status 404; the installer downloads nothing"},
       0},
      {"a gap in the file lists",
       {{cat, system + "[Disc01]\r\nName=One\r\nSetup=1\r\n[Disc03]\r\nName=Three\r\nSetup=1\r\n"},
        {list1, "[Setup]\r\nFile1=\\a.ini \\a.ini\r\n"},
        {"VarnelDemo/Disc_03/Fajls_3.ini", "[Setup]\r\nFile1=\\c.ini \\c.ini\r\n"}},
       {cat, list1, "VarnelDemo/Disc_01/a.ini"},
       {cat + ": [Disc03] lies past the last disc with a file list (1): the installer never downloads it"},
       1},
      {"names the installer refuses, no root",
       {{cat, "[Disc01]\r\nName=One\r\nSetup=1\r\n"},
        {list1, "[Setup]\r\nFile1=\\..\\up.ini \\a.ini\r\nFile2=\\c:x \\b.ini\r\nFile3=\\ok.ini \\c.ini\r\n"}},
       {cat, list1, "VarnelDemo/Disc_01/ok.ini"},
       {cat + ": no usable RootDirectory in [System]; the installer stops",
        list1 + ": File1 of [Setup] names '..\\up.ini', which the installer refuses to download",
        list1 + ": File2 of [Setup] names 'c:x', which the installer refuses to download"},
       1},
  };
  for (const Walk& w : walks) {
    TextReader read = [&w](const std::string& path) {
      TextRead r;
      auto it = w.texts.find(path);
      if (it == w.texts.end()) {
        r.state = TextMissing;
        r.problem = "status 404";
      } else {
        r.state = TextFound;
        r.text = it->second;
      }
      return r;
    };
    ServerFileSet set;
    ListServerFiles(read, set);
    std::vector<std::string> files, problems;
    for (const ServerFile& f : set.files) files.push_back(f.path);
    for (const ServerFileProblem& p : set.problems) problems.push_back(p.path + ": " + p.text);
    EXPECT_EQ(files, w.files) << w.name;
    EXPECT_EQ(problems, w.problems) << w.name;
    EXPECT_EQ(set.discs, w.discs) << w.name;
  }
}

TEST(ServerFiles, AFailedListStopsTheWalk) {
  // Disc 2's list, or its checksum list, fails (only 404 and 410 are "not
  // there"): the installer stops there, with that one problem.
  for (const char* failing : {"VarnelDemo/Disc_02/Fajls_2.ini", "VarnelDemo/Disc_02/Fajls_2.sha256"}) {
    TextReader read = [failing](const std::string& path) {
      TextRead r;
      if (path == "VarnelDemo/Disc_01/Install.ini") {
        r.state = TextFound;
        r.text = "[System]\r\nRootDirectory=R\r\n[Disc01]\r\nName=One\r\n[Disc02]\r\nName=Two\r\n";
      } else if (path == failing) {
        r.problem = "status 403";
      } else if (path.find(".sha256") != std::string::npos) {
        r.state = TextMissing;
        r.problem = "status 404";
      } else {
        r.state = TextFound;
      }
      return r;
    };
    ServerFileSet set;
    ListServerFiles(read, set);
    ASSERT_EQ(set.problems.size(), 1u) << failing;
    EXPECT_EQ(set.problems[0].path, failing);
    EXPECT_EQ(set.problems[0].text, "status 403; the installer stops at disc 2");
  }
}

TEST(CheckReport, TablesProblemsAndSummary) {
  struct Case {
    const char* name;
    Findings findings;
    int problems;
    std::string tail;  // the output after the tables
  };
  const Case cases[] = {
      {"all well", {}, 0, "summary: 3 files on 2 hosts, all well\n"},
      {"an error and a warning",
       {{false, "status 404: the installer needs 200"}, {true, "ranges ignored"}},
       2,
       "www.x.example VarnelDemo/a.bin: status 404: the installer needs 200\n"
       "www.x.example VarnelDemo/a.bin: warning: ranges ignored\n"
       "\nsummary: 3 files on 2 hosts, 2 problems (1 error, 1 warning)\n"},
  };
  for (const Case& c : cases) {
    std::vector<ReportHost> hosts(3);
    hosts[0].name = "www.x.example";
    hosts[0].title = "www.x.example (https://www.x.example/U)";
    ReportRow& row = RowOf(hosts[0], "VarnelDemo/a.bin");
    row.status = "200";
    row.findings = c.findings;
    hosts[1].name = "dl.x.example";
    hosts[1].title = "dl.x.example (http://dl.x.example/U)";
    RowOf(hosts[1], "Update.ini").status = "200";
    hosts[2].name = "site";  // no table
    char* text = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&text, &size);
    ASSERT_NE(out, nullptr);
    ReportCounts counts = PrintReport(out, hosts, 3);
    EXPECT_EQ(counts.errors + counts.warnings, c.problems) << c.name;
    fclose(out);
    std::string printed(text, size);
    free(text);
    const std::string header = "== www.x.example (https://www.x.example/U)\n"
                               "file              status  length      ranges   validators  result\n"
                               "VarnelDemo/a.bin  200     -           -        -           ";
    EXPECT_EQ(printed.compare(0, header.size(), header), 0) << c.name << ":\n" << printed;
    EXPECT_EQ(printed.find("== site"), std::string::npos) << c.name;
    ASSERT_GE(printed.size(), c.tail.size()) << c.name;
    EXPECT_EQ(printed.substr(printed.size() - c.tail.size()), c.tail) << c.name << ":\n" << printed;
  }
}

}  // namespace
