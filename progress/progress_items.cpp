#include "progress/progress_items.h"

#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "resources/resource_ids.h"

namespace {

// What the often written items show, for the dialog and bar they belong to.
struct ShownItemsRecord {
  HWND Dialog;
  HWND Bar;
  char FileLine[TextSize];
  char ActivityMark[16];
  char Percent[32];
  int Position;
  bool Known[3];
  bool PositionKnown;
};

ShownItemsRecord Shown = {};

// The cached text of an item, or null for items written every time.
char* CachedText(int item, size_t* size, int* slot) {
  switch (item) {
    case IDC_FILE_LINE:
      *size = sizeof Shown.FileLine;
      *slot = 0;
      return Shown.FileLine;
    case IDC_ACTIVITY_MARK:
      *size = sizeof Shown.ActivityMark;
      *slot = 1;
      return Shown.ActivityMark;
    case IDC_PERCENT:
      *size = sizeof Shown.Percent;
      *slot = 2;
      return Shown.Percent;
    default:
      return nullptr;
  }
}

}  // namespace

void ForgetProgressItems() {
  Shown = ShownItemsRecord{};
}

void ShowProgressItem(int item, const char* text) {
  HWND dialog = InstallState.ProgressDialog;
  if (dialog != Shown.Dialog) {
    for (bool& known : Shown.Known) known = false;
    Shown.Dialog = dialog;
  }
  size_t size = 0;
  int slot = 0;
  char* cached = CachedText(item, &size, &slot);
  if (cached != nullptr && Shown.Known[slot] && strcmp(cached, text) == 0) return;
  SetDlgItemTextA(dialog, item, text);
  if (cached == nullptr) return;
  // A text too long for the cache is sent every time.
  Shown.Known[slot] = strlen(text) < size;
  if (Shown.Known[slot]) TextCopy(cached, size, text);
}

void ShowProgressPosition(int position) {
  HWND bar = InstallState.ProgressBar;
  if (bar == nullptr) return;
  if (bar != Shown.Bar) {
    Shown.Bar = bar;
    Shown.PositionKnown = false;
  }
  if (Shown.PositionKnown && Shown.Position == position) return;
  SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  Shown.Position = position;
  Shown.PositionKnown = true;
}
