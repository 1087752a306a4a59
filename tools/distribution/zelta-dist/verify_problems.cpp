#include "tools/distribution/zelta-dist/verify_problems.h"

#include <algorithm>
#include <set>

void AddProblem(SiteProblems& problems, const std::string& file, int line, const std::string& what) {
  problems.push_back({file, line, what});
}

void SortProblems(SiteProblems& problems) {
  std::stable_sort(problems.begin(), problems.end(), [](const SiteProblem& a, const SiteProblem& b) {
    return a.file != b.file ? a.file < b.file : a.line < b.line;
  });
}

std::string FormatProblem(const SiteProblem& problem) {
  return problem.file + ":" + std::to_string(problem.line) + ": " + problem.what + "\n";
}

size_t ProblemFileCount(const SiteProblems& problems) {
  std::set<std::string> files;
  for (const SiteProblem& problem : problems) files.insert(problem.file);
  return files.size();
}
