// The whole installation of the bundled sample distribution, as the user
// starts it from the setup dialog: progress dialog, worker, every install
// step, the program group through Wine's Program Manager service, and the
// start of the installed system.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "install/progress_dialog.h"
#include "resources/resource_ids.h"
#include "tests/win/install_test_support.h"
#include "tests/win/test_site.h"
#include "web/status_log.h"

namespace {

const char Root[] = "C:\\V92EDemo";
const char WindowsFolder[] = "C:\\SampleWindows";

class SampleDistribution : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetInstallState();
    StatusLogClear();
    InstallState.Instance = GetModuleHandleA(nullptr);
    LoadStringA(InstallState.Instance, IDS_CAPTION, InstallState.Caption, CaptionSize);
    TextCopy(InstallState.WindowsDirectory, WindowsFolder);
    InstallState.TargetDrive = 3;
    InstallState.StartAfterInstall = 1;
    TextCopy(InstallState.RootDirectory, "V92EDemo");
    for (int c = 0; c < ComponentCount; ++c) InstallState.ComponentChosen[c] = 1;
    CleanUp();
    CreateDirectoryA(WindowsFolder, nullptr);
    CreateDirectoryA((std::string(WindowsFolder) + "\\Fonts").c_str(), nullptr);

    main_ = CreateWindowExA(0, "STATIC", "main stand-in", WS_POPUP | WS_VISIBLE, 0, 0, 600, 350, nullptr,
                            nullptr, InstallState.Instance, nullptr);
    InstallState.MainWindow = main_;
    setup_ = CreateWindowExA(0, "STATIC", "setup stand-in", WS_POPUP | WS_VISIBLE, 50, 50, 500, 300, main_,
                             nullptr, InstallState.Instance, nullptr);
  }
  void TearDown() override {
    if (IsWindow(main_)) DestroyWindow(main_);
    CleanUp();
  }

  void CleanUp() {
    RemoveFontResourceA((std::string(WindowsFolder) + "\\Fonts\\ZeltaIso.ttf").c_str());
    RemoveTree(Root);
    RemoveTree(WindowsFolder);
    DeleteMachineKey("Software\\ZeltaSoft\\ZeltaCAD");
    DeleteMachineKey("Software\\Classes\\.zdw");
    DeleteMachineKey("Software\\Classes\\.zbl");
    DeleteMachineKey("Software\\Classes\\ZeltaCAD.Rajz");
    DeleteMachineKey("Software\\Classes\\ZeltaCAD.Blokk");
    HKEY fonts;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", 0,
                      KEY_ALL_ACCESS, &fonts) == ERROR_SUCCESS) {
      RegDeleteValueA(fonts, "Zelta ISO (TrueType)");
      RegCloseKey(fonts);
    }
    DeleteFileA((ShellFolder(CSIDL_DESKTOP) + "\\ZeltaCAD Demo.lnk").c_str());
    RemoveTree(ShellFolder(CSIDL_PROGRAMS) + "\\ZeltaCAD Demo");
  }

  HWND main_ = nullptr;
  HWND setup_ = nullptr;
};

TEST_F(SampleDistribution, InstallsRecordsRegistersLinksAndStarts) {
  const std::string expect = UnixFolderFromEnvironment("ZELTA_EXPECT");
  ASSERT_FALSE(expect.empty()) << "ZELTA_EXPECT is not set: run under tests/win/with_sample_site.sh";

  ASSERT_EQ(RunProgressDialog(setup_), 1);
  // The program group runs on: its last acknowledgement ends the installer.
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(main_); }));
  EXPECT_FALSE(IsWindow(setup_));

  // Every file of every component, in place with its real bytes.
  std::vector<std::string> files;
  ListFiles(expect + "\\root", "", &files);
  ASSERT_GE(files.size(), 13u);
  for (const std::string& file : files) {
    std::string wanted, got;
    ASSERT_TRUE(ReadLocalFile(expect + "\\root\\" + file, &wanted)) << file;
    EXPECT_TRUE(ReadLocalFile(std::string(Root) + "\\" + file, &got)) << file;
    EXPECT_TRUE(got == wanted) << file;
  }
  std::vector<std::string> windowsFiles;
  ListFiles(expect + "\\windows", "", &windowsFiles);
  ASSERT_EQ(windowsFiles.size(), 1u);
  std::string font;
  EXPECT_TRUE(ReadLocalFile(std::string(WindowsFolder) + "\\" + windowsFiles[0], &font));

  // The download area keeps the distribution, de-interleaved.
  std::vector<std::string> downloaded;
  ListFiles(expect + "\\download", "", &downloaded);
  for (const std::string& file : downloaded) {
    std::string wanted, got;
    ReadLocalFile(expect + "\\download\\" + file, &wanted);
    EXPECT_TRUE(ReadLocalFile(std::string(Root) + "\\ZeltaWin32\\Install\\" + file, &got)) << file;
    EXPECT_TRUE(got == wanted) << file;
  }
  EXPECT_TRUE(PathExists(std::string(Root) + "\\ZeltaWin32\\Install\\Disc_01\\Install.ini"));

  // The registry record, the document types and the font.
  const char* record = "Software\\ZeltaSoft\\ZeltaCAD";
  EXPECT_EQ(MachineValue(record, "SubSystem"), "ZeltaWin32");
  EXPECT_EQ(MachineValue(record, "System Version"), "V9.21");
  EXPECT_EQ(MachineValue(record, "Installed Path"), Root);
  EXPECT_EQ(MachineValue(record, "Installed Time").size(), std::string("2026.12.08. 04:05:06").size());
  EXPECT_NE(MachineValue(record, "Installed By"), "<no value>");
  EXPECT_EQ(MachineValue("Software\\Classes\\.zdw", ""), "ZeltaCAD.Rajz");
  EXPECT_EQ(MachineValue("Software\\Classes\\ZeltaCAD.Rajz\\Shell\\Open\\Command", ""),
            "C:\\V92EDemo\\ZeltaWin32\\Bin\\zelta.exe");
  EXPECT_EQ(MachineValue("Software\\Classes\\ZeltaCAD.Blokk\\DefaultIcon", ""),
            "C:\\V92EDemo\\ZeltaWin32\\Bin\\zelta.exe,2");
  EXPECT_EQ(MachineValue("Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", "Zelta ISO (TrueType)"),
            "ZeltaIso.ttf");

  // The desktop link and the program group with its items.
  LinkFields link = ReadLink(ShellFolder(CSIDL_DESKTOP) + "\\ZeltaCAD Demo.lnk");
  EXPECT_TRUE(link.loaded);
  EXPECT_EQ(link.path, "C:\\V92EDemo\\ZeltaWin32\\ZeltaWin32.exe");
  EXPECT_EQ(link.workingFolder, "C:\\V92EDemo\\ZeltaWin32");
  EXPECT_EQ(link.description, "ZeltaCAD Demo");
  std::string group = ShellFolder(CSIDL_PROGRAMS) + "\\ZeltaCAD Demo";
  EXPECT_TRUE(PathExists(group));
  EXPECT_TRUE(PathExists(group + "\\ZeltaCAD 9.21 Demó.lnk"));
  EXPECT_TRUE(PathExists(group + "\\Olvass el.lnk"));

  // The installed system was started, without the installer waiting for it.
  std::string started = std::string(Root) + "\\ZeltaWin32\\started.txt";
  ASSERT_TRUE(WaitForFile(started));
  std::string lines;
  ReadLocalFile(started, &lines);
  EXPECT_EQ(lines.substr(0, lines.find("\r\n")), "C:\\V92EDemo\\ZeltaWin32\\ZeltaWin32.exe");

  // What the web transfer recorded.
  ASSERT_GE(StatusLogCount(), 2u);
  EXPECT_STREQ(StatusLogEntry(0)->text, "[A] A kapcsolat megnyitott 'Https' biztonságos módban!");
}

}  // namespace
