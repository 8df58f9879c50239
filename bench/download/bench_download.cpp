// bench_download: downloads a stored measurement of 480, 10,000 and 65,535
// records from the meter emulator paced at 57600 baud (5760 bytes a second
// from the meter) with no turnaround, through the real main window with its
// timers running, and prints records per second and the ratio to what the
// line allows. Each download ends with every record row in the data list
// window and every value in the measurement; the figures count only a
// download whose rows match the meter's records.
//
// The line's limit: the meter's replies (the header frame and one frame per
// block of ten records, each with its five frame bytes) at 5760 bytes a
// second. The requests travel the other way and are not counted (the
// emulator takes them at once), so the ratio is the strict one.
//
//   bench_download [records ...]      (default: 480 10000 65535)
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "support/common/download_road.h"

namespace {

using vkz::emu::SteadyClock;

// The program's turnaround per block: from the moment a block reply has
// been through the line to the moment the request for the next block has
// reached the meter (both pseudo-terminal hops included). Mean and the
// slowest 1 %, in milliseconds.
struct Turnaround {
  double mean = 0, p99 = 0;
};
Turnaround turnaround(const vkz::emu::Emulator& meter) {
  const auto byteTime = std::chrono::duration<double>(1.0 / 5760.0);
  std::vector<SteadyClock::time_point> replyEnd;
  for (const auto& r : meter.replies())
    if (r.code == 0x12 && !r.dropped)
      replyEnd.push_back(r.time +
                         std::chrono::duration_cast<SteadyClock::duration>(byteTime * r.bytes.size()));
  std::vector<SteadyClock::time_point> asked;
  for (const auto& r : meter.requests(0x12)) asked.push_back(r.time);
  std::vector<double> gaps;
  for (std::size_t i = 0; i + 1 < asked.size() && i < replyEnd.size(); ++i)
    gaps.push_back(std::chrono::duration<double, std::milli>(asked[i + 1] - replyEnd[i]).count());
  Turnaround t;
  if (gaps.empty()) return t;
  double sum = 0;
  for (double g : gaps) sum += g;
  t.mean = sum / static_cast<double>(gaps.size());
  std::sort(gaps.begin(), gaps.end());
  t.p99 = gaps[gaps.size() * 99 / 100];
  return t;
}

// A field of /proc/self/status in kB (VmRSS now, VmHWM the peak).
long statusKb(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const std::string key = std::string(field) + ":";
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0) return std::strtol(line.c_str() + key.size(), nullptr, 10);
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  if (sizes.empty()) sizes = {480, 10000, 65535};

  std::printf("%9s %9s %10s %12s %11s %8s %10s %10s %9s %9s\n", "records", "seconds", "records/s",
              "reply bytes", "line limit", "ratio", "turn ms", "p99 ms", "RSS MB", "peak MB");
  int failures = 0;
  for (int n : sizes) {
    if (n < 1 || n > 65535) continue;
    QTemporaryDir dir;
    vkz::DownloadRoad road(false);
    if (!road.start(dir.path().toStdString())) {
      std::fprintf(stderr, "the meter emulator did not start\n");
      return 1;
    }
    road.meter.addMeasurement(vkz::emu::generateRecords(42, n));
    if (!road.loadMemoryList()) {
      std::fprintf(stderr, "no memory list\n");
      return 1;
    }
    road.meter.setPacing(true);
    road.meter.setReplyDelay(std::chrono::milliseconds(0));

    QElapsedTimer clock;
    clock.start();
    const bool done = road.download(1, 200000);
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    const long rss = statusKb("VmRSS"), peak = statusKb("VmHWM");
    const bool right = done && road.recordRows() == road.expectedRows(1) && road.pointValuesMatch(1);

    const long long blocks = (n + 9) / 10;
    const long long replyBytes = (536 + 5) + 8LL * n + 5 * blocks;
    const double limit = static_cast<double>(replyBytes) / 5760.0;  // seconds
    const Turnaround turn = turnaround(road.meter);
    std::printf("%9d %9.2f %10.1f %12lld %10.2fs %8.3f %10.2f %10.2f %9.1f %9.1f%s\n", n, seconds,
                n / seconds, replyBytes, limit, limit / seconds, turn.mean, turn.p99, rss / 1024.0,
                peak / 1024.0, right ? "" : "  WRONG OR INCOMPLETE");
    if (!right) ++failures;
  }
  std::printf("line limit: %.1f records/s for whole blocks (85 reply bytes per 10 records at 5760 bytes/s)\n",
              10 * 5760.0 / 85.0);
  return failures ? 1 : 0;
}
