#include "tools/distribution/zelta-dist/verify_ini.h"

#include <algorithm>
#include <cctype>

#include "common/bounded_text.h"
#include "tools/distribution/zelta-dist/cp1250.h"
#include "tools/distribution/zelta-dist/verify_text.h"
#include "web/ini_lookup.h"

namespace {

bool Lookup(const std::string& text, size_t length, const std::string& section, const std::string& key,
            std::string& value) {
  char out[256];
  bool found = IniLookup(section.c_str(), key.c_str(), out, sizeof out, text.data(), length);
  value = out;
  return found;
}

std::vector<size_t> CrLfEnds(const std::string& text) {
  std::vector<size_t> ends;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == '\r' && text[i + 1] == '\n') ends.push_back(i + 2);
  }
  return ends;
}

std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

std::string Lower(const std::string& text) {
  std::string out = text;
  for (char& c : out) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return out;
}

// Whether the lookup finds the key in the text up to the end of line
// `index` (0-based; the CR LF lines, then the unterminated rest).
bool FoundWithin(const std::string& text, const std::vector<size_t>& ends, size_t index, const std::string& section,
                 const std::string& key, std::string& value) {
  return Lookup(text, index < ends.size() ? ends[index] : text.size(), section, key, value);
}

// The line the lookup takes is the last of the shortest run of lines from
// the start in which it already finds the key: IniLookup itself decides.
// `guess`, the index of a likely line (`guessLine` its number as an editor
// counts), is tried first; an index past the rest tries nothing.
IniValue Locate(const std::string& text, const std::vector<size_t>& ends, const std::string& section,
                const std::string& key, size_t guess, int guessLine) {
  IniValue result;
  std::string value;
  if (guess <= ends.size() && FoundWithin(text, ends, guess, section, key, result.value) &&
      (guess == 0 || !FoundWithin(text, ends, guess - 1, section, key, value))) {
    result.found = true;
    result.line = guessLine;
    return result;
  }
  result.found = Lookup(text, text.size(), section, key, result.value);
  if (!result.found) return result;
  size_t low = 0, high = ends.size();  // the answer lies in [low, high]; high: only in the whole text
  while (low < high) {
    size_t mid = (low + high) / 2;
    if (FoundWithin(text, ends, mid, section, key, value)) {
      high = mid;
    } else {
      low = mid + 1;
    }
  }
  result.line = LineAt(text, low == 0 ? 0 : ends[low - 1]);
  return result;
}

// The index of the line (as FoundWithin counts) beginning at `offset`;
// past the rest when none does.
size_t CrLfLineAt(const std::vector<size_t>& ends, size_t offset) {
  if (offset == 0) return 0;
  auto at = std::lower_bound(ends.begin(), ends.end(), offset);
  return at != ends.end() && *at == offset ? static_cast<size_t>(at - ends.begin()) + 1 : ends.size() + 1;
}

}  // namespace

IniValue LookupIni(const std::string& text, const std::string& section, const std::string& key) {
  std::vector<size_t> ends = CrLfEnds(text);
  return Locate(text, ends, section, key, ends.size() + 1, 0);
}

IniSection OpenSection(const std::string& file, const std::string& text, const std::string& name) {
  IniSection section;
  section.file = file;
  section.text = &text;
  section.name = name;
  section.lineEnds = CrLfEnds(text);
  section.header = Locate(text, section.lineEnds, name, "", section.lineEnds.size() + 1, 0);
  if (!section.header.found) return section;

  int line = 1;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string content = text.substr(start, end - start);
    if (!content.empty() && content.back() == '\r') content.pop_back();
    if (line > section.header.line) {
      if (!content.empty() && content[0] == '[') break;
      size_t equals = content.find('=');
      if (equals != std::string::npos) {
        section.byKey[Lower(Trim(content.substr(0, equals)))].push_back(section.keys.size());
        section.keys.push_back({line, start, Trim(content.substr(0, equals))});
      }
    }
    start = end + 1;
    ++line;
  }
  return section;
}

bool IsAbsent(const IniValue& value) {
  return !value.found || (!value.value.empty() && value.value[0] == '*');
}

IniValue ReadKey(const IniSection& section, const std::string& key, SiteProblems& problems) {
  const std::string& text = *section.text;
  const std::vector<size_t> none;
  auto entry = section.byKey.find(Lower(key));
  const std::vector<size_t>& same = entry != section.byKey.end() ? entry->second : none;

  // A line written exactly for the key is where the lookup most likely reads it.
  size_t guess = section.lineEnds.size() + 1;
  int guessLine = 0;
  for (size_t i : same) {
    const IniKeyLine& line = section.keys[i];
    if (line.key == key && text.compare(line.offset, key.size(), key) == 0) {
      guess = CrLfLineAt(section.lineEnds, line.offset);
      guessLine = line.line;
      break;
    }
  }
  IniValue value = Locate(text, section.lineEnds, section.name, key, guess, guessLine);
  if (!section.header.found) return value;

  if (value.found) {
    auto taken = std::lower_bound(section.keys.begin(), section.keys.end(), value.line,
                                  [](const IniKeyLine& line, int number) { return line.line < number; });
    if (taken != section.keys.end() && taken->line == value.line && taken->key != key) {
      AddProblem(problems, section.file, value.line,
                 key + " is read from this line, written for " + Cp1250ToUtf8(taken->key) +
                     " (keys match by their beginning)");
    }
  }
  int first = 0;  // the first line a lenient reader takes
  for (size_t i : same) {
    const IniKeyLine& line = section.keys[i];
    if (first != 0) {
      if (line.line != value.line) {
        AddWarning(problems, section.file, line.line,
                   key + " is written again here; only line " + std::to_string(value.found ? value.line : first) +
                       " is read");
      }
      continue;
    }
    first = line.line;
    if (line.line == value.line) continue;
    if (value.found) {
      AddProblem(problems, section.file, line.line,
                 key + " is written here too; the download reads line " + std::to_string(value.line) +
                     ", the installation this one");
    } else {
      AddProblem(problems, section.file, line.line,
                 "'" + Cp1250ToUtf8(line.key) + "' is not found as " + key +
                     " by the download: keys are case-sensitive and begin their line");
    }
  }
  return value;
}

void CheckListEnd(const IniSection& section, const std::string& prefix, int count, SiteProblems& problems) {
  const std::string lowerPrefix = Lower(prefix);
  for (const IniKeyLine& entry : section.keys) {
    if (entry.key.size() <= prefix.size() || Lower(entry.key.substr(0, prefix.size())) != lowerPrefix) continue;
    std::string digits = entry.key.substr(prefix.size());
    if (digits.find_first_not_of("0123456789") != std::string::npos) continue;
    if (TextToInt32(digits.c_str()) <= count) continue;
    AddWarning(problems, section.file, entry.line,
               Cp1250ToUtf8(entry.key) + " is never read: the list ends before " + prefix +
                   std::to_string(count + 1));
  }
}
