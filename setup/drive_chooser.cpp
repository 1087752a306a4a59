#include "setup/drive_chooser.h"

#include <commdlg.h>

#include <cstdint>

#include "catalogue/install_state.h"
#include "resources/resource_ids.h"
#include "setup/drive_list_text.h"
#include "setup/target_drive.h"
#include "window/string_message.h"

namespace {

// The common dialog puts its own caption over the template's unless it is
// given one: the same text as in the template.
const char ChooserTitle[] = "Cél meghajtó kijelölése:";
const DWORD FileNameCapacity = 10;

struct DriveChooserRecord {
  int32_t DriveChosen;       // 1 once the hook has accepted a drive
  char DriveText[TextSize];  // the drive list's text at OK
};

DriveChooserRecord Chooser = {0, {}};

// OK takes the drive, if it is one; either way the chooser closes.
UINT_PTR OnChooserCommand(HWND chooser, WORD command) {
  switch (command) {
    case IDOK:
      if (CheckChosenDrive(chooser) == 0) Chooser.DriveChosen = 1;
      PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
      return FALSE;
    case IDCANCEL:
      PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

void ChooseTargetDrive(HWND setupDialog) {
  char fileName[TextSize] = {};
  OPENFILENAMEA request = {};
  request.lStructSize = sizeof request;
  request.hwndOwner = setupDialog;
  request.hInstance = InstallState.Instance;
  request.lpstrFile = fileName;
  request.nMaxFile = FileNameCapacity;
  request.lpstrTitle = ChooserTitle;
  request.Flags = OFN_ENABLEHOOK | OFN_ENABLETEMPLATE;
  request.lpfnHook = DriveChooserHook;
  request.lpTemplateName = "SetDriveBox";
  Chooser.DriveChosen = 0;

  GetOpenFileNameA(&request);
  if (!Chooser.DriveChosen) return;

  char letter = DriveListEntryLetter(Chooser.DriveText);
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 32);
  char drive[3] = {letter, ':', '\0'};
  // Setting the field runs its own check; this one reports for the chooser.
  SetDlgItemTextA(setupDialog, IDC_TARGET_DRIVE, drive);
  CheckTargetDrive(setupDialog);
}

UINT_PTR CALLBACK DriveChooserHook(HWND chooser, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      return OnChooserCommand(chooser, LOWORD(wParam));
    default:
      return FALSE;
  }
}

int CheckChosenDrive(HWND chooser) {
  Chooser.DriveText[0] = '\0';
  GetDlgItemTextA(chooser, IDC_DRIVE_LIST, Chooser.DriveText, sizeof Chooser.DriveText);
  if (DriveListEntryLetter(Chooser.DriveText) != 0) return 0;
  ShowStringMessage(chooser, IDS_BAD_DRIVE_LETTER, TextSize, MB_OK | MB_ICONERROR, nullptr);
  return 1;
}
