#include "install/registry_record.h"

#include <windows.h>

#include "catalogue/install_state.h"
#include "install/catalogue_value.h"
#include "catalogue/install_paths.h"
#include "install/installed_time.h"
#include "install/registry_access.h"

// Key paths, data and the time text are built in TextSize buffers. Whatever
// would not fit is left out rather than written cut: a cut path would name
// another folder, program or key.

namespace {

const char ClassesKey[] = "Software\\Classes\\";

void WriteInstalledTime(const char* recordKey) {
  SYSTEMTIME now;
  GetSystemTime(&now);
  char text[TextSize];
  FormatInstalledTime(text, sizeof text, now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                      now.wSecond);
  WriteRegistryString(HKEY_LOCAL_MACHINE, recordKey, "Installed Time", text);
}

void WriteInstalledBy(const char* recordKey) {
  char user[256];
  DWORD size = sizeof user;
  if (GetUserNameA(user, &size)) {
    WriteRegistryString(HKEY_LOCAL_MACHINE, recordKey, "Installed By", user);
  }
}

// A new installation cancels the record of an earlier removal.
void DropUninstallation(const char* recordKey) {
  char uninstalledBy[TextSize];
  if (!ReadRegistryValue(HKEY_LOCAL_MACHINE, recordKey, "UnInstalled By", uninstalledBy,
                         sizeof uninstalledBy)) {
    return;
  }
  DeleteRegistryValue(HKEY_LOCAL_MACHINE, recordKey, "UnInstalled By");
  DeleteRegistryValue(HKEY_LOCAL_MACHINE, recordKey, "UnInstalled Time");
}

// Sets the default value of classKey + subKey to the installed system's
// folder, "\" and file, when all of it fits.
void WriteSystemFileKey(const char* classKey, const char* subKey, const char* file) {
  char key[TextSize];
  char folder[TextSize];
  char data[TextSize];
  if (!JoinWhole(key, sizeof key, classKey, subKey)) return;
  if (!FormatSystemFolder(folder, sizeof folder, InstallState.TargetDrive,
                          InstallState.RootDirectory)) {
    return;
  }
  if (!JoinWhole(data, sizeof data, folder, "\\", file)) return;
  WriteRegistryString(HKEY_LOCAL_MACHINE, key, "", data);
}

// One numbered file type whose type and class name are known.
void RegisterFileType(int number, const char* fileType, const char* className) {
  char key[TextSize];
  if (JoinWhole(key, sizeof key, ClassesKey, fileType)) {
    WriteRegistryString(HKEY_LOCAL_MACHINE, key, "", className);
  }
  char classKey[TextSize];
  if (!JoinWhole(classKey, sizeof classKey, ClassesKey, className)) return;
  WriteRegistryString(HKEY_LOCAL_MACHINE, classKey, "", className);

  char exeFile[TextSize];
  if (!ReadNumberedCatalogueValue("RegistryCommand", "ExeFile", number, exeFile, sizeof exeFile)) {
    return;
  }
  WriteSystemFileKey(classKey, "\\Shell\\Open\\Command", exeFile);

  char iconFile[TextSize];
  if (!ReadNumberedCatalogueValue("RegistryCommand", "IconFile", number, iconFile,
                                  sizeof iconFile)) {
    return;
  }
  WriteSystemFileKey(classKey, "\\DefaultIcon", iconFile);
}

}  // namespace

void WriteRegistryRecord() {
  char cadSystem[TextSize];
  if (!ReadCatalogueValue("System", "CadSystem", cadSystem, sizeof cadSystem)) return;
  char recordKey[TextSize];
  if (!JoinWhole(recordKey, sizeof recordKey, "Software\\ZeltaSoft\\", cadSystem)) return;

  char value[TextSize];
  if (!ReadCatalogueValue("System", "SubSystem", value, sizeof value)) return;
  WriteRegistryString(HKEY_LOCAL_MACHINE, recordKey, "SubSystem", value);
  if (!ReadCatalogueValue("System", "Version", value, sizeof value)) return;
  WriteRegistryString(HKEY_LOCAL_MACHINE, recordKey, "System Version", value);

  WriteInstalledTime(recordKey);
  char root[TextSize];
  if (FormatInstallRoot(root, sizeof root, InstallState.TargetDrive, InstallState.RootDirectory)) {
    WriteRegistryString(HKEY_LOCAL_MACHINE, recordKey, "Installed Path", root);
  }
  WriteInstalledBy(recordKey);
  DropUninstallation(recordKey);
}

void RegisterFileTypes() {
  for (int number = 1;; ++number) {
    char fileType[TextSize];
    char className[TextSize];
    if (!ReadNumberedCatalogueValue("RegistryCommand", "FileType", number, fileType,
                                    sizeof fileType)) {
      return;
    }
    if (!ReadNumberedCatalogueValue("RegistryCommand", "ClassName", number, className,
                                    sizeof className)) {
      return;
    }
    RegisterFileType(number, fileType, className);
  }
}
