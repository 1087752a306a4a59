// The drive letter of an entry of the open-file dialog's drive list. The
// classic dialog on Windows lists a drive as "c: [label]"; Wine's lists it
// in the directory-listing form "[-c-]".
#ifndef ZELTA_SETUP_DRIVE_LIST_TEXT_H
#define ZELTA_SETUP_DRIVE_LIST_TEXT_H

// True for A-Z and a-z only (no locale: the Windows-1250 letters above 127
// name no drive).
bool IsDriveLetter(char c);

// The letter an entry names, in the case it is written in; 0 when the entry
// names no drive (null, empty, or neither form).
char DriveListEntryLetter(const char* entry);

#endif
