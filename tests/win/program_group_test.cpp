#include "install/program_group.h"

#include <windows.h>
#include <dde.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "install/installation_finish.h"
#include "tests/win/install_test_support.h"
#include "tests/win/test_site.h"

namespace {

const char ServerClass[] = "ZeltaTesztProgman";
const char WindowClass[] = "ZeltaTesztAblak";

// A Program Manager of the test: a top-level window that answers the
// initiation for PROGMAN and records every command it is asked to execute,
// acknowledging it positively unless told to refuse it.
struct TestServer {
  HWND window = nullptr;
  std::vector<std::string> commands;
  std::vector<std::string> blocks;  // the whole shared block of each command
  std::set<size_t> refuse;          // 1-based numbers of the commands to refuse
  int terminations = 0;
};

bool IsProgman(ATOM atom) {
  char name[64] = {};
  return atom != 0 && GlobalGetAtomNameA(atom, name, sizeof name) > 0 &&
         lstrcmpiA(name, "PROGMAN") == 0;
}

void AnswerInitiation(TestServer* server, HWND client, LPARAM lParam) {
  if (!IsProgman(LOWORD(lParam)) || !IsProgman(HIWORD(lParam))) return;
  SendMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(server->window),
               MAKELPARAM(GlobalAddAtomA("PROGMAN"), GlobalAddAtomA("PROGMAN")));
}

void Execute(TestServer* server, HWND client, LPARAM lParam) {
  UINT_PTR unused = 0;
  UINT_PTR handle = 0;
  UnpackDDElParam(WM_DDE_EXECUTE, lParam, &unused, &handle);
  HGLOBAL block = reinterpret_cast<HGLOBAL>(handle);
  const char* text = static_cast<const char*>(GlobalLock(block));
  const size_t size = GlobalSize(block);
  if (text != nullptr) {
    server->commands.emplace_back(text, strnlen(text, size));
    server->blocks.emplace_back(text, size);
    GlobalUnlock(block);
  }
  const bool refused = server->refuse.count(server->commands.size()) != 0;
  PostMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(server->window),
               PackDDElParam(WM_DDE_ACK, refused ? 0 : 0x8000, handle));
}

LRESULT CALLBACK ServerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TestServer* server = reinterpret_cast<TestServer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_DDE_INITIATE:
      if (server != nullptr) AnswerInitiation(server, reinterpret_cast<HWND>(wParam), lParam);
      return 0;
    case WM_DDE_EXECUTE:
      if (server != nullptr) Execute(server, reinterpret_cast<HWND>(wParam), lParam);
      return 0;
    case WM_DDE_TERMINATE:
      if (server != nullptr) ++server->terminations;
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

void RegisterTestClasses() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = ServerProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = ServerClass;
  RegisterClassA(&windowClass);
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = WindowClass;
  RegisterClassA(&windowClass);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::string CurrentFolder() {
  char folder[MAX_PATH];
  DWORD n = GetCurrentDirectoryA(sizeof folder, folder);
  return std::string(folder, n);
}

// The main window and the setup dialog of the installer, as stand-ins: the
// dialog (owned by the main window) is the parent of the conversation.
class InstallerWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetInstallState();
    GroupConversation = GroupConversationRecord();
    RegisterTestClasses();
    InstallState.Instance = GetModuleHandleA(nullptr);
    InstallState.TargetDrive = 3;
    InstallState.StartAfterInstall = 0;
    TextCopy(InstallState.RootDirectory, "ZeltaCsoportTeszt");
    TextCopy(InstallState.WindowsDirectory, WindowsDirectoryOfProcess().c_str());
    main_ = CreateWindowExA(0, WindowClass, "Zelta f\xF5" "ablak", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                            100, nullptr, nullptr, InstallState.Instance, nullptr);
    setup_ = CreateWindowExA(0, WindowClass, "Zelta be\xE1ll\xEDt\xE1s", WS_POPUP, 0, 0, 50, 50,
                             main_, nullptr, InstallState.Instance, nullptr);
    ASSERT_NE(main_, nullptr);
    ASSERT_NE(setup_, nullptr);
    InstallState.MainWindow = main_;
    RemoveTree(Root());
  }

  void TearDown() override {
    if (IsWindow(main_)) DestroyWindow(main_);
    ReleaseCommandBlock();
    UnregisterClassA("ClientDDEWndClass", InstallState.Instance);
    GroupConversation = GroupConversationRecord();
    for (auto& server : servers_) DestroyWindow(server->window);
    if (!catalogue_.empty()) DeleteFileA(catalogue_.c_str());
    RemoveTree(Root());
    for (const std::string& path : leftovers_) {
      DeleteFileA(path.c_str());
      RemoveTree(path);
    }
  }

  std::string Root() const { return std::string("C:\\") + InstallState.RootDirectory; }
  std::string Executable() const { return Root() + "\\ZeltaWin32\\ZeltaWin32.exe"; }
  std::string Marker() const { return Root() + "\\ZeltaWin32\\started.txt"; }

  void Catalogue(const std::string& commands) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    catalogue_ = WriteTestCatalogue(std::string("zelta_group_") + info->name() + ".ini",
                                    "[System]\r\nRootDirectory=x\r\n[Command]\r\n" + commands);
  }

  TestServer* Serve() {
    servers_.push_back(std::make_unique<TestServer>());
    TestServer* server = servers_.back().get();
    // Topmost and the newest: the first to hear the initiation, before the
    // desktop's own Program Manager.
    server->window = CreateWindowExA(WS_EX_TOPMOST, ServerClass, "Zelta teszt Progman", WS_POPUP, 0,
                                     0, 0, 0, nullptr, nullptr, InstallState.Instance, nullptr);
    SetWindowLongPtrA(server->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(server));
    return server;
  }

  bool InstallerClosed() const { return !IsWindow(main_) && !IsWindow(setup_); }

  // Starts the conversation and runs this thread's messages until the
  // installer closes or ms milliseconds have passed.
  bool RunGroup(DWORD ms = StatePatience) {
    StartProgramGroup(setup_);
    return WaitUntil([this] { return InstallerClosed(); }, ms);
  }

  HWND main_ = nullptr;
  HWND setup_ = nullptr;
  std::string catalogue_;
  std::vector<std::string> leftovers_;  // files and folders to remove afterwards
  std::vector<std::unique_ptr<TestServer>> servers_;
};

using ProgramGroupTest = InstallerWindows;
using FinishInstallationTest = InstallerWindows;

TEST_F(ProgramGroupTest, CommandsAreExpandedAndSentInOrder) {
  TestServer* server = Serve();
  Catalogue(
      "Command1=[CreateGroup(Zelta Teszt)]\r\n"
      "Command2=[AddItem(#\\ZeltaWin32\\ZeltaWin32.exe,ZeltaCAD,#\\ZeltaWin32\\Zelta.ico)]\r\n"
      "Command3=[AddItem(%s\\hh.exe #\\Help\\Zelta.chm,S\xFAg\xF3)]\r\n"
      "Command4=[AddItem(%s\\HH.EXE #\\Help\\Zelta.chm,Nagy)]\r\n"
      "Command5=[ShowGroup(%d %n %s %%,1)]\r\n"
      "Command6=[AddItem(%s\\WinHlp32.exe %x,R\xE9gi)]\r\n");
  ASSERT_TRUE(RunGroup());
  const std::string windows = InstallState.WindowsDirectory;
  ASSERT_FALSE(windows.empty());
  const std::vector<std::string> expected = {
      "[CreateGroup(Zelta Teszt)]",
      "[AddItem(C:\\ZeltaCsoportTeszt\\ZeltaWin32\\ZeltaWin32.exe,ZeltaCAD,"
      "C:\\ZeltaCsoportTeszt\\ZeltaWin32\\Zelta.ico)]",
      "[AddItem(" + windows + "\\hh.exe C:\\ZeltaCsoportTeszt\\Help\\Zelta.chm,S\xFAg\xF3)]",
      "[AddItem(%s\\HH.EXE C:\\ZeltaCsoportTeszt\\Help\\Zelta.chm,Nagy)]",
      "[ShowGroup(%d %n %s %%,1)]",
      "[AddItem(" + windows + "\\WinHlp32.exe %x,R\xE9gi)]",
  };
  EXPECT_EQ(server->commands, expected);
  // Each command stands in a zero-filled block of 256 bytes.
  for (const std::string& block : server->blocks) {
    ASSERT_GE(block.size(), 256u);
    EXPECT_EQ(block.find_first_not_of('\0', strlen(block.c_str())), std::string::npos);
  }
  EXPECT_TRUE(GroupConversation.Finished);
  EXPECT_EQ(GroupConversation.CommandBlock, nullptr);
}

TEST_F(ProgramGroupTest, AGapEndsTheList) {
  TestServer* server = Serve();
  Catalogue("Command1=[CreateGroup(A)]\r\nCommand2=[ShowGroup(A,1)]\r\n"
            "Command4=[ShowGroup(B,1)]\r\n");
  ASSERT_TRUE(RunGroup());
  EXPECT_EQ(server->commands, (std::vector<std::string>{"[CreateGroup(A)]", "[ShowGroup(A,1)]"}));
  EXPECT_EQ(GroupConversation.CommandNumber, 3);
}

TEST_F(ProgramGroupTest, AStarValueEndsTheList) {
  TestServer* server = Serve();
  Catalogue("Command1=[CreateGroup(A)]\r\nCommand2=*[ShowGroup(A,1)]\r\n"
            "Command3=[ShowGroup(B,1)]\r\n");
  ASSERT_TRUE(RunGroup());
  EXPECT_EQ(server->commands, (std::vector<std::string>{"[CreateGroup(A)]"}));
}

TEST_F(ProgramGroupTest, AnEmptyValueIsSentAsAnEmptyCommand) {
  TestServer* server = Serve();
  Catalogue("Command1=\r\nCommand2=[CreateGroup(A)]\r\n");
  ASSERT_TRUE(RunGroup());
  ASSERT_EQ(server->commands, (std::vector<std::string>{"", "[CreateGroup(A)]"}));
  EXPECT_EQ(server->blocks[0], std::string(server->blocks[0].size(), '\0'));
}

TEST_F(ProgramGroupTest, ARefusedCommandDoesNotStopTheList) {
  TestServer* server = Serve();
  server->refuse = {1, 2};
  Catalogue("Command1=[AddItem(C:\\nincs.exe,x)]\r\nCommand2=[AddItem(C:\\nincs2.exe,y)]\r\n"
            "Command3=[ShowGroup(A,1)]\r\n");
  ASSERT_TRUE(RunGroup());
  EXPECT_EQ(server->commands.size(), 3u);
}

TEST_F(ProgramGroupTest, ACommandTooLongOnceExpandedIsSkipped) {
  TestServer* server = Serve();
  // 240 characters and "#": the root makes it 261, more than the block holds.
  Catalogue("Command1=[CreateGroup(A)]\r\nCommand2=" + std::string(240, 'x') + "#\r\n" +
            "Command3=[ShowGroup(A,1)]\r\n");
  ASSERT_TRUE(RunGroup());
  EXPECT_EQ(server->commands, (std::vector<std::string>{"[CreateGroup(A)]", "[ShowGroup(A,1)]"}));
}

TEST_F(ProgramGroupTest, WithoutAFirstCommandNothingIsSentAndTheInstallerStaysOpen) {
  TestServer* server = Serve();
  Catalogue("Command2=[CreateGroup(A)]\r\n");
  EXPECT_FALSE(RunGroup(700));
  EXPECT_TRUE(server->commands.empty());
  EXPECT_TRUE(IsWindow(main_));
  EXPECT_TRUE(IsWindow(setup_));
  EXPECT_TRUE(GroupConversation.Finished);
  EXPECT_EQ(GroupConversation.CommandBlock, nullptr);
  EXPECT_EQ(GroupConversation.ServerWindow, server->window);
}

TEST_F(ProgramGroupTest, OnlyTheFirstAnsweringServerHearsTheCommands) {
  TestServer* second = Serve();
  TestServer* first = Serve();
  Catalogue("Command1=[CreateGroup(A)]\r\nCommand2=[ShowGroup(A,1)]\r\n");
  ASSERT_TRUE(RunGroup());
  EXPECT_TRUE(WaitUntil([second] { return second->terminations > 0; }));  // the decline has arrived
  EXPECT_EQ(GroupConversation.ServerWindow, first->window);
  EXPECT_EQ(first->commands.size(), 2u);
  EXPECT_EQ(first->terminations, 0);
  EXPECT_TRUE(second->commands.empty());
  EXPECT_EQ(second->terminations, 1);
}

TEST_F(ProgramGroupTest, TheLastAnswerStartsTheInstalledSystem) {
  Serve();
  ASSERT_TRUE(InstallSampleProduct(Executable()));
  InstallState.StartAfterInstall = 1;
  Catalogue("Command1=[CreateGroup(A)]\r\n");
  ASSERT_TRUE(RunGroup());
  ASSERT_TRUE(WaitForFile(Marker()));
  std::string marker;
  ASSERT_TRUE(ReadLocalFile(Marker(), &marker));
  EXPECT_EQ(Lines(marker).at(0), Executable());
}

TEST_F(ProgramGroupTest, TheDesktopsProgramManagerBuildsTheGroup) {
  char programs[MAX_PATH];
  ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs), S_OK);
  const std::string group = std::string(programs) + "\\Zelta Teszt";
  RemoveTree(group);
  leftovers_.push_back(group);
  // The item's target must exist, or the item is refused.
  ASSERT_TRUE(InstallSampleProduct(Executable()));
  Catalogue("Command1=[CreateGroup(Zelta Teszt)]\r\n"
            "Command2=[AddItem(#\\ZeltaWin32\\ZeltaWin32.exe,Zelta ind\xEDt\xF3)]\r\n");
  ASSERT_TRUE(RunGroup());
  DWORD process = 0;
  GetWindowThreadProcessId(GroupConversation.ServerWindow, &process);
  EXPECT_NE(process, GetCurrentProcessId());
  EXPECT_TRUE(PathExists(group));
  LinkFields item = ReadLink(group + "\\Zelta ind\xEDt\xF3.lnk");
  EXPECT_TRUE(item.loaded);
  EXPECT_EQ(item.path, Executable());
}

TEST_F(FinishInstallationTest, ClosesTheInstallerAndStartsTheInstalledSystem) {
  ASSERT_TRUE(InstallSampleProduct(Executable()));
  InstallState.StartAfterInstall = 1;
  FinishInstallation();
  EXPECT_TRUE(InstallerClosed());
  ASSERT_TRUE(WaitForFile(Marker()));
  std::string marker;
  ASSERT_TRUE(ReadLocalFile(Marker(), &marker));
  std::vector<std::string> lines = Lines(marker);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "C:\\ZeltaCsoportTeszt\\ZeltaWin32\\ZeltaWin32.exe");
  EXPECT_EQ(lines[1], CurrentFolder());  // the installer's own folder
}

TEST_F(FinishInstallationTest, BlanksInTheRootCannotStartAnotherProgram) {
  TextCopy(InstallState.RootDirectory, "Zelta Csoport Teszt");
  ASSERT_TRUE(InstallSampleProduct(Executable()));
  // An unquoted, unnamed start would try C:\Zelta.exe first.
  leftovers_.push_back("C:\\Zelta.exe");
  leftovers_.push_back("C:\\started.txt");
  ASSERT_TRUE(InstallSampleProduct("C:\\Zelta.exe"));
  InstallState.StartAfterInstall = 1;
  FinishInstallation();
  EXPECT_TRUE(InstallerClosed());
  ASSERT_TRUE(WaitForFile(Marker()));
  std::string marker;
  ASSERT_TRUE(ReadLocalFile(Marker(), &marker));
  EXPECT_EQ(Lines(marker).at(0), "\"C:\\Zelta Csoport Teszt\\ZeltaWin32\\ZeltaWin32.exe\"");
  EXPECT_FALSE(PathExists("C:\\started.txt"));
}

TEST_F(FinishInstallationTest, WithTheFlagOffNothingStarts) {
  ASSERT_TRUE(InstallSampleProduct(Executable()));
  FinishInstallation();
  EXPECT_TRUE(InstallerClosed());
  EXPECT_FALSE(WaitForFile(Marker(), 1500));
}

TEST_F(FinishInstallationTest, AMissingProgramStillClosesTheInstaller) {
  InstallState.StartAfterInstall = 1;
  FinishInstallation();  // only a beep
  EXPECT_TRUE(InstallerClosed());
  EXPECT_FALSE(WaitUntil([this] { return PathExists(Root()); }, 300));
}

TEST_F(FinishInstallationTest, ReleasesTheLastCommandBlock) {
  GroupConversation.CommandBlock = GlobalAlloc(GMEM_DDESHARE, 256);
  ASSERT_NE(GroupConversation.CommandBlock, nullptr);
  GroupConversation.CommandCursor = static_cast<char*>(GlobalLock(GroupConversation.CommandBlock));
  FinishInstallation();
  EXPECT_EQ(GroupConversation.CommandBlock, nullptr);
  EXPECT_EQ(GroupConversation.CommandCursor, nullptr);
  EXPECT_TRUE(InstallerClosed());
}

}  // namespace
