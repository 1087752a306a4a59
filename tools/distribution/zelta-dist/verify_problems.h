// The problems that `zelta-dist verify` finds in a site, each tied to a file
// of the site and a line in it. An error is what makes the installer fail or
// install something else than the vendor means; a warning is what it never
// reads, or passes over without harm to the installed files.
#ifndef ZELTA_VENDOR_DIST_VERIFY_PROBLEMS_H
#define ZELTA_VENDOR_DIST_VERIFY_PROBLEMS_H

#include <string>
#include <vector>

struct SiteProblem {
  std::string file;  // relative to the site, '/' separated
  int line = 0;      // 1-based; 0 when the problem is not on one line
  std::string what;  // UTF-8
  bool warning = false;
};

typedef std::vector<SiteProblem> SiteProblems;

void AddProblem(SiteProblems& problems, const std::string& file, int line, const std::string& what);
void AddWarning(SiteProblems& problems, const std::string& file, int line, const std::string& what);

// By file, then line; problems of one line keep the order they were found in.
void SortProblems(SiteProblems& problems);

// "FILE:LINE: what" (a warning: "FILE:LINE: warning: what") and a line end.
std::string FormatProblem(const SiteProblem& problem);

// How many different files the problems name.
size_t ProblemFileCount(const SiteProblems& problems);

// How many of them are warnings.
size_t WarningCount(const SiteProblems& problems);

#endif
