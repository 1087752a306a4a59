// Which files the installer asks a host for, found the way it finds them:
// the catalogue, then disc by disc the file list, the checksum list and the
// files of every component the catalogue puts on that disc, until the first
// disc without a file list. The texts come from a reader given by the caller (a live host
// or a site folder), so the walk itself touches nothing.
#ifndef ZELTA_VENDOR_DIST_SERVER_FILES_H
#define ZELTA_VENDOR_DIST_SERVER_FILES_H

#include <functional>
#include <string>
#include <vector>

enum TextReadState {
  TextFound,
  TextMissing,  // a definite "not there", 404 or 410 (the installer's normal end of the discs)
  TextFailed,   // no usable answer: another status, a redirect, a broken connection
};

struct TextRead {
  TextReadState state = TextFailed;
  std::string text;
  std::string problem;  // for TextMissing and TextFailed
};

// Reads a text of the update folder by its path ("VarnelDemo/Disc_01/Install.ini").
typedef std::function<TextRead(const std::string& path)> TextReader;

struct ServerFile {
  std::string path;    // below the update folder, '/' separated: "VarnelDemo/Disc_01/Systems/bin/zelta.exe"
  std::string source;  // the file-list name ("Systems\bin\zelta.exe"); empty for the catalogue and the lists
  bool listText = false;  // the catalogue, a file list or a checksum list
  int disc = 0;        // of a file-list name
};

// A disc's checksum list, as the walk found it.
struct ChecksumListRead {
  int disc = 0;
  std::string path;  // below the update folder
  TextRead read;     // TextMissing: none published (the installer does not check the disc's files)
};

struct ServerFileProblem {
  std::string path;
  std::string text;
};

struct ServerFileSet {
  std::vector<ServerFile> files;  // catalogue, then each disc's list and files, each once
  std::vector<ServerFileProblem> problems;
  int discs = 0;                  // discs with a file list
  std::vector<ChecksumListRead> checksums;  // one per disc with a file list
};

// Walks the distribution through `read`, with every component chosen.
void ListServerFiles(const TextReader& read, ServerFileSet& out);

// A reader of the files of an update folder on this machine.
TextReader FolderReader(const std::string& folder);

#endif
