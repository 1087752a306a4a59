#include "install/file_installation.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "resources/resource_ids.h"
#include "tests/win/message_box_answerer.h"
#include "tests/win/recording_dialog.h"
#include "tests/win/test_site.h"

namespace {

// Commands posted to the window InstallFiles is given.
std::vector<WPARAM> PostedCommands;
std::vector<LPARAM> PostedCommandParameters;

LRESULT CALLBACK CommandWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) {
    PostedCommands.push_back(wParam);
    PostedCommandParameters.push_back(lParam);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateCommandWindow() {
  static const ATOM windowClass = [] {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = CommandWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ZeltaFileTestCommands";
    return RegisterClassA(&wc);
  }();
  if (windowClass == 0) return nullptr;
  return CreateWindowExA(0, "ZeltaFileTestCommands", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void MakeParents(const std::string& path) {
  for (size_t i = 3; i < path.size(); ++i) {
    if (path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
  }
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  MakeParents(path);
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}

std::string Contents(const std::string& path) {
  std::string bytes;
  if (!ReadLocalFile(path, &bytes)) return "<missing>";
  return bytes;
}

FILETIME MakeTime(WORD year, WORD month, WORD day) {
  SYSTEMTIME s = {year, month, 0, day, 10, 20, 30, 0};
  FILETIME f;
  SystemTimeToFileTime(&s, &f);
  return f;
}

struct FileTimes {
  FILETIME creation, access, write;
};

bool ReadTimes(const std::string& path, FileTimes* times) {
  HANDLE file = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BOOL ok = GetFileTime(file, &times->creation, &times->access, &times->write);
  CloseHandle(file);
  return ok != 0;
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
  return CompareFileTime(&a, &b) == 0;
}

// The texts of the installer's messages, as the user reads them.
std::string InsertDiscText(const std::string& area, const std::string& disc) {
  return "A(z) " + area + " meghajtóba a -' " + disc + " '- jelű flopyt helyezze be!";
}
std::string WrongDiscText(const std::string& area, const std::string& disc) {
  return "A(z) " + area + " meghajtóban NEM a -' " + disc + " '- jelű flopyt van, vagy más hiba! Folytatja?";
}
std::string TargetCreateText(const std::string& target) {
  return "A(z) ' " + target + " ' cél állomány létrehozása hibás!";
}
std::string WriteErrorText(const std::string& source, const std::string& target) {
  return "A(z) ' " + source + " ' - ' " + target + " ' fájl másolás írás hiba!";
}
std::string SourceOpenText(const std::string& source) {
  return "A(z) ' " + source + " ' forrás állomány megnyitása hibás!";
}
std::string WrongCodeText(const std::string& field) {
  return "Hibás célfájl kód a Fajls_?.ini-ben: " + field + " !";
}
std::string OverwriteText(const std::string& target) {
  return "Meglévő fájl: " + target + "! Felül kívánja írni?";
}

class FileInstallationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetInstallState();
    InstallState.Instance = GetModuleHandleA(nullptr);
    ASSERT_GT(LoadStringA(GetModuleHandleA(nullptr), IDS_CAPTION, InstallState.Caption, CaptionSize), 0);
    PostedCommands.clear();
    PostedCommandParameters.clear();

    root_ = "ZeltaFiles" + std::to_string(GetCurrentProcessId()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    rootPath_ = "C:\\" + root_;
    RemoveTree(rootPath_);
    ASSERT_TRUE(CreateDirectoryA(rootPath_.c_str(), nullptr));
    InstallState.TargetDrive = 3;
    TextCopy(InstallState.RootDirectory, root_.c_str());
    area_ = rootPath_ + "\\ZeltaWin32\\Install\\";
    TextCopy(InstallState.DownloadArea, area_.c_str());
    windows_ = rootPath_ + "\\FakeWindows";
    ASSERT_TRUE(CreateDirectoryA(windows_.c_str(), nullptr));
    TextCopy(InstallState.WindowsDirectory, windows_.c_str());
    InstallState.ProgressTotal = 1000000;

    dialog_ = std::make_unique<RecordingDialog>();
    commands_ = CreateCommandWindow();
    ASSERT_NE(commands_, nullptr);
  }

  void TearDown() override {
    PumpMessages();
    DestroyWindow(commands_);
    dialog_.reset();
    RemoveTree(rootPath_);
    for (const std::string& path : outside_) {
      DeleteFileA(path.c_str());
      RemoveTree(path);
    }
  }

  // The disc's name in the catalogue and the chosen components on it.
  void Disc(int disc, std::vector<Component> components, const std::string& name) {
    TextCopy(InstallState.DiscName[disc - 1], name.c_str());
    for (Component c : components) {
      InstallState.ComponentChosen[c] = 1;
      InstallState.ComponentOnDisc[c][disc - 1] = 1;
    }
  }

  std::string DiscFolder(int disc) {
    char folder[16];
    snprintf(folder, sizeof folder, "Disc_%02d", disc);
    return area_ + folder;
  }

  std::string FileListPath(int disc) { return DiscFolder(disc) + "\\Fajls_" + std::to_string(disc) + ".ini"; }

  void WriteFileList(int disc, const std::string& name, const std::string& sections) {
    WriteBytes(FileListPath(disc), "[Disc]\r\nName=" + name + "\r\n" + sections);
  }

  // A file list whose name matches the catalogue.
  void WriteFileList(int disc, const std::string& sections) {
    WriteFileList(disc, InstallState.DiscName[disc - 1], sections);
  }

  std::string Source(int disc, const std::string& field) { return DiscFolder(disc) + field; }

  std::string WriteSource(int disc, const std::string& field, const std::string& bytes) {
    std::string path = Source(disc, field);
    WriteBytes(path, bytes);
    return path;
  }

  std::string Target(const std::string& field) { return rootPath_ + field; }

  // A path beside the root, removed afterwards.
  std::string Outside(const std::string& suffix) {
    std::string path = rootPath_ + suffix;
    outside_.push_back(path);
    return path;
  }

  int32_t Run() {
    int32_t result = InstallFiles(commands_);
    PumpMessages();
    return result;
  }

  std::string root_, rootPath_, area_, windows_;
  std::vector<std::string> outside_;
  std::unique_ptr<RecordingDialog> dialog_;
  HWND commands_ = nullptr;
};

TEST_F(FileInstallationTest, DiscWithOnlySetupIsNotVisitedButSetupFilesOfAVisitedDiscAre) {
  Disc(1, {ComponentSetup, ComponentSystems}, "Egy");
  // Disc 2 holds Setup (chosen) and Drawings (not chosen): it has no file
  // list, so a visit would ask for the disc.
  Disc(2, {ComponentSetup}, "Kettő");
  InstallState.ComponentOnDisc[ComponentDrawings][1] = 1;
  Disc(3, {ComponentHelp}, "Három");
  WriteFileList(1, "[Setup]\r\nFile1=\\setup.ini \\setup.ini\r\n[Systems]\r\nFile1=\\bin\\z.exe \\z.exe\r\n");
  WriteFileList(3, "[Help]\r\nFile1=\\help.hlp \\help.hlp\r\n");
  WriteSource(1, "\\setup.ini", "setup");
  WriteSource(1, "\\bin\\z.exe", "program");
  WriteSource(3, "\\help.hlp", "help");

  MessageBoxAnswerer boxes(InstallState.Caption, {IDCANCEL}, 0);
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(boxes.seen());
  EXPECT_EQ(Contents(Target("\\setup.ini")), "setup");
  EXPECT_EQ(Contents(Target("\\z.exe")), "program");
  EXPECT_EQ(Contents(Target("\\help.hlp")), "help");
  EXPECT_EQ(InstallState.CurrentDisc, 2);
  EXPECT_EQ(std::string(InstallState.FileListPath), FileListPath(3));
  EXPECT_TRUE(PostedCommands.empty());
  EXPECT_EQ(InstallState.FileCopyAborted, 0);
}

TEST_F(FileInstallationTest, KeepCodeLeavesExistingTargetWithoutAskingAndCountsIt) {
  Disc(1, {ComponentSystems}, "Egy");
  InstallState.ProgressTotal = 10000;
  InstallState.ProgressDone = 1000;
  WriteBytes(Target("\\keep.dat"), std::string(1234, 'o'));
  WriteSource(1, "\\keep.dat", std::string(500, 'n'));
  WriteSource(1, "\\new.dat", std::string(300, 'n'));
  WriteFileList(1, "[Systems]\r\nFile1=\\keep.dat *-\\keep.dat\r\nFile2=\\new.dat *-\\new.dat\r\n");

  MessageBoxAnswerer boxes(InstallState.Caption, {IDCANCEL}, 0);
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(boxes.seen());
  EXPECT_EQ(Contents(Target("\\keep.dat")), std::string(1234, 'o'));
  EXPECT_EQ(Contents(Target("\\new.dat")), std::string(300, 'n'));
  // The kept file counts with its own size, the copied one with the source's.
  EXPECT_EQ(InstallState.ProgressDone, 1000 + 1234 + 300);
  EXPECT_EQ(dialog_->TextsOf(IDC_PERCENT), (std::vector<std::string>{" 22.3%", " 25.3%"}));
  EXPECT_EQ(dialog_->BarPosition(), 253);
  // Only the copied file is shown as being copied.
  EXPECT_EQ(dialog_->TextsOf(IDC_FILE_LINE), std::vector<std::string>{Target("\\new.dat")});
}

TEST_F(FileInstallationTest, AskAndKeepInEitherOrderBehaveAsKeep) {
  Disc(1, {ComponentDatas}, "Egy");
  WriteBytes(Target("\\one.dat"), "old one");
  WriteBytes(Target("\\two.dat"), "old two");
  WriteSource(1, "\\one.dat", "new one");
  WriteSource(1, "\\two.dat", "new two");
  WriteFileList(1, "[Datas]\r\nFile1=\\one.dat *?*-\\one.dat\r\nFile2=\\two.dat *-*?\\two.dat\r\n");

  MessageBoxAnswerer boxes(InstallState.Caption, {IDYES}, 0);
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(boxes.seen());
  EXPECT_EQ(Contents(Target("\\one.dat")), "old one");
  EXPECT_EQ(Contents(Target("\\two.dat")), "old two");
  EXPECT_EQ(InstallState.ProgressDone, 14);
}

TEST_F(FileInstallationTest, AskBelowTheWindowsDirectoryYesOverwritesNoKeeps) {
  Disc(1, {ComponentSystems}, "Egy");
  WriteBytes(windows_ + "\\zelta.ini", "old-1");
  WriteBytes(windows_ + "\\zelta2.ini", "old-22");
  WriteSource(1, "\\zelta.ini", "new zelta.ini");
  WriteSource(1, "\\zelta2.ini", "new zelta2.ini");
  WriteSource(1, "\\fresh.ini", "fresh");
  WriteFileList(1,
                "[Systems]\r\nFile1=\\zelta.ini *%*?\\zelta.ini\r\nFile2=\\zelta2.ini *?*%\\zelta2.ini\r\n"
                "File3=\\fresh.ini *?*%\\fresh.ini\r\n");

  MessageBoxAnswerer boxes(InstallState.Caption, {IDYES, IDNO}, 0);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(boxes.texts(), (std::vector<std::string>{OverwriteText(windows_ + "\\zelta.ini"),
                                                     OverwriteText(windows_ + "\\zelta2.ini")}));
  EXPECT_EQ(Contents(windows_ + "\\zelta.ini"), "new zelta.ini");
  EXPECT_EQ(Contents(windows_ + "\\zelta2.ini"), "old-22");
  // Not asked about: it was not there.
  EXPECT_EQ(Contents(windows_ + "\\fresh.ini"), "fresh");
  EXPECT_FALSE(PathExists(Target("\\zelta.ini")));
  EXPECT_EQ(InstallState.ProgressDone, 13 + 6 + 5);
}

TEST_F(FileInstallationTest, QuestionsAreCutTo127Characters) {
  Disc(1, {ComponentSystems}, "Egy");
  std::string field = "\\" + std::string(90, 'd') + "\\file.txt";
  WriteBytes(Target(field), "existing");
  WriteSource(1, "\\file.txt", "new");
  WriteFileList(1, "[Systems]\r\nFile1=\\file.txt *-*" + field + "\r\nFile2=\\file.txt *?" + field + "\r\n");

  MessageBoxAnswerer boxes(InstallState.Caption, {IDOK, IDNO}, 0);
  EXPECT_EQ(Run(), 0);
  std::string wrongCode = WrongCodeText("*-*" + field);
  std::string overwrite = OverwriteText(Target(field));
  ASSERT_GT(wrongCode.size(), 127u);
  ASSERT_GT(overwrite.size(), 127u);
  EXPECT_EQ(boxes.texts(), (std::vector<std::string>{wrongCode.substr(0, 127), overwrite.substr(0, 127)}));
  EXPECT_EQ(Contents(Target(field)), "existing");
}

TEST_F(FileInstallationTest, WrongCodeIsReportedAndTheEntryStillProcessed) {
  Disc(1, {ComponentSystems}, "Egy");
  CreateDirectoryA(Target("\\dir").c_str(), nullptr);
  WriteSource(1, "\\a.txt", "aaa");
  // "*\" leaves the whole path; "*x" leaves "x\a.txt", which would name a
  // folder beside the root ("<root>x") and is refused as a target.
  WriteFileList(1, "[Systems]\r\nFile1=\\a.txt *\\dir\\a.txt\r\nFile2=\\a.txt *x\\a.txt\r\n");
  std::string besideRoot = Outside("x");

  MessageBoxAnswerer boxes(InstallState.Caption, {IDOK}, 0);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(boxes.texts(), (std::vector<std::string>{WrongCodeText("*\\dir\\a.txt"), WrongCodeText("*x\\a.txt"),
                                                     TargetCreateText(besideRoot + "\\a.txt")}));
  EXPECT_EQ(Contents(Target("\\dir\\a.txt")), "aaa");
  EXPECT_FALSE(PathExists(besideRoot));
  EXPECT_EQ(InstallState.ProgressDone, 6);
  EXPECT_EQ(InstallState.FileCopyAborted, 0);
}

TEST_F(FileInstallationTest, CancelOnWrongCodeEndsTheStepAfterTheNextCopiedEntry) {
  Disc(1, {ComponentSystems}, "Egy");
  WriteBytes(Target("\\keep.txt"), "kept");
  WriteSource(1, "\\a.txt", "a");
  WriteSource(1, "\\b.txt", "b");
  WriteSource(1, "\\c.txt", "c");
  // The first entry is kept without a copy, so the step goes on to the second.
  WriteFileList(1,
                "[Systems]\r\nFile1=\\a.txt *-*\\keep.txt\r\nFile2=\\b.txt \\b.txt\r\nFile3=\\c.txt \\c.txt\r\n");

  MessageBoxAnswerer boxes(InstallState.Caption, {IDCANCEL}, 0);
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(boxes.texts(), std::vector<std::string>{WrongCodeText("*-*\\keep.txt")});
  EXPECT_EQ(Contents(Target("\\keep.txt")), "kept");
  EXPECT_EQ(Contents(Target("\\b.txt")), "b");
  EXPECT_FALSE(PathExists(Target("\\c.txt")));
  EXPECT_EQ(InstallState.FileCopyAborted, 1);
  // A Cancel in a file message asks for no cancel request.
  EXPECT_TRUE(PostedCommands.empty());
}

TEST_F(FileInstallationTest, MissingSourceOkSkipsWithoutCounting) {
  Disc(1, {ComponentSystems}, "Egy");
  WriteSource(1, "\\b.txt", "bbbb");
  WriteFileList(1, "[Systems]\r\nFile1=\\missing.txt \\missing.txt\r\nFile2=\\b.txt \\b.txt\r\n");

  MessageBoxAnswerer boxes(InstallState.Caption, {IDOK}, 0);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(boxes.texts(), std::vector<std::string>{SourceOpenText(Source(1, "\\missing.txt"))});
  EXPECT_FALSE(PathExists(Target("\\missing.txt")));
  EXPECT_EQ(Contents(Target("\\b.txt")), "bbbb");
  EXPECT_EQ(InstallState.ProgressDone, 4);
  EXPECT_EQ(dialog_->TextsOf(IDC_FILE_LINE), (std::vector<std::string>{Target("\\missing.txt"), Target("\\b.txt")}));
}

TEST_F(FileInstallationTest, MissingSourceCancelStopsAtOnce) {
  Disc(1, {ComponentSystems}, "Egy");
  Disc(2, {ComponentSystems}, "Kettő");
  WriteSource(1, "\\b.txt", "bbbb");
  WriteSource(2, "\\c.txt", "cc");
  WriteFileList(1, "[Systems]\r\nFile1=\\missing.txt \\missing.txt\r\nFile2=\\b.txt \\b.txt\r\n");
  WriteFileList(2, "[Systems]\r\nFile1=\\c.txt \\c.txt\r\n");

  MessageBoxAnswerer boxes(InstallState.Caption, {IDCANCEL}, 0);
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(boxes.texts(), std::vector<std::string>{SourceOpenText(Source(1, "\\missing.txt"))});
  EXPECT_FALSE(PathExists(Target("\\b.txt")));
  EXPECT_FALSE(PathExists(Target("\\c.txt")));
  EXPECT_EQ(InstallState.ProgressDone, 0);
  EXPECT_EQ(InstallState.FileCopyAborted, 1);
  EXPECT_TRUE(PostedCommands.empty());
}

TEST_F(FileInstallationTest, TargetInAMissingFolderOkCountsAndGoesOn) {
  Disc(1, {ComponentSystems}, "Egy");
  WriteSource(1, "\\a.txt", "aaaaa");
  WriteSource(1, "\\b.txt", "bb");
  WriteFileList(1, "[Systems]\r\nFile1=\\a.txt \\nodir\\a.txt\r\nFile2=\\b.txt \\b.txt\r\n");

  MessageBoxAnswerer boxes(InstallState.Caption, {IDOK}, 0);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(boxes.texts(), std::vector<std::string>{TargetCreateText(Target("\\nodir\\a.txt"))});
  EXPECT_EQ(Contents(Target("\\b.txt")), "bb");
  EXPECT_EQ(InstallState.ProgressDone, 7);
}

TEST_F(FileInstallationTest, TargetInAMissingFolderCancelEndsAfterTheEntry) {
  Disc(1, {ComponentSystems}, "Egy");
  WriteSource(1, "\\a.txt", "aaaaa");
  WriteSource(1, "\\b.txt", "bb");
  WriteFileList(1, "[Systems]\r\nFile1=\\a.txt \\nodir\\a.txt\r\nFile2=\\b.txt \\b.txt\r\n");

  MessageBoxAnswerer boxes(InstallState.Caption, {IDCANCEL}, 0);
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(boxes.texts(), std::vector<std::string>{TargetCreateText(Target("\\nodir\\a.txt"))});
  EXPECT_FALSE(PathExists(Target("\\b.txt")));
  EXPECT_EQ(InstallState.ProgressDone, 5);
  EXPECT_EQ(dialog_->TextsOf(IDC_PERCENT), std::vector<std::string>{"  0.0%"});
}

TEST_F(FileInstallationTest, TargetsOutsideTheirFolderCannotBeCreated) {
  Disc(1, {ComponentSystems}, "Egy");
  WriteSource(1, "\\a.txt", "aaa");
  std::string escape = Outside("Escape.txt");
  std::string asked = Outside("Asked.txt");
  WriteBytes(asked, "outside");
  std::string besideRoot = Outside("x.txt");
  std::string besideWindows = Target("\\windows.txt");
  WriteFileList(1,
                "[Systems]\r\n"
                "File1=\\a.txt \\..\\" + root_ + "Escape.txt\r\n"
                "File2=\\a.txt *?\\..\\" + root_ + "Asked.txt\r\n"
                "File3=\\a.txt x.txt\r\n"
                "File4=\\a.txt \\\\server\\share.txt\r\n"
                "File5=\\a.txt \\sub\\C:\\stream.txt\r\n"
                "File6=\\a.txt *%\\..\\windows.txt\r\n"
                "File7=\\a.txt \\sub\\...\\..\\..\\" + root_ + "Escape.txt\r\n"
                "File8=\\a.txt\r\n");

  MessageBoxAnswerer boxes(InstallState.Caption, {IDOK}, 0);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(boxes.texts(), (std::vector<std::string>{
                               TargetCreateText(Target("\\..\\" + root_ + "Escape.txt")),
                               TargetCreateText(Target("\\..\\" + root_ + "Asked.txt")),
                               TargetCreateText(besideRoot),
                               TargetCreateText(Target("\\\\server\\share.txt")),
                               TargetCreateText(Target("\\sub\\C:\\stream.txt")),
                               TargetCreateText(windows_ + "\\..\\windows.txt"),
                               TargetCreateText(Target("\\sub\\...\\..\\..\\" + root_ + "Escape.txt")),
                               TargetCreateText(rootPath_),
                           }));
  EXPECT_FALSE(PathExists(escape));
  EXPECT_FALSE(PathExists(besideRoot));
  EXPECT_FALSE(PathExists(besideWindows));
  EXPECT_EQ(Contents(asked), "outside");
  // Counted as for any target that cannot be created.
  EXPECT_EQ(InstallState.ProgressDone, 8 * 3);
}

TEST_F(FileInstallationTest, WindowsTargetWithoutAWindowsDirectoryCannotBeCreated) {
  Disc(1, {ComponentSystems}, "Egy");
  InstallState.WindowsDirectory[0] = '\0';
  WriteSource(1, "\\a.txt", "aaa");
  WriteFileList(1, "[Systems]\r\nFile1=\\a.txt *%\\" + root_ + "NoWindows.txt\r\n");
  std::string driveRoot = Outside("NoWindows.txt");

  MessageBoxAnswerer boxes(InstallState.Caption, {IDOK}, 0);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(boxes.texts(), std::vector<std::string>{TargetCreateText("\\" + root_ + "NoWindows.txt")});
  EXPECT_FALSE(PathExists(driveRoot));
  EXPECT_FALSE(PathExists("\\" + root_ + "NoWindows.txt"));
}

TEST_F(FileInstallationTest, SourcesOutsideTheDiscFolderAreNotRead) {
  Disc(1, {ComponentSystems}, "Egy");
  // Both would be found if the source field were joined as it stands.
  WriteBytes(area_ + "secret.txt", "secret");
  WriteBytes(DiscFolder(1) + "sibling.txt", "sibling");
  WriteFileList(1,
                "[Systems]\r\nFile1=\\..\\secret.txt \\got1.txt\r\nFile2=sibling.txt \\got2.txt\r\n"
                "File3=\\C:\\x.txt \\got3.txt\r\n");

  MessageBoxAnswerer boxes(InstallState.Caption, {IDOK}, 0);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(boxes.texts(), (std::vector<std::string>{SourceOpenText(Source(1, "\\..\\secret.txt")),
                                                     SourceOpenText(DiscFolder(1) + "sibling.txt"),
                                                     SourceOpenText(Source(1, "\\C:\\x.txt"))}));
  EXPECT_FALSE(PathExists(Target("\\got1.txt")));
  EXPECT_FALSE(PathExists(Target("\\got2.txt")));
  EXPECT_FALSE(PathExists(Target("\\got3.txt")));
  EXPECT_EQ(InstallState.ProgressDone, 0);
}

// A source whose path in the download area is one character too long is
// refused with message 9 (the path cut as the message is), not read under
// its cut name, which does exist; one that fits exactly is copied.
TEST_F(FileInstallationTest, SourcesTooLongForTheirPathAreRefusedNotCut) {
  Disc(1, {ComponentSystems}, "Egy");
  const size_t room = 255 - DiscFolder(1).size();  // the source field of a 255-character path
  const std::string fits = "\\" + std::string(room - 1, 'f');
  const std::string over = "\\" + std::string(room, 'o');
  WriteSource(1, fits, "fff");
  const std::string overPath = Source(1, over);
  ASSERT_EQ(overPath.size(), 256u);
  WriteBytes(overPath.substr(0, 255), "cut");
  WriteFileList(1, "[Systems]\r\nFile1=" + fits + " \\fits.txt\r\nFile2=" + over + " \\over.txt\r\n");

  MessageBoxAnswerer boxes(InstallState.Caption, {IDOK}, 0);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(boxes.texts(), std::vector<std::string>{SourceOpenText(overPath).substr(0, 255)});
  EXPECT_EQ(Contents(Target("\\fits.txt")), "fff");
  EXPECT_FALSE(PathExists(Target("\\over.txt")));
  EXPECT_EQ(InstallState.ProgressDone, 3);
}

TEST_F(FileInstallationTest, FileOfExactlyOneBlockShowsTheSpinnerOnce) {
  Disc(1, {ComponentSystems}, "Egy");
  InstallState.ProgressTotal = 1024000;
  std::string bytes = TestBytes(512000, 7);
  WriteSource(1, "\\block.bin", bytes);
  WriteFileList(1, "[Systems]\r\nFile1=\\block.bin \\block.bin\r\n");

  MessageBoxAnswerer boxes(InstallState.Caption, {IDCANCEL}, 0);
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(boxes.seen());
  EXPECT_TRUE(Contents(Target("\\block.bin")) == bytes);
  EXPECT_EQ(dialog_->TextsOf(IDC_ACTIVITY_MARK), (std::vector<std::string>{"|", ""}));
  EXPECT_EQ(dialog_->TextsOf(IDC_PERCENT), (std::vector<std::string>{" 12.5%", " 50.0%"}));
  EXPECT_EQ(dialog_->BarPosition(), 500);
}

TEST_F(FileInstallationTest, LongFilesShowIntermediatePercentagesAndTheSpinnerPerFile) {
  Disc(1, {ComponentSystems}, "Egy");
  const int32_t longSize = 1300000, longerSize = 6 * 512000 + 1;
  InstallState.ProgressDone = longSize;
  InstallState.ProgressTotal = 2 * longSize + longerSize;
  std::string first = TestBytes(longSize, 1), second = TestBytes(longerSize, 2);
  WriteSource(1, "\\long.bin", first);
  WriteSource(1, "\\longer.bin", second);
  WriteFileList(1, "[Systems]\r\nFile1=\\long.bin \\long.bin\r\nFile2=\\longer.bin \\longer.bin\r\n");

  MessageBoxAnswerer boxes(InstallState.Caption, {IDCANCEL}, 0);
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(boxes.seen());
  EXPECT_TRUE(Contents(Target("\\long.bin")) == first);
  EXPECT_TRUE(Contents(Target("\\longer.bin")) == second);

  // A quarter of each full block, over 5,672,001 bytes; the bar only moves
  // when a file is done.
  std::vector<std::string> expected;
  const double total = InstallState.ProgressTotal;
  char text[32];
  for (int k = 1; k <= 2; ++k) {
    snprintf(text, sizeof text, "%5.1f%%", (longSize + 0.25 * k * 512000) / total * 100.0);
    expected.push_back(text);
  }
  snprintf(text, sizeof text, "%5.1f%%", 2.0 * longSize / total * 100.0);
  expected.push_back(text);
  for (int k = 1; k <= 6; ++k) {
    snprintf(text, sizeof text, "%5.1f%%", (2.0 * longSize + 0.25 * k * 512000) / total * 100.0);
    expected.push_back(text);
  }
  expected.push_back("100.0%");
  EXPECT_EQ(dialog_->TextsOf(IDC_PERCENT), expected);
  EXPECT_EQ(expected[0], " 25.2%");
  EXPECT_EQ(expected[1], " 27.4%");
  EXPECT_EQ(expected[2], " 45.8%");

  // The spinner starts again for each file and wraps after its empty fifth place.
  EXPECT_EQ(dialog_->TextsOf(IDC_ACTIVITY_MARK),
            (std::vector<std::string>{"|", "/", "", "|", "/", "-", "\\", "", "|", ""}));
  EXPECT_EQ(dialog_->BarPosition(), 1000);
  EXPECT_EQ(InstallState.ProgressDone, InstallState.ProgressTotal);
}

TEST_F(FileInstallationTest, NoTotalShowsOnePercentAfterEveryFile) {
  Disc(1, {ComponentSystems}, "Egy");
  InstallState.ProgressTotal = 0;
  WriteSource(1, "\\a.txt", "aaa");
  WriteSource(1, "\\b.txt", "bb");
  WriteFileList(1, "[Systems]\r\nFile1=\\a.txt \\a.txt\r\nFile2=\\b.txt \\b.txt\r\n");

  MessageBoxAnswerer boxes(InstallState.Caption, {IDCANCEL}, 0);
  EXPECT_EQ(Run(), 0);
  // Shown after the first file and kept after the second: an unchanged
  // text is not sent again.
  EXPECT_EQ(dialog_->TextsOf(IDC_PERCENT), (std::vector<std::string>{"  1.0%"}));
  EXPECT_EQ(dialog_->TextsOf(IDC_ACTIVITY_MARK), (std::vector<std::string>{""}));
  EXPECT_EQ(dialog_->CurrentText(IDC_PERCENT), "  1.0%");
  EXPECT_EQ(dialog_->BarPosition(), 10);
  EXPECT_EQ(InstallState.ProgressDone, 5);
}

TEST_F(FileInstallationTest, CountersHoldDistributionsBeyond4GiB) {
  Disc(1, {ComponentSystems}, "Egy");
  // Neither value fits 32 bits; 6,000,000,000 is 3/4 of 8,000,000,000.
  InstallState.ProgressTotal = 8000000000LL;
  InstallState.ProgressDone = 6000000000LL - 4;
  WriteSource(1, "\\a.txt", "aaaa");
  WriteFileList(1, "[Systems]\r\nFile1=\\a.txt \\a.txt\r\n");

  MessageBoxAnswerer boxes(InstallState.Caption, {IDCANCEL}, 0);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(InstallState.ProgressDone, 6000000000LL);
  EXPECT_EQ(dialog_->TextsOf(IDC_PERCENT), std::vector<std::string>{" 75.0%"});
  EXPECT_EQ(dialog_->BarPosition(), 750);
}

TEST_F(FileInstallationTest, TargetPathsMayHoldBlanks) {
  Disc(1, {ComponentSystems}, "Egy");
  CreateDirectoryA(Target("\\Program Files").c_str(), nullptr);
  CreateDirectoryA(Target("\\Dir Two").c_str(), nullptr);
  WriteSource(1, "\\src.txt", "one");
  WriteSource(1, "\\src2.txt", "two");
  WriteFileList(1,
                "[Systems]\r\nFile1=\\src.txt   \\Program Files\\My File.txt\r\n"
                "File2=\\src2.txt,\\Dir Two\\x y.txt\r\n");

  MessageBoxAnswerer boxes(InstallState.Caption, {IDCANCEL}, 0);
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(boxes.seen());
  EXPECT_EQ(Contents(Target("\\Program Files\\My File.txt")), "one");
  EXPECT_EQ(Contents(Target("\\Dir Two\\x y.txt")), "two");
  EXPECT_EQ(dialog_->TextsOf(IDC_FILE_LINE),
            (std::vector<std::string>{Target("\\Program Files\\My File.txt"), Target("\\Dir Two\\x y.txt")}));
}

// Gives a source three distinct times; returns them as the platform keeps
// them (Wine keeps no creation time of its own and reports the write time).
FileTimes GiveTimes(const std::string& path) {
  FileTimes set = {MakeTime(2001, 2, 3), MakeTime(2005, 6, 7), MakeTime(2003, 4, 5)};
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(SetFileTime(file, &set.creation, &set.access, &set.write));
  CloseHandle(file);
  FileTimes kept;
  EXPECT_TRUE(ReadTimes(path, &kept));
  EXPECT_TRUE(SameTime(kept.write, set.write));
  EXPECT_TRUE(SameTime(kept.access, set.access));
  return kept;
}

void ExpectTimes(const std::string& path, const FileTimes& expected) {
  FileTimes got;
  ASSERT_TRUE(ReadTimes(path, &got)) << path;
  EXPECT_TRUE(SameTime(got.creation, expected.creation)) << path;
  EXPECT_TRUE(SameTime(got.access, expected.access)) << path;
  EXPECT_TRUE(SameTime(got.write, expected.write)) << path;
}

TEST_F(FileInstallationTest, TargetCarriesTheSourceTimes) {
  Disc(1, {ComponentSystems}, "Egy");
  std::string small = WriteSource(1, "\\small.txt", "small");
  std::string big = WriteSource(1, "\\big.bin", TestBytes(700000, 3));
  FileTimes smallTimes = GiveTimes(small), bigTimes = GiveTimes(big);
  WriteFileList(1, "[Systems]\r\nFile1=\\small.txt \\small.txt\r\nFile2=\\big.bin \\big.bin\r\n");

  MessageBoxAnswerer boxes(InstallState.Caption, {IDCANCEL}, 0);
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(boxes.seen());
  ExpectTimes(Target("\\small.txt"), smallTimes);
  ExpectTimes(Target("\\big.bin"), bigTimes);
  EXPECT_EQ(Contents(Target("\\small.txt")), "small");
}

// Runs through tests/win/with_tiny_drive.sh, which maps ZELTA_TINY_DRIVE to
// a 600 KiB file system: the second block of a 1,300,000-byte file does not fit.
class FileInstallationTinyDriveTest : public FileInstallationTest {};

TEST_F(FileInstallationTinyDriveTest, WriteErrorKeepsThePartialTargetWithTheSourceTimes) {
  const char* drive = getenv("ZELTA_TINY_DRIVE");
  if (drive == nullptr || drive[0] < 'A' || drive[0] > 'Z') GTEST_SKIP() << "no tiny drive mapped";
  InstallState.TargetDrive = drive[0] - 'A' + 1;
  std::string tinyRoot = std::string(1, drive[0]) + ":\\" + root_;
  ASSERT_TRUE(CreateDirectoryA(tinyRoot.c_str(), nullptr));
  Disc(1, {ComponentSystems}, "Egy");
  std::string bytes = TestBytes(1300000, 5);
  std::string source = WriteSource(1, "\\big.bin", bytes);
  FileTimes times = GiveTimes(source);
  WriteFileList(1, "[Systems]\r\nFile1=\\big.bin \\big.bin\r\n");
  std::string target = tinyRoot + "\\big.bin";

  MessageBoxAnswerer boxes(InstallState.Caption, {IDOK}, 0);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(boxes.texts(), std::vector<std::string>{WriteErrorText(source, target)});
  ExpectTimes(target, times);
  std::string partial = Contents(target);
  EXPECT_GE(partial.size(), 512000u);
  EXPECT_LT(partial.size(), bytes.size());
  EXPECT_TRUE(partial == bytes.substr(0, partial.size()));
  // Counted whole, as a file that was gone through.
  EXPECT_EQ(InstallState.ProgressDone, 1300000);
  RemoveTree(tinyRoot);
}

TEST_F(FileInstallationTest, WrongDiscOkThenStillWrongThenCancelAsksToCancel) {
  Disc(1, {ComponentSystems}, "Első lemez");
  WriteSource(1, "\\a.txt", "a");
  WriteFileList(1, "Második lemez", "[Systems]\r\nFile1=\\a.txt \\a.txt\r\n");

  MessageBoxAnswerer boxes(InstallState.Caption, {IDOK, IDCANCEL}, 0);
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(boxes.texts(), (std::vector<std::string>{InsertDiscText(area_, "Első lemez"),
                                                     WrongDiscText(area_, "Első lemez")}));
  EXPECT_EQ(PostedCommands, std::vector<WPARAM>{CMD_CANCEL_REQUEST});
  EXPECT_EQ(PostedCommandParameters, std::vector<LPARAM>{0});
  EXPECT_FALSE(PathExists(Target("\\a.txt")));
  EXPECT_EQ(std::string(InstallState.FileListPath), FileListPath(1));
  EXPECT_EQ(InstallState.FileCopyAborted, 0);
}

TEST_F(FileInstallationTest, MissingFileListCancelAsksToCancel) {
  Disc(1, {ComponentSystems}, "Egy");
  Disc(2, {ComponentHelp}, "Kettő");
  WriteSource(1, "\\a.txt", "a");
  WriteFileList(1, "[Systems]\r\nFile1=\\a.txt \\a.txt\r\n");

  MessageBoxAnswerer boxes(InstallState.Caption, {IDCANCEL}, 0);
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(boxes.texts(), std::vector<std::string>{InsertDiscText(area_, "Kettő")});
  EXPECT_EQ(PostedCommands, std::vector<WPARAM>{CMD_CANCEL_REQUEST});
  // The first disc was installed before.
  EXPECT_EQ(Contents(Target("\\a.txt")), "a");
}

TEST_F(FileInstallationTest, WrongDiscRecheckedAfterOk) {
  Disc(1, {ComponentSystems}, "Egy");
  WriteSource(1, "\\a.txt", "a");
  const std::string sections = "[Systems]\r\nFile1=\\a.txt \\a.txt\r\n";
  WriteFileList(1, "egy", sections);  // differs in case only

  // As a user would: puts the right list in place, then presses OK; any
  // later box is cancelled.
  std::atomic<int> boxes{0};
  std::atomic<bool> done{false};
  std::thread user([&] {
    HWND last = nullptr;
    while (!done) {
      HWND box = FindWindowA("#32770", InstallState.Caption);
      if (box != nullptr && box != last && IsWindowVisible(box)) {
        if (boxes++ == 0) WriteFileList(1, "Egy", sections);
        PostMessageA(box, WM_COMMAND, boxes == 1 ? IDOK : IDCANCEL, 0);
        last = box;
      }
      Sleep(25);
    }
  });
  int32_t result = Run();
  done = true;
  user.join();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(boxes, 1);
  EXPECT_EQ(Contents(Target("\\a.txt")), "a");
  EXPECT_TRUE(PostedCommands.empty());
}

}  // namespace
