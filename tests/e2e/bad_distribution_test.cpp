// The real installer against distributions that the vendor's tool would
// never produce: discs with gaps, file lists for another disc, unknown
// target codes, sources and targets that lead out of their folders, values
// longer than the installer's buffers, binary file lists, lines ended by LF
// alone and a UTF-8 byte-order mark. The catalogue and file list bytes are
// written here onto both hosts.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/fault_case.h"
#include "tests/win/install_test_support.h"
#include "tests/win/test_site.h"

namespace {

const char Catalogue[] = "VarnelDemo/Disc_01/Install.ini";
const char FileList1[] = "VarnelDemo/Disc_01/Fajls_1.ini";
const char FileList2[] = "VarnelDemo/Disc_02/Fajls_2.ini";
const char FileList3[] = "VarnelDemo/Disc_03/Fajls_3.ini";

const char Disc1Label[] = "ZeltaCAD 9.21 Demó – 1. lemez";
const char Disc2Label[] = "ZeltaCAD 9.21 Demó – 2. lemez";
const char DownloadArea[] = "C:\\V92EDemo\\ZeltaWin32\\Install\\";
const char SetupFile1[] = "File1=\\Setup\\setup.ini *?\\ZeltaWin32\\zelta.ini\r\n";
const char SetupFile2[] = "File2=\\Setup\\dl_licenc.txt *-\\ZeltaWin32\\Licenc.txt\r\n";

const char InstallerCaption[] = "ZeltaCAD telepités";
const char SystemErrorCaption[] = "ZeltaCAD System Error!";
const char NoRootText[] = "A telepítési könyvtár nem található a WEB-en!";

std::string InsertDisc(const char* label) {
  return std::string("A(z) ") + DownloadArea + " meghajtóba a -' " + label + " '- jelű flopyt helyezze be!";
}
std::string WrongDisc(const char* label) {
  return std::string("A(z) ") + DownloadArea + " meghajtóban NEM a -' " + label +
         " '- jelű flopyt van, vagy más hiba! Folytatja?";
}
std::string SourceNotOpened(const std::string& path) {
  return "A(z) ' " + path + " ' forrás állomány megnyitása hibás!";
}
std::string TargetNotCreated(const std::string& path) {
  return "A(z) ' " + path + " ' cél állomány létrehozása hibás!";
}
std::string WrongCode(const std::string& field) {
  return "Hibás célfájl kód a Fajls_?.ini-ben: " + field + " !";
}

// The text with its one occurrence of `from` replaced.
std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

std::string LfOnly(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != '\r') out.push_back(c);
  return out;
}

class BadDistribution : public FaultCase {
 protected:
  // The lists are changed here by hand, their checksums would not fit:
  // these runs are of an installer that checks no content.
  void SetUp() override {
    FaultCase::SetUp();
    WithoutChecksums();
  }

  // The message boxes of a run: texts and captions.
  static void ExpectMessages(const RunOutcome& run, const std::vector<std::string>& texts,
                             const char* caption = InstallerCaption) {
    EXPECT_EQ(run.Texts(), texts);
    for (const MessageSeen& m : run.messages) EXPECT_EQ(m.caption, caption) << m.text;
  }
  // Nothing of the distribution's entries named "evil..." exists anywhere.
  static void ExpectNoEvil(const RunOutcome& run) {
    for (const std::string& key : run.AddedContaining("evil")) ADD_FAILURE() << "written: " << key;
    EXPECT_FALSE(run.Requested("evil"));
  }
};

// Discs 1 and 3 in the catalogue, no 2: the download ends at the first
// missing file list (disc 2), disc 1 is installed, and disc 3, which the
// catalogue names, is asked for.
TEST_F(BadDistribution, DiscGapAsksForTheDiscAfterTheGap) {
  ServeOnBoth(Catalogue, Replaced(SiteFile(Catalogue), "[Disc02]", "[Disc03]"));
  std::string list2 = SiteFile(FileList2);
  RemoveFromBoth(FileList2);
  ServeOnBoth(FileList3, list2);
  RunOutcome run = Run({IDCANCEL});
  ExpectCancelled(run);
  ExpectMessages(run, {InsertDisc(Disc2Label)});
  EXPECT_TRUE(run.Requested("Disc_02/Fajls_2.ini"));
  EXPECT_FALSE(run.Requested("Disc_03/"));
  EXPECT_EQ(Installed("ZeltaWin32\\Bin\\zelta.exe"), Expected("ZeltaWin32\\Bin\\zelta.exe"));
  EXPECT_EQ(Installed("ZeltaWin32\\Rajzok\\Minta rajz 1.zdw"), "<missing>");
}

// A file list naming another disc: asked for, rechecked on OK, and on
// Cancel the run stops before any file of the disc is copied.
TEST_F(BadDistribution, FileListOfAnotherDiscIsNotInstalled) {
  ServeOnBoth(FileList1, Replaced(SiteFile(FileList1), "1. lemez", "1. Lemez"));
  RunOutcome run = Run({IDOK, IDOK, IDCANCEL});
  ExpectCancelled(run);
  ExpectMessages(run, {InsertDisc(Disc1Label), WrongDisc(Disc1Label), InsertDisc(Disc1Label)});
  EXPECT_TRUE(Downloaded("Disc_01\\Systems\\bin\\zelta.exe") == Expected("ZeltaWin32\\Bin\\zelta.exe"));
  EXPECT_EQ(Installed("ZeltaWin32\\Bin\\zelta.exe"), "<missing>");
  EXPECT_EQ(Installed("ZeltaWin32\\zelta.ini"), "<missing>");
}

// Unknown target codes are reported; only the "*" is taken off, so "*x"
// leaves a target beside the root, which is refused, and "*\" a good one.
// Cancel on the report ends the step once that entry has been copied.
TEST_F(BadDistribution, UnknownTargetCodesAreReported) {
  std::string list = SiteFile(FileList1);
  list = Replaced(list, SetupFile1, "File1=\\Setup\\setup.ini *x\\ZeltaWin32\\zelta.ini\r\n");
  list = Replaced(list, SetupFile2, "File2=\\Setup\\dl_licenc.txt *\\ZeltaWin32\\Licenc.txt\r\n");
  ServeOnBoth(FileList1, list);
  RunOutcome run = Run({IDOK, IDOK, IDCANCEL});
  ExpectCancelled(run);
  ExpectMessages(run, {WrongCode("*x\\ZeltaWin32\\zelta.ini"), TargetNotCreated("C:\\V92EDemox\\ZeltaWin32\\zelta.ini"),
                       WrongCode("*\\ZeltaWin32\\Licenc.txt")});
  EXPECT_FALSE(PathExists("C:\\V92EDemox"));
  EXPECT_EQ(Installed("ZeltaWin32\\zelta.ini"), "<missing>");
  EXPECT_EQ(Installed("ZeltaWin32\\Licenc.txt"), Expected("ZeltaWin32\\Licenc.txt"));
  EXPECT_EQ(Installed("ZeltaWin32\\Bin\\zelta.exe"), "<missing>");  // stopped after Licenc.txt
}

// Targets that would lie outside the root (or the Windows directory) and a
// source outside its disc folder: each is refused with its message, the
// rest of the distribution is installed, and none of them is written.
TEST_F(BadDistribution, TargetsAndSourcesLeavingTheirFoldersAreRefused) {
  struct Entry {
    const char* value;
    std::string message;
  };
  const std::string windir = WindowsDirectoryOfProcess();
  const std::vector<Entry> entries = {
      {"\\Setup\\setup.ini \\..\\evil-up.txt", TargetNotCreated("C:\\V92EDemo\\..\\evil-up.txt")},
      {"\\Setup\\setup.ini \\ZeltaWin32\\..\\..\\evil-deep.txt",
       TargetNotCreated("C:\\V92EDemo\\ZeltaWin32\\..\\..\\evil-deep.txt")},
      {"\\Setup\\setup.ini \\ZeltaWin32\\. .\\..\\..\\evil-blank.txt",
       TargetNotCreated("C:\\V92EDemo\\ZeltaWin32\\. .\\..\\..\\evil-blank.txt")},
      {"\\Setup\\setup.ini C:\\evil-drive.txt", TargetNotCreated("C:\\V92EDemoC:\\evil-drive.txt")},
      {"\\Setup\\setup.ini c:evil-relative.txt", TargetNotCreated("C:\\V92EDemoc:evil-relative.txt")},
      {"\\Setup\\setup.ini \\\\server\\share\\evil-unc.txt",
       TargetNotCreated("C:\\V92EDemo\\\\server\\share\\evil-unc.txt")},
      {"\\Setup\\setup.ini \\ZeltaWin32\\evil-stream.txt:data",
       TargetNotCreated("C:\\V92EDemo\\ZeltaWin32\\evil-stream.txt:data")},
      {"\\Setup\\setup.ini *%\\..\\evil-windir.txt", TargetNotCreated(windir + "\\..\\evil-windir.txt")},
      // A device name, in any case, with an extension or as a folder.
      {"\\Setup\\setup.ini \\ZeltaWin32\\evil\\Con.txt",
       TargetNotCreated("C:\\V92EDemo\\ZeltaWin32\\evil\\Con.txt")},
      {"\\Setup\\setup.ini \\ZeltaWin32\\LPT1\\evil-device.txt",
       TargetNotCreated("C:\\V92EDemo\\ZeltaWin32\\LPT1\\evil-device.txt")},
      // No backslash first: joined to the disc folder's name, beside it.
      {"Setup\\setup.ini \\ZeltaWin32\\evil-source.txt",
       SourceNotOpened(std::string(DownloadArea) + "Disc_01Setup\\setup.ini")},
  };
  std::string added;
  std::vector<std::string> messages;
  for (size_t i = 0; i < entries.size(); ++i) {
    added += "File" + std::to_string(i + 3) + "=" + entries[i].value + "\r\n";
    messages.push_back(entries[i].message);
  }
  ServeOnBoth(FileList1, Replaced(SiteFile(FileList1), SetupFile2, SetupFile2 + added));
  RunOutcome run = Run(std::vector<int>(entries.size(), IDOK));
  ExpectSuccess(run);
  ExpectMessages(run, messages);
  for (const std::string& key : run.AddedContaining("evil")) ADD_FAILURE() << "written: " << key;
  ExpectWholeSampleInstalled();
}

// A source that would be fetched from, or stored at, a place outside its
// disc folder is refused by the download itself: the request is never
// made, nothing is stored, and the run ends as cancelled without a message.
// The server does have a file where "../../../../evil-src.txt" leads (its
// root), and that path, taken from Disc_01 in the download area, leads to
// the drive's root.
TEST_F(BadDistribution, SourcesLeavingTheDiscFolderAreNeverFetched) {
  for (const char* source : {"\\../../../../evil-src.txt", "\\..\\..\\..\\..\\evil-src.txt", "C:\\evil-src.txt",
                             "c:evil-src.txt", "\\\\server\\share\\evil-src.txt", "\\Setup\\evil-src.txt:data",
                             "\\Setup\\nul.evil-src"}) {
    SCOPED_TRACE(source);
    ServeAtHostRoots("evil-src.txt", "served beside the update folder\r\n");
    ServeOnBoth(FileList1,
                Replaced(SiteFile(FileList1), SetupFile1, std::string("File1=") + source + " \\ZeltaWin32\\zelta.ini\r\n"));
    RunOutcome run = Run();
    ExpectCancelled(run);
    ExpectMessages(run, {});
    ExpectNoEvil(run);
    EXPECT_TRUE(run.Requested("Disc_01/Fajls_1.ini"));
    EXPECT_FALSE(run.Requested("dl_licenc.txt"));  // the download stopped at the refused entry
    EXPECT_EQ(Installed("ZeltaWin32\\zelta.ini"), "<missing>");
    RestoreSite();
  }
}

// A root directory that leads out of the drive's root, or off the drive:
// no usable root, the message, a cancelled run, nothing created.
TEST_F(BadDistribution, RootDirectoryLeavingTheDriveIsRefused) {
  for (const char* root : {"..\\evil-root", "V92EDemo\\..\\..\\evil-root", "D:\\evil-root", "\\\\server\\evil-root",
                           "\\evil-root"}) {
    SCOPED_TRACE(root);
    ServeOnBoth(Catalogue, Replaced(SiteFile(Catalogue), "RootDirectory=V92EDemo", std::string("RootDirectory=") + root));
    RunOutcome run = Run({IDOK});
    ExpectCancelled(run);
    ExpectMessages(run, {NoRootText}, SystemErrorCaption);
    ExpectNoEvil(run);
    EXPECT_FALSE(run.Requested("Fajls_"));
    RestoreSite();
  }
}

// The catalogue's lines begin to be read only at CR LF: with LF alone, or
// with a UTF-8 byte-order mark before its first section, or as random
// bytes, the root directory cannot be found.
TEST_F(BadDistribution, UnreadableCatalogueHasNoRootDirectory) {
  std::string catalogue = SiteFile(Catalogue);
  std::string binary = TestBytes(3000, 7);
  binary[10] = '\0';
  binary[500] = '\0';
  for (const std::string& bytes : {LfOnly(catalogue), "\xEF\xBB\xBF" + catalogue, binary}) {
    SCOPED_TRACE(bytes.substr(0, 12));
    ServeOnBoth(Catalogue, bytes);
    RunOutcome run = Run({IDOK});
    ExpectCancelled(run);
    ExpectMessages(run, {NoRootText}, SystemErrorCaption);
    EXPECT_FALSE(PathExists(SampleRoot));
    RestoreSite();
  }
}

// A catalogue size no file can have: the catalogue is unusable, the run
// ends before anything is written, and says which size.
TEST_F(BadDistribution, SizesNoFileCanHaveEndTheRunBeforeAnythingIsWritten) {
  for (const char* size : {"-1", "9223372036854775808"}) {
    SCOPED_TRACE(size);
    ServeOnBoth(Catalogue, Replaced(SiteFile(Catalogue), "Blocks=5000", std::string("Blocks=") + size));
    RunOutcome run = Run();
    ExpectCancelled(run);
    EXPECT_TRUE(run.messages.empty());
    EXPECT_EQ(run.messageArea, std::string("\n\nA(z) ' Disc_01/Install.ini ' fájl nem használható:\na(z) ' [Disc02] "
                                           "Blocks=") + size +
                                   " ' méret negatív, vagy nagyobb, mint amit egy fájl tárolhat!");
    EXPECT_FALSE(PathExists(SampleRoot));
    EXPECT_FALSE(run.Requested("Fajls_"));
    RestoreSite();
  }
}

// A file list of disc 1 with LF line ends: the download finds none of its
// sections, so none of its files is fetched; the installation reads the
// saved list with the platform's reader, which takes LF lines, finds every
// source missing and reports each one. OK skips them; disc 2 is installed.
TEST_F(BadDistribution, FileListWithLfLineEndsReportsEveryMissingSource) {
  ServeOnBoth(FileList1, LfOnly(SiteFile(FileList1)));
  RunOutcome run = Run(std::vector<int>(7, IDOK));
  ExpectSuccess(run);
  std::vector<std::string> missing;
  for (const char* source : {"Setup\\setup.ini", "Setup\\dl_licenc.txt", "Systems\\ZeltaWin32.exe",
                             "Systems\\bin\\zelta.exe", "Systems\\bin\\ex_zelta32.dll", "Systems\\bin\\language\\hu.lng",
                             "Systems\\fonts\\zeltaiso.ttf"})
    missing.push_back(SourceNotOpened(std::string(DownloadArea) + "Disc_01\\" + source));
  ExpectMessages(run, missing);
  EXPECT_FALSE(run.Requested("Disc_01/Setup/"));
  EXPECT_FALSE(run.Requested("Disc_01/Systems/"));
  EXPECT_EQ(Installed("ZeltaWin32\\Bin\\zelta.exe"), "<missing>");
  EXPECT_EQ(Installed("ZeltaWin32\\Rajzok\\Minta rajz 1.zdw"), Expected("ZeltaWin32\\Rajzok\\Minta rajz 1.zdw"));
}

// A file list of disc 1 that starts with a UTF-8 byte-order mark, or is
// random bytes with NULs: the download finds its component sections (or
// none), but the platform's reader does not give back the disc name the
// catalogue has, so the disc is asked for and nothing of it is installed.
TEST_F(BadDistribution, UnreadableFileListIsAskedForAgain) {
  std::string binary = TestBytes(2000, 11);
  binary[0] = '\0';
  binary[700] = '\0';
  for (const std::string& bytes : {"\xEF\xBB\xBF" + SiteFile(FileList1), binary}) {
    SCOPED_TRACE(bytes.substr(0, 12));
    ServeOnBoth(FileList1, bytes);
    RunOutcome run = Run({IDCANCEL});
    ExpectCancelled(run);
    ExpectMessages(run, {InsertDisc(Disc1Label)});
    EXPECT_EQ(Installed("ZeltaWin32\\Bin\\zelta.exe"), "<missing>");
    RestoreSite();
  }
}

// Names made only of dots and blanks as the root: no folder can be made
// for them, so the run ends as cancelled before the download, and nothing
// is written anywhere (the sample root is only the allowed place here, and
// it stays absent).
TEST_F(BadDistribution, DotNamedRootDirectoryWritesNothing) {
  for (const char* root : {".. ", "...", ". ."}) {
    SCOPED_TRACE(root);
    ServeOnBoth(Catalogue, Replaced(SiteFile(Catalogue), "RootDirectory=V92EDemo", std::string("RootDirectory=") + root));
    RunOutcome run = Run();
    ExpectCancelled(run);
    ExpectMessages(run, {});
    EXPECT_FALSE(PathExists(SampleRoot));
    EXPECT_FALSE(run.Requested("Fajls_"));
    RestoreSite();
  }
}

// The server's catalogue is read in lines of at most 255 bytes, so a root
// directory of 255, 256 or 4000 bytes would become a root of 241
// characters: another folder than the catalogue names, and one whose
// paths no longer fit. A root of 213 is read whole, but the file list of
// disc 15 in its download area ("\ZeltaWin32\Install\Disc_15\Fajls_15.ini")
// would not fit. Each is refused like a missing root, and nothing is
// created.
TEST_F(BadDistribution, OverlongRootDirectoryIsRefused) {
  for (size_t n : {213, 255, 256, 4000}) {
    SCOPED_TRACE(n);
    ServeOnBoth(Catalogue, Replaced(SiteFile(Catalogue), "RootDirectory=V92EDemo", "RootDirectory=" + std::string(n, 'R')));
    RunOutcome run = Run({IDOK});
    ExpectCancelled(run);
    ExpectMessages(run, {NoRootText}, SystemErrorCaption);
    EXPECT_TRUE(run.AddedContaining("rrrrrrrrrr").empty());
    EXPECT_FALSE(run.Requested("Fajls_"));
    EXPECT_FALSE(PathExists(SampleRoot));
    RestoreSite();
  }
}

// The longest root taken (212 characters) leaves room for the download
// area's fixed paths, but the path of the first file, Setup\setup.ini,
// would be 258 characters there; and with the sample's root a source name
// of 217 characters would make a path of 256, and one of 197 an address of
// 263 on the download host. Each is refused before it is
// asked for, as a name that leaves its folder is: cut, it would be stored
// under another file's name. The run ends as cancelled, naming the file.
TEST_F(BadDistribution, SourcesTooLongForTheDownloadAreaAreRefusedNotCut) {
  struct Case {
    std::string root;
    std::string source;  // as the file list names it
  };
  const std::vector<Case> cases = {
      {std::string(212, 'R'), "\\Setup\\setup.ini"},
      {"V92EDemo", "\\Setup\\" + std::string(211, 'S')},
      // Fits the download area (235), but not the address (263).
      {"V92EDemo", "\\Setup\\" + std::string(190, 'U')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.root.size()) + " " + std::to_string(c.source.size()));
    const std::string root = "C:\\" + c.root;
    ServeOnBoth(Catalogue, Replaced(SiteFile(Catalogue), "RootDirectory=V92EDemo", "RootDirectory=" + c.root));
    ServeOnBoth(FileList1, Replaced(SiteFile(FileList1), SetupFile1, "File1=" + c.source + " *?\\ZeltaWin32\\zelta.ini\r\n"));
    RunOutcome run = Run({}, root);
    ExpectCancelled(run);
    ExpectMessages(run, {});
    EXPECT_EQ(run.messageArea, "\n\nA(z) ' Disc_01/" + c.source.substr(1) +
                                   " ' fájl letöltése sikertelen:\na kiszolgáló válasza nem használható!");
    EXPECT_TRUE(run.Requested("Disc_01/Fajls_1.ini"));
    EXPECT_FALSE(run.Requested("Disc_01/Setup/"));
    EXPECT_FALSE(PathExists(root + "\\ZeltaWin32\\Install\\Disc_01\\Setup"));
    EXPECT_FALSE(PathExists(root + "\\ZeltaWin32\\zelta.ini"));
    RestoreSite();
  }
}

// A file-list value of 255 characters is used whole; a longer one (256 or
// 4000) would name another file once cut to 255, so its target is refused
// with message 6 (cut to the message's 255 characters) and nothing is
// written under the cut name. The run goes on and succeeds.
TEST_F(BadDistribution, OverlongFileListValueIsRefusedNotCut) {
  for (size_t n : {255, 256, 4000}) {
    SCOPED_TRACE(n);
    // "\Setup\setup.ini *?" and the target make n characters.
    const std::string target = "\\ZeltaWin32\\" + std::string(n - 31, 'L');
    ServeOnBoth(FileList1, Replaced(SiteFile(FileList1), SetupFile1, "File1=\\Setup\\setup.ini *?" + target + "\r\n"));
    if (n == 255) {
      RunOutcome run = Run();
      ExpectSuccess(run);
      ExpectMessages(run, {});
      EXPECT_EQ(Installed(target.substr(1)), Expected("ZeltaWin32\\zelta.ini"));
    } else {
      RunOutcome run = Run({IDOK});
      ExpectSuccess(run);
      const std::string cut = std::string(SampleRoot) + target.substr(0, 12 + 224);
      ExpectMessages(run, {TargetNotCreated(cut).substr(0, 255)});
      for (const std::string& key : run.AddedContaining("llllllllll")) ADD_FAILURE() << "written: " << key;
    }
    EXPECT_EQ(Installed("ZeltaWin32\\Bin\\zelta.exe"), Expected("ZeltaWin32\\Bin\\zelta.exe"));
    RestoreSite();
  }
}

}  // namespace
