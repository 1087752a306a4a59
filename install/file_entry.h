// One entry of a disc's file list ("File7=\bin\zelta.exe *?\Bin\zelta.exe"):
// the source inside the disc folder, then the target with its codes.
#ifndef ZELTA_INSTALL_FILE_ENTRY_H
#define ZELTA_INSTALL_FILE_ENTRY_H

#include <cstdint>

#include "catalogue/install_state.h"

enum TargetMode {
  TargetModeNone = 0,
  TargetModeAsk,   // "*?": ask before overwriting an existing target
  TargetModeKeep,  // "*-": never overwrite; wins over "*?" in either order
};

struct FileEntryRecord {
  char Source[TextSize];       // source field: path inside the disc folder
  char TargetField[TextSize];  // the target field as it stood, codes included
  int32_t Mode;                // TargetMode
  int32_t WindowsBase;         // "*%": the target lies below WindowsDirectory
  int32_t WrongCodeCount;      // unknown codes met; each one is reported
  char WrongCode;              // the first of them (may be the NUL of a lone "*")
  char TargetPath[TextSize];   // what follows the codes
};

// Splits a file-list value. The source ends at the first blank or comma;
// blanks after it are skipped; the rest is the target field. A value with
// neither has an empty target field. Of an unknown code only the "*" is
// taken off: its character stays at the front of the target path.
void SplitFileEntry(const char* value, FileEntryRecord* entry);

#endif
