// The installer on drives that go wrong under it: a target drive that fills
// up while the distribution is downloaded or while it is installed, files
// the user made read-only, and a second run over a first one that was
// cancelled or killed in the middle of the download. The real
// ZeltaWebInstall.exe, driven from this process, against the loopback vendor
// server serving the sample distribution. The small drives are tmpfs mounts
// mapped as drive letters (tests/e2e/with_small_drive.sh).
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/drive_snapshot.h"
#include "tests/e2e/installer_session.h"
#include "tests/win/install_test_support.h"
#include "tests/win/test_site.h"

namespace {

const char RootFolder[] = "V92EDemo";
const int DriveField = 503;
const int StartBox = 508;     // "start the system afterwards", in the setup dialog
const int FileLine = 508;     // in the progress dialog
const int ActivityMark = 521;
const int InstallButton = IDOK;
const DWORD KilledExitCode = 99;
const unsigned long long PageSize = 4096;  // what a tmpfs file takes, per started page

const char Downloading[] = "A telepítési adatok letöltése folyik... (ez idő igényes lehet...)";
const char CreatingFolders[] = "A rendszer könyvtárak létrehozása...";
const char Cancelled[] = "A telepítési folyamat megszakítva!";
const char BigFile[] = "VarnelDemo/Disc_01/Systems/bin/zelta.exe";
const size_t BigFileSize = 1300000;

// The sample's file-list entries in the order they are installed: disc,
// source below the disc folder, target below the root (or, marked, below
// the Windows directory).
struct SampleEntry {
  int disc;
  const char* source;
  const char* target;
  bool windowsBase;
};
const SampleEntry SampleEntries[] = {
    {1, "\\Setup\\setup.ini", "\\ZeltaWin32\\zelta.ini", false},
    {1, "\\Setup\\dl_licenc.txt", "\\ZeltaWin32\\Licenc.txt", false},
    {1, "\\Systems\\ZeltaWin32.exe", "\\ZeltaWin32\\ZeltaWin32.exe", false},
    {1, "\\Systems\\bin\\zelta.exe", "\\ZeltaWin32\\Bin\\zelta.exe", false},
    {1, "\\Systems\\bin\\ex_zelta32.dll", "\\ZeltaWin32\\Bin\\zelta32.dll", false},
    {1, "\\Systems\\bin\\language\\hu.lng", "\\ZeltaWin32\\Bin\\Language\\magyar.lng", false},
    {1, "\\Systems\\fonts\\zeltaiso.ttf", "\\Fonts\\ZeltaIso.ttf", true},
    {2, "\\Systems\\bin\\zeltaupd.exe", "\\ZeltaWin32\\Bin\\zeltaupd.exe", false},
    {2, "\\Drawings\\minta1.zdw", "\\ZeltaWin32\\Rajzok\\Minta rajz 1.zdw", false},
    {2, "\\Drawings\\alaprajz.zdw", "\\ZeltaWin32\\Rajzok\\Földszinti alaprajz.zdw", false},
    {2, "\\Blocks\\ajto.zbl", "\\ZeltaWin32\\Blokkok\\Ajtó.zbl", false},
    {2, "\\Projects\\demo\\projekt.zpr", "\\ZeltaWin32\\Projektek\\Demó projekt.zpr", false},
    {2, "\\Datas\\ex_anyag.dat", "\\ZeltaWin32\\Adatok\\anyagok.dat", false},
    {2, "\\Help\\olvass.txt", "\\ZeltaWin32\\Help\\Olvass el.txt", false},
};

std::string ProgramPath() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string self(path, n);
  return self.substr(0, self.find_last_of('\\') + 1) + ZELTA_INSTALLER;
}

std::string RootOn(char drive) {
  return std::string(1, drive) + ":\\" + RootFolder;
}

// A folder of the C: drive as a snapshot key ("C:\\users\\x" -> "users\\x").
std::string DriveKey(const std::string& path) {
  return SnapshotKey(path.size() > 3 && path.compare(1, 2, ":\\") == 0 ? path.substr(3) : path);
}

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
  for (const std::string& t : texts)
    if (t == text) return true;
  return false;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& line : lines) all += "\n  " + line;
  return all;
}

unsigned long long FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

unsigned long long WriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
         data.ftLastWriteTime.dwLowDateTime;
}

unsigned long long Pages(unsigned long long bytes) {
  return (bytes + PageSize - 1) / PageSize * PageSize;
}

// The texts of the file installation's questions and reports.
std::string OverwriteQuestion(const std::string& target) {
  return "Meglévő fájl: " + target + "! Felül kívánja írni?";
}
std::string CreateError(const std::string& target) {
  return "A(z) ' " + target + " ' cél állomány létrehozása hibás!";
}
std::string WriteError(const std::string& source, const std::string& target) {
  return "A(z) ' " + source + " ' - ' " + target + " ' fájl másolás írás hiba!";
}

// A file's content as a failure message shows it: short texts as they are,
// anything longer by its size only.
std::string Shown(const std::string& content) {
  if (content.size() <= 64) return content;
  return "<" + std::to_string(content.size()) + " bytes>";
}

bool StartsWith(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

using Answer = std::function<int(const std::string&)>;
// Called on every turn of the progress dialog, with the program's process id.
using During = std::function<void(HWND, DWORD)>;

// What one run of the program did.
struct RunRecord {
  InstallerSession::Progress seen;
  int exitCode = -1;
  bool succeeded = false;                  // the dialog closed itself, exit code 0
  std::vector<std::string> systemChanges;  // on C:, outside the allowed folders
  std::vector<std::string> driveChanges;   // on another target drive, outside the root
};

class DriveFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    expect_ = UnixFolderFromEnvironment("ZELTA_EXPECT");
    ASSERT_FALSE(expect_.empty()) << "run under tests/win/with_sample_site.sh";
    const char* drives = getenv("ZELTA_SMALL_DRIVES");
    std::istringstream letters(drives != nullptr ? drives : "");
    std::string letter;
    while (letters >> letter)
      if (letter.size() == 1) smallDrives_.push_back(letter[0]);
    ClearInstallations();
    ASSERT_FALSE(PathExists(RootOn('C')));
  }
  void TearDown() override {
    SetFault(WebSite, BigFile, "");
    ClearInstallations();
  }

  void ClearInstallations() {
    std::vector<char> drives = smallDrives_;
    drives.push_back('C');
    for (char drive : drives) RemoveInstalledTree(RootOn(drive));
    DeleteMachineKey("Software\\ZeltaSoft\\ZeltaCAD");
    for (const char* key : {"Software\\Classes\\.zdw", "Software\\Classes\\.zbl", "Software\\Classes\\ZeltaCAD.Rajz",
                            "Software\\Classes\\ZeltaCAD.Blokk"})
      DeleteMachineKey(key);
    DeleteFileA(LinkPath().c_str());
    RemoveTree(GroupFolder());
  }

  static std::string LinkPath() { return ShellFolder(CSIDL_DESKTOP) + "\\ZeltaCAD Demo.lnk"; }
  static std::string GroupFolder() { return ShellFolder(CSIDL_PROGRAMS) + "\\ZeltaCAD Demo"; }

  std::string ExpectedContent(const std::string& relative) {
    std::string content;
    ReadLocalFile(expect_ + "\\root" + relative, &content);
    return content;
  }

  std::string ExpectedFontContent() {
    std::string content;
    ReadLocalFile(expect_ + "\\windows\\Fonts\\ZeltaIso.ttf", &content);
    return content;
  }

  static std::string Content(const std::string& path) {
    std::string content;
    if (!ReadLocalFile(path, &content)) return "<missing>";
    return content;
  }

  static std::string SourcePath(char drive, const SampleEntry& entry) {
    return RootOn(drive) + "\\ZeltaWin32\\Install\\Disc_0" + std::to_string(entry.disc) + entry.source;
  }
  static std::string TargetPath(char drive, const SampleEntry& entry) {
    return entry.windowsBase ? WindowsDirectoryOfProcess() + entry.target : RootOn(drive) + entry.target;
  }

  // Bytes a tmpfs needs for the whole download area: the files as stored
  // there, the file lists and the catalogue, and the small record kept
  // beside each downloaded file (the catalogue's too) for resuming it.
  unsigned long long DownloadNeed() {
    std::vector<std::string> files;
    ListFiles(expect_ + "\\download", "", &files);
    unsigned long long need = 0;
    for (const std::string& file : files) need += Pages(FileSize(expect_ + "\\download\\" + file)) + Pages(1);
    std::string disc = UpdateFolder(WebSite) + "\\VarnelDemo\\Disc_0";
    need += Pages(FileSize(disc + "1\\Install.ini")) + Pages(1);
    need += Pages(FileSize(disc + "1\\Fajls_1.ini")) + Pages(FileSize(disc + "2\\Fajls_2.ini"));
    return need;
  }

  // Bytes the installed tree needs on the target drive.
  unsigned long long InstallNeed() {
    unsigned long long need = 0;
    for (const SampleEntry& entry : SampleEntries)
      if (!entry.windowsBase) need += Pages(ExpectedContent(entry.target).size());
    return need;
  }

  static unsigned long long Capacity(char drive) {
    ULARGE_INTEGER available, total, free;
    std::string root = std::string(1, drive) + ":\\";
    if (!GetDiskFreeSpaceExA(root.c_str(), &available, &total, &free)) return 0;
    return total.QuadPart;
  }

  // A small drive whose size lies in [low, high); 0 when none does.
  char SmallDriveOfSize(unsigned long long low, unsigned long long high, std::string* sizes) {
    char found = 0;
    for (char drive : smallDrives_) {
      unsigned long long capacity = Capacity(drive);
      *sizes += std::string(" ") + drive + ":=" + std::to_string(capacity);
      if (found == 0 && capacity >= low && capacity < high) found = drive;
    }
    return found;
  }

  // Starts the program, types the drive letter (C: is the field's default),
  // turns off the start afterwards, snapshots the drives, presses
  // "Telepítés" and follows the progress dialog to its ending, answering
  // with `answer`. Ends a failed run with "Kilépés".
  RunRecord Install(char drive, const Answer& answer, const During& during = nullptr) {
    RunRecord run;
    InstallerSession session;
    EXPECT_TRUE(session.Start(ProgramPath()));
    HWND setup = session.WaitForSetupDialog();
    EXPECT_NE(setup, nullptr);
    if (setup == nullptr) return run;
    if (drive == 'C') {
      EXPECT_EQ(InstallerSession::Text(setup, DriveField), "C:");
    } else {
      InstallerSession::Type(setup, DriveField, std::string(1, drive).c_str());
      const std::string field = std::string(1, drive) + ":";
      EXPECT_TRUE(WaitUntil([&] { return InstallerSession::Text(setup, DriveField) == field; }))
          << InstallerSession::Text(setup, DriveField);
      EXPECT_EQ(session.WaitForMessageBox(300), nullptr) << "the drive was not accepted";
    }
    InstallerSession::Click(setup, StartBox);
    EXPECT_TRUE(InstallerSession::WaitForCheck(setup, StartBox, false));

    DriveSnapshot systemBefore = TakeSnapshot("C:\\");
    DriveSnapshot driveBefore;
    if (drive != 'C') driveBefore = TakeSnapshot(std::string(1, drive) + ":\\");
    InstallerSession::Click(setup, InstallButton);
    HWND progress = session.WaitForProgressDialog();
    EXPECT_NE(progress, nullptr);
    if (progress == nullptr) return run;
    DWORD pid = session.pid();
    run.seen = session.Follow(progress, answer, [&](HWND dialog) {
      if (during) during(dialog, pid);
    });
    if (!run.seen.ended && run.seen.buttonEnabled) InstallerSession::Click(progress, IDCANCEL);
    run.exitCode = session.WaitForExit();
    run.succeeded = run.seen.ended && run.exitCode == 0;

    std::vector<std::string> allowed = {DriveKey(RootOn(drive)),
                                        DriveKey(WindowsDirectoryOfProcess() + "\\Fonts")};
    if (drive != 'C') allowed[0].clear();  // nothing of the installation belongs on C:
    if (run.succeeded) {
      allowed.push_back(DriveKey(LinkPath()));
      allowed.push_back(DriveKey(GroupFolder()));
    }
    run.systemChanges = ChangesOutside(systemBefore, TakeSnapshot("C:\\"), allowed);
    if (drive != 'C') {
      run.driveChanges = ChangesOutside(driveBefore, TakeSnapshot(std::string(1, drive) + ":\\"),
                                        {DriveKey(RootOn(drive))});
    }
    return run;
  }

  // The state after a failed run: no record, no link, no group.
  void ExpectNothingRegistered() {
    EXPECT_EQ(MachineValue("Software\\ZeltaSoft\\ZeltaCAD", "Installed Path"), "<no key>");
    EXPECT_FALSE(PathExists(LinkPath()));
    EXPECT_FALSE(PathExists(GroupFolder()));
  }

  // The state after a successful run on `drive`.
  void ExpectRegistered(char drive) {
    EXPECT_EQ(MachineValue("Software\\ZeltaSoft\\ZeltaCAD", "Installed Path"), RootOn(drive));
    EXPECT_EQ(MachineValue("Software\\Classes\\.zdw", ""), "ZeltaCAD.Rajz");
    EXPECT_EQ(ReadLink(LinkPath()).path, RootOn(drive) + "\\ZeltaWin32\\ZeltaWin32.exe");
    EXPECT_TRUE(PathExists(GroupFolder() + "\\ZeltaCAD 9.21 Demó.lnk"));
  }

  // Every installed file of the sample holds the expected bytes.
  void ExpectWholeInstallation(char drive) {
    std::vector<std::string> files;
    ListFiles(expect_ + "\\root", "", &files);
    ASSERT_FALSE(files.empty());
    for (const std::string& file : files)
      EXPECT_TRUE(Content(RootOn(drive) + "\\" + file) == ExpectedContent("\\" + file)) << file;
  }

  static void ExpectNoChanges(const RunRecord& run) {
    for (const std::string& change : run.systemChanges) ADD_FAILURE() << "C: " << change;
    for (const std::string& change : run.driveChanges) ADD_FAILURE() << "target drive: " << change;
  }

  std::string expect_;
  std::vector<char> smallDrives_;
};

// ---------------------------------------------------------------------------
// Small drives (tmpfs): the target drive fills up.

class SmallDrive : public DriveFaultTest {};

// A download that ends with a full drive ends the run as cancelled: nothing
// is installed, nothing asked, nothing registered.
TEST_F(SmallDrive, DownloadFillsTheDrive) {
  if (smallDrives_.empty()) GTEST_SKIP() << "no small drive mapped (no private mount namespace)";
  std::string sizes;
  char drive = SmallDriveOfSize(1, DownloadNeed(), &sizes);
  ASSERT_NE(drive, 0) << "no small drive below the download's " << DownloadNeed() << " bytes:" << sizes;

  // Nothing is to be asked; Cancel ends whatever might be.
  RunRecord run = Install(drive, [](const std::string&) { return IDCANCEL; });
  EXPECT_TRUE(run.seen.messages.empty()) << Joined(run.seen.messages);
  EXPECT_TRUE(Contains(run.seen.phases, Downloading)) << Joined(run.seen.phases);
  EXPECT_FALSE(Contains(run.seen.phases, CreatingFolders)) << Joined(run.seen.phases);
  ASSERT_FALSE(run.seen.phases.empty());
  EXPECT_EQ(run.seen.phases.back(), Cancelled);
  EXPECT_EQ(run.seen.button, "Kilépés");
  EXPECT_FALSE(run.seen.ended);
  EXPECT_EQ(run.exitCode, 0);

  // The download stopped inside one file: the files before it are whole,
  // it is cut short, none after it was begun.
  int cut = -1;
  for (int i = 0; i < static_cast<int>(sizeof SampleEntries / sizeof SampleEntries[0]); ++i) {
    const SampleEntry& entry = SampleEntries[i];
    std::string downloaded = Content(SourcePath(drive, entry));
    std::string expected;
    ReadLocalFile(expect_ + "\\download\\Disc_0" + std::to_string(entry.disc) + entry.source, &expected);
    if (cut < 0 && downloaded != expected) {
      cut = i;
      EXPECT_TRUE(PathExists(SourcePath(drive, entry))) << entry.source;
      EXPECT_LT(downloaded.size(), expected.size()) << entry.source;
      EXPECT_TRUE(downloaded == expected.substr(0, downloaded.size())) << entry.source;
    } else if (cut >= 0) {
      EXPECT_EQ(Shown(downloaded), "<missing>") << entry.source;
    }
  }
  EXPECT_GE(cut, 0) << "the whole download fitted on the drive";

  // Nothing installed: the root holds only the download area.
  std::vector<std::string> files;
  ListFiles(RootOn(drive), "", &files);
  for (const std::string& file : files)
    EXPECT_TRUE(StartsWith(file, "ZeltaWin32\\Install\\")) << file;
  ExpectNothingRegistered();
  ExpectNoChanges(run);
}

// The download fits, the installed files do not. The drive's size puts the
// first failing copy at `cut`; from there on every copy is reported as a
// write error naming its source and target.
class InstallationFillsTheDrive : public SmallDrive {
 protected:
  void SetUp() override {
    SmallDrive::SetUp();
    if (HasFatalFailure()) return;
    if (smallDrives_.empty()) GTEST_SKIP() << "no small drive mapped (no private mount namespace)";
    unsigned long long download = DownloadNeed();
    std::string sizes;
    drive_ = SmallDriveOfSize(download, download + InstallNeed(), &sizes);
    ASSERT_NE(drive_, 0) << "no small drive between the download's " << download << " bytes and the "
                         << download + InstallNeed() << " of download and installation:" << sizes;
    // What is left after the download, taken by the copies one by one.
    unsigned long long left = Capacity(drive_) - download;
    for (size_t i = 0; i < sizeof SampleEntries / sizeof SampleEntries[0]; ++i) {
      const SampleEntry& entry = SampleEntries[i];
      if (entry.windowsBase) continue;
      unsigned long long need = Pages(ExpectedContent(entry.target).size());
      if (cut_ < 0 && need > left) cut_ = static_cast<int>(i);
      if (cut_ < 0) left -= need;
      if (cut_ >= 0) writeErrors_.push_back(WriteError(SourcePath(drive_, entry), TargetPath(drive_, entry)));
    }
    ASSERT_GE(cut_, 0);
  }

  // Files before the cut are whole; from the cut on they are cut short.
  void ExpectCutAt(int cut, bool later) {
    for (int i = 0; i < static_cast<int>(sizeof SampleEntries / sizeof SampleEntries[0]); ++i) {
      const SampleEntry& entry = SampleEntries[i];
      if (entry.windowsBase) continue;
      std::string installed = Content(TargetPath(drive_, entry));
      std::string expected = ExpectedContent(entry.target);
      if (i < cut) {
        EXPECT_TRUE(installed == expected) << entry.target;
      } else if (i == cut || later) {
        EXPECT_TRUE(PathExists(TargetPath(drive_, entry))) << entry.target;
        EXPECT_LT(installed.size(), expected.size()) << entry.target;
        EXPECT_TRUE(installed == expected.substr(0, installed.size())) << entry.target;
      } else {
        EXPECT_EQ(Shown(installed), "<missing>") << entry.target;
      }
    }
  }

  char drive_ = 0;
  int cut_ = -1;
  std::vector<std::string> writeErrors_;
};

// OK goes on: every later copy fails the same way, the user is told of each,
// and the run ends as the user chose, with the installation registered.
TEST_F(InstallationFillsTheDrive, OkGoesOnToTheEnd) {
  RunRecord run = Install(drive_, [](const std::string&) { return IDOK; });
  EXPECT_EQ(run.seen.messages, writeErrors_);
  EXPECT_TRUE(run.seen.ended);
  EXPECT_EQ(run.exitCode, 0);
  ExpectCutAt(cut_, true);
  EXPECT_TRUE(Content(WindowsDirectoryOfProcess() + "\\Fonts\\ZeltaIso.ttf") == ExpectedFontContent());
  ExpectRegistered(drive_);
  ExpectNoChanges(run);
}

// Cancel stops after the failed entry: the cancelled ending, nothing later
// copied, nothing registered.
TEST_F(InstallationFillsTheDrive, CancelStops) {
  RunRecord run = Install(drive_, [](const std::string&) { return IDCANCEL; });
  EXPECT_EQ(run.seen.messages, std::vector<std::string>{writeErrors_.front()});
  ASSERT_FALSE(run.seen.phases.empty());
  EXPECT_EQ(run.seen.phases.back(), Cancelled);
  EXPECT_EQ(run.seen.button, "Kilépés");
  EXPECT_EQ(run.exitCode, 0);
  ExpectCutAt(cut_, false);
  ExpectNothingRegistered();
  ExpectNoChanges(run);
}

// ---------------------------------------------------------------------------
// The system drive C:: read-only files and a second run over a broken first.

class SystemDrive : public DriveFaultTest {
 protected:
  // A whole first installation on C:, nothing asked.
  void InstallFirst() {
    RunRecord run = Install('C', [](const std::string&) { return IDYES; });
    ASSERT_TRUE(run.succeeded);
    ASSERT_TRUE(run.seen.messages.empty()) << Joined(run.seen.messages);
    ExpectNoChanges(run);
  }

  // A second run that completes: every file, the record, the link, the group.
  void ExpectCompleteSecondRun() {
    RunRecord run = Install('C', [](const std::string&) { return IDYES; });
    EXPECT_TRUE(run.succeeded) << Joined(run.seen.phases);
    EXPECT_TRUE(run.seen.messages.empty()) << Joined(run.seen.messages);
    ExpectWholeInstallation('C');
    EXPECT_TRUE(Content(WindowsDirectoryOfProcess() + "\\Fonts\\ZeltaIso.ttf") == ExpectedFontContent());
    ExpectRegistered('C');
    ExpectNoChanges(run);
  }

  std::string Target(const char* relative) { return RootOn('C') + relative; }
};

// A read-only file is never replaced: the copy reports that the target
// cannot be created. Asked first where the file list says so.
TEST_F(SystemDrive, ReadOnlyTargetsStayAsTheUserLeftThem) {
  ASSERT_NO_FATAL_FAILURE(InstallFirst());
  const std::string program = Target("\\ZeltaWin32\\Bin\\zelta.exe");  // no target code
  const std::string settings = Target("\\ZeltaWin32\\zelta.ini");      // "?": asked first
  WriteTestFile(program, "sajat program");
  WriteTestFile(settings, "sajat beallitas");
  ASSERT_TRUE(SetFileAttributesA(program.c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(SetFileAttributesA(settings.c_str(), FILE_ATTRIBUTE_READONLY));

  // Yes to every question, OK to every report: the run goes on to its end.
  RunRecord run = Install('C', [](const std::string& text) {
    return StartsWith(text, "Meglévő fájl") ? IDYES : IDOK;
  });
  EXPECT_EQ(run.seen.messages,
            (std::vector<std::string>{OverwriteQuestion(settings), CreateError(settings), CreateError(program),
                                      OverwriteQuestion(Target("\\ZeltaWin32\\Bin\\zeltaupd.exe")),
                                      OverwriteQuestion(Target("\\ZeltaWin32\\Rajzok\\Földszinti alaprajz.zdw"))}));
  EXPECT_TRUE(run.succeeded);
  EXPECT_EQ(Shown(Content(program)), "sajat program");
  EXPECT_EQ(Shown(Content(settings)), "sajat beallitas");
  EXPECT_NE(GetFileAttributesA(program.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_NE(GetFileAttributesA(settings.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_TRUE(Content(Target("\\ZeltaWin32\\Bin\\zelta32.dll")) == ExpectedContent("\\ZeltaWin32\\Bin\\zelta32.dll"));
  ExpectRegistered('C');
  ExpectNoChanges(run);

  // No keeps the asked file without a report; Cancel on the report of the
  // other ends the run there: the next file of the list is not copied again.
  const std::string next = Target("\\ZeltaWin32\\Bin\\zelta32.dll");
  unsigned long long nextWritten = WriteTime(next);
  ASSERT_NE(nextWritten, 0u);
  run = Install('C', [](const std::string& text) {
    return StartsWith(text, "Meglévő fájl") ? IDNO : IDCANCEL;
  });
  EXPECT_EQ(run.seen.messages, (std::vector<std::string>{OverwriteQuestion(settings), CreateError(program)}));
  ASSERT_FALSE(run.seen.phases.empty());
  EXPECT_EQ(run.seen.phases.back(), Cancelled);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(Shown(Content(program)), "sajat program");
  EXPECT_EQ(Shown(Content(settings)), "sajat beallitas");
  EXPECT_EQ(WriteTime(next), nextWritten);
  ExpectNoChanges(run);
}

// The user cancels the first run while the big file is downloaded; the
// second run installs everything.
TEST_F(SystemDrive, SecondRunAfterACancelledDownload) {
  SetFault(WebSite, BigFile, "slow 10");
  bool pressed = false;
  RunRecord first = Install('C', nullptr, [&](HWND dialog, DWORD) {
    // Pressed once the file's body is coming in: the activity mark turns
    // from its second chunk on.
    if (!pressed && InstallerSession::Text(dialog, FileLine).find("zelta.exe") != std::string::npos &&
        !InstallerSession::Text(dialog, ActivityMark).empty()) {
      InstallerSession::Click(dialog, IDCANCEL);
      pressed = true;
    }
  });
  EXPECT_TRUE(pressed);
  ASSERT_FALSE(first.seen.phases.empty());
  EXPECT_EQ(first.seen.phases.back(), Cancelled);
  EXPECT_EQ(first.exitCode, 0);
  EXPECT_EQ(Shown(Content(Target("\\ZeltaWin32\\Bin\\zelta.exe"))), "<missing>");
  // The file in transfer stays as far as it came, the next one not begun.
  EXPECT_GT(FileSize(Target("\\ZeltaWin32\\Install\\Disc_01\\Systems\\bin\\zelta.exe")), 0u);
  EXPECT_LE(FileSize(Target("\\ZeltaWin32\\Install\\Disc_01\\Systems\\bin\\zelta.exe")), BigFileSize);
  EXPECT_FALSE(PathExists(Target("\\ZeltaWin32\\Install\\Disc_01\\Systems\\bin\\ex_zelta32.dll")));
  ExpectNothingRegistered();
  ExpectNoChanges(first);

  SetFault(WebSite, BigFile, "");
  ExpectCompleteSecondRun();
}

// The first run is killed while the big file is transferred: it leaves that
// file cut short in the download area. The second run fetches only what is
// missing (the rest of that file; the files before it are confirmed
// unchanged) and installs everything.
TEST_F(SystemDrive, SecondRunAfterAKilledDownload) {
  SetFault(WebSite, BigFile, "slow 20");
  const std::string partial = Target("\\ZeltaWin32\\Install\\Disc_01\\Systems\\bin\\zelta.exe");
  bool killed = false;
  RunRecord first = Install('C', nullptr, [&](HWND, DWORD pid) {
    unsigned long long size = FileSize(partial);
    if (killed || size == 0 || size >= BigFileSize) return;
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, pid);
    ASSERT_NE(process, nullptr);
    killed = TerminateProcess(process, KilledExitCode) != FALSE;
    CloseHandle(process);
  });
  ASSERT_TRUE(killed);
  EXPECT_EQ(first.exitCode, static_cast<int>(KilledExitCode));
  std::string cut = Content(partial);
  std::string whole;
  ReadLocalFile(expect_ + "\\download\\Disc_01\\Systems\\bin\\zelta.exe", &whole);
  EXPECT_GT(cut.size(), 0u);
  EXPECT_LT(cut.size(), whole.size());
  EXPECT_TRUE(cut == whole.substr(0, cut.size()));
  ExpectNothingRegistered();
  ExpectNoChanges(first);

  SetFault(WebSite, BigFile, "");
  size_t from = ServerAccessLog().size();
  ExpectCompleteSecondRun();
  EXPECT_TRUE(Content(partial) == whole);
  std::string log = ServerAccessLog().substr(from);
  std::vector<LoggedRequest> rest = RequestsFor(log, "/Systems/bin/zelta.exe ");
  ASSERT_EQ(rest.size(), 1u);
  EXPECT_EQ(rest[0].status, 206);
  EXPECT_EQ(rest[0].bytes, static_cast<long long>(whole.size() - cut.size()));
  std::vector<LoggedRequest> before = RequestsFor(log, "/Systems/ZeltaWin32.exe ");
  ASSERT_EQ(before.size(), 1u);
  EXPECT_EQ(before[0].status, 304);
}

}  // namespace
