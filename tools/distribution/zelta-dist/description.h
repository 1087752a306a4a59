// The description of a sample distribution: what the vendor's server holds,
// written by hand in a small line format (see tools/distribution/README.md) and
// read here. Every text meant for the installer is kept in Windows-1250.
#ifndef ZELTA_VENDOR_DIST_DESCRIPTION_H
#define ZELTA_VENDOR_DIST_DESCRIPTION_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The seven parts of the product, in catalogue order.
enum { DistComponentCount = 7 };
extern const char* const DistComponentKeys[DistComponentCount];

// Index of a component key ("Setup" ... "Help"), or -1.
int FindDistComponent(const std::string& key);

enum { DistMaxDiscs = 15 };

// Sizes a description may ask for; larger files are surely a typo.
const uint64_t DistMaxFileSize = 64ull << 20;

enum DistContentKind { DistContentGenerate, DistContentText, DistContentCopy };

struct DistFile {
  int line = 0;              // line of its [file ...] header
  int component = 0;         // index into DistComponentKeys
  std::string source;        // "\Systems\bin\zelta.exe": ASCII, no blanks or commas
  std::string target;        // codes and path, Windows-1250: "*?\ZeltaWin32\a.txt"
  bool commaSeparator = false;
  DistContentKind kind = DistContentGenerate;
  uint64_t size = 0;         // Generate
  uint64_t seed = 0;         // Generate
  std::string text;          // Text: the lines in Windows-1250, each ended by CR LF
  std::string copyPath;      // Copy: a file on this machine
};

struct DistDisc {
  int line = 0;
  int number = 0;            // 1 ... 15
  std::string name;          // Windows-1250
  std::vector<DistFile> files;
};

struct DistRegistryEntry {
  std::string fileType, className, exeFile, iconFile;
};

struct DistFontEntry {
  std::string fontFile, fontName;
};

struct Description {
  // Where the update folder lies below each host's root, and the product
  // folder below it ('/' separated).
  std::string webFolder = "Download/UpDate-V9.20";
  std::string downloadFolder = "UpDate-V9.20";
  std::string product = "VarnelDemo";
  std::vector<std::string> probeLines;                         // Update.ini
  std::vector<std::pair<std::string, std::string>> system;     // [System], in order
  std::vector<std::string> directories;                        // [Directorys]
  std::vector<DistRegistryEntry> registry;                     // [RegistryCommand]
  std::vector<DistFontEntry> fonts;                            // [FontsCommand]
  std::vector<std::string> commands;                           // [Command]
  std::vector<DistDisc> discs;                                 // 1, 2, ... in order
};

struct DistParseOptions {
  std::string fileName = "description";  // for messages
  std::string baseDir = ".";             // relative Copy paths start here
  std::vector<std::pair<std::string, std::string>> defines;  // @{NAME} in Copy paths
};

// Reads a description. On failure returns false with `error` as
// "FILE:LINE: what is wrong" (the first problem found).
bool ParseDescription(const std::string& text, const DistParseOptions& options, Description& out,
                      std::string& error);

// A file-list target split into its codes and path.
struct DistTarget {
  bool ask = false;        // "*?": ask before overwriting
  bool never = false;      // "*-": never overwrite
  bool windows = false;    // "*%": below the Windows directory
  std::string path;        // begins with a backslash
};

// False when the target has no path beginning with a backslash after its codes.
bool SplitDistTarget(const std::string& target, DistTarget& out);

// Files whose source path holds "ex_" or "dl_" are stored interleaved.
bool IsInterleavedSource(const std::string& source);

#endif
