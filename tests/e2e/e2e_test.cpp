// The installer as a user meets it: the real ZeltaWebInstall.exe started
// with no arguments, worked through its windows from this process, against
// the loopback vendor server serving the bundled sample distribution.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "tests/e2e/drive_snapshot.h"
#include "tests/e2e/installer_session.h"
#include "tests/win/install_test_support.h"
#include "tests/win/test_site.h"

namespace {

const char Root[] = "C:\\V92EDemo";
const int DriveField = 503;
const int InstallButton = IDOK;
const int DrawingsBox = 512;
const int HelpBox = 516;

std::string ProgramPath() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string self(path, n);
  return self.substr(0, self.find_last_of('\\') + 1) + ZELTA_INSTALLER;
}

// A folder of the C: drive as a snapshot key ("C:\\users\\x" -> "users\\x").
std::string DriveKey(const std::string& path) {
  return SnapshotKey(path.size() > 3 && path.compare(0, 3, "C:\\") == 0 ? path.substr(3) : path);
}

// How long the driver stays where a person watching would look (the setup
// dialog, the program group at the end): the demo's film asks for longer
// than the tests need (ZELTA_VIEWER_PAUSE_MS).
DWORD ViewerPause(DWORD usual) {
  const char* value = getenv("ZELTA_VIEWER_PAUSE_MS");
  return value != nullptr && value[0] != '\0' ? strtoul(value, nullptr, 10) : usual;
}

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
  for (const std::string& t : texts)
    if (t == text) return true;
  return false;
}

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    expect_ = UnixFolderFromEnvironment("ZELTA_EXPECT");
    ASSERT_FALSE(expect_.empty()) << "run under tests/win/with_sample_site.sh";
    shots_ = UnixFolderFromEnvironment("ZELTA_SHOTS");
    ClearInstallation();
    ASSERT_FALSE(PathExists(Root));
  }
  void TearDown() override {
    SetFault(WebSite, "VarnelDemo/Disc_01/Systems/bin/zelta.exe", "");
    // The demo keeps what it installed for a person to look at.
    if (getenv("ZELTA_KEEP_INSTALLATION") == nullptr) ClearInstallation();
  }

  void ClearInstallation() {
    // The installed system started by an earlier test may still be running
    // from the tree for a moment.
    RemoveInstalledTree(Root);
    DeleteMachineKey("Software\\ZeltaSoft\\ZeltaCAD");
    for (const char* key : {"Software\\Classes\\.zdw", "Software\\Classes\\.zbl", "Software\\Classes\\ZeltaCAD.Rajz",
                            "Software\\Classes\\ZeltaCAD.Blokk"})
      DeleteMachineKey(key);
    DeleteFileA((ShellFolder(CSIDL_DESKTOP) + "\\ZeltaCAD Demo.lnk").c_str());
    RemoveTree(ShellFolder(CSIDL_PROGRAMS) + "\\ZeltaCAD Demo");
  }

  void Shot(const char* name) {
    if (!shots_.empty()) InstallerSession::SaveScreen(shots_ + "\\" + name + ".bmp");
  }

  // The expected installed files (relative to the root) of the chosen components.
  std::vector<std::string> ExpectedFiles() {
    std::vector<std::string> files;
    ListFiles(expect_ + "\\root", "", &files);
    return files;
  }

  std::string ExpectedContent(const std::string& file) {
    std::string content;
    ReadLocalFile(expect_ + "\\root\\" + file, &content);
    return content;
  }

  std::string InstalledContent(const std::string& file) {
    std::string content;
    if (!ReadLocalFile(std::string(Root) + "\\" + file, &content)) return "<missing>";
    return content;
  }

  // Starts the installer and presses "Telepítés" on its setup dialog after
  // `prepare` has worked the dialog.
  HWND StartAndInstall(InstallerSession& session, const std::function<void(HWND)>& prepare = nullptr) {
    EXPECT_TRUE(session.Start(ProgramPath()));
    HWND setup = session.WaitForSetupDialog();
    EXPECT_NE(setup, nullptr);
    if (setup == nullptr) return nullptr;
    if (prepare) prepare(setup);
    InstallerSession::Click(setup, InstallButton);
    HWND progress = session.WaitForProgressDialog();
    EXPECT_NE(progress, nullptr);
    return progress;
  }

  // A whole successful installation answering every question with `answer`.
  void InstallAll(int answer) {
    InstallerSession session;
    HWND progress = StartAndInstall(session);
    ASSERT_NE(progress, nullptr);
    InstallerSession::Progress seen = session.Follow(progress, [&](const std::string&) { return answer; });
    EXPECT_TRUE(seen.ended);
    EXPECT_EQ(session.WaitForExit(), 0);
    lastMessages_ = seen.messages;
  }

  std::string expect_;
  std::string shots_;
  std::vector<std::string> lastMessages_;
};

TEST_F(EndToEnd, FullInstallationOverHttps) {
  // A slower main program file keeps the progress dialog on the screen long
  // enough to be seen.
  SetFault(WebSite, "VarnelDemo/Disc_01/Systems/bin/zelta.exe", "slow 3");
  InstallerSession session;
  ASSERT_TRUE(session.Start(ProgramPath()));
  HWND main = session.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  RECT rect;
  GetWindowRect(main, &rect);
  EXPECT_EQ(rect.right - rect.left, 600 + 2 * GetSystemMetrics(SM_CYDLGFRAME));
  HWND setup = session.WaitForSetupDialog();
  ASSERT_NE(setup, nullptr);
  EXPECT_EQ(InstallerSession::Text(setup, DriveField), "C:");
  for (int box = 510; box <= 516; ++box) EXPECT_TRUE(InstallerSession::Checked(setup, box)) << box;
  EXPECT_FALSE(InstallerSession::Enabled(setup, 510));
  EXPECT_FALSE(InstallerSession::Enabled(setup, 511));
  Sleep(ViewerPause(300));
  Shot("1-title-and-setup");
  DriveSnapshot before = TakeSnapshot("C:\\");
  ASSERT_GT(before.size(), 100u);

  InstallerSession::Click(setup, InstallButton);
  HWND progress = session.WaitForProgressDialog();
  ASSERT_NE(progress, nullptr);
  bool shot = false;
  InstallerSession::Progress seen = session.Follow(progress, [](const std::string&) { return IDYES; },
      [&](HWND dialog) {
        if (!shot && InstallerSession::Text(dialog, 508).find("zelta.exe") != std::string::npos) {
          Sleep(300);
          Shot("2-progress");
          shot = true;
        }
      });
  EXPECT_TRUE(seen.ended);
  EXPECT_TRUE(shot);
  EXPECT_TRUE(Contains(seen.phases, "A telepítési adatok letöltése folyik... (ez idő igényes lehet...)"));
  EXPECT_TRUE(seen.messages.empty());  // nothing to ask on a first installation
  EXPECT_EQ(session.WaitForExit(), 0);

  for (const std::string& file : ExpectedFiles())
    EXPECT_TRUE(InstalledContent(file) == ExpectedContent(file)) << file;
  EXPECT_EQ(MachineValue("Software\\ZeltaSoft\\ZeltaCAD", "Installed Path"), Root);
  EXPECT_EQ(MachineValue("Software\\Classes\\.zdw", ""), "ZeltaCAD.Rajz");
  LinkFields link = ReadLink(ShellFolder(CSIDL_DESKTOP) + "\\ZeltaCAD Demo.lnk");
  EXPECT_EQ(link.path, "C:\\V92EDemo\\ZeltaWin32\\ZeltaWin32.exe");
  EXPECT_TRUE(PathExists(ShellFolder(CSIDL_PROGRAMS) + "\\ZeltaCAD Demo\\ZeltaCAD 9.21 Demó.lnk"));
  EXPECT_TRUE(WaitForFile(std::string(Root) + "\\ZeltaWin32\\started.txt"));
  Sleep(ViewerPause(0));

  // Nothing was written beside the installation, the Fonts folder, the
  // desktop link and the program group.
  std::vector<std::string> changes = ChangesOutside(before, TakeSnapshot("C:\\"),
      {DriveKey(Root), DriveKey(WindowsDirectoryOfProcess() + "\\Fonts"),
       DriveKey(ShellFolder(CSIDL_DESKTOP) + "\\ZeltaCAD Demo.lnk"),
       DriveKey(ShellFolder(CSIDL_PROGRAMS) + "\\ZeltaCAD Demo")});
  for (const std::string& change : changes) ADD_FAILURE() << change;
}

TEST_F(EndToEnd, CancelDuringTheDownload) {
  SetFault(WebSite, "VarnelDemo/Disc_01/Systems/bin/zelta.exe", "slow 10");
  InstallerSession session;
  HWND progress = StartAndInstall(session);
  ASSERT_NE(progress, nullptr);
  bool pressed = false;
  InstallerSession::Progress seen = session.Follow(progress, nullptr, [&](HWND dialog) {
    // Pressed once the file's body is coming in: the activity mark turns
    // from its second chunk on.
    if (!pressed && InstallerSession::Text(dialog, 508).find("zelta.exe") != std::string::npos &&
        !InstallerSession::Text(dialog, 521).empty()) {
      InstallerSession::Click(dialog, IDCANCEL);
      pressed = true;
    }
  });
  EXPECT_TRUE(pressed);
  EXPECT_EQ(seen.phases.back(), "A telepítési folyamat megszakítva!");
  ASSERT_TRUE(seen.buttonEnabled);
  InstallerSession::Click(progress, IDCANCEL);
  EXPECT_EQ(session.WaitForExit(), 0);
  EXPECT_EQ(InstalledContent("ZeltaWin32\\Bin\\zelta.exe"), "<missing>");  // never installed
  std::string downloaded;
  EXPECT_TRUE(ReadLocalFile(std::string(Root) + "\\ZeltaWin32\\Install\\Disc_01\\Systems\\bin\\zelta.exe", &downloaded));
  // The cancel did not wait for the file in transfer: it stays as far as
  // it came, for a later run to go on from.
  EXPECT_GT(downloaded.size(), 0u);
  EXPECT_LE(downloaded.size(), 1300000u);
  EXPECT_EQ(MachineValue("Software\\ZeltaSoft\\ZeltaCAD", "Installed Path"), "<no key>");
}

TEST_F(EndToEnd, DeselectedComponentsAreLeftOut) {
  InstallerSession session;
  HWND progress = StartAndInstall(session, [](HWND setup) {
    InstallerSession::Click(setup, DrawingsBox);
    InstallerSession::Click(setup, HelpBox);
    EXPECT_TRUE(InstallerSession::WaitForCheck(setup, DrawingsBox, false));
    EXPECT_TRUE(InstallerSession::WaitForCheck(setup, HelpBox, false));
  });
  ASSERT_NE(progress, nullptr);
  InstallerSession::Progress seen = session.Follow(progress, nullptr);
  EXPECT_TRUE(seen.ended);
  EXPECT_EQ(session.WaitForExit(), 0);
  EXPECT_EQ(InstalledContent("ZeltaWin32\\Rajzok\\Minta rajz 1.zdw"), "<missing>");
  EXPECT_EQ(InstalledContent("ZeltaWin32\\Help\\Olvass el.txt"), "<missing>");
  EXPECT_FALSE(PathExists(std::string(Root) + "\\ZeltaWin32\\Install\\Disc_02\\Drawings"));
  EXPECT_EQ(InstalledContent("ZeltaWin32\\Blokkok\\Ajtó.zbl"), ExpectedContent("ZeltaWin32\\Blokkok\\Ajtó.zbl"));
  EXPECT_EQ(InstalledContent("ZeltaWin32\\Bin\\zelta.exe"), ExpectedContent("ZeltaWin32\\Bin\\zelta.exe"));
}

TEST_F(EndToEnd, SecondInstallationAsksBeforeOverwriting) {
  InstallAll(IDYES);
  ASSERT_TRUE(lastMessages_.empty());
  // The user changed an "ask" file and a "never overwrite" file since.
  WriteTestFile(std::string(Root) + "\\ZeltaWin32\\zelta.ini", "sajat beallitas");
  WriteTestFile(std::string(Root) + "\\ZeltaWin32\\Licenc.txt", "sajat licenc");

  InstallAll(IDNO);
  EXPECT_EQ(lastMessages_.size(), 3u);  // the three "?" files of the sample
  EXPECT_TRUE(Contains(lastMessages_, "Meglévő fájl: C:\\V92EDemo\\ZeltaWin32\\zelta.ini! Felül kívánja írni?"));
  EXPECT_EQ(InstalledContent("ZeltaWin32\\zelta.ini"), "sajat beallitas");
  EXPECT_EQ(InstalledContent("ZeltaWin32\\Licenc.txt"), "sajat licenc");

  InstallAll(IDYES);
  EXPECT_EQ(lastMessages_.size(), 3u);
  EXPECT_EQ(InstalledContent("ZeltaWin32\\zelta.ini"), ExpectedContent("ZeltaWin32\\zelta.ini"));
  EXPECT_EQ(InstalledContent("ZeltaWin32\\Licenc.txt"), "sajat licenc");  // never overwritten
}

TEST_F(EndToEnd, WrongDriveLettersAreReported) {
  InstallerSession session;
  ASSERT_TRUE(session.Start(ProgramPath()));
  HWND setup = session.WaitForSetupDialog();
  ASSERT_NE(setup, nullptr);

  InstallerSession::Type(setup, DriveField, "1");
  HWND box = session.WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(InstallerSession::MessageText(box), "Cél meghajtó kijelölési hiba! [a - z, A - Z]");
  InstallerSession::Answer(box, IDOK);

  InstallerSession::Type(setup, DriveField, "d");  // no D: in the test prefix
  box = session.WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(InstallerSession::MessageText(box), "A cél meghajtó - D: - nem üzemképes, vagy más hiba!");
  InstallerSession::Answer(box, IDOK);
  EXPECT_EQ(InstallerSession::Text(setup, DriveField), "d:");

  // Install validates again and opens nothing.
  InstallerSession::Click(setup, InstallButton);
  box = session.WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  InstallerSession::Answer(box, IDOK);
  EXPECT_EQ(session.WaitForProgressDialog(500), nullptr);

  InstallerSession::Click(setup, IDCANCEL);  // ends the whole program
  EXPECT_EQ(session.WaitForExit(), 0);
  EXPECT_FALSE(PathExists(Root));
}

// Picks Z: from the drive chooser's list, then installs nothing.
TEST_F(EndToEnd, DriveChooserSetsTheField) {
  InstallerSession session;
  ASSERT_TRUE(session.Start(ProgramPath()));
  HWND setup = session.WaitForSetupDialog();
  ASSERT_NE(setup, nullptr);
  InstallerSession::Click(setup, 509);
  HWND chooser = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    chooser = FindWindowA("#32770", "Cél meghajtó kijelölése:");
    return chooser != nullptr && IsWindowVisible(chooser);
  }));
  Shot("4-drive-chooser");
  HWND list = GetDlgItem(chooser, 1137);
  int count = static_cast<int>(SendMessageA(list, CB_GETCOUNT, 0, 0));
  int z = -1;
  std::string entries;
  for (int i = 0; i < count && z < 0; ++i) {
    // Read as UTF-16: Wine hands an ANSI buffer of another process only
    // the first character of an owner-drawn list's entry.
    wchar_t wide[256] = {};
    if (SendMessageW(list, CB_GETLBTEXTLEN, i, 0) >= 255) continue;
    SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(wide));
    char text[256] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    entries += std::string("<") + text + ">";
    // Windows lists "z: ...", Wine "[-z-]".
    if ((text[0] | 0x20) == 'z' || (text[0] == '[' && (text[2] | 0x20) == 'z')) z = i;
  }
  ASSERT_GE(z, 0) << "no Z: in the drive list: " << count << " " << entries;
  SendMessageA(list, CB_SETCURSEL, z, 0);
  PostMessageA(chooser, WM_COMMAND, MAKEWPARAM(1137, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  Sleep(100);
  InstallerSession::Click(chooser, IDOK);
  EXPECT_TRUE(WaitUntil([chooser] { return !IsWindow(chooser); }));
  // The setup dialog writes the pick into the field once the chooser has gone.
  EXPECT_TRUE(WaitUntil([setup] { return InstallerSession::Text(setup, DriveField) == "Z:"; }))
      << InstallerSession::Text(setup, DriveField);
  EXPECT_EQ(session.WaitForMessageBox(500), nullptr);  // Z: is ready: nothing to report

  InstallerSession::Click(setup, IDCANCEL);
  EXPECT_EQ(session.WaitForExit(), 0);
}

// Run with the HTTPS port closed (vendor-net.sh --no-https).
TEST_F(EndToEnd, NoHttps_PlainHttpIsUsed) {
  InstallAll(IDYES);
  for (const std::string& file : ExpectedFiles())
    EXPECT_TRUE(InstalledContent(file) == ExpectedContent(file)) << file;
}

// Run with no server at all (vendor-net.sh --no-https --no-http).
TEST_F(EndToEnd, NoServer_NoConnectionEnding) {
  InstallerSession session;
  HWND progress = StartAndInstall(session);
  ASSERT_NE(progress, nullptr);
  InstallerSession::Progress seen = session.Follow(progress, nullptr);
  EXPECT_EQ(seen.button, "Kilépés");
  EXPECT_EQ(seen.message, "\n\nA telepítő rendszernek nincs Internet kapcsolata,\n vagy nincs letöltési engedélye az "
                          "'www.zeltasoft.example' WEB lappról!!!");
  Shot("3-no-connection");
  InstallerSession::Click(progress, IDCANCEL);
  EXPECT_EQ(session.WaitForExit(), 0);
  EXPECT_FALSE(PathExists(Root));
}

}  // namespace
