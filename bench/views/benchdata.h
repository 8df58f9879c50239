// Measurements for the benchmarks of the data file: as the download leaves
// them in the data list window, with a day's worth of varied levels, some
// paused stretches and a few levels of 0.
#pragma once
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "base/griddata.h"
#include "unit/views/measurement_fixture.h"

namespace bench {

// The three grids of a measurement, and those of the file list window
// before a read (readerGrids()), as the tests have them.
using vkz::test::Grids;
using vkz::test::readerGrids;

// A measurement of `n` records as the download leaves it in the data list
// window.
inline Grids makeMeasurement(int n) {
  Grids g;
  g.userInfo.setCols(2);
  for (const char* row : {"Evaluator\tA. Pereira", "Evaluated\tJ. Silva", "Department\tPress shop",
                          "Company\tMetalworks Ltd", "Observations\tEar muffs worn from 10:00"})
    g.userInfo.addItem(row);
  g.header.setCols(4);
  g.header.addItem("\tD1\tD2\tD3");
  for (int i = 0; i < 40; ++i) g.header.addItem("Header item\t85.1 dB\t84.0 dB\t83.2 dB");
  g.header.setText(8, 0, "Total Point");
  for (int c = 1; c <= 3; ++c) g.header.setText(8, c, std::to_string(n));
  g.records.setCols(6);
  g.records.reserve(n + 1);
  g.records.addItem("No.s\tDate/Time\tLAVG\tLeq\tLCPK\tLZPK");
  std::mt19937 rng(1);
  std::uniform_int_distribution<int> level(550, 1100);
  char buf[160];
  for (int k = 1; k <= n; ++k) {
    bool paused = k % 5000 < 60;
    const char* flag = paused ? "*" : "";
    int s = 14 * 3600 + k;
    auto lv = [&](int raw, char* out) {
      if (k % 7919 == 0) return (void)std::strcpy(out, "--");
      std::snprintf(out, 16, "%d.%d", raw / 10, raw % 10);
    };
    char a[16], b[16], c[16], d[16];
    int base = level(rng);
    lv(base, a);
    lv(base + 7, b);
    lv(base + 250, c);
    lv(base + 330, d);
    std::snprintf(buf, sizeof buf, "%d\t2018/05/%02d %02d:%02d:%02d\t%s%s dB\t%s%s dB\t%s%s dB\t%s%s dB\t", k,
                  23 + s / 86400, s / 3600 % 24, s / 60 % 60, s % 60, flag, a, flag, b, flag, c, flag, d);
    g.records.addItem(buf);
  }
  return g;
}

}  // namespace bench
