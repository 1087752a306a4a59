#include "tests/win/install_test_support.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstdlib>

#include <gtest/gtest.h>

#include <cstdio>

#include "catalogue/install_state.h"
#include "common/bounded_text.h"
#include "tests/win/test_site.h"

namespace {

void MakeParents(const std::string& path) {
  for (size_t i = 3; i < path.size(); ++i) {
    if (path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
  }
}

}  // namespace

std::string WriteTestCatalogue(const std::string& name, const std::string& content) {
  char dir[MAX_PATH];
  GetTempPathA(sizeof dir, dir);
  std::string path = std::string(dir) + name;
  WriteTestFile(path, content);
  TextCopy(InstallState.CataloguePath, path.c_str());
  return path;
}

void WriteTestFile(const std::string& path, const std::string& content) {
  MakeParents(path);
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  fwrite(content.data(), 1, content.size(), f);
  fclose(f);
}

std::string SampleProductPath() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string self(path, n);
  return self.substr(0, self.find_last_of('\\') + 1) + ZELTA_SAMPLE_PRODUCT;
}

bool InstallSampleProduct(const std::string& path) {
  MakeParents(path);
  return CopyFileA(SampleProductPath().c_str(), path.c_str(), FALSE) != 0;
}

bool WaitForFile(const std::string& path, DWORD ms) {
  return WaitUntil([&path] { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }, ms);
}

bool RemoveInstalledTree(const std::string& root, DWORD ms) {
  return WaitUntil([&root] {
    RemoveTree(root);
    return !PathExists(root);
  }, ms);
}

std::string WindowsDirectoryOfProcess() {
  char windir[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("windir", windir, sizeof windir);
  return n > 0 && n < sizeof windir ? std::string(windir) : std::string();
}

void DeleteMachineKey(const std::string& path) {
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, path.c_str());
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
}

LinkFields ReadLink(const std::string& linkPath) {
  LinkFields fields;
  CoInitialize(nullptr);
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  wchar_t wide[MAX_PATH];
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH) != 0 &&
      SUCCEEDED(file->Load(wide, STGM_READ))) {
    fields.loaded = true;
    char text[MAX_PATH] = {};
    if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) fields.path = text;
    text[0] = '\0';
    if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH))) fields.workingFolder = text;
    text[0] = '\0';
    if (SUCCEEDED(link->GetDescription(text, MAX_PATH))) fields.description = text;
    text[0] = '\0';
    if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH, &fields.iconIndex))) fields.iconFile = text;
  }
  if (file != nullptr) file->Release();
  if (link != nullptr) link->Release();
  CoUninitialize();
  return fields;
}

std::string UnixFolderFromEnvironment(const char* variable) {
  const char* value = getenv(variable);
  if (value == nullptr || value[0] != '/') return "";
  std::string path = std::string("Z:") + value;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

void ListFiles(const std::string& folder, const std::string& prefix, std::vector<std::string>* files) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      ListFiles(folder + "\\" + name, prefix + name + "\\", files);
    } else {
      files->push_back(prefix + name);
    }
  } while (FindNextFileA(find, &data));
  FindClose(find);
}

std::string MachineValue(const char* key, const char* name) {
  HKEY handle;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) return "<no key>";
  char value[512] = {};
  DWORD size = sizeof value - 1;
  LONG rc = RegQueryValueExA(handle, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(handle);
  return rc == ERROR_SUCCESS ? value : "<no value>";
}

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}
