#include "tools/distribution/zelta-dist/distribution.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tools/distribution/zelta-dist/checksum_lists.h"
#include "tools/distribution/zelta-dist/cp1250.h"

namespace {

// The catalogue keeps sizes in 32-bit signed numbers.
const uint64_t CatalogueMaxBytes = 0x7FFFFFFF;

std::string LineRef(const std::string& fileName, int line) {
  return fileName + ":" + std::to_string(line) + ": ";
}

bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& error) {
  FILE* f = fopen(path.c_str(), "wb");
  if (f == nullptr) {
    error = path + ": " + strerror(errno);
    return false;
  }
  bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = fclose(f) == 0 && ok;
  if (!ok) error = path + ": write failed";
  return ok;
}

// mkdir -p.
bool MakeFolders(const std::string& path, std::string& error) {
  for (size_t i = 1; i <= path.size(); ++i) {
    if (i != path.size() && path[i] != '/') continue;
    std::string part = path.substr(0, i);
    if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
      error = part + ": " + strerror(errno);
      return false;
    }
  }
  return true;
}

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

// "\a\b c" -> "a/b c" (UTF-8), for a path below some folder.
std::string LocalRelative(const std::string& windowsPath) {
  std::string utf8 = Cp1250ToUtf8(windowsPath);
  std::string out;
  for (size_t i = 0; i < utf8.size(); ++i) {
    if (i == 0 && utf8[i] == '\\') continue;
    out += utf8[i] == '\\' ? '/' : utf8[i];
  }
  return out;
}

bool WriteNested(const std::string& base, const std::string& relative, const std::string& bytes,
                 std::string& error) {
  std::string path = base + "/" + relative;
  size_t cut = path.rfind('/');
  return MakeFolders(path.substr(0, cut), error) && WriteWholeFile(path, bytes, error);
}

void AddLine(std::string& out, const std::string& line) {
  out += line;
  out += "\r\n";
}

void AddKey(std::string& out, const std::string& key, const std::string& value) {
  AddLine(out, key + "=" + value);
}

// Writes one host's update folder.
bool WriteUpdateFolder(const Distribution& dist, const std::string& folder, std::string& error) {
  const Description& d = dist.description;
  if (!MakeFolders(folder, error) || !WriteWholeFile(folder + "/Update.ini", BuildProbe(d), error)) {
    return false;
  }
  for (size_t i = 0; i < d.discs.size(); ++i) {
    const DistDisc& disc = d.discs[i];
    std::string discFolder = folder + "/" + d.product + "/" + DiscFolderName(disc.number);
    if (!MakeFolders(discFolder, error)) return false;
    if (disc.number == 1 && !WriteWholeFile(discFolder + "/Install.ini", BuildCatalogue(dist), error)) {
      return false;
    }
    if (!WriteWholeFile(discFolder + "/" + FileListName(disc.number), BuildFileList(disc), error) ||
        !WriteWholeFile(discFolder + "/" + ChecksumListName(disc.number), BuildChecksumList(dist, i), error)) {
      return false;
    }
    for (size_t k = 0; k < disc.files.size(); ++k) {
      const DistFile& file = disc.files[k];
      if (!WriteNested(discFolder, LocalRelative(file.source), StoredBytes(file, dist.contents[i][k]),
                       error)) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& out, std::string& problem) {
  FILE* f = fopen(path.c_str(), "rb");
  if (f == nullptr) {
    problem = strerror(errno);
    return false;
  }
  out.clear();
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) {
    out.append(buffer, n);
    if (out.size() > DistMaxFileSize) {
      fclose(f);
      problem = "larger than 64 MiB";
      return false;
    }
  }
  bool failed = ferror(f) != 0;
  fclose(f);
  if (failed) {
    problem = "read error";
    return false;
  }
  return true;
}

std::string GenerateBytes(uint64_t size, uint64_t seed) {
  std::string out(size, '\0');
  uint64_t state = seed;
  for (uint64_t i = 0; i < size; i += 8) {
    state += 0x9E3779B97F4A7C15ull;
    uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    for (uint64_t k = 0; k < 8 && i + k < size; ++k) {
      out[i + k] = static_cast<char>((z >> (8 * k)) & 0xFF);
    }
  }
  return out;
}

std::string InterleaveBytes(const std::string& real) {
  std::string out(real.size() * 2, '\0');
  for (size_t k = 0; k < real.size(); ++k) {
    // The filler varies, so that a reader that keeps the wrong half sees it.
    out[2 * k] = static_cast<char>((k * 37 + 0x5A) & 0xFF);
    out[2 * k + 1] = real[k];
  }
  return out;
}

std::string StoredBytes(const DistFile& file, const std::string& real) {
  return IsInterleavedSource(file.source) ? InterleaveBytes(real) : real;
}

std::string DiscFolderName(int disc) {
  char name[32];
  snprintf(name, sizeof name, "Disc_%02d", disc);
  return name;
}

std::string FileListName(int disc) {
  char name[32];
  snprintf(name, sizeof name, "Fajls_%d.ini", disc);
  return name;
}

bool LoadDistribution(const Description& description, const std::string& fileName, Distribution& out,
                      std::string& error) {
  out.description = description;
  out.contents.assign(description.discs.size(), {});
  for (size_t i = 0; i < description.discs.size(); ++i) {
    const DistDisc& disc = description.discs[i];
    uint64_t totals[DistComponentCount] = {};
    for (const DistFile& file : disc.files) {
      std::string bytes;
      switch (file.kind) {
        case DistContentGenerate:
          bytes = GenerateBytes(file.size, file.seed);
          break;
        case DistContentText:
          bytes = file.text;
          break;
        case DistContentCopy: {
          std::string problem;
          if (!ReadWholeFile(file.copyPath, bytes, problem)) {
            error = LineRef(fileName, file.line) + "cannot read " + file.copyPath + ": " + problem;
            return false;
          }
          break;
        }
      }
      // A good file always comes with a Content-Length above zero.
      if (bytes.empty()) {
        error = LineRef(fileName, file.line) + "file " + file.source + " would be empty";
        return false;
      }
      totals[file.component] += bytes.size();
      if (totals[file.component] > CatalogueMaxBytes) {
        error = LineRef(fileName, file.line) + std::string(DistComponentKeys[file.component]) +
                " on disc " + std::to_string(disc.number) + " exceeds 2147483647 bytes";
        return false;
      }
      out.contents[i].push_back(bytes);
    }
  }
  error.clear();
  return true;
}

uint64_t ComponentBytes(const Distribution& dist, size_t discIndex, int component) {
  uint64_t total = 0;
  const DistDisc& disc = dist.description.discs[discIndex];
  for (size_t k = 0; k < disc.files.size(); ++k) {
    if (disc.files[k].component == component) total += dist.contents[discIndex][k].size();
  }
  return total;
}

std::string BuildCatalogue(const Distribution& dist) {
  const Description& d = dist.description;
  std::string out;
  AddLine(out, "[System]");
  for (const auto& entry : d.system) AddKey(out, entry.first, entry.second);
  for (size_t i = 0; i < d.discs.size(); ++i) {
    char section[32];
    snprintf(section, sizeof section, "[Disc%02d]", d.discs[i].number);
    AddLine(out, "");
    AddLine(out, section);
    AddKey(out, "Name", d.discs[i].name);
    for (int c = 0; c < DistComponentCount; ++c) {
      bool present = false;
      for (const DistFile& file : d.discs[i].files) present = present || file.component == c;
      if (present) AddKey(out, DistComponentKeys[c], std::to_string(ComponentBytes(dist, i, c)));
    }
  }
  AddLine(out, "");
  AddLine(out, "[Directorys]");
  for (size_t i = 0; i < d.directories.size(); ++i) {
    AddKey(out, "Dir" + std::to_string(i + 1), d.directories[i]);
  }
  AddLine(out, "");
  AddLine(out, "[RegistryCommand]");
  for (size_t i = 0; i < d.registry.size(); ++i) {
    std::string n = std::to_string(i + 1);
    AddKey(out, "FileType" + n, d.registry[i].fileType);
    AddKey(out, "ClassName" + n, d.registry[i].className);
    AddKey(out, "ExeFile" + n, d.registry[i].exeFile);
    AddKey(out, "IconFile" + n, d.registry[i].iconFile);
  }
  AddLine(out, "");
  AddLine(out, "[FontsCommand]");
  for (size_t i = 0; i < d.fonts.size(); ++i) {
    std::string n = std::to_string(i + 1);
    AddKey(out, "FontFile" + n, d.fonts[i].fontFile);
    AddKey(out, "FontName" + n, d.fonts[i].fontName);
  }
  AddLine(out, "");
  AddLine(out, "[Command]");
  for (size_t i = 0; i < d.commands.size(); ++i) {
    AddKey(out, "Command" + std::to_string(i + 1), d.commands[i]);
  }
  return out;
}

std::string BuildFileList(const DistDisc& disc) {
  std::string out;
  AddLine(out, "[Disc]");
  AddKey(out, "Name", disc.name);
  for (int c = 0; c < DistComponentCount; ++c) {
    int number = 0;
    for (const DistFile& file : disc.files) {
      if (file.component != c) continue;
      if (number == 0) {
        AddLine(out, "");
        AddLine(out, std::string("[") + DistComponentKeys[c] + "]");
      }
      ++number;
      AddKey(out, "File" + std::to_string(number),
             file.source + (file.commaSeparator ? "," : " ") + file.target);
    }
  }
  return out;
}

std::string BuildProbe(const Description& description) {
  std::string out;
  for (const std::string& line : description.probeLines) AddLine(out, line);
  return out;
}

bool WriteSite(const Distribution& dist, const std::string& site, std::string& error) {
  const Description& d = dist.description;
  std::string web = site + "/web/" + d.webFolder;
  std::string download = site + "/download/" + d.downloadFolder;
  for (const std::string& folder : {web, download}) {
    if (Exists(folder)) {
      error = folder + " is already there (remove it first)";
      return false;
    }
  }
  return WriteUpdateFolder(dist, web, error) && WriteUpdateFolder(dist, download, error) &&
         MakeFolders(site + "/faults/web", error) && MakeFolders(site + "/faults/download", error);
}

bool WriteExpected(const Distribution& dist, const std::string& dir, std::string& error) {
  const Description& d = dist.description;
  for (const char* part : {"/root", "/windows", "/download"}) {
    if (Exists(dir + part)) {
      error = dir + part + " is already there (remove it first)";
      return false;
    }
  }
  if (!MakeFolders(dir + "/root", error) || !MakeFolders(dir + "/windows", error) ||
      !MakeFolders(dir + "/download", error)) {
    return false;
  }
  for (const std::string& folder : d.directories) {
    if (!MakeFolders(dir + "/root/" + LocalRelative(folder), error)) return false;
  }
  for (size_t i = 0; i < d.discs.size(); ++i) {
    const DistDisc& disc = d.discs[i];
    std::string downloadFolder = dir + "/download/" + DiscFolderName(disc.number);
    if (!MakeFolders(downloadFolder, error)) return false;
    for (size_t k = 0; k < disc.files.size(); ++k) {
      const DistFile& file = disc.files[k];
      const std::string& real = dist.contents[i][k];
      DistTarget target;
      SplitDistTarget(file.target, target);
      std::string base = dir + (target.windows ? "/windows" : "/root");
      if (!WriteNested(base, LocalRelative(target.path), real, error) ||
          !WriteNested(downloadFolder, LocalRelative(file.source), real, error)) {
        return false;
      }
    }
  }
  return true;
}

std::string BuildListing(const Distribution& dist) {
  std::string out;
  const Description& d = dist.description;
  for (size_t i = 0; i < d.discs.size(); ++i) {
    for (size_t k = 0; k < d.discs[i].files.size(); ++k) {
      const DistFile& file = d.discs[i].files[k];
      const std::string& real = dist.contents[i][k];
      out += std::to_string(d.discs[i].number) + "\t" + DistComponentKeys[file.component] + "\t" +
             file.source + "\t" + Cp1250ToUtf8(file.target) + "\t" + std::to_string(real.size()) +
             "\t" + std::to_string(StoredBytes(file, real).size()) + "\t" +
             (IsInterleavedSource(file.source) ? "interleaved" : "plain") + "\n";
    }
  }
  return out;
}
