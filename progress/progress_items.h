// The progress dialog's items as the worker writes them while files go by:
// the file line, the activity mark, the percent field and the bar, and the
// steps of the work in the phase line and the message area.
#ifndef ZELTA_PROGRESS_PROGRESS_ITEMS_H
#define ZELTA_PROGRESS_PROGRESS_ITEMS_H

// Writes the text of an item of the progress dialog (InstallState.ProgressDialog).
// The file line, the activity mark and the percent field change several
// times for every file, so the worker does not wait for them to be drawn:
// it leaves the latest text for the dialog and tells the dialog once
// (CMD_DRAW_PROGRESS) while no such note is on its way. A text replaced
// before the dialog drew it is skipped, the last one never; an item is
// redrawn only when its text differs from the one it shows. On the dialog's
// own thread the text is drawn at once. The phase line and the message
// area are steps (ShowProgressStep).
void ShowProgressItem(int item, const char* text);

// Moves the bar (InstallState.ProgressBar) to a position of 0 to 1000, when
// it is not there already; drawn as the items above are.
void ShowProgressPosition(int position);

// A step of the work in an item: drawn before this returns, after
// everything written before it, and sent even when unchanged. A person
// reads every step, in order, and whatever the worker does to the dialog
// next (a message box, the animation) finds it as the work left it.
void ShowProgressStep(int item, const char* text);

// Draws what was written and is not drawn yet: the dialog's answer to
// CMD_DRAW_PROGRESS, on the dialog's thread.
void DrawProgressItems();

// Has everything written so far drawn before returning.
void DrawProgressNow();

// Forgets what the items show: for a progress dialog that has just been made.
void ForgetProgressItems();

#endif
