#include "tools/distribution/zelta-dist/verify_problems.h"

#include <algorithm>
#include <set>

void AddProblem(SiteProblems& problems, const std::string& file, int line, const std::string& what) {
  problems.push_back({file, line, what, false});
}

void AddWarning(SiteProblems& problems, const std::string& file, int line, const std::string& what) {
  problems.push_back({file, line, what, true});
}

void SortProblems(SiteProblems& problems) {
  std::stable_sort(problems.begin(), problems.end(), [](const SiteProblem& a, const SiteProblem& b) {
    return a.file != b.file ? a.file < b.file : a.line < b.line;
  });
}

std::string FormatProblem(const SiteProblem& problem) {
  return problem.file + ":" + std::to_string(problem.line) + ": " + (problem.warning ? "warning: " : "") +
         problem.what + "\n";
}

size_t ProblemFileCount(const SiteProblems& problems) {
  std::set<std::string> files;
  for (const SiteProblem& problem : problems) files.insert(problem.file);
  return files.size();
}

size_t WarningCount(const SiteProblems& problems) {
  size_t n = 0;
  for (const SiteProblem& problem : problems) n += problem.warning ? 1 : 0;
  return n;
}
