#include "tools/distribution/zelta-dist/verify_install_steps.h"

#include "catalogue/catalogue_names.h"
#include "catalogue/install_state.h"
#include "install/group_commands.h"
#include "catalogue/install_paths.h"
#include "tools/distribution/zelta-dist/cp1250.h"
#include "tools/distribution/zelta-dist/verify_ini.h"
#include "tools/distribution/zelta-dist/verify_paths.h"

namespace {

const char ClassesKey[] = "Software\\Classes\\";

std::string Key(const char* prefix, int n) {
  char key[32];
  FormatNumberedKey(key, sizeof key, prefix, n);
  return key;
}

// As the installation reads its local catalogue: an empty value is none.
bool HasValue(const IniValue& value) {
  return !IsAbsent(value) && !value.value.empty();
}

bool Fits(const char* a, const char* b, const char* c = nullptr, const char* d = nullptr) {
  char out[TextSize];
  return JoinWhole(out, sizeof out, a, b, c, d);
}

// ExeFile and IconFile lie in the installed system's folder.
void CheckSystemFile(const IniSection& section, const std::string& key, const IniValue& fileType,
                     const std::string& classKey, const char* subKey, const CatalogueFacts& facts,
                     SiteProblems& problems) {
  IniValue value = ReadKey(section, key, problems);
  if (!HasValue(value)) {
    AddWarning(problems, section.file, fileType.line,
               "no " + key + " for this file type: its registry key " + subKey + " is not written");
    return;
  }
  char folder[TextSize];
  bool fits = Fits(classKey.c_str(), subKey);
  if (fits && facts.rootUsable) {
    fits = FormatSystemFolder(folder, sizeof folder, VerifyDrive, facts.root.c_str()) &&
           Fits(folder, "\\", value.value.c_str());
  }
  if (!fits) {
    AddWarning(problems, section.file, value.line, key + " is too long once joined: the installer leaves it out");
  }
}

void CheckFileTypes(const std::string& file, const std::string& text, const CatalogueFacts& facts,
                    SiteProblems& problems) {
  IniSection section = OpenSection(file, text, "RegistryCommand");
  int n = 1;
  for (;; ++n) {
    IniValue fileType = ReadKey(section, Key("FileType", n), problems);
    if (!HasValue(fileType)) break;
    IniValue className = ReadKey(section, Key("ClassName", n), problems);
    if (!HasValue(className)) {
      AddProblem(problems, file, fileType.line,
                 "no " + Key("ClassName", n) + ": file types from here on are not registered");
      ++n;
      break;
    }
    std::string classKey = ClassesKey + className.value;
    if (!Fits(ClassesKey, fileType.value.c_str()) || !Fits(classKey.c_str(), "")) {
      AddProblem(problems, file, fileType.line, "file type or class name too long for a registry key");
      continue;
    }
    CheckSystemFile(section, Key("ExeFile", n), fileType, classKey, "\\Shell\\Open\\Command", facts, problems);
    CheckSystemFile(section, Key("IconFile", n), fileType, classKey, "\\DefaultIcon", facts, problems);
  }
  CheckListEnd(section, "FileType", n - 1, problems);
}

void CheckFonts(const std::string& file, const std::string& text, SiteProblems& problems) {
  IniSection section = OpenSection(file, text, "FontsCommand");
  const std::string windows = LongestWindowsDirectory();
  int n = 1;
  for (;; ++n) {
    IniValue fontFile = ReadKey(section, Key("FontFile", n), problems);
    if (!HasValue(fontFile)) break;
    IniValue fontName = ReadKey(section, Key("FontName", n), problems);
    if (!HasValue(fontName)) {
      AddProblem(problems, file, fontFile.line, "no " + Key("FontName", n) + ": fonts from here on are not registered");
      ++n;
      break;
    }
    // The file is looked for in the Fonts folder and registered by its name.
    if (!IsPlainFileName(fontFile.value.c_str())) {
      AddProblem(problems, file, fontFile.line,
                 "font file '" + Cp1250ToUtf8(fontFile.value) + "' is no plain file name of the Fonts folder");
    } else if (!Fits(windows.c_str(), "\\Fonts\\", fontFile.value.c_str())) {
      AddProblem(problems, file, fontFile.line, "font file name too long: the installer does not load the font");
    }
  }
  CheckListEnd(section, "FontFile", n - 1, problems);
}

void CheckCommands(const std::string& file, const std::string& text, const CatalogueFacts& facts,
                   SiteProblems& problems) {
  IniSection section = OpenSection(file, text, "Command");
  const std::string windows = LongestWindowsDirectory();
  bool groupSeen = false;
  int n = 1;
  for (;; ++n) {
    IniValue command = ReadKey(section, Key("Command", n), problems);
    if (IsAbsent(command)) break;
    const char* value = command.value.c_str();
    char expanded[TextSize];
    if (facts.rootUsable &&
        !ExpandGroupCommand(expanded, sizeof expanded, value, windows.c_str(), VerifyDrive, facts.root.c_str())) {
      AddProblem(problems, file, command.line,
                 Key("Command", n) + " is over 255 characters once expanded: the installer leaves it out");
    }
    if (groupSeen || !IsGroupCreation(value)) continue;
    // The desktop link is named after the first group made.
    groupSeen = true;
    char name[TextSize];
    if (!GroupNameOf(value, name, sizeof name) || !IsPlainFileName(name)) {
      AddWarning(problems, file, command.line,
                 "the group's name is no plain file name: the installer makes no desktop link");
    }
  }
  CheckListEnd(section, "Command", n - 1, problems);
}

}  // namespace

void CheckInstallSteps(const std::string& file, const std::string& text, const CatalogueFacts& facts,
                       SiteProblems& problems) {
  CheckFileTypes(file, text, facts, problems);
  CheckFonts(file, text, problems);
  CheckCommands(file, text, facts, problems);
}
