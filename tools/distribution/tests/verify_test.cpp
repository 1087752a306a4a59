#include "tools/distribution/zelta-dist/verify_site.h"

#include <ftw.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/distribution/zelta-dist/description.h"
#include "tools/distribution/zelta-dist/distribution.h"
#include "tools/distribution/zelta-dist/verify_ini.h"
#include "tools/distribution/zelta-dist/verify_text.h"

namespace {

const char WebFolder[] = "web/Download/UpDate-V9.20/";
const char DownloadFolder[] = "download/UpDate-V9.20/";
const char Catalogue[] = "VarnelDemo/Disc_01/Install.ini";
const char FileList2[] = "VarnelDemo/Disc_02/Fajls_2.ini";
const char Checksums2[] = "VarnelDemo/Disc_02/Fajls_2.sha256";

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
  return remove(path);
}

class TempDir {
 public:
  TempDir() {
    char name[] = "/tmp/zelta-verify-test.XXXXXX";
    path_ = mkdtemp(name) != nullptr ? name : "";
  }
  ~TempDir() {
    if (!path_.empty()) nftw(path_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  ASSERT_TRUE(out.good()) << path;
}

// The bundled sample, made into a site by the distribution code; any
// readable file stands in for the product and the font.
void WriteSampleSite(const std::string& site) {
  std::string text, problem;
  ASSERT_TRUE(ReadWholeFile(ZELTA_VENDOR_SAMPLE, text, problem)) << problem;
  DistParseOptions options;
  options.fileName = ZELTA_VENDOR_SAMPLE;
  options.defines = {{"PRODUCT", ZELTA_VENDOR_SAMPLE}, {"FONT", ZELTA_VENDOR_SAMPLE}};
  Description description;
  Distribution dist;
  std::string error;
  ASSERT_TRUE(ParseDescription(text, options, description, error)) << error;
  ASSERT_TRUE(LoadDistribution(description, ZELTA_VENDOR_SAMPLE, dist, error)) << error;
  ASSERT_TRUE(WriteSite(dist, site, error)) << error;
}

// The 1-based line of the first line holding `part`; 0 when none does.
int LineOf(const std::string& text, const std::string& part) {
  size_t at = text.find(part);
  return at == std::string::npos ? 0 : LineAt(text, at);
}

std::vector<std::string> Places(const SiteProblems& problems) {
  std::vector<std::string> places;
  for (const SiteProblem& problem : problems) places.push_back(problem.file + ":" + std::to_string(problem.line));
  return places;
}

TEST(VerifySite, TheSampleSiteIsGood) {
  TempDir dir;
  WriteSampleSite(dir.Path());
  SiteVerification result = VerifySite(dir.Path());
  EXPECT_TRUE(result.problems.empty()) << FormatVerification(result);
  EXPECT_EQ(result.discs, 2);
  EXPECT_EQ(result.files, 14);
  // The catalogue's sizes, disc by disc: every real byte counted once. The
  // product and the font (disc 1, Systems) are the description itself here.
  const uint64_t sample = ReadFile(ZELTA_VENDOR_SAMPLE).size();
  EXPECT_EQ(result.bytes, 148u + (1900054u + 2 * sample) + 25000u + 103333u + 5000u + 78u + 20000u + 75u);
  EXPECT_EQ(FormatVerification(result),
            "site is good: 2 discs, 14 files, " + std::to_string(result.bytes) + " bytes\n");
  EXPECT_EQ(VerificationExitCode(result, true), 0);
}

// Errors fail the check, warnings only with --strict.
TEST(VerifySite, WarningsCountOnlyWhenStrict) {
  TempDir dir;
  WriteSampleSite(dir.Path());
  for (const char* folder : {WebFolder, DownloadFolder}) {
    ASSERT_EQ(remove((dir.Path() + "/" + folder + Checksums2).c_str()), 0);
  }
  SiteVerification result = VerifySite(dir.Path());
  ASSERT_EQ(result.problems.size(), 1u) << FormatVerification(result);
  EXPECT_TRUE(result.problems[0].warning);
  EXPECT_EQ(FormatVerification(result),
            std::string(WebFolder) + Checksums2 +
                ":0: warning: is missing: the installer cannot check the files of Fajls_2.ini (zelta-dist "
                "checksums SITE writes it)\n1 problem in 1 file (0 errors, 1 warning)\n");
  EXPECT_EQ(VerificationExitCode(result, false), 0);
  EXPECT_EQ(VerificationExitCode(result, true), 1);

  // An error besides it.
  std::string path = dir.Path() + "/" + WebFolder + FileList2;
  std::string list = ReadFile(path);
  list.replace(list.find("Name="), 5, "Name=x");
  WriteFile(path, list);
  result = VerifySite(dir.Path());
  EXPECT_EQ(WarningCount(result.problems), 1u);
  EXPECT_GT(result.problems.size(), 1u);
  EXPECT_EQ(VerificationExitCode(result, false), 1);
}

TEST(VerifySite, AMissingSiteHasNeitherUpdateFolder) {
  TempDir dir;
  SiteVerification result = VerifySite(dir.Path() + "/nothing");
  EXPECT_EQ(Places(result.problems),
            (std::vector<std::string>{"download/UpDate-V9.20:0", "web/Download/UpDate-V9.20:0"}));
  EXPECT_EQ(FormatVerification(result).substr(FormatVerification(result).rfind("2 problems")),
            "2 problems in 2 files (2 errors, 0 warnings)\n");
}

enum Change { Edit, Remove, DropLastByte, FlipLastByte, MakeEmpty };
enum Hosts { BothHosts, WebHost, DownloadHost };

struct Expected {
  const char* folder;  // WebFolder or DownloadFolder
  const char* file;    // below it
  const char* lineOf;  // text on the expected line of that file; null: line 0
  const char* says;    // part of the message
  bool warning = false;
};

struct Broken {
  const char* what;
  Change change;
  Hosts hosts;
  const char* file;  // below the update folder
  std::string from, to;
  std::vector<Expected> expected;
};

void Apply(const std::string& site, const Broken& broken) {
  for (const char* folder : {WebFolder, DownloadFolder}) {
    if ((broken.hosts == WebHost && folder != WebFolder) || (broken.hosts == DownloadHost && folder != DownloadFolder)) {
      continue;
    }
    std::string path = site + "/" + folder + broken.file;
    std::string bytes = ReadFile(path);
    ASSERT_FALSE(bytes.empty()) << path;
    switch (broken.change) {
      case Edit: {
        size_t at = bytes.find(broken.from);
        ASSERT_NE(at, std::string::npos) << broken.from << " in " << path;
        bytes.replace(at, broken.from.size(), broken.to);
        WriteFile(path, bytes);
        break;
      }
      case Remove:
        ASSERT_EQ(remove(path.c_str()), 0) << path;
        break;
      case DropLastByte:
        bytes.pop_back();
        WriteFile(path, bytes);
        break;
      case FlipLastByte:
        bytes.back() = static_cast<char>(~bytes.back());
        WriteFile(path, bytes);
        break;
      case MakeEmpty:
        WriteFile(path, "");
        break;
    }
  }
}

TEST(VerifySite, EachBreakIsFoundWhereItIs) {
  const std::string longLine = ";" + std::string(300, 'x');
  const std::vector<Broken> cases = {
      {"probe without markers", Edit, BothHosts, "Update.ini", "ZeltaCAD WEB", "ZeltaCAD Web",
       {{WebFolder, "Update.ini", nullptr, "ZeltaCAD WEB update system: V9.21"},
        {DownloadFolder, "Update.ini", nullptr, "ZeltaCAD WEB update system: V9.21"}}},
      {"catalogue line ended by LF alone", Edit, BothHosts, Catalogue, "Version=V9.21\r\n", "Version=V9.21\n",
       {{WebFolder, Catalogue, "Version=", "LF alone"}}},
      {"catalogue line over 255 bytes", Edit, BothHosts, Catalogue, "[Directorys]\r\n",
       "[Directorys]\r\n" + longLine + "\r\n", {{WebFolder, Catalogue, ";xxx", "301 bytes"}}},
      {"root directory climbing up", Edit, BothHosts, Catalogue, "RootDirectory=V92EDemo",
       "RootDirectory=..\\V92EDemo", {{WebFolder, Catalogue, "RootDirectory=", "'..'"}}},
      {"root directory too long for the download area", Edit, BothHosts, Catalogue, "RootDirectory=V92EDemo",
       "RootDirectory=" + std::string(213, 'R'), {{WebFolder, Catalogue, "RootDirectory=", "would pass 255"}}},
      {"root directory missing", Edit, BothHosts, Catalogue, "RootDirectory=V92EDemo\r\n", "",
       {{WebFolder, Catalogue, "[System]", "no RootDirectory"}}},
      {"disc section without its file list", Remove, BothHosts, FileList2, "", "",
       {{WebFolder, Catalogue, "[Disc02]", "Fajls_2.ini"}}},
      {"source missing", Remove, BothHosts, "VarnelDemo/Disc_02/Blocks/ajto.zbl", "", "",
       {{WebFolder, FileList2, "ajto.zbl", "not on the server"}}},
      {"source climbing up", Edit, BothHosts, FileList2, "=\\Blocks\\ajto.zbl", "=\\Blocks\\..\\ajto.zbl",
       {{WebFolder, FileList2, "ajto.zbl", "'..'"}, {WebFolder, Checksums2, "ajto.zbl", "never read", true}}},
      {"target on a drive", Edit, BothHosts, FileList2, "ajto.zbl \\ZeltaWin32\\Blokkok", "ajto.zbl C:\\Blokkok",
       {{WebFolder, FileList2, "ajto.zbl", "drive"}}},
      {"unknown target code", Edit, BothHosts, FileList2, "zeltaupd.exe *?", "zeltaupd.exe *x",
       {{WebFolder, FileList2, "zeltaupd.exe", "'*x'"}}},
      {"device name in a target", Edit, BothHosts, FileList2, "\\Blokkok\\Ajt\xF3.zbl", "\\Blokkok\\Con.zbl",
       {{WebFolder, FileList2, "ajto.zbl", "device 'Con.zbl'"}}},
      {"component size against the catalogue", Edit, BothHosts, Catalogue, "Blocks=5000", "Blocks=5001",
       {{WebFolder, Catalogue, "Blocks=", "hold 5000"}}},
      {"interleaved file of odd length", DropLastByte, BothHosts, "VarnelDemo/Disc_02/Datas/ex_anyag.dat", "", "",
       {{WebFolder, FileList2, "ex_anyag.dat", "39999"}}},
      {"hosts differing in one file", FlipLastByte, DownloadHost, "VarnelDemo/Disc_02/Blocks/ajto.zbl", "", "",
       {{DownloadFolder, "VarnelDemo/Disc_02/Blocks/ajto.zbl", nullptr, "byte 4999"}}},
      {"file on one host only", Remove, DownloadHost, "VarnelDemo/Disc_02/Blocks/ajto.zbl", "", "",
       {{WebFolder, "VarnelDemo/Disc_02/Blocks/ajto.zbl", nullptr, "web host only"}}},
      {"component size negative", Edit, BothHosts, Catalogue, "Blocks=5000", "Blocks=-1",
       {{WebFolder, Catalogue, "Blocks=", "negative or more than a file can hold"}}},
      {"component size of 2^63", Edit, BothHosts, Catalogue, "Blocks=5000", "Blocks=9223372036854775808",
       {{WebFolder, Catalogue, "Blocks=", "the installer refuses the catalogue"}}},
      {"entries past the end of a list are never read", Edit, BothHosts, FileList2, "[Blocks]\r\n",
       "[Blocks]\r\nFile3=\\Blocks\\x.zbl \\x\r\n",
       {{WebFolder, FileList2, "File3=", "never read", true}}},
      // The checksum list of a disc.
      {"file changed after its checksum was taken", FlipLastByte, BothHosts, "VarnelDemo/Disc_02/Blocks/ajto.zbl",
       "", "", {{WebFolder, Checksums2, "ajto.zbl", "the installer refuses the file"}}},
      {"checksum of another length", Edit, BothHosts, Checksums2, " 5000 \\Blocks", " 5001 \\Blocks",
       {{WebFolder, Checksums2, "ajto.zbl", "holds 5000 bytes"}}},
      {"checksum line the installer cannot read", Edit, BothHosts, Checksums2, " 5000 \\Blocks", "  \\Blocks",
       {{WebFolder, Checksums2, nullptr, "no line for 'Blocks\\ajto.zbl'"},
        {WebFolder, Checksums2, "ajto.zbl", "cannot read the list"}}},
      {"checksum for a file the disc does not download", Edit, BothHosts, Checksums2, "\\Blocks\\ajto.zbl",
       "\\Blocks\\ajto.zbl\r\n" + std::string(64, '0') + " 1 \\nothing.txt",
       {{WebFolder, Checksums2, "nothing.txt", "never read", true}}},
      {"checksum list empty", MakeEmpty, BothHosts, Checksums2, "", "",
       {{WebFolder, Checksums2, nullptr, "is empty"}}},
  };
  for (const Broken& broken : cases) {
    SCOPED_TRACE(broken.what);
    TempDir dir;
    WriteSampleSite(dir.Path());
    Apply(dir.Path(), broken);
    SiteVerification result = VerifySite(dir.Path());

    std::vector<std::string> wanted;
    for (const Expected& e : broken.expected) {
      std::string file = std::string(e.folder) + e.file;
      int line = 0;
      if (e.lineOf != nullptr) {
        line = LineOf(ReadFile(dir.Path() + "/" + file), e.lineOf);
        ASSERT_GT(line, 0) << e.lineOf;
      }
      wanted.push_back(file + ":" + std::to_string(line));
    }
    std::sort(wanted.begin(), wanted.end());
    ASSERT_EQ(Places(result.problems), wanted) << FormatVerification(result);
    for (size_t i = 0; i < broken.expected.size(); ++i) {
      EXPECT_NE(result.problems[i].what.find(broken.expected[i].says), std::string::npos)
          << result.problems[i].what;
      EXPECT_EQ(result.problems[i].warning, broken.expected[i].warning) << result.problems[i].what;
    }
    EXPECT_NE(FormatVerification(result).find(std::to_string(wanted.size()) + " problem"), std::string::npos);
  }
}

// A source named like a file the download area keeps of its own (the
// record beside another source, the disc's file list): the two would
// overwrite each other there, whatever the order. Renamed on both hosts,
// in the file list and in the checksum list, it is the one problem.
TEST(VerifySite, SourcesNamedLikeTheDownloadAreasOwnFilesAreRefused) {
  struct Case {
    const char* name;  // instead of Drawings\alaprajz.zdw on disc 2
    const char* says;
  } cases[] = {
      {"Drawings\\minta1.zdw.dlinfo", "the record the download keeps beside 'Drawings\\minta1.zdw' (line"},
      {"Drawings\\MINTA1.ZDW.DLINFO", "the record the download keeps beside 'Drawings\\minta1.zdw' (line"},
      // Another file on the server, the same one in the download area.
      {"fajls_2.ini", "the name the download saves the file list under"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    WriteSampleSite(dir.Path());
    std::string to = c.name;
    std::string local = to;
    for (char& ch : local) ch = ch == '\\' ? '/' : ch;
    for (const char* folder : {WebFolder, DownloadFolder}) {
      std::string disc = dir.Path() + "/" + folder + "VarnelDemo/Disc_02/";
      ASSERT_EQ(rename((disc + "Drawings/alaprajz.zdw").c_str(), (disc + local).c_str()), 0);
      for (const char* list : {"Fajls_2.ini", "Fajls_2.sha256"}) {
        std::string text = ReadFile(disc + list);
        size_t at = text.find("\\Drawings\\alaprajz.zdw");
        ASSERT_NE(at, std::string::npos);
        text.replace(at, strlen("\\Drawings\\alaprajz.zdw"), "\\" + to);
        WriteFile(disc + list, text);
      }
    }
    SiteVerification result = VerifySite(dir.Path());
    ASSERT_EQ(result.problems.size(), 1u) << FormatVerification(result);
    EXPECT_EQ(result.problems[0].file, std::string(WebFolder) + FileList2);
    EXPECT_EQ(result.problems[0].line, LineOf(ReadFile(dir.Path() + "/" + WebFolder + FileList2), c.name));
    EXPECT_NE(result.problems[0].what.find(c.says), std::string::npos) << result.problems[0].what;
    EXPECT_FALSE(result.problems[0].warning);
  }
}

TEST(VerifyText, RulesOfTheInstallersTexts) {
  struct Case {
    std::string text;
    std::vector<std::pair<int, const char*>> problems;  // line, part of the message
  };
  const std::vector<Case> cases = {
      {"[a]\r\nb=\xE1rv\xED\tz\r\n", {}},
      {"", {{0, "empty"}}},
      {"\xEF\xBB\xBF[a]\r\n", {{1, "byte order mark"}}},
      {"[a]\r\nb=\x81\r\n", {{2, "0x81"}}},
      {"[a]\r\nb=\x98\r\n", {{2, "0x98"}}},
      {std::string("[a]\r\nb=x\0y\r\n", 12), {{2, "control byte 0x00"}}},
      {"[a]\r\nb=c", {{2, "does not end with CR LF"}}},
      {"[a]\rb=c\r\n", {{1, "CR without LF"}}},
      {"[a]\r\nb=c\nd=e\r\n", {{2, "LF alone"}}},
      {"b=" + std::string(253, 'v') + "\r\n", {}},
      {"b=" + std::string(254, 'v') + "\r\n", {{1, "256 bytes"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 40));
    SiteProblems problems;
    CheckInstallerText("f", c.text, problems);
    ASSERT_EQ(problems.size(), c.problems.size());
    for (size_t i = 0; i < problems.size(); ++i) {
      EXPECT_EQ(problems[i].line, c.problems[i].first);
      EXPECT_NE(problems[i].what.find(c.problems[i].second), std::string::npos) << problems[i].what;
    }
  }
}

TEST(VerifyIni, KeysAreTiedToTheLineTheLookupTakes) {
  struct Case {
    std::string text;
    const char* key;
    int line;                   // where IniLookup reads it; 0: not found
    std::vector<int> problems;  // lines of the problems about its writing
  };
  const std::vector<Case> cases = {
      {"[S]\r\nFile1=a\r\nFile2=b\r\n", "File2", 3, {}},
      {"[T]\r\nFile1=x\r\n[S]\r\nFile1=a\r\n", "File1", 4, {}},
      {"[S]\r\nFile1 = a\r\n", "File1", 2, {}},
      {"[S]\r\nFile1=a\r\nlast=z", "last", 3, {}},
      // A prefix match: File1 is taken from the File10 line.
      {"[S]\r\nFile10=a\r\nFile1=b\r\n", "File1", 2, {2, 3}},
      // Written in another case, or after blanks: only the lenient reader finds it.
      {"[S]\r\nfile1=a\r\n", "File1", 0, {2}},
      {"[S]\r\n File1=a\r\n", "File1", 0, {2}},
      {"[S]\r\nfile1=a\r\nFile1=b\r\n", "File1", 3, {2}},
      // Written twice: only the first is read.
      {"[S]\r\nFile1=a\r\nFile2=b\r\nFile1=c\r\n", "File1", 2, {4}},
      // The section ends at the next '['.
      {"[S]\r\n[T]\r\nFile1=a\r\n", "File1", 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    IniSection section = OpenSection("f", c.text, "S");
    SiteProblems problems;
    IniValue value = ReadKey(section, c.key, problems);
    EXPECT_EQ(value.line, c.line);
    EXPECT_EQ(value.found, c.line != 0);
    std::vector<int> lines;
    for (const SiteProblem& problem : problems) lines.push_back(problem.line);
    EXPECT_EQ(lines, c.problems);
  }
}

TEST(VerifyIni, ListsEndAtTheFirstMissingNumber) {
  const std::string text = "[S]\r\nDir1=a\r\nDir2=b\r\nDir4=d\r\nDirX=e\r\ndir7=f\r\n";
  IniSection section = OpenSection("f", text, "S");
  SiteProblems problems;
  CheckListEnd(section, "Dir", 2, problems);
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0].line, 4);
  EXPECT_EQ(problems[1].line, 6);
  EXPECT_NE(problems[0].what.find("Dir3"), std::string::npos) << problems[0].what;
}

}  // namespace
