#include "tools/distribution/zelta-dist/distribution.h"

#include <ftw.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Two discs; Systems on both, Drawings nowhere; interleaved, comma and
// accented entries; a text file and generated ones.
const char Sample[] =
    "[probe]\n"
    "Line = ZeltaCAD WEB update system: V9.21\n"
    "Line = ZeltaSoft Ltd. 1992-2019.\n"
    "[system]\n"
    "RootDirectory = V92EDemo\n"
    "CadSystem = ZeltaCAD\n"
    "SubSystem = ZeltaWin32\n"
    "Version = V9.21\n"
    "[directories]\n"
    "Dir = \\ZeltaWin32\n"
    "Dir = \\ZeltaWin32\\Bin\n"
    "[registry]\n"
    "FileType = .zdw\n"
    "ClassName = Zelta.Rajz\n"
    "ExeFile = \\ZeltaWin32\\Bin\\zelta.exe\n"
    "IconFile = \\ZeltaWin32\\Bin\\zelta.exe,1\n"
    "[registry]\n"
    "FileType = .zbl\n"
    "ClassName = Zelta.Blokk\n"
    "ExeFile = \\ZeltaWin32\\Bin\\zelta.exe\n"
    "IconFile = \\ZeltaWin32\\Bin\\zelta.exe,2\n"
    "[font]\n"
    "FontFile = z.ttf\n"
    "FontName = Zelta\n"
    "[commands]\n"
    "Command = [CreateGroup(Zelta)]\n"
    "Command = [AddItem(\\ZeltaWin32\\Bin\\zelta.exe,Zelta)]\n"
    "[disc 1]\n"
    "Name = Dem\xC3\xB3 \xE2\x80\x93 1\n"
    "[file Setup \\Setup\\a.txt]\n"
    "Target = *?\\ZeltaWin32\\a.txt\n"
    "Text = egy\n"
    "Text = kett\xC5\x91\n"
    "[file Systems \\Systems\\bin\\ex_zelta.dll]\n"
    "Target = \\ZeltaWin32\\Bin\\zelta.dll\n"
    "Separator = comma\n"
    "Generate = 1001 7\n"
    "[file Systems \\Systems\\bin\\zelta.exe]\n"
    "Target = \\ZeltaWin32\\Bin\\zelta.exe\n"
    "Generate = 3000 8\n"
    "[file Help \\Help\\dl_h.txt]\n"
    "Target = *-\\ZeltaWin32\\S\xC3\xBAg\xC3\xB3 f\xC3\xA1jl.txt\n"
    "Generate = 10 9\n"
    "[disc 2]\n"
    "Name = Two\n"
    "[file Systems \\Systems\\more.bin]\n"
    "Target = *%\\Fonts\\z.ttf\n"
    "Generate = 500 10\n"
    "[file Datas \\Datas\\d.dat]\n"
    "Target = \\ZeltaWin32\\d.dat\n"
    "Generate = 20 11\n";

Distribution Load(const std::string& text, const std::string& dir = ".",
                  const std::vector<std::pair<std::string, std::string>>& defines = {}) {
  DistParseOptions options;
  options.fileName = "s.dist";
  options.baseDir = dir;
  options.defines = defines;
  Description description;
  std::string error;
  Distribution dist;
  EXPECT_TRUE(ParseDescription(text, options, description, error)) << error;
  EXPECT_TRUE(LoadDistribution(description, "s.dist", dist, error)) << error;
  return dist;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool IsFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
  return remove(path);
}

class TempDir {
 public:
  TempDir() {
    char name[] = "/tmp/zelta-dist-test.XXXXXX";
    path_ = mkdtemp(name) != nullptr ? name : "";
  }
  ~TempDir() {
    if (!path_.empty()) nftw(path_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// The lines of a CR LF text; fails the test on a lone CR or LF.
std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    EXPECT_NE(end, std::string::npos) << "last line without CR LF";
    if (end == std::string::npos) break;
    std::string line = text.substr(start, end - start);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "lone CR or LF in " << line;
    lines.push_back(line);
    start = end + 2;
  }
  return lines;
}

// The lines of one section (without its header) or an empty list.
std::vector<std::string> Section(const std::string& text, const std::string& name) {
  std::vector<std::string> all = CrLfLines(text), out;
  bool inside = false;
  for (const std::string& line : all) {
    if (!line.empty() && line[0] == '[') {
      inside = line == "[" + name + "]";
      continue;
    }
    if (inside && !line.empty()) out.push_back(line);
  }
  return out;
}

TEST(DistContent, GeneratedBytesFollowSplitmix64) {
  // The first splitmix64 output for seed 0 is 0xE220A8397B1DCDAF.
  EXPECT_EQ(GenerateBytes(8, 0), std::string("\xAF\xCD\x1D\x7B\x39\xA8\x20\xE2", 8));
  std::string a = GenerateBytes(1001, 7);
  EXPECT_EQ(a.size(), 1001u);
  EXPECT_EQ(a, GenerateBytes(1001, 7));
  EXPECT_EQ(a.substr(0, 500), GenerateBytes(500, 7));
  EXPECT_NE(a, GenerateBytes(1001, 8));
}

TEST(DistContent, InterleavingPutsAFillerBeforeEveryByte) {
  std::string real = GenerateBytes(777, 3);
  std::string stored = InterleaveBytes(real);
  ASSERT_EQ(stored.size(), 2 * real.size());
  std::string odd, even;
  for (size_t i = 0; i < stored.size(); ++i) (i % 2 ? odd : even) += stored[i];
  EXPECT_EQ(odd, real);
  EXPECT_NE(even, real);
  // The filler is not one repeated byte.
  EXPECT_NE(even.find_first_not_of(even[0]), std::string::npos);

  DistFile plain, marked;
  plain.source = "\\a\\zelta.exe";
  marked.source = "\\a\\ex_zelta.exe";
  EXPECT_EQ(StoredBytes(plain, real), real);
  EXPECT_EQ(StoredBytes(marked, real), stored);
}

TEST(DistCatalogue, SystemDiscsAndCommandSections) {
  Distribution dist = Load(Sample);
  std::string text = BuildCatalogue(dist);
  CrLfLines(text);

  EXPECT_EQ(Section(text, "System"),
            (std::vector<std::string>{"RootDirectory=V92EDemo", "CadSystem=ZeltaCAD", "SubSystem=ZeltaWin32",
                                      "Version=V9.21"}));
  // Real sizes: the interleaved file counts with its real 1001 bytes.
  std::string textBytes = std::to_string(std::string("egy\r\nkett\xF5\r\n").size());
  EXPECT_EQ(Section(text, "Disc01"), (std::vector<std::string>{"Name=Dem\xF3 \x96 1", "Setup=" + textBytes,
                                                               "Systems=4001", "Help=10"}));
  EXPECT_EQ(Section(text, "Disc02"), (std::vector<std::string>{"Name=Two", "Systems=500", "Datas=20"}));
  EXPECT_TRUE(Section(text, "Disc03").empty());
  EXPECT_EQ(Section(text, "Directorys"),
            (std::vector<std::string>{"Dir1=\\ZeltaWin32", "Dir2=\\ZeltaWin32\\Bin"}));
  EXPECT_EQ(Section(text, "RegistryCommand"),
            (std::vector<std::string>{"FileType1=.zdw", "ClassName1=Zelta.Rajz",
                                      "ExeFile1=\\ZeltaWin32\\Bin\\zelta.exe",
                                      "IconFile1=\\ZeltaWin32\\Bin\\zelta.exe,1", "FileType2=.zbl",
                                      "ClassName2=Zelta.Blokk", "ExeFile2=\\ZeltaWin32\\Bin\\zelta.exe",
                                      "IconFile2=\\ZeltaWin32\\Bin\\zelta.exe,2"}));
  EXPECT_EQ(Section(text, "FontsCommand"), (std::vector<std::string>{"FontFile1=z.ttf", "FontName1=Zelta"}));
  EXPECT_EQ(Section(text, "Command"),
            (std::vector<std::string>{"Command1=[CreateGroup(Zelta)]",
                                      "Command2=[AddItem(\\ZeltaWin32\\Bin\\zelta.exe,Zelta)]"}));
  // Discs come in order, before the command sections.
  EXPECT_LT(text.find("[System]"), text.find("[Disc01]"));
  EXPECT_LT(text.find("[Disc01]"), text.find("[Disc02]"));
  EXPECT_LT(text.find("[Disc02]"), text.find("[Directorys]"));
}

TEST(DistCatalogue, SizesAreTheSumsOfTheRealFiles) {
  Distribution dist = Load(Sample);
  for (size_t i = 0; i < dist.description.discs.size(); ++i) {
    uint64_t seen = 0, total = 0;
    for (int c = 0; c < DistComponentCount; ++c) seen += ComponentBytes(dist, i, c);
    for (const std::string& real : dist.contents[i]) total += real.size();
    EXPECT_EQ(seen, total) << "disc " << i + 1;
  }
  EXPECT_EQ(ComponentBytes(dist, 0, 1), 4001u);
  EXPECT_EQ(ComponentBytes(dist, 0, 2), 0u);
}

TEST(DistFileList, EntriesPerComponentWithTheCatalogueName) {
  Distribution dist = Load(Sample);
  std::string catalogue = BuildCatalogue(dist);
  std::string list1 = BuildFileList(dist.description.discs[0]);
  std::string list2 = BuildFileList(dist.description.discs[1]);
  CrLfLines(list1);

  // The same label, byte for byte, as the catalogue's.
  EXPECT_EQ(Section(list1, "Disc"), (std::vector<std::string>{Section(catalogue, "Disc01")[0]}));
  EXPECT_EQ(Section(list2, "Disc"), (std::vector<std::string>{Section(catalogue, "Disc02")[0]}));

  EXPECT_EQ(Section(list1, "Setup"), (std::vector<std::string>{"File1=\\Setup\\a.txt *?\\ZeltaWin32\\a.txt"}));
  EXPECT_EQ(Section(list1, "Systems"),
            (std::vector<std::string>{"File1=\\Systems\\bin\\ex_zelta.dll,\\ZeltaWin32\\Bin\\zelta.dll",
                                      "File2=\\Systems\\bin\\zelta.exe \\ZeltaWin32\\Bin\\zelta.exe"}));
  EXPECT_EQ(Section(list1, "Help"),
            (std::vector<std::string>{"File1=\\Help\\dl_h.txt *-\\ZeltaWin32\\S\xFAg\xF3 f\xE1jl.txt"}));
  EXPECT_EQ(list1.find("[Datas]"), std::string::npos);
  EXPECT_EQ(Section(list2, "Systems"), (std::vector<std::string>{"File1=\\Systems\\more.bin *%\\Fonts\\z.ttf"}));
  // Sections in component order.
  EXPECT_LT(list1.find("[Setup]"), list1.find("[Systems]"));
  EXPECT_LT(list1.find("[Systems]"), list1.find("[Help]"));
}

TEST(DistProbe, CrLfLines) {
  Distribution dist = Load(Sample);
  EXPECT_EQ(BuildProbe(dist.description), "ZeltaCAD WEB update system: V9.21\r\nZeltaSoft Ltd. 1992-2019.\r\n");
}

TEST(DistSite, BothHostsHoldTheSameStoredFiles) {
  TempDir tmp;
  ASSERT_FALSE(tmp.Path().empty());
  Distribution dist = Load(Sample);
  std::string error;
  ASSERT_TRUE(WriteSite(dist, tmp.Path() + "/site", error)) << error;

  for (const std::string& update : {tmp.Path() + "/site/web/Download/UpDate-V9.20",
                                    tmp.Path() + "/site/download/UpDate-V9.20"}) {
    SCOPED_TRACE(update);
    std::string disc1 = update + "/VarnelDemo/Disc_01";
    std::string disc2 = update + "/VarnelDemo/Disc_02";
    EXPECT_EQ(ReadFile(update + "/Update.ini"), BuildProbe(dist.description));
    EXPECT_EQ(ReadFile(disc1 + "/Install.ini"), BuildCatalogue(dist));
    EXPECT_FALSE(IsFile(disc2 + "/Install.ini"));
    EXPECT_EQ(ReadFile(disc1 + "/Fajls_1.ini"), BuildFileList(dist.description.discs[0]));
    EXPECT_EQ(ReadFile(disc2 + "/Fajls_2.ini"), BuildFileList(dist.description.discs[1]));
    EXPECT_EQ(ReadFile(disc1 + "/Setup/a.txt"), "egy\r\nkett\xF5\r\n");
    EXPECT_EQ(ReadFile(disc1 + "/Systems/bin/zelta.exe"), GenerateBytes(3000, 8));
    EXPECT_EQ(ReadFile(disc1 + "/Systems/bin/ex_zelta.dll"), InterleaveBytes(GenerateBytes(1001, 7)));
    EXPECT_EQ(ReadFile(disc1 + "/Help/dl_h.txt"), InterleaveBytes(GenerateBytes(10, 9)));
    EXPECT_EQ(ReadFile(disc2 + "/Systems/more.bin"), GenerateBytes(500, 10));
  }
  EXPECT_TRUE(IsFolder(tmp.Path() + "/site/faults/web"));
  EXPECT_TRUE(IsFolder(tmp.Path() + "/site/faults/download"));

  // A second run would mix old and new files: refused.
  EXPECT_FALSE(WriteSite(dist, tmp.Path() + "/site", error));
  EXPECT_NE(error.find("already there"), std::string::npos) << error;
}

TEST(DistSite, OwnFoldersFromTheDescription) {
  TempDir tmp;
  Distribution dist = Load(std::string("[site]\nWebFolder = a/b\nDownloadFolder = c\nProduct = P\n") +
                           "[system]\nRootDirectory = R\nCadSystem = C\nSubSystem = S\nVersion = V\n"
                           "[disc 1]\nName = N\n[file Setup \\s.txt]\nTarget = \\s.txt\nText = x\n");
  std::string error;
  ASSERT_TRUE(WriteSite(dist, tmp.Path(), error)) << error;
  EXPECT_EQ(ReadFile(tmp.Path() + "/web/a/b/P/Disc_01/s.txt"), "x\r\n");
  EXPECT_EQ(ReadFile(tmp.Path() + "/download/c/P/Disc_01/s.txt"), "x\r\n");
  EXPECT_TRUE(IsFile(tmp.Path() + "/web/a/b/Update.ini"));
}

TEST(DistExpected, RealFilesByTargetAndBySource) {
  TempDir tmp;
  Distribution dist = Load(Sample);
  std::string error;
  ASSERT_TRUE(WriteExpected(dist, tmp.Path(), error)) << error;
  const std::string root = tmp.Path() + "/root";
  EXPECT_EQ(ReadFile(root + "/ZeltaWin32/a.txt"), "egy\r\nkett\xF5\r\n");
  EXPECT_EQ(ReadFile(root + "/ZeltaWin32/Bin/zelta.dll"), GenerateBytes(1001, 7));  // de-interleaved
  // Target names in UTF-8, as Wine stores them.
  EXPECT_EQ(ReadFile(root + "/ZeltaWin32/S\xC3\xBAg\xC3\xB3 f\xC3\xA1jl.txt"), GenerateBytes(10, 9));
  EXPECT_EQ(ReadFile(tmp.Path() + "/windows/Fonts/z.ttf"), GenerateBytes(500, 10));
  EXPECT_FALSE(IsFile(root + "/Fonts/z.ttf"));
  EXPECT_TRUE(IsFolder(root + "/ZeltaWin32/Bin"));
  EXPECT_EQ(ReadFile(tmp.Path() + "/download/Disc_01/Systems/bin/ex_zelta.dll"), GenerateBytes(1001, 7));
  EXPECT_EQ(ReadFile(tmp.Path() + "/download/Disc_02/Datas/d.dat"), GenerateBytes(20, 11));
  EXPECT_FALSE(WriteExpected(dist, tmp.Path(), error));
}

TEST(DistListing, OneLinePerFile) {
  Distribution dist = Load(Sample);
  std::string listing = BuildListing(dist);
  EXPECT_NE(listing.find("1\tSystems\t\\Systems\\bin\\ex_zelta.dll\t\\ZeltaWin32\\Bin\\zelta.dll\t1001\t2002\t"
                         "interleaved\n"),
            std::string::npos)
      << listing;
  EXPECT_NE(listing.find("2\tDatas\t\\Datas\\d.dat\t\\ZeltaWin32\\d.dat\t20\t20\tplain\n"), std::string::npos)
      << listing;
  EXPECT_NE(listing.find("*-\\ZeltaWin32\\S\xC3\xBAg\xC3\xB3 f\xC3\xA1jl.txt\t10\t20\tinterleaved\n"),
            std::string::npos)
      << listing;
  EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), 6);
}

TEST(DistLoad, CopiedFilesAndTheirErrors) {
  TempDir tmp;
  {
    std::ofstream(tmp.Path() + "/real.bin", std::ios::binary) << std::string("MZ\0\1real", 8);
    std::ofstream(tmp.Path() + "/empty.bin", std::ios::binary);
  }
  const std::string head = "[system]\nRootDirectory = R\nCadSystem = C\nSubSystem = S\nVersion = V\n[disc 1]\nName = N\n";
  Distribution dist = Load(head + "[file Systems \\a.exe]\nTarget = \\a.exe\nCopy = real.bin\n", tmp.Path());
  ASSERT_EQ(dist.contents.size(), 1u);
  EXPECT_EQ(dist.contents[0][0], std::string("MZ\0\1real", 8));

  DistParseOptions options;
  options.fileName = "s.dist";
  options.baseDir = tmp.Path();
  Description description;
  std::string error;
  ASSERT_TRUE(ParseDescription(head + "\n[file Systems \\a.exe]\nTarget = \\a.exe\nCopy = missing.bin\n", options,
                               description, error));
  EXPECT_FALSE(LoadDistribution(description, "s.dist", dist, error));
  EXPECT_EQ(error.compare(0, 20, "s.dist:9: cannot rea"), 0) << error;

  ASSERT_TRUE(ParseDescription(head + "[file Systems \\a.exe]\nTarget = \\a.exe\nCopy = empty.bin\n", options,
                               description, error));
  EXPECT_FALSE(LoadDistribution(description, "s.dist", dist, error));
  EXPECT_EQ(error, "s.dist:8: file \\a.exe would be empty");
}

#ifdef ZELTA_VENDOR_SAMPLE
// The bundled sample must keep covering what the installer's tests need.
TEST(DistSample, CoversTheWholeContract) {
  std::string text = ReadFile(ZELTA_VENDOR_SAMPLE);
  ASSERT_FALSE(text.empty());
  std::string folder = ZELTA_VENDOR_SAMPLE;
  // Any readable files serve for the two files named from outside.
  Distribution dist = Load(text, folder.substr(0, folder.rfind('/')),
                           {{"PRODUCT", ZELTA_VENDOR_SAMPLE}, {"FONT", ZELTA_VENDOR_SAMPLE}});
  const Description& d = dist.description;
  EXPECT_GE(d.discs.size(), 2u);
  bool component[DistComponentCount] = {};
  bool nested = false, ex = false, dl = false, chunks = false, ask = false, never = false, windows = false;
  bool comma = false, space = false;
  for (size_t i = 0; i < d.discs.size(); ++i) {
    for (size_t k = 0; k < d.discs[i].files.size(); ++k) {
      const DistFile& f = d.discs[i].files[k];
      component[f.component] = true;
      nested = nested || std::count(f.source.begin(), f.source.end(), '\\') >= 3;
      ex = ex || f.source.find("ex_") != std::string::npos;
      dl = dl || f.source.find("dl_") != std::string::npos;
      chunks = chunks || dist.contents[i][k].size() > 2 * 512000;
      DistTarget t;
      ASSERT_TRUE(SplitDistTarget(f.target, t));
      ask = ask || t.ask;
      never = never || t.never;
      windows = windows || t.windows;
      (f.commaSeparator ? comma : space) = true;
    }
  }
  for (int c = 0; c < DistComponentCount; ++c) EXPECT_TRUE(component[c]) << DistComponentKeys[c];
  EXPECT_TRUE(nested && ex && dl && chunks);
  EXPECT_TRUE(ask && never && windows);
  EXPECT_TRUE(comma && space);
  EXPECT_FALSE(d.directories.empty());
  EXPECT_FALSE(d.registry.empty());
  EXPECT_FALSE(d.fonts.empty());
  EXPECT_FALSE(d.commands.empty());
  // The probe carries both markers, the second on a later line.
  std::string probe = BuildProbe(d);
  size_t first = probe.find("ZeltaCAD WEB update system: V9.21");
  size_t second = probe.find("\r\nZeltaSoft Ltd. 1992-2019.");
  EXPECT_EQ(first, 0u);
  ASSERT_NE(second, std::string::npos);
  EXPECT_GT(second, first);
  EXPECT_NE(probe.find("\r\n", second + 2), std::string::npos);
}
#endif

}  // namespace
