// The progress dialog's items as the worker writes them while files go by:
// the file line, the activity mark, the percent field and the bar.
#ifndef ZELTA_PROGRESS_PROGRESS_ITEMS_H
#define ZELTA_PROGRESS_PROGRESS_ITEMS_H

// Sets the text of an item of the progress dialog (InstallState.ProgressDialog).
// The file line, the activity mark and the percent field are sent a text
// only when it differs from the one they show: each write is a call to the
// dialog's thread, which repaints the item at once, and the download and
// the installation write these items several times for every file.
void ShowProgressItem(int item, const char* text);

// Moves the bar (InstallState.ProgressBar) to a position of 0 to 1000, when
// it is not there already.
void ShowProgressPosition(int position);

// Forgets what the items show: for a progress dialog that has just been made.
void ForgetProgressItems();

#endif
