#include "tests/e2e/fault_case.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>

#include "tests/e2e/installer_session.h"
#include "tests/win/install_test_support.h"

const char SampleRoot[] = "C:\\V92EDemo";
const char CancelledPhase[] = "A telepítési folyamat megszakítva!";
const char NoConnectionText[] =
    "\n\nA telepítő rendszernek nincs Internet kapcsolata,\n vagy nincs letöltési engedélye az '" ZELTA_WEB_HOST
    "' WEB lappról!!!";

namespace {

const int StartBox = 508;       // "start the installed system afterwards"
const int PhaseLine = 3201;
const int MessageArea = 3202;
// The longest case waits out three silent phases (30 s each) and then
// installs everything.
const DWORD FollowBound = 180000;

const char LinkName[] = "\\ZeltaCAD Demo.lnk";
const char GroupName[] = "\\ZeltaCAD Demo";
const char RecordKey[] = "Software\\ZeltaSoft\\ZeltaCAD";

std::string ProgramPath() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string self(path, n);
  return self.substr(0, self.find_last_of('\\') + 1) + ZELTA_INSTALLER;
}

std::string ToWindows(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

// A folder of the C: drive as a snapshot key ("C:\\users\\x" -> "users\\x").
std::string DriveKey(const std::string& path) {
  return SnapshotKey(path.size() > 3 && path.compare(0, 3, "C:\\") == 0 ? path.substr(3) : path);
}

std::string WindowText(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

struct BoxSearch {
  DWORD pid;
  HWND found;
};

// A message box of the program: any visible dialog of its process other
// than the setup dialog (drive field 503) and the progress dialog (bar 3206).
BOOL CALLBACK OnTopLevel(HWND window, LPARAM data) {
  BoxSearch* search = reinterpret_cast<BoxSearch*>(data);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search->pid || !IsWindowVisible(window)) return TRUE;
  char name[32] = {};
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpA(name, "#32770") != 0) return TRUE;
  if (GetDlgItem(window, 503) != nullptr || GetDlgItem(window, 3206) != nullptr) return TRUE;
  search->found = window;
  return FALSE;
}

HWND FindMessageBox(DWORD pid) {
  BoxSearch search = {pid, nullptr};
  EnumWindows(OnTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void WriteWhole(const std::string& path, const std::string& content) {
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  fwrite(content.data(), 1, content.size(), f);
  fclose(f);
}

// Removes the empty folders above a removed site file, up to the host's
// update folder.
void RemoveEmptyParents(std::string path, const std::string& stop) {
  for (;;) {
    size_t cut = path.find_last_of('\\');
    if (cut == std::string::npos) return;
    path.resize(cut);
    if (path.size() <= stop.size()) return;
    if (!RemoveDirectoryA(path.c_str())) return;
  }
}

// A root the tests may remove: one plain folder directly below C:\. A name
// of dots and blanks could stand for the drive's root itself.
bool IsRemovableRoot(const std::string& root) {
  if (root.size() <= 3 || root.compare(0, 3, "C:\\") != 0) return false;
  std::string name = root.substr(3);
  if (name.find_first_of("\\/:*?") != std::string::npos) return false;
  return name.find_first_not_of(". ") != std::string::npos;
}

}  // namespace

std::vector<std::string> RunOutcome::Texts() const {
  std::vector<std::string> texts;
  for (const MessageSeen& m : messages) texts.push_back(m.text);
  return texts;
}

bool RunOutcome::Requested(const std::string& part) const {
  return requests.find(part) != std::string::npos;
}

void FaultCase::SetUp() {
  expect_ = UnixFolderFromEnvironment("ZELTA_EXPECT");
  ASSERT_FALSE(expect_.empty()) << "run under tests/win/with_sample_site.sh";
  ClearInstallation();
  ASSERT_FALSE(PathExists(SampleRoot));
}

void FaultCase::TearDown() {
  withoutChecksums_ = false;
  RestoreSite();
}

void FaultCase::WithoutChecksums() {
  withoutChecksums_ = true;
  RemoveFromBoth("VarnelDemo/Disc_01/Fajls_1.sha256");
  RemoveFromBoth("VarnelDemo/Disc_02/Fajls_2.sha256");
}

std::string FaultCase::SiteFile(const std::string& relative) {
  std::string content;
  EXPECT_TRUE(ReadLocalFile(UpdateFolder(WebSite) + "\\" + ToWindows(relative), &content)) << relative;
  return content;
}

void FaultCase::Save(const std::string& path) {
  for (const SavedFile& saved : saved_)
    if (saved.path == path) return;
  SavedFile saved;
  saved.path = path;
  saved.existed = ReadLocalFile(path, &saved.content);
  saved_.push_back(saved);
}

void FaultCase::ServeOnBoth(const std::string& relative, const std::string& content) {
  for (SiteHost host : {WebSite, DownloadSite}) {
    Save(UpdateFolder(host) + "\\" + ToWindows(relative));
    WriteSiteFile(host, relative, content);
  }
}

void FaultCase::ServeAtHostRoots(const std::string& name, const std::string& content) {
  for (const char* host : {"\\web\\", "\\download\\"}) {
    std::string path = SitePath() + host + name;
    Save(path);
    WriteWhole(path, content);
  }
}

void FaultCase::RemoveFromBoth(const std::string& relative) {
  for (SiteHost host : {WebSite, DownloadSite}) {
    std::string path = UpdateFolder(host) + "\\" + ToWindows(relative);
    Save(path);
    DeleteFileA(path.c_str());
    EXPECT_FALSE(PathExists(path));
  }
}

void FaultCase::Fault(SiteHost host, const std::string& relative, const std::string& fault) {
  faults_.emplace_back(host, relative);
  SetFault(host, relative, fault);
}

void FaultCase::RestoreSite() {
  for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
    if (it->existed) {
      WriteWhole(it->path, it->content);
    } else {
      DeleteFileA(it->path.c_str());
      RemoveEmptyParents(it->path, SitePath());
    }
  }
  saved_.clear();
  for (const auto& fault : faults_) SetFault(fault.first, fault.second, "");
  faults_.clear();
  ClearInstallation();
  for (const std::string& root : roots_) ClearInstallation(root);
  roots_.clear();
  if (withoutChecksums_) WithoutChecksums();
}

void FaultCase::ClearInstallation(const std::string& root) {
  // A root so long that the program cut it is removed like any other.
  if (!IsRemovableRoot(root)) {
    ADD_FAILURE() << "not a root to remove: " << root;
    return;
  }
  RemoveInstalledTree(root);
  DeleteMachineKey(RecordKey);
  for (const char* key : {"Software\\Classes\\.zdw", "Software\\Classes\\.zbl", "Software\\Classes\\ZeltaCAD.Rajz",
                          "Software\\Classes\\ZeltaCAD.Blokk"})
    DeleteMachineKey(key);
  DeleteFileA((ShellFolder(CSIDL_DESKTOP) + LinkName).c_str());
  RemoveTree(ShellFolder(CSIDL_PROGRAMS) + GroupName);
  // So that a later success shows the font copied again.
  DeleteFileA((WindowsDirectoryOfProcess() + "\\Fonts\\ZeltaIso.ttf").c_str());
}

std::string FaultCase::AccessLog() const {
  std::string log;
  ReadLocalFile(UnixFolderFromEnvironment("ZELTA_VENDOR_STATE") + "\\nginx-access.log", &log);
  return log;
}

RunOutcome FaultCase::Run(const std::vector<int>& answers, const std::string& root,
                          const std::function<void(HWND progress, DWORD sinceStart)>& during) {
  RunOutcome run;
  if (!IsRemovableRoot(root)) {
    ADD_FAILURE() << "not a root to follow: " << root;
    return run;
  }
  if (root != SampleRoot) roots_.push_back(root);
  InstallerSession session;
  if (!session.Start(ProgramPath())) {
    ADD_FAILURE() << "the installer did not start";
    return run;
  }
  HWND setup = session.WaitForSetupDialog();
  if (setup == nullptr) {
    ADD_FAILURE() << "no setup dialog";
    return run;
  }
  // The installed system is not started afterwards: each case ends with the
  // installer itself.
  if (InstallerSession::Checked(setup, StartBox)) InstallerSession::Click(setup, StartBox);
  EXPECT_TRUE(InstallerSession::WaitForCheck(setup, StartBox, false));

  DriveSnapshot before = TakeSnapshot("C:\\");
  size_t logStart = AccessLog().size();
  DWORD start = GetTickCount();
  InstallerSession::Click(setup, IDOK);
  HWND progress = session.WaitForProgressDialog();
  if (progress == nullptr) {
    ADD_FAILURE() << "no progress dialog";
    return run;
  }

  size_t answered = 0;
  bool ended = false;
  while (GetTickCount() - start < FollowBound) {
    if (!IsWindow(progress)) {
      run.toEnding = GetTickCount() - start;
      run.closedItself = true;
      ended = true;
      break;
    }
    std::string phase = InstallerSession::Text(progress, PhaseLine);
    if (run.phases.empty() || run.phases.back() != phase) run.phases.push_back(phase);
    HWND box = FindMessageBox(session.pid());
    if (box != nullptr) {
      MessageSeen seen;
      seen.caption = WindowText(box);
      seen.text = InstallerSession::MessageText(box);
      run.messages.push_back(seen);
      InstallerSession::Answer(box, answered < answers.size() ? answers[answered] : IDCANCEL);
      ++answered;
      continue;
    }
    if (during) during(progress, GetTickCount() - start);
    if (InstallerSession::Text(progress, IDCANCEL) == "Kilépés" && InstallerSession::Enabled(progress, IDCANCEL)) {
      run.toEnding = GetTickCount() - start;
      run.exitButton = true;
      run.finalPhase = InstallerSession::Text(progress, PhaseLine);
      run.messageArea = InstallerSession::Text(progress, MessageArea);
      ended = true;
      break;
    }
    Sleep(20);
  }
  if (!ended) ADD_FAILURE() << "no ending within " << FollowBound << " ms; last phase: "
                            << (run.phases.empty() ? "" : run.phases.back());
  if (run.closedItself && !run.phases.empty()) run.finalPhase = run.phases.back();
  if (run.exitButton) InstallerSession::Click(progress, IDCANCEL);
  run.exitCode = session.WaitForExit(20000);
  run.milliseconds = GetTickCount() - start;

  run.after = TakeSnapshot("C:\\");
  for (const auto& item : run.after)
    if (before.find(item.first) == before.end()) run.added.push_back(item.first);
  run.outside = ChangesOutside(before, run.after,
      {DriveKey(root), DriveKey(WindowsDirectoryOfProcess() + "\\Fonts"),
       DriveKey(ShellFolder(CSIDL_DESKTOP) + LinkName), DriveKey(ShellFolder(CSIDL_PROGRAMS) + GroupName)});
  std::string log = AccessLog();
  if (log.size() > logStart) run.requests = log.substr(logStart);
  return run;
}

void FaultCase::ExpectSuccess(const RunOutcome& run) {
  EXPECT_TRUE(run.closedItself) << "final phase: " << run.finalPhase;
  EXPECT_FALSE(run.exitButton);
  EXPECT_EQ(run.exitCode, 0);
  for (const std::string& change : run.outside) ADD_FAILURE() << "written outside: " << change;
  EXPECT_TRUE(PathExists(ShellFolder(CSIDL_DESKTOP) + LinkName));
  EXPECT_TRUE(PathExists(ShellFolder(CSIDL_PROGRAMS) + GroupName));
  EXPECT_EQ(MachineValue(RecordKey, "Installed Path"), SampleRoot);
}

void FaultCase::ExpectCancelled(const RunOutcome& run) {
  EXPECT_FALSE(run.closedItself);
  EXPECT_TRUE(run.exitButton);
  EXPECT_EQ(run.finalPhase, CancelledPhase);
  EXPECT_EQ(run.exitCode, 0);
  for (const std::string& change : run.outside) ADD_FAILURE() << "written outside: " << change;
  EXPECT_FALSE(PathExists(ShellFolder(CSIDL_DESKTOP) + LinkName));
  EXPECT_FALSE(PathExists(ShellFolder(CSIDL_PROGRAMS) + GroupName));
  EXPECT_EQ(MachineValue(RecordKey, "Installed Path"), "<no key>");
}

void FaultCase::ExpectNoConnection(const RunOutcome& run) {
  EXPECT_FALSE(run.closedItself);
  EXPECT_TRUE(run.exitButton);
  EXPECT_EQ(run.finalPhase, "");
  EXPECT_EQ(run.messageArea, NoConnectionText);
  EXPECT_EQ(run.exitCode, 0);
  for (const std::string& change : run.outside) ADD_FAILURE() << "written outside: " << change;
  EXPECT_FALSE(PathExists(SampleRoot));
  EXPECT_EQ(MachineValue(RecordKey, "Installed Path"), "<no key>");
}

std::string FaultCase::Installed(const std::string& relative, const std::string& root) {
  std::string content;
  if (!ReadLocalFile(root + "\\" + relative, &content)) return "<missing>";
  return content;
}

std::string FaultCase::Expected(const std::string& relative) {
  std::string content;
  EXPECT_TRUE(ReadLocalFile(expect_ + "\\root\\" + relative, &content)) << relative;
  return content;
}

std::string FaultCase::Downloaded(const std::string& relative) {
  std::string content;
  if (!ReadLocalFile(std::string(SampleRoot) + "\\ZeltaWin32\\Install\\" + relative, &content)) return "<missing>";
  return content;
}

void FaultCase::ExpectWholeSampleInstalled() {
  std::vector<std::string> files;
  ListFiles(expect_ + "\\root", "", &files);
  EXPECT_GT(files.size(), 10u);
  for (const std::string& file : files) EXPECT_TRUE(Installed(file) == Expected(file)) << file;
  std::string font;
  std::string expectedFont;
  EXPECT_TRUE(ReadLocalFile(WindowsDirectoryOfProcess() + "\\Fonts\\ZeltaIso.ttf", &font));
  EXPECT_TRUE(ReadLocalFile(expect_ + "\\windows\\Fonts\\ZeltaIso.ttf", &expectedFont));
  EXPECT_TRUE(font == expectedFont);
}

std::vector<std::string> RunOutcome::AddedContaining(const std::string& part) const {
  std::vector<std::string> keys;
  for (const std::string& key : added)
    if (key.find(part) != std::string::npos) keys.push_back(key);
  return keys;
}
