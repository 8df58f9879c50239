// A measurement as the data windows display it, made by hand for the
// report tests and the benchmark: the header summary (eleven fixed rows and
// two header items), `records` logged records one `interval` apart, and the
// five user-information lines.
//
// Levels wander between about 60 and 110 dB. Records 6 to 8 lie in a pause
// ("*" mark); record 10 has no Lavg and no Leq ("--"), record 20 no Lzpk;
// record 15 has an Lzpk above the scale (152.3 dB) and record 3 an Leq
// below it (42.0 dB).
#pragma once
#include <cstdio>
#include <string>

#include "reports/reportdata.h"

namespace vkz::test {

// "2024/03/05 08:00:00" plus `seconds`.
inline std::string sampleTime(long long seconds) {
  const long long s = 8 * 3600 + seconds;
  char b[96];
  std::snprintf(b, sizeof b, "2024/03/%02lld %02lld:%02lld:%02lld", 5 + s / 86400, s / 3600 % 24, s / 60 % 60,
                s % 60);
  return b;
}

inline std::string sampleLevel(int record, int quantity) {
  if (record == 10 && quantity < 2) return "--";
  if (record == 20 && quantity == 3) return "--";
  if (record == 15 && quantity == 3) return "152.3";
  if (record == 3 && quantity == 1) return "42.0";
  const int tenths = 600 + (record * 37 + quantity * 53) % 400 + quantity * 50;
  char b[16];
  std::snprintf(b, sizeof b, "%d.%d", tenths / 10, tenths % 10);
  return b;
}

inline std::string sampleRecordRow(int record, long long intervalSeconds = 60) {
  const bool paused = record >= 6 && record <= 8;
  std::string row = std::to_string(record) + "\t" + sampleTime((record - 1) * intervalSeconds);
  for (int q = 0; q < 4; ++q) row += std::string("\t") + (paused ? "*" : "") + sampleLevel(record, q) + " dB";
  return row;
}

inline ReportData sampleReport(int records, long long intervalSeconds = 60) {
  ReportData d;
  d.header.setCols(4);
  const char* const header[] = {
      "\tD1\tD2\tD3",
      "Start Date/Time\t2024/03/05 08:00:00\t2024/03/05 08:00:00\t2024/03/05 08:00:00",
      "Stop Date/Time\t2024/03/05 08:25:00\t2024/03/05 08:25:00\t2024/03/05 08:25:00",
      "Threshold\t80 dB\t75 dB\t70 dB",
      "Criterion\t85 dB\t90 dB\t85 dB",
      "Exchange Rate\t3 dB\t5 dB\t4 dB",
      "Exceedance Level\t115 dB\t115 dB\t115 dB",
      "Interval Time\t1 Min\t1 Min\t1 Min",
      "Total Points\t25\t25\t25",
      "PW Duration\t00:00:00\t00:00:00\t00:00:00",
      "Duration\t00:25:00\t00:25:00\t00:25:00",
      "LAVG\t84.2 dB\t83.9 dB\t84.0 dB",
      "Dose\t45.1 %\t30.2 %\t41.7 %",
  };
  for (const char* row : header) d.header.addItem(row);
  d.header.setFixedRows(1);

  d.records.setCols(6);
  d.records.reserve(records + 1);
  d.records.addItem("No.s\tDate/Time\tLAVG\tLeq\tLCPK\tLZPK");
  for (int r = 1; r <= records; ++r) d.records.addItem(sampleRecordRow(r, intervalSeconds));
  d.records.setFixedRows(1);

  d.userInfo.setCols(2);
  d.userInfo.addItem("Evaluator\tAna Silva");
  d.userInfo.addItem("Evaluated\tJoao Costa");
  d.userInfo.addItem("Department\tStamping");
  d.userInfo.addItem("Company\tAcme Metal Works");
  d.userInfo.addItem("Observations\tNight shift, press line 2");

  d.meterModel = "VKZ 418";
  d.completedText = "Completed";
  return d;
}

}  // namespace vkz::test
