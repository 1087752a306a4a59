#include "tools/distribution/zelta-dist/check_report.h"

namespace {

std::string Count(int n, const char* word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

void PrintTable(FILE* out, const ReportHost& host) {
  int width = 4;
  for (const ReportRow& row : host.rows) {
    if (static_cast<int>(row.file.size()) > width) width = static_cast<int>(row.file.size());
  }
  fprintf(out, "== %s\n", host.title.c_str());
  const char* format = "%-*s  %-6s  %-10s  %-7s  %-10s  %s\n";
  fprintf(out, format, width, "file", "status", "length", "ranges", "validators", "result");
  for (const ReportRow& row : host.rows) {
    fprintf(out, format, width, row.file.c_str(), row.status.c_str(), row.length.c_str(), row.ranges.c_str(),
            row.validators.c_str(), RowResult(row));
  }
  fputc('\n', out);
}

}  // namespace

ReportRow& RowOf(ReportHost& host, const std::string& file) {
  for (ReportRow& row : host.rows) {
    if (row.file == file) return row;
  }
  host.rows.push_back(ReportRow());
  host.rows.back().file = file;
  return host.rows.back();
}

const char* RowResult(const ReportRow& row) {
  const char* result = "ok";
  for (const Finding& f : row.findings) {
    if (!f.warning) return "error";
    result = "warning";
  }
  return result;
}

ReportCounts PrintReport(FILE* out, const std::vector<ReportHost>& hosts, size_t files) {
  int errors = 0, warnings = 0;
  size_t tables = 0;
  for (const ReportHost& host : hosts) {
    if (host.title.empty()) continue;
    PrintTable(out, host);
    ++tables;
  }
  for (const ReportHost& host : hosts) {
    for (const ReportRow& row : host.rows) {
      for (const Finding& f : row.findings) {
        fprintf(out, "%s %s: %s%s\n", host.name.c_str(), row.file.c_str(), f.warning ? "warning: " : "",
                f.text.c_str());
        ++(f.warning ? warnings : errors);
      }
    }
  }
  if (errors + warnings > 0) fputc('\n', out);
  fprintf(out, "summary: %zu files on %zu hosts, ", files, tables);
  if (errors + warnings == 0) {
    fputs("all well\n", out);
  } else {
    fprintf(out, "%s (%s, %s)\n", Count(errors + warnings, "problem").c_str(), Count(errors, "error").c_str(),
            Count(warnings, "warning").c_str());
  }
  ReportCounts counts;
  counts.errors = errors;
  counts.warnings = warnings;
  return counts;
}
