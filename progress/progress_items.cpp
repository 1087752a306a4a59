#include "progress/progress_items.h"

#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "resources/resource_ids.h"

namespace {

// One often written item: its latest text and the one it shows. A text too
// long for its record is written as a step, every time.
template <size_t N>
struct ItemTexts {
  char Latest[N];
  char Shown[N];
};

struct ProgressItemsRecord {
  HWND Dialog;  // the dialog the texts belong to
  HWND Bar;     // the bar the positions belong to
  ItemTexts<TextSize> FileLine;
  ItemTexts<16> ActivityMark;
  ItemTexts<32> Percent;
  bool Waiting[3];     // a latest text not drawn yet
  bool ShownKnown[3];  // Shown holds what the item shows
  int LatestPosition;
  int ShownPosition;
  bool PositionWaiting;
  bool PositionKnown;
  bool NotePosted;  // a CMD_DRAW_PROGRESS is on its way to Dialog
};

// Written by the worker, drawn by the dialog's thread.
SRWLOCK Lock = SRWLOCK_INIT;
ProgressItemsRecord Items = {};

// The often written items in the order they are drawn.
const int OftenWritten[3] = {IDC_FILE_LINE, IDC_ACTIVITY_MARK, IDC_PERCENT};

struct Slot {
  char* Latest;
  char* Shown;
  size_t Size;
};

// The record of an often written item; false for the others.
bool SlotOf(int item, Slot* slot, int* index) {
  switch (item) {
    case IDC_FILE_LINE:
      *slot = {Items.FileLine.Latest, Items.FileLine.Shown, sizeof Items.FileLine.Latest};
      *index = 0;
      return true;
    case IDC_ACTIVITY_MARK:
      *slot = {Items.ActivityMark.Latest, Items.ActivityMark.Shown, sizeof Items.ActivityMark.Latest};
      *index = 1;
      return true;
    case IDC_PERCENT:
      *slot = {Items.Percent.Latest, Items.Percent.Shown, sizeof Items.Percent.Latest};
      *index = 2;
      return true;
    default:
      return false;
  }
}

// Under the lock: the record follows the current dialog and bar.
void FollowDialog() {
  if (Items.Dialog != InstallState.ProgressDialog) {
    for (int i = 0; i < 3; ++i) Items.Waiting[i] = Items.ShownKnown[i] = false;
    Items.PositionWaiting = false;
    Items.NotePosted = false;
    Items.Dialog = InstallState.ProgressDialog;
  }
  if (Items.Bar != InstallState.ProgressBar) {
    Items.PositionWaiting = Items.PositionKnown = false;
    Items.Bar = InstallState.ProgressBar;
  }
}

bool OnDialogThread(HWND dialog) {
  return GetWindowThreadProcessId(dialog, nullptr) == GetCurrentThreadId();
}

// Under the lock, after a latest value was left: whether the caller must
// tell the dialog (outside the lock).
bool NeedsNote() {
  if (Items.NotePosted || Items.Dialog == nullptr) return false;
  Items.NotePosted = true;
  return true;
}

// Outside the lock: has the latest values drawn, at once on the dialog's
// thread, otherwise when the dialog comes to the note.
void Tell(HWND dialog) {
  if (OnDialogThread(dialog)) {
    DrawProgressItems();
    return;
  }
  if (!PostMessageA(dialog, WM_COMMAND, CMD_DRAW_PROGRESS, 0)) {
    AcquireSRWLockExclusive(&Lock);
    Items.NotePosted = false;
    ReleaseSRWLockExclusive(&Lock);
  }
}

}  // namespace

void ForgetProgressItems() {
  AcquireSRWLockExclusive(&Lock);
  Items = ProgressItemsRecord{};
  ReleaseSRWLockExclusive(&Lock);
}

void ShowProgressItem(int item, const char* text) {
  AcquireSRWLockExclusive(&Lock);
  FollowDialog();
  Slot slot = {};
  int i = 0;
  if (!SlotOf(item, &slot, &i) || strlen(text) >= slot.Size) {
    ReleaseSRWLockExclusive(&Lock);
    ShowProgressStep(item, text);
    return;
  }
  const char* now = Items.Waiting[i] ? slot.Latest : (Items.ShownKnown[i] ? slot.Shown : nullptr);
  if (now != nullptr && strcmp(now, text) == 0) {
    ReleaseSRWLockExclusive(&Lock);
    return;
  }
  TextCopy(slot.Latest, slot.Size, text);
  Items.Waiting[i] = true;
  HWND dialog = Items.Dialog;
  bool tell = NeedsNote();
  ReleaseSRWLockExclusive(&Lock);
  if (tell) Tell(dialog);
}

void ShowProgressPosition(int position) {
  AcquireSRWLockExclusive(&Lock);
  FollowDialog();
  bool same = Items.PositionWaiting ? Items.LatestPosition == position
                                    : Items.PositionKnown && Items.ShownPosition == position;
  if (Items.Bar == nullptr || same) {
    ReleaseSRWLockExclusive(&Lock);
    return;
  }
  Items.LatestPosition = position;
  Items.PositionWaiting = true;
  HWND dialog = Items.Dialog;
  bool tell = NeedsNote();
  ReleaseSRWLockExclusive(&Lock);
  if (tell) Tell(dialog);
  // Without a dialog to tell, the bar is moved at once.
  if (dialog == nullptr) DrawProgressItems();
}

void DrawProgressItems() {
  char texts[3][TextSize];
  bool draw[3] = {false, false, false};
  AcquireSRWLockExclusive(&Lock);
  FollowDialog();
  for (int i = 0; i < 3; ++i) {
    Slot slot = {};
    int index = 0;
    SlotOf(OftenWritten[i], &slot, &index);
    if (!Items.Waiting[i]) continue;
    Items.Waiting[i] = false;
    draw[i] = !Items.ShownKnown[i] || strcmp(slot.Shown, slot.Latest) != 0;
    TextCopy(slot.Shown, slot.Size, slot.Latest);
    Items.ShownKnown[i] = true;
    TextCopy(texts[i], sizeof texts[i], slot.Latest);
  }
  bool move = Items.PositionWaiting && !(Items.PositionKnown && Items.ShownPosition == Items.LatestPosition);
  if (Items.PositionWaiting) {
    Items.ShownPosition = Items.LatestPosition;
    Items.PositionKnown = true;
    Items.PositionWaiting = false;
  }
  int position = Items.ShownPosition;
  HWND dialog = Items.Dialog;
  HWND bar = Items.Bar;
  Items.NotePosted = false;
  ReleaseSRWLockExclusive(&Lock);

  for (int i = 0; i < 3; ++i)
    if (draw[i] && dialog != nullptr) SetDlgItemTextA(dialog, OftenWritten[i], texts[i]);
  if (move && bar != nullptr) SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void DrawProgressNow() {
  HWND dialog = InstallState.ProgressDialog;
  if (dialog == nullptr || OnDialogThread(dialog)) {
    DrawProgressItems();
    return;
  }
  SendMessageA(dialog, WM_COMMAND, CMD_DRAW_PROGRESS, 0);
}

void ShowProgressStep(int item, const char* text) {
  DrawProgressNow();
  HWND dialog = InstallState.ProgressDialog;
  if (dialog == nullptr) return;
  SetDlgItemTextA(dialog, item, text);
  // An often written item written as a step now shows this text.
  AcquireSRWLockExclusive(&Lock);
  FollowDialog();
  Slot slot = {};
  int i = 0;
  if (SlotOf(item, &slot, &i)) {
    Items.Waiting[i] = false;
    Items.ShownKnown[i] = strlen(text) < slot.Size;
    if (Items.ShownKnown[i]) TextCopy(slot.Shown, slot.Size, text);
  }
  ReleaseSRWLockExclusive(&Lock);
}
