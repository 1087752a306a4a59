// The output of check-server: one table per host, one line per problem
// ("HOST FILE: what is wrong", warnings saying so), and a summary line.
#ifndef ZELTA_VENDOR_DIST_CHECK_REPORT_H
#define ZELTA_VENDOR_DIST_CHECK_REPORT_H

#include <cstdio>
#include <string>
#include <vector>

#include "tools/distribution/zelta-dist/answer_rules.h"

struct ReportRow {
  std::string file;        // below the update folder
  std::string status = "-";
  std::string length = "-";
  std::string ranges = "-";
  std::string validators = "-";
  Findings findings;
};

struct ReportHost {
  std::string name;        // "www.zeltasoft.example", or "site" for the site folder
  std::string title;       // the table's heading; none for the site
  std::vector<ReportRow> rows;
};

// The row of `file`, made at the end when it is not there yet.
ReportRow& RowOf(ReportHost& host, const std::string& file);

// "ok", "warning" or "error": the worst of the row's findings.
const char* RowResult(const ReportRow& row);

struct ReportCounts {
  int errors = 0;
  int warnings = 0;
};

// Prints everything to `out`; returns how many errors and warnings it found.
ReportCounts PrintReport(FILE* out, const std::vector<ReportHost>& hosts, size_t files);

#endif
