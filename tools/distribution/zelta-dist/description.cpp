#include "tools/distribution/zelta-dist/description.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/distribution/zelta-dist/cp1250.h"

const char* const DistComponentKeys[DistComponentCount] = {
    "Setup", "Systems", "Drawings", "Blocks", "Projects", "Datas", "Help",
};

int FindDistComponent(const std::string& key) {
  for (int i = 0; i < DistComponentCount; ++i) {
    if (key == DistComponentKeys[i]) return i;
  }
  return -1;
}

bool SplitDistTarget(const std::string& target, DistTarget& out) {
  out = DistTarget();
  size_t pos = 0;
  while (pos + 1 < target.size() && target[pos] == '*') {
    char code = target[pos + 1];
    if (code == '?') {
      out.ask = true;
    } else if (code == '-') {
      out.never = true;
    } else if (code == '%') {
      out.windows = true;
    } else {
      return false;
    }
    pos += 2;
  }
  if (pos >= target.size() || target[pos] != '\\') return false;
  out.path = target.substr(pos);
  return true;
}

bool IsInterleavedSource(const std::string& source) {
  return source.find("ex_") != std::string::npos || source.find("dl_") != std::string::npos;
}

namespace {

const char* const DefaultProbe[] = {
    "ZeltaCAD WEB update system: V9.21",
    "ZeltaSoft Ltd. 1992-2019.",
};

const char* const RequiredSystemKeys[] = {"RootDirectory", "CadSystem", "SubSystem", "Version"};

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

std::vector<std::string> Words(const std::string& s) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    size_t start = i;
    while (i < s.size() && s[i] != ' ' && s[i] != '\t') ++i;
    if (i > start) words.push_back(s.substr(start, i - start));
  }
  return words;
}

std::string Lower(const std::string& s) {
  std::string out = s;
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool ParseUnsigned(const std::string& s, uint64_t& value) {
  if (s.empty() || s.size() > 19) return false;
  value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  return true;
}

bool IsKeyName(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s) {
    bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    if (!ok) return false;
  }
  return true;
}

// FNV-1a: the default seed of a generated file follows from its source path,
// so that files of equal size still differ.
uint64_t HashText(const std::string& s) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (char c : s) {
    h ^= static_cast<unsigned char>(c);
    h *= 0x100000001b3ull;
  }
  return h;
}

// A value is plain text (trimmed), or quoted: "..." keeps blanks, with the
// escapes \\ \" \t and \xNN (a raw byte, written as it is, not converted).
struct ValuePart {
  bool raw;
  std::string bytes;
};

bool DecodeValue(const std::string& value, std::vector<ValuePart>& parts, std::string& problem) {
  parts.clear();
  if (value.empty() || value[0] != '"') {
    parts.push_back({false, value});
    return true;
  }
  if (value.size() < 2 || value.back() != '"') {
    problem = "a quoted value must end with '\"'";
    return false;
  }
  std::string inner = value.substr(1, value.size() - 2);
  std::string text;
  for (size_t i = 0; i < inner.size(); ++i) {
    char c = inner[i];
    if (c == '"') {
      problem = "a '\"' inside a quoted value must be written \\\"";
      return false;
    }
    if (c != '\\') {
      text += c;
      continue;
    }
    if (i + 1 >= inner.size()) {
      problem = "a quoted value ends with a lone backslash (write \\\\)";
      return false;
    }
    char e = inner[++i];
    if (e == '\\' || e == '"') {
      text += e;
    } else if (e == 't') {
      text += '\t';
    } else if (e == 'x' && i + 2 < inner.size() && isxdigit(static_cast<unsigned char>(inner[i + 1])) &&
               isxdigit(static_cast<unsigned char>(inner[i + 2]))) {
      if (!text.empty()) parts.push_back({false, text});
      text.clear();
      char digits[3] = {inner[i + 1], inner[i + 2], 0};
      parts.push_back({true, std::string(1, static_cast<char>(strtol(digits, nullptr, 16)))});
      i += 2;
    } else {
      problem = std::string("unknown escape \\") + e + " in a quoted value (use \\\\ \\\" \\t \\xNN)";
      return false;
    }
  }
  if (!text.empty()) parts.push_back({false, text});
  return true;
}

// Path rules shared by targets and directories (Windows-1250, after the codes).
bool CheckWindowsPath(const std::string& path, std::string& problem) {
  if (path.size() < 2 || path[0] != '\\') {
    problem = "must begin with a backslash and name something";
    return false;
  }
  if (path.back() == '\\') {
    problem = "must not end with a backslash";
    return false;
  }
  for (char ch : path) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x20 || strchr("/:*?\"<>|", c) != nullptr) {
      problem = std::string("holds a character a Windows path cannot hold ('") + ch + "')";
      return false;
    }
  }
  size_t start = 1;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    std::string segment = path.substr(start, end - start);
    if (segment.empty() || segment == "." || segment == "..") {
      problem = "has an empty, '.' or '..' part";
      return false;
    }
    start = end + 1;
  }
  return true;
}

// Sources become URLs and server paths: printable ASCII without blanks,
// commas or anything with a meaning of its own in a URL or a Windows name.
bool CheckSource(const std::string& source, std::string& problem) {
  if (source.size() < 2 || source[0] != '\\') {
    problem = "must begin with a backslash and name a file";
    return false;
  }
  for (char ch : source) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c <= 0x20 || c >= 0x7F || strchr(",/:*?\"<>|%#", c) != nullptr) {
      problem = "may hold printable ASCII only, without blanks or any of , / : * ? \" < > | % #";
      return false;
    }
  }
  std::string why;
  if (!CheckWindowsPath(source, why)) {
    problem = why;
    return false;
  }
  return true;
}

bool CheckFolder(const std::string& folder, std::string& problem) {
  if (folder.empty()) {
    problem = "must not be empty";
    return false;
  }
  size_t start = 0;
  while (start <= folder.size()) {
    size_t end = folder.find('/', start);
    if (end == std::string::npos) end = folder.size();
    std::string segment = folder.substr(start, end - start);
    if (segment.empty() || segment == "." || segment == "..") {
      problem = "has an empty, '.' or '..' part ('/' separates parts)";
      return false;
    }
    for (char c : segment) {
      bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                c == '.' || c == '-' || c == '_';
      if (!ok) {
        problem = "may hold letters, digits, '.', '-', '_' and '/' only";
        return false;
      }
    }
    start = end + 1;
  }
  return true;
}

enum SectionKind {
  SectionNone,
  SectionSite,
  SectionProbe,
  SectionSystem,
  SectionDirectories,
  SectionRegistry,
  SectionFont,
  SectionCommands,
  SectionDisc,
  SectionFile,
};

struct SectionName {
  const char* word;
  SectionKind kind;
};

const SectionName SectionNames[] = {
    {"site", SectionSite},         {"probe", SectionProbe},   {"system", SectionSystem},
    {"directories", SectionDirectories}, {"registry", SectionRegistry}, {"font", SectionFont},
    {"commands", SectionCommands}, {"disc", SectionDisc},     {"file", SectionFile},
};

class Parser {
 public:
  Parser(const DistParseOptions& options, Description& out) : options_(options), out_(out) {}

  bool Run(const std::string& text);
  const std::string& Error() const { return error_; }

 private:
  bool Fail(int line, const std::string& message) {
    char prefix[32];
    snprintf(prefix, sizeof prefix, ":%d: ", line);
    error_ = options_.fileName + prefix + message;
    return false;
  }

  bool Header(const std::string& inside);
  bool KeyValue(const std::string& key, const std::string& value);
  bool FinishSection();
  bool FinishAll();

  // Takes a value as Windows-1250 text / as plain UTF-8 (no raw bytes).
  bool TextValue(const std::string& value, std::string& out);
  bool PlainValue(const std::string& value, std::string& out);
  // A key that may be given once per section.
  bool Once(const std::string& key);
  bool Given(const char* key) const {
    return std::find(onceKeys_.begin(), onceKeys_.end(), key) != onceKeys_.end();
  }
  bool ExpandCopyPath(const std::string& value, std::string& out);

  const DistParseOptions& options_;
  Description& out_;
  std::string error_;
  int line_ = 0;

  SectionKind section_ = SectionNone;
  int sectionLine_ = 0;
  std::vector<std::string> onceKeys_;
  std::vector<SectionKind> seenSections_;
  bool probeGiven_ = false;

  DistRegistryEntry registry_;
  DistFontEntry font_;
  DistFile file_;
  int contentKeys_ = 0;
};

bool Parser::TextValue(const std::string& value, std::string& out) {
  std::vector<ValuePart> parts;
  std::string problem;
  if (!DecodeValue(value, parts, problem)) return Fail(line_, problem);
  out.clear();
  for (const ValuePart& part : parts) {
    if (part.raw) {
      out += part.bytes;
      continue;
    }
    std::string bad;
    if (!Utf8ToCp1250(part.bytes, out, bad)) {
      return Fail(line_, "cannot write " + bad + " in Windows-1250 (use \"\\xNN\" for raw bytes)");
    }
  }
  return true;
}

bool Parser::PlainValue(const std::string& value, std::string& out) {
  std::vector<ValuePart> parts;
  std::string problem;
  if (!DecodeValue(value, parts, problem)) return Fail(line_, problem);
  out.clear();
  for (const ValuePart& part : parts) {
    if (part.raw) return Fail(line_, "\\xNN is allowed in texts only");
    out += part.bytes;
  }
  return true;
}

bool Parser::Once(const std::string& key) {
  if (std::find(onceKeys_.begin(), onceKeys_.end(), key) != onceKeys_.end()) {
    return Fail(line_, key + " is given twice in this section");
  }
  onceKeys_.push_back(key);
  return true;
}

bool Parser::ExpandCopyPath(const std::string& value, std::string& out) {
  out.clear();
  size_t i = 0;
  while (i < value.size()) {
    if (value.compare(i, 2, "@{") != 0) {
      out += value[i++];
      continue;
    }
    size_t close = value.find('}', i + 2);
    if (close == std::string::npos) return Fail(line_, "@{ without a closing }");
    std::string name = value.substr(i + 2, close - i - 2);
    const std::string* found = nullptr;
    for (const auto& define : options_.defines) {
      if (define.first == name) found = &define.second;  // the last one counts
    }
    if (found == nullptr) {
      return Fail(line_, "@{" + name + "} is not defined (give --define " + name + "=PATH)");
    }
    out += *found;
    i = close + 1;
  }
  if (out.empty()) return Fail(line_, "Copy needs a path");
  if (out[0] != '/') out = options_.baseDir + "/" + out;
  return true;
}

bool Parser::Header(const std::string& inside) {
  if (!FinishSection()) return false;
  std::vector<std::string> words = Words(inside);
  if (words.empty()) return Fail(line_, "empty section name");
  SectionKind kind = SectionNone;
  for (const SectionName& name : SectionNames) {
    if (words[0] == name.word) kind = name.kind;
  }
  if (kind == SectionNone) {
    return Fail(line_, "unknown section [" + words[0] +
                           "] (expected site, probe, system, directories, registry, font, "
                           "commands, disc N or file COMPONENT SOURCE)");
  }
  section_ = kind;
  sectionLine_ = line_;
  onceKeys_.clear();

  bool repeatable = kind == SectionRegistry || kind == SectionFont || kind == SectionDisc ||
                    kind == SectionFile;
  if (!repeatable) {
    if (std::find(seenSections_.begin(), seenSections_.end(), kind) != seenSections_.end()) {
      return Fail(line_, "[" + words[0] + "] is given twice");
    }
    seenSections_.push_back(kind);
  }

  if (kind == SectionDisc) {
    uint64_t number = 0;
    if (words.size() != 2 || !ParseUnsigned(words[1], number)) {
      return Fail(line_, "a disc section is [disc N] with N = 1 ... 15");
    }
    size_t expected = out_.discs.size() + 1;
    if (number != expected) {
      return Fail(line_, "discs are numbered 1, 2, ... without gaps: expected [disc " +
                             std::to_string(expected) + "]");
    }
    if (number > DistMaxDiscs) return Fail(line_, "at most 15 discs");
    DistDisc disc;
    disc.line = line_;
    disc.number = static_cast<int>(number);
    out_.discs.push_back(disc);
    return true;
  }
  if (kind == SectionFile) {
    if (words.size() != 3) {
      return Fail(line_, "a file section is [file COMPONENT SOURCE], e.g. [file Setup \\Setup\\a.txt]");
    }
    if (out_.discs.empty()) return Fail(line_, "[file ...] before the first [disc N]");
    file_ = DistFile();
    file_.line = line_;
    file_.component = FindDistComponent(words[1]);
    if (file_.component < 0) {
      return Fail(line_, "unknown component '" + words[1] +
                             "' (expected Setup, Systems, Drawings, Blocks, Projects, Datas or Help)");
    }
    std::string problem;
    if (!CheckSource(words[2], problem)) return Fail(line_, "source " + words[2] + " " + problem);
    file_.source = words[2];
    contentKeys_ = 0;
    return true;
  }
  if (words.size() != 1) return Fail(line_, "[" + words[0] + "] takes no arguments");
  if (kind == SectionRegistry) registry_ = DistRegistryEntry();
  if (kind == SectionFont) font_ = DistFontEntry();
  if (kind == SectionProbe) probeGiven_ = true;
  return true;
}

bool Parser::KeyValue(const std::string& key, const std::string& value) {
  std::string problem;
  switch (section_) {
    case SectionNone:
      return Fail(line_, "a key before the first [section]");

    case SectionSite: {
      std::string* target = nullptr;
      if (key == "WebFolder") target = &out_.webFolder;
      if (key == "DownloadFolder") target = &out_.downloadFolder;
      if (key == "Product") target = &out_.product;
      if (target == nullptr) {
        return Fail(line_, "unknown key " + key + " in [site] (expected WebFolder, DownloadFolder, Product)");
      }
      if (!Once(key) || !PlainValue(value, *target)) return false;
      if (!CheckFolder(*target, problem)) return Fail(line_, key + " " + problem);
      return true;
    }

    case SectionProbe: {
      if (key != "Line") return Fail(line_, "unknown key " + key + " in [probe] (expected Line)");
      std::string text;
      if (!TextValue(value, text)) return false;
      out_.probeLines.push_back(text);
      return true;
    }

    case SectionSystem: {
      std::string text;
      if (!Once(key) || !TextValue(value, text)) return false;
      out_.system.emplace_back(key, text);
      return true;
    }

    case SectionDirectories: {
      if (key != "Dir") return Fail(line_, "unknown key " + key + " in [directories] (expected Dir)");
      std::string dir;
      if (!TextValue(value, dir)) return false;
      if (!CheckWindowsPath(dir, problem)) return Fail(line_, "directory " + problem);
      std::string lower = Lower(dir);
      size_t cut = lower.rfind('\\');
      bool parentListed = cut == 0;
      for (const std::string& earlier : out_.directories) {
        std::string other = Lower(earlier);
        if (other == lower) return Fail(line_, "directory listed twice");
        if (cut > 0 && other == lower.substr(0, cut)) parentListed = true;
      }
      if (!parentListed) return Fail(line_, "a directory's parent must be listed before it");
      out_.directories.push_back(dir);
      return true;
    }

    case SectionRegistry: {
      std::string* target = nullptr;
      if (key == "FileType") target = &registry_.fileType;
      if (key == "ClassName") target = &registry_.className;
      if (key == "ExeFile") target = &registry_.exeFile;
      if (key == "IconFile") target = &registry_.iconFile;
      if (target == nullptr) {
        return Fail(line_, "unknown key " + key +
                               " in [registry] (expected FileType, ClassName, ExeFile, IconFile)");
      }
      return Once(key) && TextValue(value, *target);
    }

    case SectionFont: {
      std::string* target = nullptr;
      if (key == "FontFile") target = &font_.fontFile;
      if (key == "FontName") target = &font_.fontName;
      if (target == nullptr) {
        return Fail(line_, "unknown key " + key + " in [font] (expected FontFile, FontName)");
      }
      return Once(key) && TextValue(value, *target);
    }

    case SectionCommands: {
      if (key != "Command") return Fail(line_, "unknown key " + key + " in [commands] (expected Command)");
      std::string text;
      if (!TextValue(value, text)) return false;
      out_.commands.push_back(text);
      return true;
    }

    case SectionDisc: {
      if (key != "Name") return Fail(line_, "unknown key " + key + " in [disc N] (expected Name)");
      DistDisc& disc = out_.discs.back();
      if (!Once(key) || !TextValue(value, disc.name)) return false;
      if (disc.name.empty()) return Fail(line_, "a disc needs a non-empty Name");
      return true;
    }

    case SectionFile: {
      if (key == "Target") {
        if (!Once(key) || !TextValue(value, file_.target)) return false;
        DistTarget target;
        if (!SplitDistTarget(file_.target, target)) {
          return Fail(line_, "a target is codes (*? *- *%) and then a path beginning with a backslash");
        }
        if (!CheckWindowsPath(target.path, problem)) return Fail(line_, "target path " + problem);
        return true;
      }
      if (key == "Separator") {
        std::string word;
        if (!Once(key) || !PlainValue(value, word)) return false;
        if (word != "space" && word != "comma") return Fail(line_, "Separator is space or comma");
        file_.commaSeparator = word == "comma";
        return true;
      }
      if (key == "Generate") {
        if (!Once(key)) return false;
        ++contentKeys_;
        std::string plain;
        if (!PlainValue(value, plain)) return false;
        std::vector<std::string> words = Words(plain);
        if (words.empty() || words.size() > 2 || !ParseUnsigned(words[0], file_.size) ||
            (words.size() == 2 && !ParseUnsigned(words[1], file_.seed))) {
          return Fail(line_, "Generate is SIZE [SEED] (decimal numbers)");
        }
        if (file_.size == 0 || file_.size > DistMaxFileSize) {
          return Fail(line_, "Generate size must be 1 ... 67108864 bytes");
        }
        if (words.size() == 1) file_.seed = HashText(file_.source);
        file_.kind = DistContentGenerate;
        return true;
      }
      if (key == "Text") {
        if (!Given("Text")) {
          onceKeys_.push_back("Text");
          ++contentKeys_;
        }
        std::string text;
        if (!TextValue(value, text)) return false;
        file_.kind = DistContentText;
        file_.text += text + "\r\n";
        return true;
      }
      if (key == "Copy") {
        if (!Once(key)) return false;
        ++contentKeys_;
        std::string plain;
        if (!PlainValue(value, plain) || !ExpandCopyPath(plain, file_.copyPath)) return false;
        file_.kind = DistContentCopy;
        return true;
      }
      return Fail(line_, "unknown key " + key +
                             " in [file ...] (expected Target, Separator, Generate, Text, Copy)");
    }
  }
  return Fail(line_, "internal: no section");
}

bool Parser::FinishSection() {
  switch (section_) {
    case SectionRegistry:
      if (!Given("FileType") || !Given("ClassName") || !Given("ExeFile") || !Given("IconFile")) {
        return Fail(sectionLine_, "[registry] needs FileType, ClassName, ExeFile and IconFile");
      }
      out_.registry.push_back(registry_);
      break;
    case SectionFont:
      if (!Given("FontFile") || !Given("FontName")) {
        return Fail(sectionLine_, "[font] needs FontFile and FontName");
      }
      out_.fonts.push_back(font_);
      break;
    case SectionDisc:
      if (!Given("Name")) return Fail(sectionLine_, "[disc N] needs a Name");
      break;
    case SectionFile: {
      if (!Given("Target")) return Fail(sectionLine_, "[file ...] needs a Target");
      if (contentKeys_ != 1) {
        return Fail(sectionLine_, "[file ...] needs exactly one of Generate, Text and Copy");
      }
      DistDisc& disc = out_.discs.back();
      std::string lower = Lower(file_.source);
      char listName[32];
      snprintf(listName, sizeof listName, "\\fajls_%d.ini", disc.number);
      if (lower == listName || (disc.number == 1 && lower == "\\install.ini")) {
        return Fail(sectionLine_, "source " + file_.source + " is the name of a generated file");
      }
      for (const DistFile& other : disc.files) {
        std::string otherLower = Lower(other.source);
        if (otherLower == lower) {
          return Fail(sectionLine_, "source " + file_.source + " is already on this disc (line " +
                                        std::to_string(other.line) + ")");
        }
        if (otherLower.compare(0, lower.size() + 1, lower + "\\") == 0 ||
            lower.compare(0, otherLower.size() + 1, otherLower + "\\") == 0) {
          return Fail(sectionLine_, "source " + file_.source + " and " + other.source + " (line " +
                                        std::to_string(other.line) + ") would be a file and a folder");
        }
      }
      DistTarget target;
      SplitDistTarget(file_.target, target);
      std::string targetKey = (target.windows ? "%" : "") + Lower(target.path);
      for (const DistDisc& d : out_.discs) {
        for (const DistFile& other : d.files) {
          DistTarget otherTarget;
          SplitDistTarget(other.target, otherTarget);
          if ((otherTarget.windows ? "%" : "") + Lower(otherTarget.path) == targetKey) {
            return Fail(sectionLine_, "target is already installed by line " + std::to_string(other.line));
          }
        }
      }
      disc.files.push_back(file_);
      break;
    }
    default:
      break;
  }
  section_ = SectionNone;
  return true;
}

bool Parser::FinishAll() {
  if (!FinishSection()) return false;
  if (out_.discs.empty()) return Fail(line_, "no [disc 1]");
  for (const char* key : RequiredSystemKeys) {
    bool found = false;
    for (const auto& entry : out_.system) found = found || entry.first == key;
    if (!found) return Fail(line_, std::string("[system] needs ") + key);
  }
  for (const auto& entry : out_.system) {
    if (entry.first == "RootDirectory" && entry.second.empty()) {
      return Fail(line_, "RootDirectory must not be empty");
    }
  }
  if (!probeGiven_) {
    for (const char* text : DefaultProbe) out_.probeLines.push_back(text);
  }
  return true;
}

bool Parser::Run(const std::string& text) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string raw = text.substr(pos, end - pos);
    pos = end + 1;
    ++line_;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    std::string lineText = Trim(raw);
    if (lineText.empty() || lineText[0] == '#') continue;
    if (lineText[0] == '[') {
      if (lineText.back() != ']') return Fail(line_, "a section line ends with ']'");
      if (!Header(lineText.substr(1, lineText.size() - 2))) return false;
      continue;
    }
    size_t equals = lineText.find('=');
    if (equals == std::string::npos) return Fail(line_, "expected KEY = VALUE or [section]");
    std::string key = Trim(lineText.substr(0, equals));
    if (!IsKeyName(key)) return Fail(line_, "a key is letters, digits and '_': '" + key + "'");
    if (!KeyValue(key, Trim(lineText.substr(equals + 1)))) return false;
  }
  return FinishAll();
}

}  // namespace

bool ParseDescription(const std::string& text, const DistParseOptions& options, Description& out,
                      std::string& error) {
  out = Description();
  Parser parser(options, out);
  if (!parser.Run(text)) {
    error = parser.Error();
    return false;
  }
  error.clear();
  return true;
}
