#include "setup/target_drive.h"

#include <direct.h>

#include "catalogue/install_state.h"
#include "resources/resource_ids.h"
#include "setup/drive_list_text.h"
#include "window/string_message.h"

int CheckTargetDrive(HWND dialog) {
  char text[TextSize] = {};
  GetDlgItemTextA(dialog, IDC_TARGET_DRIVE, text, sizeof text);
  char letter = text[0];
  if (!IsDriveLetter(letter)) {
    ShowStringMessage(dialog, IDS_BAD_DRIVE_LETTER, TextSize, MB_OK | MB_ICONERROR, nullptr);
    return 1;
  }
  if (letter >= 'a') letter = static_cast<char>(letter - 32);
  if (_chdrive(letter - 'A' + 1) == 0) {
    InstallState.TargetDrive = _getdrive();
    return 0;
  }
  char drive[3] = {letter, ':', '\0'};
  ShowStringMessage(dialog, IDS_DRIVE_NOT_READY, TextSize, MB_OK | MB_ICONERROR, drive);
  return 1;
}

void ShowCurrentDrive(HWND dialog) {
  InstallState.TargetDrive = _getdrive();
  char text[3] = {static_cast<char>(InstallState.TargetDrive + 64), ':', '\0'};
  SetDlgItemTextA(dialog, IDC_TARGET_DRIVE, text);
}
