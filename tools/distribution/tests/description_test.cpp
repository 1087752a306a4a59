#include "tools/distribution/zelta-dist/description.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char MinimalHead[] =
    "[system]\n"
    "RootDirectory = V92EDemo\n"
    "CadSystem = ZeltaCAD\n"
    "SubSystem = ZeltaWin32\n"
    "Version = V9.21\n"
    "[disc 1]\n"
    "Name = First\n";

struct Parsed {
  bool ok;
  Description d;
  std::string error;
};

Parsed Parse(const std::string& text, const DistParseOptions& options = DistParseOptions()) {
  Parsed p;
  DistParseOptions named = options;
  named.fileName = "t.dist";
  p.ok = ParseDescription(text, named, p.d, p.error);
  return p;
}

// Parses MinimalHead + `rest`, which must fail with `message` on line `line`.
void ExpectError(const std::string& rest, int line, const std::string& message) {
  Parsed p = Parse(MinimalHead + rest);
  EXPECT_FALSE(p.ok) << rest;
  std::string prefix = "t.dist:" + std::to_string(line) + ": ";
  EXPECT_EQ(p.error.compare(0, prefix.size(), prefix), 0) << p.error << "\nfor:\n" << rest;
  EXPECT_NE(p.error.find(message), std::string::npos) << p.error << "\nfor:\n" << rest;
}

TEST(DistDescription, ReadsEverySection) {
  std::string text =
      "# comment\r\n"
      "[site]\n"
      "WebFolder = Download/UpDate-V9.20\n"
      "DownloadFolder = Other-1\n"
      "Product = VarnelDemo\n"
      "[probe]\n"
      "Line = first line\n"
      "Line = \"  kept blanks  \"\n"
      "[system]\n"
      "RootDirectory = V92EDemo\n"
      "CadSystem = ZeltaCAD\n"
      "SubSystem = ZeltaWin32\n"
      "Version = V9.21\n"
      "Extra = x = y\n"
      "[directories]\n"
      "Dir = \\ZeltaWin32\n"
      "Dir = \\ZeltaWin32\\Bin\n"
      "[registry]\n"
      "FileType = .zdw\n"
      "ClassName = Zelta.Rajz\n"
      "ExeFile = \\ZeltaWin32\\Bin\\zelta.exe\n"
      "IconFile = \\ZeltaWin32\\Bin\\zelta.exe,1\n"
      "[font]\n"
      "FontFile = z.ttf\n"
      "FontName = Zelta (TrueType)\n"
      "[commands]\n"
      "Command = [CreateGroup(Zelta)]\n"
      "[disc 1]\n"
      "Name = Dem\xC3\xB3 \xE2\x80\x93 1\n"
      "[file Systems \\Systems\\bin\\zelta.exe]\n"
      "Target = *?*-\\ZeltaWin32\\Bin\\zelta.exe\n"
      "Separator = comma\n"
      "Generate = 1000 5\n"
      "[file Help \\Help\\a.txt]\n"
      "Target = \\ZeltaWin32\\Help\\Olvass el.txt\n"
      "Text = sor 1\n"
      "Text =\n"
      "Text = \"\\x81\\\\\"\n"
      "[disc 2]\n"
      "Name = Two\n";
  Parsed p = Parse(text);
  ASSERT_TRUE(p.ok) << p.error;
  const Description& d = p.d;
  EXPECT_EQ(d.webFolder, "Download/UpDate-V9.20");
  EXPECT_EQ(d.downloadFolder, "Other-1");
  ASSERT_EQ(d.probeLines.size(), 2u);
  EXPECT_EQ(d.probeLines[1], "  kept blanks  ");
  ASSERT_EQ(d.system.size(), 5u);
  EXPECT_EQ(d.system[0].first, "RootDirectory");
  EXPECT_EQ(d.system[4].second, "x = y");  // the first '=' splits
  ASSERT_EQ(d.directories.size(), 2u);
  EXPECT_EQ(d.directories[1], "\\ZeltaWin32\\Bin");
  ASSERT_EQ(d.registry.size(), 1u);
  EXPECT_EQ(d.registry[0].iconFile, "\\ZeltaWin32\\Bin\\zelta.exe,1");
  ASSERT_EQ(d.fonts.size(), 1u);
  EXPECT_EQ(d.fonts[0].fontName, "Zelta (TrueType)");
  ASSERT_EQ(d.commands.size(), 1u);
  ASSERT_EQ(d.discs.size(), 2u);
  EXPECT_EQ(d.discs[0].name, "Dem\xF3 \x96 1");  // Windows-1250
  ASSERT_EQ(d.discs[0].files.size(), 2u);
  const DistFile& exe = d.discs[0].files[0];
  EXPECT_EQ(exe.line, 30);
  EXPECT_EQ(exe.component, 1);
  EXPECT_EQ(exe.source, "\\Systems\\bin\\zelta.exe");
  EXPECT_TRUE(exe.commaSeparator);
  EXPECT_EQ(exe.kind, DistContentGenerate);
  EXPECT_EQ(exe.size, 1000u);
  EXPECT_EQ(exe.seed, 5u);
  const DistFile& help = d.discs[0].files[1];
  EXPECT_EQ(help.kind, DistContentText);
  EXPECT_FALSE(help.commaSeparator);
  EXPECT_EQ(help.text, "sor 1\r\n\r\n\x81\\\r\n");
  EXPECT_TRUE(d.discs[1].files.empty());
}

TEST(DistDescription, DefaultsForSiteAndProbeAndSeeds) {
  Parsed p = Parse(std::string(MinimalHead) +
                   "[file Setup \\Setup\\a.bin]\nTarget = \\a.bin\nGenerate = 10\n"
                   "[file Setup \\Setup\\b.bin]\nTarget = \\b.bin\nGenerate = 10\n");
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.d.webFolder, "Download/UpDate-V9.20");
  EXPECT_EQ(p.d.downloadFolder, "UpDate-V9.20");
  EXPECT_EQ(p.d.product, "VarnelDemo");
  ASSERT_EQ(p.d.probeLines.size(), 2u);
  EXPECT_EQ(p.d.probeLines[0], "ZeltaCAD WEB update system: V9.21");
  EXPECT_EQ(p.d.probeLines[1], "ZeltaSoft Ltd. 1992-2019.");
  // Without a seed, files of one size still differ.
  EXPECT_NE(p.d.discs[0].files[0].seed, p.d.discs[0].files[1].seed);
}

TEST(DistDescription, CopyPathsAndDefines) {
  DistParseOptions options;
  options.baseDir = "/descriptions";
  options.defines = {{"BIN", "/old"}, {"BIN", "/build/bin"}};
  Parsed p = Parse(std::string(MinimalHead) +
                       "[file Systems \\Systems\\zelta.exe]\nTarget = \\z.exe\nCopy = @{BIN}/zelta.exe\n"
                       "[file Systems \\Systems\\readme.txt]\nTarget = \\r.txt\nCopy = files/readme.txt\n",
                   options);
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.d.discs[0].files[0].copyPath, "/build/bin/zelta.exe");  // the last define counts
  EXPECT_EQ(p.d.discs[0].files[1].copyPath, "/descriptions/files/readme.txt");

  Parsed undefined = Parse(std::string(MinimalHead) +
                           "[file Systems \\Systems\\zelta.exe]\nTarget = \\z.exe\nCopy = @{NOPE}/z\n");
  EXPECT_FALSE(undefined.ok);
  EXPECT_EQ(undefined.error, "t.dist:10: @{NOPE} is not defined (give --define NOPE=PATH)");
}

TEST(DistDescription, TargetCodes) {
  DistTarget t;
  ASSERT_TRUE(SplitDistTarget("*?*-*%\\Fonts\\a b.ttf", t));
  EXPECT_TRUE(t.ask);
  EXPECT_TRUE(t.never);
  EXPECT_TRUE(t.windows);
  EXPECT_EQ(t.path, "\\Fonts\\a b.ttf");
  ASSERT_TRUE(SplitDistTarget("\\a", t));
  EXPECT_FALSE(t.ask || t.never || t.windows);
  EXPECT_FALSE(SplitDistTarget("*x\\a", t));
  EXPECT_FALSE(SplitDistTarget("*?a", t));
  EXPECT_FALSE(SplitDistTarget("*?", t));
  EXPECT_FALSE(SplitDistTarget("", t));
}

TEST(DistDescription, InterleavedNames) {
  EXPECT_TRUE(IsInterleavedSource("\\Systems\\bin\\ex_zelta.dll"));
  EXPECT_TRUE(IsInterleavedSource("\\Setup\\licdl_x.txt"));
  EXPECT_TRUE(IsInterleavedSource("\\dl_folder\\a.txt"));  // anywhere in the name
  EXPECT_FALSE(IsInterleavedSource("\\Setup\\EX_zelta.dll"));  // case matters
  EXPECT_FALSE(IsInterleavedSource("\\Setup\\ex-zelta.dll"));
}

TEST(DistDescription, LineErrorsInSections) {
  // MinimalHead has 7 lines: errors in `rest` start at line 8.
  ExpectError("bogus line\n", 8, "expected KEY = VALUE or [section]");
  ExpectError("[nonsense]\n", 8, "unknown section [nonsense]");
  ExpectError("[disc 1\n", 8, "a section line ends with ']'");
  ExpectError("Na me = x\n", 8, "a key is letters, digits and '_'");
  ExpectError("Other = x\n", 8, "unknown key Other in [disc N]");
  ExpectError("Name = again\n", 8, "Name is given twice");
  ExpectError("[disc 3]\nName = x\n", 8, "expected [disc 2]");
  ExpectError("[disc two]\n", 8, "[disc N] with N = 1 ... 15");
  ExpectError("[system]\n", 8, "[system] is given twice");
  ExpectError("[probe]\nText = x\n", 9, "unknown key Text in [probe]");
  ExpectError("[probe]\nLine = \"open\n", 9, "must end with '\"'");
  ExpectError("[probe]\nLine = \"a\\qb\"\n", 9, "unknown escape \\q");
  ExpectError("[probe]\nLine = se\xC3\xB1or\n", 9, "U+00F1 (not in Windows-1250)");
  ExpectError("[site]\nWebFolder = a/../b\n", 9, "WebFolder has an empty, '.' or '..' part");
  ExpectError("[site]\nProduct = a b\n", 9, "Product may hold letters");
  ExpectError("[directories]\nDir = \\A\\B\n", 9, "parent must be listed before");
  ExpectError("[directories]\nDir = \\A\nDir = \\a\n", 10, "directory listed twice");
  ExpectError("[directories]\nDir = A\n", 9, "must begin with a backslash");
  ExpectError("[registry]\nFileType = .x\nClassName = y\n[disc 2]\nName = n\n", 8,
              "[registry] needs FileType, ClassName, ExeFile and IconFile");
  ExpectError("[font]\nFontFile = a\nFontName = b\nFontName = c\n", 11, "FontName is given twice");
  ExpectError("[disc 2]\n", 8, "[disc N] needs a Name");
}

TEST(DistDescription, LineErrorsInFiles) {
  ExpectError("[file Setup]\n", 8, "[file COMPONENT SOURCE]");
  ExpectError("[file Setups \\a]\n", 8, "unknown component 'Setups'");
  ExpectError("[file Setup a.txt]\n", 8, "must begin with a backslash");
  ExpectError("[file Setup \\a,b.txt]\n", 8, "printable ASCII only");
  ExpectError("[file Setup \\a/b.txt]\n", 8, "printable ASCII only");
  ExpectError("[file Setup \\a%20b.txt]\n", 8, "printable ASCII only");
  ExpectError("[file Setup \\a\\\\b.txt]\n", 8, "empty, '.' or '..' part");
  ExpectError("[file Setup \\a\\..\\b.txt]\n", 8, "empty, '.' or '..' part");
  ExpectError("[file Setup \\a.txt]\nGenerate = 5\n", 8, "needs a Target");
  ExpectError("[file Setup \\a.txt]\nTarget = \\a.txt\n", 8, "exactly one of Generate, Text and Copy");
  ExpectError("[file Setup \\a.txt]\nTarget = \\a.txt\nText = x\nGenerate = 4\n", 8,
              "exactly one of Generate, Text and Copy");
  ExpectError("[file Setup \\a.txt]\nTarget = a.txt\n", 9, "codes (*? *- *%)");
  ExpectError("[file Setup \\a.txt]\nTarget = *?\\a\\\n", 9, "must not end with a backslash");
  ExpectError("[file Setup \\a.txt]\nTarget = \\a?.txt\n", 9, "a Windows path cannot hold");
  ExpectError("[file Setup \\a.txt]\nTarget = \\a.txt\nSeparator = tab\n", 10, "space or comma");
  ExpectError("[file Setup \\a.txt]\nTarget = \\a.txt\nGenerate = 0\n", 10, "1 ... 67108864");
  ExpectError("[file Setup \\a.txt]\nTarget = \\a.txt\nGenerate = 67108865\n", 10, "1 ... 67108864");
  ExpectError("[file Setup \\a.txt]\nTarget = \\a.txt\nGenerate = 1k\n", 10, "SIZE [SEED]");
  ExpectError("[file Setup \\a.txt]\nTarget = \\a.txt\nGenerate = 1 2 3\n", 10, "SIZE [SEED]");
  ExpectError("[file Setup \\a.txt]\nTarget = \\a.txt\nGenerate = 1\n"
              "[file Help \\A.TXT]\nTarget = \\b.txt\nGenerate = 1\n",
              11, "already on this disc (line 8)");
  ExpectError("[file Setup \\a]\nTarget = \\a.txt\nGenerate = 1\n"
              "[file Help \\a\\b]\nTarget = \\b.txt\nGenerate = 1\n",
              11, "would be a file and a folder");
  ExpectError("[file Setup \\a.txt]\nTarget = \\x\\a.txt\nGenerate = 1\n"
              "[disc 2]\nName = n\n[file Help \\b.txt]\nTarget = *?\\X\\A.TXT\nGenerate = 1\n",
              13, "already installed by line 8");
  ExpectError("[file Setup \\Install.ini]\nTarget = \\x.ini\nGenerate = 1\n", 8, "generated file");
  ExpectError("[file Setup \\fajls_1.ini]\nTarget = \\x.ini\nGenerate = 1\n", 8, "generated file");
  ExpectError("[file Setup \\a.txt]\nTarget = \\a.txt\nGenerate = 1\nWhat = 2\n", 11,
              "unknown key What in [file ...]");
}

TEST(DistDescription, ErrorsOfTheWhole) {
  Parsed noDisc = Parse("[system]\nRootDirectory = a\nCadSystem = b\nSubSystem = c\nVersion = d\n");
  EXPECT_FALSE(noDisc.ok);
  EXPECT_NE(noDisc.error.find("no [disc 1]"), std::string::npos) << noDisc.error;

  Parsed noVersion = Parse("[system]\nRootDirectory = a\nCadSystem = b\nSubSystem = c\n[disc 1]\nName = x\n");
  EXPECT_FALSE(noVersion.ok);
  EXPECT_NE(noVersion.error.find("[system] needs Version"), std::string::npos) << noVersion.error;

  Parsed early = Parse("Name = x\n");
  EXPECT_EQ(early.error, "t.dist:1: a key before the first [section]");

  Parsed fileFirst = Parse("[file Setup \\a]\n");
  EXPECT_EQ(fileFirst.error, "t.dist:1: [file ...] before the first [disc N]");

  std::string sixteen = MinimalHead;
  for (int n = 2; n <= 16; ++n) sixteen += "[disc " + std::to_string(n) + "]\nName = d\n";
  Parsed tooMany = Parse(sixteen);
  EXPECT_FALSE(tooMany.ok);
  EXPECT_NE(tooMany.error.find("at most 15 discs"), std::string::npos) << tooMany.error;
}

}  // namespace
