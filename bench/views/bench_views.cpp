// Saves, reopens and counts the histogram of measurements of 86,400 and
// 1,000,000 records, and prints times, peak memory per record and the ratio
// of the reopen time to a plain block read of the same file. Then opens a
// file that announces far more records than it holds (a 200 MB file whose
// records stop after a few lines) and prints the memory the reading took
// and kept.
//
// Each step runs in a child process of its own, so its peak memory is its
// own and not what an earlier step left in the heap.
//
//   bench_views [folder]     (default: the system's temporary folder)
#include <fcntl.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "../common/procstat.h"
#include "base/griddata.h"
#include "benchdata.h"
#include "polling/measurement.h"
#include "views/csvfile.h"
#include "views/datafile.h"
#include "views/histogram.h"

using namespace vkz;
using bench::Clock;
using bench::Grids;
using bench::makeMeasurement;
using bench::secondsSince;
using bench::statusKb;

namespace {

void resetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";  // peak RSS back to the current RSS
}

// Runs `step` in a child process and waits for it.
template <typename F>
void inChild(F step) {
  std::fflush(stdout);
  pid_t pid = fork();
  if (pid == 0) {
    step();
    std::fflush(stdout);
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::printf("  (step failed, status %d)\n", status);
}

double plainRead(const std::string& path, std::uint64_t& bytes) {
  auto t0 = Clock::now();
  int fd = ::open(path.c_str(), O_RDONLY);
  std::vector<char> block(1 << 20);
  std::uint64_t sum = 0;
  bytes = 0;
  for (ssize_t n; (n = ::read(fd, block.data(), block.size())) > 0;) {
    bytes += static_cast<std::uint64_t>(n);
    sum += static_cast<unsigned char>(block[static_cast<size_t>(n) - 1]);
  }
  ::close(fd);
  double t = secondsSince(t0);
  if (sum == 1) std::printf(" ");
  return t;
}

double catRead(const std::string& path) {
  auto t0 = Clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    int null = ::open("/dev/null", O_WRONLY);
    dup2(null, 1);
    execlp("cat", "cat", path.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return secondsSince(t0);
}

void run(int n, const std::filesystem::path& dir) {
  const std::string path = (dir / ("bench_" + std::to_string(n) + ".vkz")).string();
  const std::string csv = (dir / ("bench_" + std::to_string(n) + ".csv")).string();
  std::printf("\n%d records\n", n);

  inChild([&] {
    Grids g = makeMeasurement(n);
    int calls = 0;
    auto t0 = Clock::now();
    SaveResult r = SaveDataFile(path, "VKZ 418", g.userInfo, g.header, g.records,
                                [&](std::uint64_t, std::uint64_t) { ++calls; });
    double tSave = secondsSince(t0);
    t0 = Clock::now();
    SaveResult c = ExportCsvFile(csv, "VKZ 418", g.userInfo, g.header, g.records);
    double tCsv = secondsSince(t0);
    std::printf("  save data file   %8.3f s  (%s, %.1f MB, %d progress calls, synced to disk)\n", tSave,
                r.ok() ? "ok" : r.message.c_str(), std::filesystem::file_size(path) / 1e6, calls);
    std::printf("  export CSV       %8.3f s  (%s)\n", tCsv, c.ok() ? "ok" : c.message.c_str());
  });
  std::filesystem::remove(csv);

  // The same bytes read plainly, in the same blocks, and by cat.
  std::uint64_t bytes = 0;
  double plain = 1e9;
  for (int i = 0; i < 5; ++i) plain = std::min(plain, plainRead(path, bytes));
  double cat = 1e9;
  for (int i = 0; i < 3; ++i) cat = std::min(cat, catRead(path));
  std::printf("  plain read       %8.3f s  (%.0f MB/s; cat to /dev/null %.3f s)\n", plain,
              bytes / 1e6 / plain, cat);

  // Each reopen in a fresh process, as the program opens a file: best of 5
  // (on a shared machine the best is the least disturbed).
  double best = 1e9;
  for (int i = 0; i < 5; ++i) {
    int fds[2];
    if (pipe(fds) != 0) return;
    inChild([&] {
      long rss0 = statusKb("VmRSS:");
      resetPeak();
      struct mallinfo2 h0 = mallinfo2();
      auto [userInfo, header, records] = bench::readerGrids();
      MeasurementData m;
      auto t0 = Clock::now();
      OpenResult r = ReadDataFile(path, "", userInfo, header, records, m);
      double t = secondsSince(t0);
      struct mallinfo2 h1 = mallinfo2();
      double heap = static_cast<double>((h1.uordblks + h1.hblkhd) - (h0.uordblks + h0.hblkhd));
      long peak = statusKb("VmHWM:") - rss0;
      if (i == 0) {
        std::printf("  reopen           %s, %llu records\n", r.ok() ? "ok" : r.message.c_str(),
                    static_cast<unsigned long long>(r.records));
        std::printf(
            "  memory           peak %.1f MB = %.0f bytes/record (grids and arrays kept: %.0f "
            "bytes/record)\n",
            peak / 1024.0, peak * 1024.0 / n, heap / n);
        for (auto res : {HistResolution::Tenth, HistResolution::Whole}) {
          auto h0t = Clock::now();
          HistogramResult hist = LevelHistogram(records, 2, res);
          double th = secondsSince(h0t);
          std::printf("  histogram %s  %8.3f s  (L10 %s, L50 %s, L90 %s)\n",
                      res == HistResolution::Tenth ? "0.1 dB" : "1 dB  ", th, hist.LnValue[10].c_str(),
                      hist.LnValue[50].c_str(), hist.LnValue[90].c_str());
        }
      }
      if (write(fds[1], &t, sizeof t) != sizeof t) _exit(1);
    });
    double t = 1e9;
    if (read(fds[0], &t, sizeof t) == sizeof t) best = std::min(best, t);
    close(fds[0]);
    close(fds[1]);
  }
  std::printf("  reopen           %8.3f s  = %.1f x the plain read, %.1f x cat\n", best, best / plain,
              best / cat);

  // What a reopen cannot go below: making the memory it keeps (the row
  // texts in one block, a place and length per row, the five arrays) in a
  // fresh process, as the reopen does.
  double floorTime = 1e9;
  for (int i = 0; i < 3; ++i) {
    int fds[2];
    if (pipe(fds) != 0) return;
    inChild([&] {
      auto t0 = Clock::now();
      std::unique_ptr<char[]> texts(new char[bytes]);
      std::memset(texts.get(), 'x', bytes);
      std::vector<std::uint64_t> places(static_cast<size_t>(n), 1);
      MeasurementData m;
      m.sizePointValues(static_cast<size_t>(n));
      double t = secondsSince(t0);
      if (texts[bytes / 2] != 'x' || places.back() != 1) _exit(1);
      if (write(fds[1], &t, sizeof t) != sizeof t) _exit(1);
    });
    double t = 1e9;
    if (read(fds[0], &t, sizeof t) == sizeof t) floorTime = std::min(floorTime, t);
    close(fds[0]);
    close(fds[1]);
  }
  std::printf(
      "  memory alone     %8.3f s  (making the %.0f MB a reopen keeps in a fresh process: its floor; the "
      "rest, "
      "%.3f s, is reading)\n",
      floorTime, (static_cast<double>(bytes) + 48.0 * n) / 1e6, best - floorTime);
  std::filesystem::remove(path);
}

// A data file whose "Total Point" row announces 30,000,000 records, with
// 20 records and then a hole of zero bytes up to 200 MB (a sparse file: it
// takes no disk space). The reading stops in the hole.
void announcedButMissing(const std::filesystem::path& dir) {
  const std::string path = (dir / "bench_announced.vkz").string();
  std::printf("\nfile of 200 MB announcing 30,000,000 records, holding 20\n");
  inChild([&] {
    Grids g = makeMeasurement(20);
    for (int c = 1; c <= 3; ++c) g.header.setText(8, c, "30000000");
    if (!SaveDataFile(path, "VKZ 418", g.userInfo, g.header, g.records).ok()) _exit(1);
  });
  if (::truncate(path.c_str(), 200 << 20) != 0) return;
  for (int i = 0; i < 3; ++i) {
    inChild([&] {
      long rss0 = statusKb("VmRSS:");
      resetPeak();
      auto [userInfo, header, records] = bench::readerGrids();
      MeasurementData m;
      OpenResult r = ReadDataFile(path, "", userInfo, header, records, m);
      long peak = statusKb("VmHWM:") - rss0;
      long kept = statusKb("VmRSS:") - rss0;
      std::printf("  open             peak %.1f MB, kept %.1f MB after the message (%d rows: %s)\n",
                  peak / 1024.0, kept / 1024.0, records.rows() - 1, r.message.c_str());
    });
  }
  std::filesystem::remove(path);
}

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path dir = argc > 1 ? argv[1] : std::filesystem::temp_directory_path();
  std::printf("Data file, reopen and histogram (files in %s)\n", dir.c_str());
  for (int n : {86400, 1000000}) run(n, dir);
  announcedButMissing(dir);
  return 0;
}
