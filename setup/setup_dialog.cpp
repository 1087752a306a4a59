#include "setup/setup_dialog.h"

#include <direct.h>

#include <cstdint>

#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "install/progress_dialog.h"
#include "resources/resource_ids.h"
#include "setup/about_box.h"
#include "setup/drive_chooser.h"
#include "setup/target_drive.h"

namespace {

const int SystemDrive = 3;  // C:
const char DefaultRootDirectory[] = "V92EDemo";
const int DriveFieldLimit = 3;

struct SetupDialogRecord {
  // 1 while the drive field's change handling runs: the handling writes the
  // field itself, which must not start it again.
  int32_t DriveFieldBusy;
};

SetupDialogRecord Setup = {0};

void SetCheckMark(HWND dialog, int item, int32_t on) {
  CheckDlgButton(dialog, item, on ? BST_CHECKED : BST_UNCHECKED);
}

void EnableItem(HWND dialog, int item, bool on) {
  EnableWindow(GetDlgItem(dialog, item), on ? TRUE : FALSE);
}

// Offered: some disc holds files of the component.
bool ComponentOffered(int component) {
  for (int disc = 0; disc < DiscCount; ++disc)
    if (InstallState.ComponentOnDisc[component][disc] == 1) return true;
  return false;
}

BOOL OnSetupInit(HWND dialog) {
  _chdrive(SystemDrive);  // if C: cannot be made current, the field shows the drive that is
  ShowCurrentDrive(dialog);
  TextCopy(InstallState.RootDirectory, DefaultRootDirectory);
  EnableItem(dialog, IDC_HELP_BUTTON, false);
  InstallState.ComponentChosen[ComponentSetup] = 1;

  char caption[TextSize];
  if (LoadStringA(InstallState.Instance, IDS_SETUP_CAPTION, caption, sizeof caption) > 0)
    SetWindowTextA(dialog, caption);

  // Before the catalogue is read every component counts as present.
  for (int c = 0; c < ComponentCount; ++c)
    for (int disc = 0; disc < DiscCount; ++disc) InstallState.ComponentOnDisc[c][disc] = 0;
  for (int c = 0; c < ComponentCount; ++c) InstallState.ComponentOnDisc[c][0] = 1;

  SetCheckMark(dialog, IDC_COMPONENT_SETUP, InstallState.ComponentChosen[ComponentSetup]);
  EnableItem(dialog, IDOK, true);
  EnableItem(dialog, IDC_CHOOSE_DRIVE, true);
  EnableItem(dialog, IDC_TARGET_DRIVE, true);
  RefreshComponentBoxes(dialog);
  SendDlgItemMessageA(dialog, IDC_TARGET_DRIVE, EM_LIMITTEXT, DriveFieldLimit, 0);
  return TRUE;
}

// The field keeps one letter and a colon: what was just typed replaces the
// rest, and the drive is checked at once.
void OnDriveFieldChange(HWND dialog) {
  if (Setup.DriveFieldBusy) return;
  Setup.DriveFieldBusy = 1;

  HWND field = GetDlgItem(dialog, IDC_TARGET_DRIVE);
  char text[TextSize] = {};
  int length = GetWindowTextA(field, text, sizeof text);
  DWORD start = 0;
  DWORD end = 0;
  SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  // The caret can only lie beyond what was read when the text is longer
  // than the buffer; then the text stands as read.
  if (start == end && start > 0 && start <= static_cast<DWORD>(length)) {
    text[0] = text[start - 1];
    text[1] = '\0';
  }

  if (text[0] == ':') {
    Setup.DriveFieldBusy = 0;
    return;
  }
  if (text[1] != ':') {
    char drive[3] = {text[0], ':', '\0'};
    SetWindowTextA(field, drive);
  }
  CheckTargetDrive(dialog);
  Setup.DriveFieldBusy = 0;
}

void OnInstall(HWND dialog) {
  if (CheckTargetDrive(dialog) != 0) return;
  // On 0 the progress dialog has already destroyed this dialog.
  if (RunProgressDialog(dialog) == 0) DestroyWindow(InstallState.MainWindow);
}

void OnCancel(HWND dialog) {
  EndDialog(dialog, 1);
  DestroyWindow(InstallState.MainWindow);
}

void ToggleStartAfterInstall(HWND dialog) {
  InstallState.StartAfterInstall = InstallState.StartAfterInstall ? 0 : 1;
  SetCheckMark(dialog, IDC_START_AFTER_INSTALL, InstallState.StartAfterInstall);
}

void ToggleComponent(HWND dialog, int item) {
  int component = item - IDC_COMPONENT_SETUP;
  int32_t& chosen = InstallState.ComponentChosen[component];
  chosen = chosen ? 0 : 1;
  SetCheckMark(dialog, item, chosen);
}

void ShowAboutBox(HWND dialog) {
  DialogBoxParamA(InstallState.Instance, "AboutBox", dialog, AboutBoxProc, 0);
}

void OnSetupCommand(HWND dialog, WORD item, WORD notification) {
  switch (item) {
    case IDOK:
      OnInstall(dialog);
      break;
    case IDCANCEL:
      OnCancel(dialog);
      break;
    case IDC_TARGET_DRIVE:
      if (notification == EN_CHANGE) OnDriveFieldChange(dialog);
      break;
    case IDC_START_AFTER_INSTALL:
      ToggleStartAfterInstall(dialog);
      break;
    case IDC_CHOOSE_DRIVE:
      ChooseTargetDrive(dialog);
      break;
    case IDC_COMPONENT_SETUP:
    case IDC_COMPONENT_SYSTEMS:
    case IDC_COMPONENT_DRAWINGS:
    case IDC_COMPONENT_BLOCKS:
    case IDC_COMPONENT_PROJECTS:
    case IDC_COMPONENT_DATAS:
    case IDC_COMPONENT_HELP:
      ToggleComponent(dialog, item);
      break;
    case IDC_ABOUT_BUTTON:
      ShowAboutBox(dialog);
      break;
    default:
      break;
  }
}

}  // namespace

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return OnSetupInit(dialog);
    case WM_COMMAND:
      OnSetupCommand(dialog, LOWORD(wParam), HIWORD(wParam));
      return FALSE;
    default:
      return FALSE;
  }
}

void RefreshComponentBoxes(HWND dialog) {
  SetCheckMark(dialog, IDC_START_AFTER_INSTALL, InstallState.StartAfterInstall);
  EnableItem(dialog, IDC_START_AFTER_INSTALL, true);

  // Systems is never optional: chosen whenever it is offered.
  if (ComponentOffered(ComponentSystems)) InstallState.ComponentChosen[ComponentSystems] = 1;
  SetCheckMark(dialog, IDC_COMPONENT_SYSTEMS, InstallState.ComponentChosen[ComponentSystems]);

  const Component optional[] = {ComponentDrawings, ComponentBlocks, ComponentDatas, ComponentProjects,
                                ComponentHelp};
  for (Component component : optional) {
    int item = Components[component].CheckBoxId;
    bool offered = ComponentOffered(component);
    EnableItem(dialog, item, offered);
    if (offered) InstallState.ComponentChosen[component] = 1;
    SetCheckMark(dialog, item, InstallState.ComponentChosen[component]);
  }
}
