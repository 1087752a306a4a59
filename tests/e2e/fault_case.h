// One run of the real ZeltaWebInstall.exe against a changed vendor site:
// the site is changed for the case (files of both hosts, faults) and put
// back afterwards; the run is followed to its ending, every message box is
// recorded and answered, and the drive is compared before and after.
#ifndef ZELTA_TESTS_E2E_FAULT_CASE_H
#define ZELTA_TESTS_E2E_FAULT_CASE_H

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/e2e/drive_snapshot.h"
#include "tests/win/test_site.h"

// The installation root of the sample distribution.
extern const char SampleRoot[];

// The endings of the installer, as the progress dialog shows them.
extern const char CancelledPhase[];
extern const char NoConnectionText[];

struct MessageSeen {
  std::string caption;
  std::string text;
};

struct RunOutcome {
  std::vector<std::string> phases;     // every phase line seen, in order
  std::vector<MessageSeen> messages;   // every message box, in order
  std::string finalPhase;              // phase line at the ending
  std::string messageArea;             // message area at the ending
  bool closedItself = false;           // the progress dialog ended by itself
  bool exitButton = false;             // "Kilépés" shown and enabled
  int exitCode = -1;                   // -1: still running after the bound
  DWORD milliseconds = 0;              // from "Telepítés" to the process end
  DWORD toEnding = 0;                  // from "Telepítés" to the ending shown
  std::vector<std::string> outside;    // changes outside the allowed places
  DriveSnapshot after;                 // the whole C: drive at the end
  std::vector<std::string> added;      // keys of `after` that were not there before
  std::string requests;                // access-log lines of the server for this run

  std::vector<std::string> Texts() const;
  // Keys this run added anywhere on C: that contain `part` (lower case).
  std::vector<std::string> AddedContaining(const std::string& part) const;
  bool Requested(const std::string& part) const;  // some request line holds it
};

class FaultCase : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The sample's file below the update folder ("VarnelDemo/Disc_01/Install.ini"),
  // as the web host serves it now.
  std::string SiteFile(const std::string& relative);
  // Serves bytes as that file on both hosts; undone after the case.
  void ServeOnBoth(const std::string& relative, const std::string& content);
  // Serves bytes as a file at the root of both hosts (outside the update
  // folders); undone after the case.
  void ServeAtHostRoots(const std::string& name, const std::string& content);
  // Takes the file off both hosts; undone after the case.
  void RemoveFromBoth(const std::string& relative);
  // A fault for a request; removed after the case.
  void Fault(SiteHost host, const std::string& relative, const std::string& fault);
  // Takes the checksum lists off both hosts for the rest of the case
  // (RestoreSite keeps them off): the installer checks no content then.
  void WithoutChecksums();
  // Undoes the site changes and faults made so far, and clears the drive.
  void RestoreSite();

  // Starts the program, leaves the start box unticked, takes the "before"
  // snapshot while the setup dialog is idle, presses "Telepítés" and follows
  // the run to its ending. The i-th message box is answered with answers[i]
  // (IDCANCEL for any further one). `root` is the installation root the run
  // may write to.
  // `during`, when given, is called with the progress dialog and the time
  // since "Telepítés" while the run is followed (to press its button).
  RunOutcome Run(const std::vector<int>& answers = {}, const std::string& root = SampleRoot,
                 const std::function<void(HWND progress, DWORD sinceStart)>& during = nullptr);

  // The endings, with everything they imply: nothing written beside the
  // root and the Fonts folder (and, after a success, the desktop link and
  // the program group), exit code 0, no registry record after a failure.
  void ExpectSuccess(const RunOutcome& run);
  void ExpectCancelled(const RunOutcome& run);
  void ExpectNoConnection(const RunOutcome& run);

  // Contents: the file as installed below the sample root, as the sample
  // expects it, and as downloaded into the download area.
  std::string Installed(const std::string& relative, const std::string& root = SampleRoot);
  std::string Expected(const std::string& relative);
  std::string Downloaded(const std::string& relative);
  // Every file the sample installs below its root equals the expected one.
  void ExpectWholeSampleInstalled();

  // Clears what an installation leaves (root, registry, link, group).
  void ClearInstallation(const std::string& root = SampleRoot);

 private:
  struct SavedFile {
    std::string path;
    bool existed;
    std::string content;
  };
  void Save(const std::string& path);
  std::string AccessLog() const;

  std::string expect_;
  std::vector<SavedFile> saved_;
  std::vector<std::pair<SiteHost, std::string>> faults_;
  std::vector<std::string> roots_;
  bool withoutChecksums_ = false;
};

#endif
