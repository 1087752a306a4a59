// Start-up and the main window: the class, the centred window of the
// background's size, the posted setup command, painting, the end of the
// program; CentreWindow; the AboutBox; and the program itself, run whole.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "setup/about_box.h"
#include "window/centre_window.h"
#include "app/main_window.h"
#include "app/start_up.h"
#include "app/title_painting.h"
#include "catalogue/install_state.h"
#include "resources/resource_ids.h"
#include "tests/e2e/installer_session.h"
#include "tests/win/gdi_census.h"
#include "tests/win/picture_support.h"
#include "tests/win/wait_until.h"

namespace {

const char InstallerCaption[] = "ZeltaCAD telepit\xE9s";
const char AboutCaption[] = "Inform\xE1" "ci\xF3k!";
const COLORREF GreyBrush = RGB(128, 128, 128);

HINSTANCE Module() {
  return GetModuleHandleA(nullptr);
}

std::string WindowText(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string LoadText(int id) {
  char text[128] = {};
  LoadStringA(Module(), id, text, sizeof text);
  return text;
}

RECT WindowRect(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  return rect;
}

// Takes the quit message off this thread's queue; -1 when there is none.
int TakeQuitCode() {
  MSG message;
  if (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return static_cast<int>(message.wParam);
  return -1;
}

// --- The main window -------------------------------------------------------

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallState.Instance = Module();
    RegisterMainWindowClass(Module());
    LoadBackground(Module());
    ASSERT_NE(Background.bitmap, nullptr);
    ASSERT_GT(LoadStringA(Module(), IDS_CAPTION, InstallState.Caption, CaptionSize), 0);
    window_ = CreateMainWindow(Module());
    ASSERT_NE(window_, nullptr);
    // The posted setup command is taken off the queue before anything
    // dispatches it: these tests look at the window without its dialog.
    posted_ = PeekMessageA(&command_, window_, WM_COMMAND, WM_COMMAND, PM_REMOVE) != FALSE;
  }
  void TearDown() override {
    if (IsWindow(window_)) DestroyWindow(window_);
    TakeQuitCode();
    ReleaseBackground();
    InstallState.Instance = Module();
    InstallState.MainWindow = nullptr;
  }

  HWND window_ = nullptr;
  bool posted_ = false;
  MSG command_ = {};
};

TEST_F(MainWindowTest, IsTheBackgroundWithAFrameCentredOnTheScreen) {
  EXPECT_EQ(Background.width, 600);
  EXPECT_EQ(Background.height, 350);
  const int frame = GetSystemMetrics(SM_CYDLGFRAME);
  const int width = 600 + 2 * frame, height = 350 + 2 * frame;
  RECT rect = WindowRect(window_);
  EXPECT_EQ(rect.right - rect.left, width);
  EXPECT_EQ(rect.bottom - rect.top, height);
  EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
  EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
  EXPECT_EQ(InstallState.MainWindow, window_);
}

TEST_F(MainWindowTest, CarriesTheInstallersCaptionWithoutACaptionBar) {
  EXPECT_EQ(WindowText(window_), InstallerCaption);
  EXPECT_STREQ(InstallState.Caption, InstallerCaption);
  LONG style = GetWindowLongA(window_, GWL_STYLE);
  EXPECT_EQ(style & WS_POPUPWINDOW, static_cast<LONG>(WS_POPUPWINDOW));
  EXPECT_TRUE(style & WS_VISIBLE);
  EXPECT_FALSE(style & WS_DLGFRAME);  // WS_CAPTION is WS_BORDER | WS_DLGFRAME
  EXPECT_EQ(GetParent(window_), nullptr);
  EXPECT_EQ(GetMenu(window_), nullptr);
}

TEST_F(MainWindowTest, ClassIsRegisteredAsDescribed) {
  WNDCLASSA registered = {};
  ASSERT_TRUE(GetClassInfoA(Module(), "ZeltaCAD WEB Install", &registered));
  EXPECT_EQ(registered.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
  EXPECT_EQ(registered.lpfnWndProc, MainWindowProc);
  EXPECT_EQ(registered.cbClsExtra, 0);
  EXPECT_EQ(registered.cbWndExtra, 0);
  EXPECT_NE(registered.hIcon, nullptr);
  EXPECT_EQ(registered.hCursor, LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(registered.hbrBackground, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  EXPECT_EQ(registered.lpszMenuName, nullptr);
  char name[64] = {};
  GetClassNameA(window_, name, sizeof name);
  EXPECT_STREQ(name, "ZeltaCAD WEB Install");
}

TEST_F(MainWindowTest, CreationPostsTheSetupCommandOnce) {
  ASSERT_TRUE(posted_);
  EXPECT_EQ(command_.hwnd, window_);
  EXPECT_EQ(command_.wParam, static_cast<WPARAM>(CMD_OPEN_SETUP));
  EXPECT_EQ(command_.lParam, 0);
  MSG another;
  EXPECT_FALSE(PeekMessageA(&another, window_, WM_COMMAND, WM_COMMAND, PM_NOREMOVE));
}

TEST_F(MainWindowTest, CreationPaintsTheTitleIntoTheBackgroundOnce) {
  Picture created = ReadPicture(Background.bitmap);

  // The bare picture, and the bare picture painted once more by hand.
  BackgroundRecord kept = Background;
  Background.bitmap = LoadBitmapA(Module(), "ZeltaWin");
  Picture bare = ReadPicture(Background.bitmap);
  PaintTitles(window_);
  Picture once = ReadPicture(Background.bitmap);
  DeleteObject(Background.bitmap);
  Background = kept;

  EXPECT_NE(created, bare);
  EXPECT_EQ(created, once);  // painted twice, the letters' soft edges would darken
}

TEST_F(MainWindowTest, RepaintShowsThePictureAtTwoTwoAndMakesNoFont) {
  UpdateWindow(window_);
  GdiCount count;
  {
    GdiCensus census;
    for (int i = 0; i < 3; ++i) {
      InvalidateRect(window_, nullptr, TRUE);
      UpdateWindow(window_);
    }
    count = census.count();
  }
  ASSERT_GT(count.patched, 0);
  EXPECT_EQ(count.Made(GdiKind::Font), 0);
  EXPECT_EQ(count.Made(GdiKind::Bitmap), 0);
  EXPECT_EQ(count.Made(GdiKind::MemoryDc), 3);  // one copy per repaint
  EXPECT_TRUE(count.Kept(GdiKind::MemoryDc).empty());
  EXPECT_EQ(count.paints, 0);

  Picture picture = ReadPicture(Background.bitmap);
  Picture shown = ReadWindowClient(window_);
  ASSERT_EQ(shown.width, 600 + 2 * GetSystemMetrics(SM_CYDLGFRAME) - 2 * GetSystemMetrics(SM_CXBORDER));
  int wrong = 0;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) wrong += shown.At(x + 2, y + 2) != picture.At(x, y);
  }
  EXPECT_EQ(wrong, 0);
  // Around it the class's grey.
  EXPECT_EQ(shown.At(0, 0), GreyBrush);
  EXPECT_EQ(shown.At(1, 100), GreyBrush);
  EXPECT_EQ(shown.At(300, 1), GreyBrush);
  EXPECT_EQ(shown.At(shown.width - 1, shown.height - 1), GreyBrush);
}

TEST_F(MainWindowTest, DestroyDeletesThePictureAndQuitsWithZero) {
  HBITMAP bitmap = Background.bitmap;
  ASSERT_EQ(GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP));
  DestroyWindow(window_);
  EXPECT_EQ(GetObjectType(bitmap), 0u);
  EXPECT_EQ(Background.bitmap, nullptr);
  EXPECT_EQ(TakeQuitCode(), 0);
}

// A setup dialog that cannot be made would leave a title nobody can close.
TEST_F(MainWindowTest, WithoutItsSetupDialogTheProgramEndsWithAnError) {
  // A module without the dialog template.
  InstallState.Instance = GetModuleHandleA("kernel32.dll");
  SendMessageA(window_, WM_COMMAND, CMD_OPEN_SETUP, 0);
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_EQ(Background.bitmap, nullptr);
  EXPECT_EQ(TakeQuitCode(), WindowsFailedExitCode);
}

// --- Start-up ----------------------------------------------------------------

HHOOK VetoHook = nullptr;

LRESULT CALLBACK VetoMainWindow(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    char name[64] = {};
    GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name);
    if (lstrcmpA(name, "ZeltaCAD WEB Install") == 0) return 1;  // creation refused
  }
  return CallNextHookEx(VetoHook, code, wParam, lParam);
}

// RunInstaller with the main window refused. Were it to wait in its message
// loop regardless, a watchdog ends the wait with code 77 after 10 s.
int RunInstallerWithoutWindow() {
  VetoHook = SetWindowsHookExA(WH_CBT, VetoMainWindow, nullptr, GetCurrentThreadId());
  EXPECT_NE(VetoHook, nullptr);
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD self = GetCurrentThreadId();
  std::thread watchdog([done, self] {
    if (WaitForSingleObject(done, 10000) == WAIT_TIMEOUT) PostThreadMessageA(self, WM_QUIT, 77, 0);
  });
  InstallState.MainWindow = reinterpret_cast<HWND>(1);
  int code = RunInstaller(Module());
  SetEvent(done);
  watchdog.join();
  CloseHandle(done);
  UnhookWindowsHookEx(VetoHook);
  TakeQuitCode();
  return code;
}

TEST(StartUp, EndsWithAnErrorCodeWhenTheMainWindowCannotBeMade) {
  InstallState.Instance = nullptr;
  InstallState.Caption[0] = '\0';
  InstallState.WindowsDirectory[0] = '\0';
  EXPECT_EQ(RunInstallerWithoutWindow(), WindowsFailedExitCode);
  EXPECT_EQ(InstallState.MainWindow, nullptr);
  EXPECT_EQ(Background.bitmap, nullptr);  // the loaded picture is given back
  EXPECT_EQ(FindWindowA("ZeltaCAD WEB Install", nullptr), nullptr);
  // The values later steps take from the start were read all the same.
  EXPECT_EQ(InstallState.Instance, Module());
  EXPECT_STREQ(InstallState.Caption, InstallerCaption);
  char windir[MAX_PATH] = {};
  ASSERT_GT(GetEnvironmentVariableA("windir", windir, sizeof windir), 0u);
  EXPECT_STREQ(InstallState.WindowsDirectory, windir);
}

TEST(StartUp, MissingWindirLeavesTheWindowsDirectoryEmpty) {
  char windir[MAX_PATH] = {};
  ASSERT_GT(GetEnvironmentVariableA("windir", windir, sizeof windir), 0u);
  SetEnvironmentVariableA("windir", nullptr);
  lstrcpyA(InstallState.WindowsDirectory, "stale");
  EXPECT_EQ(RunInstallerWithoutWindow(), WindowsFailedExitCode);
  SetEnvironmentVariableA("windir", windir);
  EXPECT_STREQ(InstallState.WindowsDirectory, "");
}

// A windir the 80-byte field cannot hold is not cut to another folder's
// name: the field stays empty, as for a missing variable.
TEST(StartUp, WindirLongerThanItsFieldLeavesTheWindowsDirectoryEmpty) {
  char windir[MAX_PATH] = {};
  ASSERT_GT(GetEnvironmentVariableA("windir", windir, sizeof windir), 0u);
  struct Case {
    size_t length;
    bool kept;
  } cases[] = {{79, true}, {80, false}, {259, false}, {300, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    const std::string value = "C:\\" + std::string(c.length - 3, 'W');
    SetEnvironmentVariableA("windir", value.c_str());
    lstrcpyA(InstallState.WindowsDirectory, "stale");
    EXPECT_EQ(RunInstallerWithoutWindow(), WindowsFailedExitCode);
    EXPECT_EQ(std::string(InstallState.WindowsDirectory), c.kept ? value : "");
  }
  SetEnvironmentVariableA("windir", windir);
}

// --- CentreWindow ------------------------------------------------------------

class CentreWindowTest : public ::testing::Test {
 protected:
  HWND Make(int left, int top, int right, int bottom) {
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, left, top, right - left, bottom - top, nullptr,
                                  nullptr, nullptr, nullptr);
    EXPECT_NE(window, nullptr);
    windows_.push_back(window);
    return window;
  }
  void TearDown() override {
    for (HWND window : windows_) DestroyWindow(window);
  }
  // Moves a window of the given size over the reference; its new rectangle.
  RECT Centre(int width, int height, RECT reference) {
    HWND over = Make(reference.left, reference.top, reference.right, reference.bottom);
    HWND moving = Make(500, 400, 500 + width, 400 + height);
    CentreWindow(over, moving);
    return WindowRect(moving);
  }
  std::vector<HWND> windows_;
};

TEST_F(CentreWindowTest, ReferenceOfTheSameSizeGivesItsCorner) {
  RECT moved = Centre(100, 50, RECT{10, 10, 110, 60});
  EXPECT_EQ(moved.left, 10);
  EXPECT_EQ(moved.top, 10);
  EXPECT_EQ(moved.right - moved.left, 100);
  EXPECT_EQ(moved.bottom - moved.top, 50);
}

TEST_F(CentreWindowTest, NegativeCornerBecomesZero) {
  RECT moved = Centre(100, 50, RECT{0, 0, 40, 20});  // would be (-30, -15)
  EXPECT_EQ(moved.left, 0);
  EXPECT_EQ(moved.top, 0);
  EXPECT_EQ(moved.right - moved.left, 100);
  EXPECT_EQ(moved.bottom - moved.top, 50);
}

TEST_F(CentreWindowTest, HalvesTowardZero) {
  // (10 - 101) / 2 is -45 and (10 - 51) / 2 is -20, not -46 and -21.
  RECT moved = Centre(101, 51, RECT{50, 50, 60, 60});
  EXPECT_EQ(moved.left, 5);
  EXPECT_EQ(moved.top, 30);
}

TEST_F(CentreWindowTest, NothingIsHeldAtTheRightOrBottom) {
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  RECT moved = Centre(100, 50, RECT{sw - 20, sh - 10, sw, sh});
  EXPECT_EQ(moved.left, sw - 20 - 40);
  EXPECT_EQ(moved.top, sh - 10 - 20);
  EXPECT_GT(moved.right, sw);
  EXPECT_GT(moved.bottom, sh);
}

// --- AboutBox ----------------------------------------------------------------

struct DialogItem {
  std::string className;
  int id;
  std::string text;
  LONG style;
  HANDLE icon;
};

struct AboutView {
  bool seen = false;
  std::string caption;
  std::vector<DialogItem> items;
  int focusId = 0;  // the item with the keyboard focus
};

bool IsOurVisibleAboutBox(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return window != nullptr && pid == GetCurrentProcessId() && IsWindowVisible(window);
}

// Runs the AboutBox on this thread while another thread looks at it and then
// does `act` to it, as a user would. Returns the dialog's result; -2 when
// the act did not close it (the watcher then ends it).
INT_PTR RunAboutBox(const std::function<void(HWND)>& act, AboutView* view) {
  std::thread watcher([&act, view] {
    HWND dialog = nullptr;
    if (!WaitUntil([&] { return IsOurVisibleAboutBox(dialog = FindWindowA("#32770", AboutCaption)); })) return;
    view->seen = true;
    view->caption = WindowText(dialog);
    for (HWND item = GetWindow(dialog, GW_CHILD); item != nullptr; item = GetWindow(item, GW_HWNDNEXT)) {
      char name[64] = {};
      GetClassNameA(item, name, sizeof name);
      HANDLE icon = reinterpret_cast<HANDLE>(SendMessageA(item, STM_GETICON, 0, 0));
      view->items.push_back({name, GetDlgCtrlID(item), WindowText(item), GetWindowLongA(item, GWL_STYLE), icon});
    }
    GUITHREADINFO input = {};
    input.cbSize = sizeof input;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &input)) view->focusId = GetDlgCtrlID(input.hwndFocus);
    act(dialog);
    if (!WaitUntil([dialog] { return !IsWindow(dialog); })) EndDialog(dialog, -2);
  });
  INT_PTR result = DialogBoxParamA(Module(), "AboutBox", nullptr, AboutBoxProc, 0);
  watcher.join();
  return result;
}

// A key pressed and let go where the keyboard focus is.
void PressKey(HWND dialog, WPARAM key) {
  GUITHREADINFO input = {};
  input.cbSize = sizeof input;
  GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &input);
  HWND target = input.hwndFocus != nullptr ? input.hwndFocus : GetDlgItem(dialog, IDOK);
  UINT scan = MapVirtualKeyA(static_cast<UINT>(key), 0);
  PostMessageA(target, WM_KEYDOWN, key, 1 | (scan << 16));
  PostMessageA(target, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000u);
}

TEST(AboutBox, ShowsTheProductTheInstallerAndTheMaker) {
  AboutView view;
  INT_PTR result = RunAboutBox([](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDOK, 0); }, &view);
  ASSERT_TRUE(view.seen);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(view.caption, AboutCaption);
  ASSERT_EQ(view.items.size(), 6u);
  const std::string texts[] = {
    "ZeltaCAD 'Windows10' V9.21",
    "Telep\xEDt\xF5 alrendszer",
    LoadText(IDS_MAKER_NAME) + " " + LoadText(IDS_PRODUCT_YEARS),  // the title picture's maker and years
    LoadText(IDS_RIGHTS_RESERVED),
  };
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(view.items[i].text, texts[i]) << "item " << i + 1;
    EXPECT_EQ(view.items[i].style & SS_TYPEMASK, SS_CENTER) << "item " << i + 1;
  }
  EXPECT_EQ(view.items[4].style & SS_TYPEMASK, SS_ICON);
  EXPECT_NE(view.items[4].icon, nullptr);  // the "ZeltaWin" icon was found
  EXPECT_EQ(view.items[5].id, IDOK);
  EXPECT_EQ(view.items[5].text, "Rendben");
  EXPECT_EQ(view.items[5].style & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  EXPECT_EQ(view.focusId, IDOK);  // the default focus
}

struct CloseWay {
  const char* name;
  std::function<void(HWND)> act;
};

class AboutBoxCloses : public ::testing::TestWithParam<int> {};

const CloseWay CloseWays[] = {
  {"OK", [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDOK, 0); }},
  {"Cancel", [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); }},
  {"Enter", [](HWND dialog) { PressKey(dialog, VK_RETURN); }},
  {"Escape", [](HWND dialog) { PressKey(dialog, VK_ESCAPE); }},
  {"CloseBox", [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
};

TEST_P(AboutBoxCloses, WithResultOne) {
  const CloseWay& way = CloseWays[GetParam()];
  AboutView view;
  INT_PTR result = RunAboutBox(way.act, &view);
  ASSERT_TRUE(view.seen) << way.name;
  EXPECT_EQ(result, 1) << way.name;
}

INSTANTIATE_TEST_SUITE_P(EveryWay, AboutBoxCloses, ::testing::Range(0, 5),
                         [](const ::testing::TestParamInfo<int>& info) { return std::string(CloseWays[info.param].name); });

// --- The program, run whole --------------------------------------------------

std::string ProgramPath() {
  char path[MAX_PATH] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string self(path, n);
  return self.substr(0, self.find_last_of('\\') + 1) + ZELTA_PROGRAM;
}

TEST(Program, ShowsTheTitleThenItsSetupDialogAndEndsWithZero) {
  InstallerSession program;
  ASSERT_TRUE(program.Start(ProgramPath())) << ProgramPath();

  HWND main = program.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  // Command 500 opens the setup dialog over the title, owned by it.
  HWND setup = program.WaitForSetupDialog();
  ASSERT_NE(setup, nullptr);
  EXPECT_EQ(GetWindow(setup, GW_OWNER), main);
  EXPECT_FALSE(IsWindowEnabled(main));  // behind a modal dialog

  const int frame = GetSystemMetrics(SM_CYDLGFRAME);
  const int width = 600 + 2 * frame, height = 350 + 2 * frame;
  RECT rect = WindowRect(main);
  EXPECT_EQ(rect.right - rect.left, width);
  EXPECT_EQ(rect.bottom - rect.top, height);
  EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
  EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
  EXPECT_EQ(WindowText(main), InstallerCaption);

  // Closing the title window takes the dialog with it and ends the program.
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.WaitForExit(15000), 0);
}

}  // namespace
