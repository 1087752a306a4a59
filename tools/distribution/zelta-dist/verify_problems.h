// The problems that `zelta-dist verify` finds in a site, each tied to a file
// of the site and a line in it.
#ifndef ZELTA_VENDOR_DIST_VERIFY_PROBLEMS_H
#define ZELTA_VENDOR_DIST_VERIFY_PROBLEMS_H

#include <string>
#include <vector>

struct SiteProblem {
  std::string file;  // relative to the site, '/' separated
  int line = 0;      // 1-based; 0 when the problem is not on one line
  std::string what;  // UTF-8
};

typedef std::vector<SiteProblem> SiteProblems;

void AddProblem(SiteProblems& problems, const std::string& file, int line, const std::string& what);

// By file, then line; problems of one line keep the order they were found in.
void SortProblems(SiteProblems& problems);

// "FILE:LINE: what" and a line end.
std::string FormatProblem(const SiteProblem& problem);

// How many different files the problems name.
size_t ProblemFileCount(const SiteProblems& problems);

#endif
