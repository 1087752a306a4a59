// The setup dialog and the drive chooser from the program's own resources,
// run as the main window runs them, while a "user" thread reads the dialog,
// types into the drive field, clicks and answers the message boxes.
//
// Under ctest the program runs through tests/win/with_test_drive.sh, which
// maps one more drive (ZELTA_TEST_DRIVE) to a temporary folder; the prefix
// itself has C: and Z: only, so D: is a drive that is not ready.
#include <windows.h>

#include <gtest/gtest.h>

#include <direct.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/install_state.h"
#include "resources/resource_ids.h"
#include "setup/setup_dialog.h"
#include "tests/win/message_box_answerer.h"
#include "tests/win/wait_until.h"

namespace {

const char SetupCaption[] = "ZeltaCAD DEMO letöltés a WEB-ről:";
const char ChooserCaption[] = "Cél meghajtó kijelölése:";
const char AboutCaption[] = "Információk!";
const char BadLetterMessage[] = "Cél meghajtó kijelölési hiba! [a - z, A - Z]";
const char MissingDrive = 'D';

std::string NotReadyMessage(char letter) {
  return std::string("A cél meghajtó - ") + letter + ": - nem üzemképes, vagy más hiba!";
}

// The drive the test script maps, upper case; 0 outside the script.
char TestDrive() {
  const char* value = getenv("ZELTA_TEST_DRIVE");
  if (value == nullptr || value[0] < 'A' || value[0] > 'Z') return 0;
  return value[0];
}

int DriveNumber(char letter) {
  return letter - 'A' + 1;
}

bool DriveExists(char letter) {
  return (GetLogicalDrives() >> (letter - 'A')) & 1;
}

// A dialog counts as there once it is visible: it can be found before its
// initialisation has run.
HWND WaitForDialog(const char* caption) {
  HWND found = nullptr;
  WaitUntil([&] {
    found = FindWindowA("#32770", caption);
    return found != nullptr && IsWindowVisible(found);
  });
  return found != nullptr && IsWindowVisible(found) ? found : nullptr;
}

std::string WindowText(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ItemText(HWND dialog, int item) {
  return WindowText(GetDlgItem(dialog, item));
}

bool Checked(HWND dialog, int item) {
  return IsDlgButtonChecked(dialog, item) == BST_CHECKED;
}

bool Enabled(HWND dialog, int item) {
  return IsWindowEnabled(GetDlgItem(dialog, item)) != FALSE;
}

// Sends and returns once the dialog's thread has handled the message,
// message boxes it showed meanwhile included (someone must answer them).
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, StatePatience, &result);
  return static_cast<LRESULT>(result);
}

void Click(HWND dialog, int item) {
  Send(GetDlgItem(dialog, item), BM_CLICK, 0, 0);
}

// For buttons that open a modal window: the click must not wait for it.
void ClickLater(HWND dialog, int item) {
  PostMessageA(GetDlgItem(dialog, item), BM_CLICK, 0, 0);
}

// A real mouse click on an item's check box, through the system's input
// queue: a disabled item gets none. Returns before the dialog has seen it.
void MouseClick(HWND dialog, int item) {
  // Real input goes to whatever lies on top at that point of the screen:
  // windows of earlier tests (an explorer window of the program group, say)
  // must not catch it.
  SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  RECT box;
  GetWindowRect(GetDlgItem(dialog, item), &box);
  // Every event carries the point itself: a cursor moved beforehand may not
  // have arrived when a loaded machine delivers the press.
  const int x = box.left + 6, y = (box.top + box.bottom) / 2;
  const LONG dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  const LONG dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  const DWORD flags[3] = {MOUSEEVENTF_MOVE, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
  INPUT press[3] = {};
  for (int i = 0; i < 3; ++i) {
    press[i].type = INPUT_MOUSE;
    press[i].mi.dx = dx;
    press[i].mi.dy = dy;
    press[i].mi.dwFlags = flags[i] | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  }
  SendInput(3, press, sizeof(INPUT));
}

// One keystroke at the end of the drive field.
void TypeAtEnd(HWND dialog, char c) {
  HWND field = GetDlgItem(dialog, IDC_TARGET_DRIVE);
  int length = GetWindowTextLengthA(field);
  Send(field, EM_SETSEL, length, length);
  Send(field, WM_CHAR, static_cast<unsigned char>(c), 1);
}

void SetField(HWND dialog, const char* text) {
  Send(GetDlgItem(dialog, IDC_TARGET_DRIVE), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

// Ends every dialog of a thread: the last resort of a user who got lost,
// so that a failing test does not hang.
BOOL CALLBACK CancelDialog(HWND window, LPARAM) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::string(name) == "#32770") PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
  return TRUE;
}

class SetupDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetInstallState();
    InstallState.Instance = GetModuleHandleA(nullptr);
    LoadStringA(InstallState.Instance, IDS_CAPTION, InstallState.Caption, CaptionSize);
    main_ = CreateWindowExA(0, "STATIC", "main window stand-in", WS_POPUP | WS_VISIBLE, 100, 100, 600, 350,
                            nullptr, nullptr, InstallState.Instance, nullptr);
    ASSERT_NE(main_, nullptr);
    InstallState.MainWindow = main_;
    // Z: current: the dialog has to make C: current itself.
    ASSERT_EQ(_chdrive(26), 0);
  }

  void TearDown() override {
    if (IsWindow(main_)) DestroyWindow(main_);
    _chdrive(3);
  }

  // Runs the setup dialog on this thread as the main window does, while
  // `user` acts on it from another thread; Mégsem ends it afterwards if it
  // is still open. Returns the dialog's result.
  INT_PTR Run(const std::function<void(HWND dialog)>& user) {
    DWORD interfaceThread = GetCurrentThreadId();
    std::thread actor([&] {
      HWND dialog = WaitForDialog(SetupCaption);
      if (dialog == nullptr) {
        ADD_FAILURE() << "the setup dialog did not appear";
        EnumThreadWindows(interfaceThread, CancelDialog, 0);
        return;
      }
      if (user) user(dialog);
      if (IsWindow(dialog)) ClickLater(dialog, IDCANCEL);
      if (!WaitUntil([&] { return !IsWindow(dialog); })) {
        ADD_FAILURE() << "the setup dialog did not close";
        EnumThreadWindows(interfaceThread, CancelDialog, 0);
      }
    });
    INT_PTR result = DialogBoxParamA(InstallState.Instance, "ZeltaWin", main_, SetupDialogProc, 0);
    actor.join();
    return result;
  }

  HWND main_ = nullptr;
};

// The drive tests need the mapped drive and a missing D:.
class SetupDriveTest : public SetupDialogTest {
 protected:
  void SetUp() override {
    SetupDialogTest::SetUp();
    if (TestDrive() == 0) GTEST_SKIP() << "no ZELTA_TEST_DRIVE (run through tests/win/with_test_drive.sh)";
    ASSERT_TRUE(DriveExists(TestDrive())) << TestDrive() << ": is not mapped";
    ASSERT_FALSE(DriveExists(MissingDrive)) << "the prefix has a " << MissingDrive << ": drive";
  }
};

TEST_F(SetupDialogTest, StartsOnDriveCWithEveryComponentChosen) {
  // Left-overs the dialog must clear or replace.
  InstallState.ComponentOnDisc[ComponentHelp][6] = 1;
  InstallState.ComponentChosen[ComponentDrawings] = 0;
  InstallState.TargetDrive = 9;
  char setupCaption[TextSize] = {};
  LoadStringA(InstallState.Instance, IDS_SETUP_CAPTION, setupCaption, sizeof setupCaption);

  MessageBoxAnswerer boxes(InstallState.Caption, std::vector<int>{IDOK});
  Run([&](HWND dialog) {
    EXPECT_EQ(WindowText(dialog), setupCaption);
    EXPECT_EQ(ItemText(dialog, IDC_TARGET_DRIVE), "C:");
    EXPECT_EQ(InstallState.TargetDrive, 3);
    EXPECT_EQ(_getdrive(), 3);
    EXPECT_STREQ(InstallState.RootDirectory, "V92EDemo");
    EXPECT_EQ(Send(GetDlgItem(dialog, IDC_TARGET_DRIVE), EM_GETLIMITTEXT, 0, 0), 3);

    for (int c = 0; c < ComponentCount; ++c) {
      SCOPED_TRACE(Components[c].Key);
      EXPECT_EQ(InstallState.ComponentChosen[c], 1);
      EXPECT_TRUE(Checked(dialog, Components[c].CheckBoxId));
      EXPECT_EQ(ItemText(dialog, Components[c].CheckBoxId), Components[c].Label);
      for (int disc = 0; disc < DiscCount; ++disc) EXPECT_EQ(InstallState.ComponentOnDisc[c][disc], disc == 0);
      bool optional = c != ComponentSetup && c != ComponentSystems;
      EXPECT_EQ(Enabled(dialog, Components[c].CheckBoxId), optional);
    }
    EXPECT_TRUE(Checked(dialog, IDC_START_AFTER_INSTALL));
    EXPECT_TRUE(Enabled(dialog, IDC_START_AFTER_INSTALL));
    EXPECT_EQ(ItemText(dialog, IDC_START_AFTER_INSTALL), "A telepítés után az ZeltaCAD rendszer elindul");

    EXPECT_TRUE(Enabled(dialog, IDC_TARGET_DRIVE));
    EXPECT_TRUE(Enabled(dialog, IDC_CHOOSE_DRIVE));
    EXPECT_TRUE(Enabled(dialog, IDOK));
    EXPECT_TRUE(Enabled(dialog, IDCANCEL));
    EXPECT_TRUE(Enabled(dialog, IDC_ABOUT_BUTTON));
    EXPECT_FALSE(Enabled(dialog, IDC_HELP_BUTTON));
    EXPECT_EQ(ItemText(dialog, IDC_CHOOSE_DRIVE), "Cél meghajtó kijelölés >>>");
    EXPECT_EQ(ItemText(dialog, IDOK), "Telepítés");
    EXPECT_EQ(ItemText(dialog, IDCANCEL), "Mégsem");
    EXPECT_EQ(ItemText(dialog, IDC_ABOUT_BUTTON), "Infó");
    EXPECT_EQ(ItemText(dialog, IDC_HELP_BUTTON), "Súgó");
  });
  EXPECT_TRUE(boxes.texts().empty());
}

TEST_F(SetupDialogTest, StartBoxShowsAndTogglesStartAfterInstall) {
  InstallState.StartAfterInstall = 0;
  std::vector<bool> marks;
  std::vector<int> values;
  Run([&](HWND dialog) {
    for (int i = 0; i < 3; ++i) {
      marks.push_back(Checked(dialog, IDC_START_AFTER_INSTALL));
      values.push_back(InstallState.StartAfterInstall);
      Click(dialog, IDC_START_AFTER_INSTALL);
    }
  });
  EXPECT_EQ(marks, (std::vector<bool>{false, true, false}));
  EXPECT_EQ(values, (std::vector<int>{0, 1, 0}));
  EXPECT_EQ(InstallState.StartAfterInstall, 1);  // the third click
}

TEST_F(SetupDialogTest, OptionalComponentsToggleAndStayDeselected) {
  const Component optional[] = {ComponentDrawings, ComponentBlocks, ComponentProjects, ComponentDatas,
                                ComponentHelp};
  Run([&](HWND dialog) {
    for (Component c : optional) {
      SCOPED_TRACE(Components[c].Key);
      Click(dialog, Components[c].CheckBoxId);
      EXPECT_EQ(InstallState.ComponentChosen[c], 0);
      EXPECT_FALSE(Checked(dialog, Components[c].CheckBoxId));
    }
    // Each box changes its own component only.
    Click(dialog, IDC_COMPONENT_BLOCKS);
    EXPECT_EQ(InstallState.ComponentChosen[ComponentBlocks], 1);
    EXPECT_TRUE(Checked(dialog, IDC_COMPONENT_BLOCKS));
    EXPECT_EQ(InstallState.ComponentChosen[ComponentDrawings], 0);
    EXPECT_EQ(InstallState.ComponentChosen[ComponentProjects], 0);
    // Setup and Systems do not take the mouse. Input comes in order: once
    // the click on Help after them has arrived, theirs have been handled.
    EXPECT_FALSE(Enabled(dialog, IDC_COMPONENT_SETUP));
    EXPECT_FALSE(Enabled(dialog, IDC_COMPONENT_SYSTEMS));
    MouseClick(dialog, IDC_COMPONENT_SETUP);
    MouseClick(dialog, IDC_COMPONENT_SYSTEMS);
    MouseClick(dialog, IDC_COMPONENT_HELP);
    EXPECT_TRUE(WaitUntil([] { return InstallState.ComponentChosen[ComponentHelp] == 1; }));
    EXPECT_TRUE(Checked(dialog, IDC_COMPONENT_SETUP));
    EXPECT_TRUE(Checked(dialog, IDC_COMPONENT_SYSTEMS));
    MouseClick(dialog, IDC_COMPONENT_HELP);
    EXPECT_TRUE(WaitUntil([] { return InstallState.ComponentChosen[ComponentHelp] == 0; }));
  });
  EXPECT_EQ(InstallState.ComponentChosen[ComponentSetup], 1);
  EXPECT_EQ(InstallState.ComponentChosen[ComponentSystems], 1);
  EXPECT_EQ(InstallState.ComponentChosen[ComponentBlocks], 1);
  for (Component c : {ComponentDrawings, ComponentProjects, ComponentDatas, ComponentHelp})
    EXPECT_EQ(InstallState.ComponentChosen[c], 0) << Components[c].Key;
}

TEST_F(SetupDialogTest, CancelEndsTheApplication) {
  HWND seen = nullptr;
  INT_PTR result = Run([&](HWND dialog) {
    seen = dialog;
    ClickLater(dialog, IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  });
  EXPECT_NE(seen, nullptr);
  EXPECT_NE(result, -1);
  EXPECT_FALSE(IsWindow(seen));
  EXPECT_FALSE(IsWindow(main_));  // the main window goes too: the program ends
}

TEST_F(SetupDialogTest, InfoOpensTheAboutBoxOverTheDialog) {
  bool opened = false;
  Run([&](HWND dialog) {
    ClickLater(dialog, IDC_ABOUT_BUTTON);
    HWND about = WaitForDialog(AboutCaption);
    opened = about != nullptr;
    if (!opened) return;
    EXPECT_EQ(GetWindow(about, GW_OWNER), dialog);
    EXPECT_FALSE(IsWindowEnabled(dialog));  // modal over the setup dialog
    ClickLater(about, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(dialog) != FALSE; }));
  });
  EXPECT_TRUE(opened);
}

TEST_F(SetupDriveTest, TypedLetterOfAReadyDriveBecomesTheTarget) {
  const char drive = TestDrive();
  const char typed = static_cast<char>(drive + 32);  // kept in the case it was typed
  MessageBoxAnswerer boxes(InstallState.Caption, std::vector<int>{IDOK});
  Run([&](HWND dialog) {
    TypeAtEnd(dialog, typed);
    EXPECT_EQ(ItemText(dialog, IDC_TARGET_DRIVE), std::string(1, typed) + ":");
    EXPECT_EQ(InstallState.TargetDrive, DriveNumber(drive));
    EXPECT_EQ(_getdrive(), DriveNumber(drive));

    // The text typed over the whole field counts as well.
    HWND field = GetDlgItem(dialog, IDC_TARGET_DRIVE);
    Send(field, EM_SETSEL, 0, -1);
    Send(field, WM_CHAR, 'C', 1);
    EXPECT_EQ(ItemText(dialog, IDC_TARGET_DRIVE), "C:");
    EXPECT_EQ(InstallState.TargetDrive, 3);
    EXPECT_EQ(_getdrive(), 3);
  });
  EXPECT_EQ(boxes.texts(), std::vector<std::string>{});
}

TEST_F(SetupDriveTest, DriveThatIsNotReadyShowsMessageTwoAndKeepsTheTarget) {
  const char drive = TestDrive();
  MessageBoxAnswerer boxes(InstallState.Caption, std::vector<int>{IDOK});
  Run([&](HWND dialog) {
    TypeAtEnd(dialog, drive);
    ASSERT_EQ(InstallState.TargetDrive, DriveNumber(drive));
    TypeAtEnd(dialog, 'd');
    EXPECT_EQ(ItemText(dialog, IDC_TARGET_DRIVE), "d:");
    EXPECT_EQ(InstallState.TargetDrive, DriveNumber(drive));
    EXPECT_EQ(_getdrive(), DriveNumber(drive));
  });
  EXPECT_EQ(boxes.texts(), (std::vector<std::string>{NotReadyMessage(MissingDrive)}));
}

TEST_F(SetupDriveTest, FieldWithoutLetterShowsMessageOne) {
  std::vector<std::string> fields;
  MessageBoxAnswerer boxes(InstallState.Caption, std::vector<int>{IDOK});
  Run([&](HWND dialog) {
    SetField(dialog, "1");
    fields.push_back(ItemText(dialog, IDC_TARGET_DRIVE));
    SetField(dialog, "");
    fields.push_back(ItemText(dialog, IDC_TARGET_DRIVE));
    EXPECT_EQ(InstallState.TargetDrive, 3);
  });
  EXPECT_EQ(fields, (std::vector<std::string>{"1:", ""}));
  EXPECT_EQ(boxes.texts(), (std::vector<std::string>{BadLetterMessage, BadLetterMessage}));
}

TEST_F(SetupDriveTest, TypedColonIsLeftAloneAndInstallChecksTheFirstCharacter) {
  MessageBoxAnswerer boxes(InstallState.Caption, std::vector<int>{IDOK});
  Run([&](HWND dialog) {
    TypeAtEnd(dialog, ':');
    EXPECT_EQ(ItemText(dialog, IDC_TARGET_DRIVE), "C::");
    EXPECT_EQ(InstallState.TargetDrive, 3);

    // An invalid first character: Install stops at message 1 and the
    // progress dialog never opens (it would disable Install).
    SetField(dialog, "#");
    Click(dialog, IDOK);
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_TRUE(Enabled(dialog, IDOK));
    EXPECT_EQ(InstallState.SetupDialog, nullptr);
    EXPECT_EQ(InstallState.TargetDrive, 3);
  });
  EXPECT_EQ(boxes.texts(), (std::vector<std::string>{BadLetterMessage, BadLetterMessage}));
}

// The chooser's drive list entry for a letter: "x: ..." on Windows, "[-x-]"
// under Wine. -1 when there is none.
int FindDriveEntry(HWND list, char letter) {
  char lower = static_cast<char>(letter | 0x20);
  int count = static_cast<int>(Send(list, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    int length = static_cast<int>(Send(list, CB_GETLBTEXTLEN, i, 0));
    if (length < 0 || length >= 256) continue;
    char text[256] = {};
    Send(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    std::string entry = text;
    if (entry == std::string("[-") + lower + "-]") return i;
    if (entry.size() >= 2 && (entry[0] | 0x20) == lower && entry[1] == ':') return i;
  }
  return -1;
}

// Opens the chooser with its button and waits for it.
HWND OpenChooser(HWND dialog) {
  ClickLater(dialog, IDC_CHOOSE_DRIVE);
  return WaitForDialog(ChooserCaption);
}

// Selects an entry of the drive list as the user does.
void SelectEntry(HWND chooser, int index) {
  HWND list = GetDlgItem(chooser, IDC_DRIVE_LIST);
  Send(list, CB_SETCURSEL, index, 0);
  Send(chooser, WM_COMMAND, MAKEWPARAM(IDC_DRIVE_LIST, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

// Presses a chooser button, waits until the chooser has gone and the setup
// dialog has finished with what it got.
bool CloseChooser(HWND dialog, HWND chooser, int button) {
  ClickLater(chooser, button);
  bool closed = WaitUntil([&] { return !IsWindow(chooser); });
  Send(dialog, WM_NULL, 0, 0);
  return closed;
}

TEST_F(SetupDriveTest, ChooserShowsOnlyTheDriveListAndPicksADrive) {
  const char drive = TestDrive();
  MessageBoxAnswerer boxes(InstallState.Caption, std::vector<int>{IDOK});
  Run([&](HWND dialog) {
    HWND chooser = OpenChooser(dialog);
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(GetWindow(chooser, GW_OWNER), dialog);
    HWND list = GetDlgItem(chooser, IDC_DRIVE_LIST);
    EXPECT_TRUE(IsWindowVisible(list));
    EXPECT_EQ(ItemText(chooser, IDOK), "Rendben");
    EXPECT_EQ(ItemText(chooser, IDCANCEL), "Eldob");
    // The dialog's other items exist but show nothing.
    for (int item : {1088, 1089, 1090, 1091, 1152, 1120, 1121, 1136, 1040, 1038}) {
      HWND hidden = GetDlgItem(chooser, item);
      EXPECT_TRUE(hidden == nullptr || !IsWindowVisible(hidden)) << item;
    }
    EXPECT_GE(FindDriveEntry(list, 'C'), 0);
    EXPECT_LT(FindDriveEntry(list, MissingDrive), 0);
    int entry = FindDriveEntry(list, drive);
    ASSERT_GE(entry, 0);
    SelectEntry(chooser, entry);
    EXPECT_TRUE(CloseChooser(dialog, chooser, IDOK));
    EXPECT_EQ(ItemText(dialog, IDC_TARGET_DRIVE), std::string(1, drive) + ":");
    EXPECT_EQ(InstallState.TargetDrive, DriveNumber(drive));
    EXPECT_EQ(_getdrive(), DriveNumber(drive));

    // And back to C:, so a second pick starts from another drive.
    chooser = OpenChooser(dialog);
    ASSERT_NE(chooser, nullptr);
    SelectEntry(chooser, FindDriveEntry(GetDlgItem(chooser, IDC_DRIVE_LIST), 'C'));
    EXPECT_TRUE(CloseChooser(dialog, chooser, IDOK));
    EXPECT_EQ(ItemText(dialog, IDC_TARGET_DRIVE), "C:");
    EXPECT_EQ(InstallState.TargetDrive, 3);
  });
  EXPECT_EQ(boxes.texts(), std::vector<std::string>{});
}

TEST_F(SetupDriveTest, ChooserCancelChangesNothing) {
  const char drive = TestDrive();
  MessageBoxAnswerer boxes(InstallState.Caption, std::vector<int>{IDOK});
  Run([&](HWND dialog) {
    HWND chooser = OpenChooser(dialog);
    ASSERT_NE(chooser, nullptr);
    SelectEntry(chooser, FindDriveEntry(GetDlgItem(chooser, IDC_DRIVE_LIST), drive));
    EXPECT_TRUE(CloseChooser(dialog, chooser, IDCANCEL));
    EXPECT_EQ(ItemText(dialog, IDC_TARGET_DRIVE), "C:");
    EXPECT_EQ(InstallState.TargetDrive, 3);

    chooser = OpenChooser(dialog);
    ASSERT_NE(chooser, nullptr);
    PostMessageA(chooser, WM_CLOSE, 0, 0);  // the close box
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(chooser); }));
    Send(dialog, WM_NULL, 0, 0);
    EXPECT_EQ(ItemText(dialog, IDC_TARGET_DRIVE), "C:");
    EXPECT_EQ(InstallState.TargetDrive, 3);
  });
  EXPECT_EQ(boxes.texts(), std::vector<std::string>{});
}

TEST_F(SetupDriveTest, ChooserRejectsAnEntryThatNamesNoDrive) {
  MessageBoxAnswerer boxes(InstallState.Caption, std::vector<int>{IDOK});
  Run([&](HWND dialog) {
    HWND chooser = OpenChooser(dialog);
    ASSERT_NE(chooser, nullptr);
    HWND list = GetDlgItem(chooser, IDC_DRIVE_LIST);
    int odd = static_cast<int>(Send(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("[..]")));
    ASSERT_GE(odd, 0);
    Send(list, CB_SETCURSEL, odd, 0);
    EXPECT_TRUE(CloseChooser(dialog, chooser, IDOK));
    EXPECT_EQ(ItemText(dialog, IDC_TARGET_DRIVE), "C:");
    EXPECT_EQ(InstallState.TargetDrive, 3);
  });
  EXPECT_EQ(boxes.texts(), (std::vector<std::string>{BadLetterMessage}));
}

}  // namespace
