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
  bool NotePosted;  // the dialog will look: a note is on its way, or its timer runs
};

// Written by the worker, drawn by the dialog's thread.
SRWLOCK Lock = SRWLOCK_INIT;
ProgressItemsRecord Items = {};

// After drawing, the dialog looks again this many milliseconds later rather
// than at every write: a person sees no more than this, and each drawing
// costs the dialog's thread and the X server a round of work.
const UINT_PTR LookAgainTimer = 0x5A50;
const UINT LookAgainPause = 40;

// The often written items in the order they are drawn.
const int OftenWritten[3] = {IDC_FILE_LINE, IDC_ACTIVITY_MARK, IDC_PERCENT};

struct Slot {
  char* Latest;
  char* Shown;
  size_t Size;
  int Index;  // in Waiting and ShownKnown
};

// The record of an often written item; false for the others.
bool SlotOf(int item, Slot* slot) {
  switch (item) {
    case IDC_FILE_LINE:
      *slot = {Items.FileLine.Latest, Items.FileLine.Shown, sizeof Items.FileLine.Latest, 0};
      return true;
    case IDC_ACTIVITY_MARK:
      *slot = {Items.ActivityMark.Latest, Items.ActivityMark.Shown, sizeof Items.ActivityMark.Latest, 1};
      return true;
    case IDC_PERCENT:
      *slot = {Items.Percent.Latest, Items.Percent.Shown, sizeof Items.Percent.Latest, 2};
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

// Under the lock.
bool AnyWaiting() {
  return Items.PositionWaiting || Items.Waiting[0] || Items.Waiting[1] || Items.Waiting[2];
}

// Draws the latest values not drawn yet (on the dialog's thread, or with no
// dialog).
void DrawLatest() {
  char texts[3][TextSize];
  bool draw[3] = {false, false, false};
  AcquireSRWLockExclusive(&Lock);
  FollowDialog();
  for (int i = 0; i < 3; ++i) {
    Slot slot = {};
    SlotOf(OftenWritten[i], &slot);
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
  ReleaseSRWLockExclusive(&Lock);

  for (int i = 0; i < 3; ++i)
    if (draw[i] && dialog != nullptr) SetDlgItemTextA(dialog, OftenWritten[i], texts[i]);
  if (move && bar != nullptr) SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

// The dialog's timer: draws what was written since, or, when nothing was,
// stops and lets the next write tell the dialog again.
void CALLBACK LookAgain(HWND dialog, UINT, UINT_PTR, DWORD) {
  AcquireSRWLockExclusive(&Lock);
  bool waiting = AnyWaiting();
  if (!waiting) Items.NotePosted = false;
  ReleaseSRWLockExclusive(&Lock);
  if (waiting) {
    DrawLatest();
  } else {
    KillTimer(dialog, LookAgainTimer);
  }
}

// Outside the lock: has the latest values drawn when the dialog comes to
// the note.
void Tell(HWND dialog) {
  if (!PostMessageA(dialog, WM_COMMAND, CMD_DRAW_PROGRESS, 0)) {
    AcquireSRWLockExclusive(&Lock);
    Items.NotePosted = false;
    ReleaseSRWLockExclusive(&Lock);
  }
}

// Called under the lock after a latest value was left, which it releases:
// on the dialog's thread (or with no dialog, only a bar) the value is drawn
// at once; the worker tells the dialog unless it will look anyway.
void LeaveForTheDialog() {
  HWND dialog = Items.Dialog;
  if (dialog == nullptr || OnDialogThread(dialog)) {
    ReleaseSRWLockExclusive(&Lock);
    DrawLatest();
    return;
  }
  bool tell = !Items.NotePosted;
  Items.NotePosted = true;
  ReleaseSRWLockExclusive(&Lock);
  if (tell) Tell(dialog);
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
  if (!SlotOf(item, &slot) || strlen(text) >= slot.Size) {
    ReleaseSRWLockExclusive(&Lock);
    ShowProgressStep(item, text);
    return;
  }
  int i = slot.Index;
  const char* now = Items.Waiting[i] ? slot.Latest : (Items.ShownKnown[i] ? slot.Shown : nullptr);
  if (now != nullptr && strcmp(now, text) == 0) {
    ReleaseSRWLockExclusive(&Lock);
    return;
  }
  TextCopy(slot.Latest, slot.Size, text);
  Items.Waiting[i] = true;
  LeaveForTheDialog();
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
  LeaveForTheDialog();
}

void DrawProgressItems() {
  DrawLatest();
  // The worker leaves its notes until the timer finds nothing new.
  HWND dialog = InstallState.ProgressDialog;
  if (dialog != nullptr && OnDialogThread(dialog)) SetTimer(dialog, LookAgainTimer, LookAgainPause, LookAgain);
}

void DrawProgressNow() {
  HWND dialog = InstallState.ProgressDialog;
  if (dialog == nullptr || OnDialogThread(dialog)) {
    DrawLatest();
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
  if (SlotOf(item, &slot)) {
    int i = slot.Index;
    Items.Waiting[i] = false;
    Items.ShownKnown[i] = strlen(text) < slot.Size;
    if (Items.ShownKnown[i]) TextCopy(slot.Shown, slot.Size, text);
  }
  ReleaseSRWLockExclusive(&Lock);
}
