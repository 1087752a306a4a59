// The folders above a file, made one by one ("C:\a\b\c.txt" needs C:\a and
// C:\a\b), for the benchmark's Windows tools.
#ifndef ZELTA_TOOLS_BENCH_MAKE_PARENTS_H
#define ZELTA_TOOLS_BENCH_MAKE_PARENTS_H

#include <windows.h>

#include <string>

inline void MakeParents(const std::string& path) {
  for (size_t i = 3; i < path.size(); ++i) {
    if (path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
  }
}

#endif
