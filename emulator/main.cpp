// MeterEmulator: a noise dosimeter on a pseudo-terminal, for trying the
// program without a meter and for tests.
//
//   MeterEmulator --link build/bin/com/COM1 --measurements 5
//
// Runs until SIGTERM or SIGINT, then removes the link.
#include <signal.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "emulator/emulator.h"

namespace {

void usage() {
  std::fputs(
      "usage: MeterEmulator --link PATH [options]\n"
      "  --link PATH          symlink to create, pointing at the pseudo-terminal (e.g. bin/com/COM1)\n"
      "  --model TEXT         \"VKZ 418\" (default) or \"KRD 529\"\n"
      "  --measurements N     stored measurements to generate (default 5, at most 255)\n"
      "  --records N          logged records per measurement (default: varied, 120..600; at most 65535)\n"
      "  --seed N             seed of the generated measurements (default 1)\n"
      "  --pace               pace the replies at 57600 baud (5760 bytes/s)\n"
      "  --delay MS           turnaround before every reply\n"
      "  --delay-random MIN,MAX\n"
      "                       each reply delayed besides by its own time, drawn within MIN..MAX ms\n"
      "                       (the draws follow --seed)\n"
      "  --delay-sequence MS[,MS...]\n"
      "                       each reply delayed besides by the next time of this list, repeated\n"
      "                       (e.g. 700,1500: a meter whose delay alternates)\n"
      "  --erase MS           how long a memory erase takes (default 200; a full meter takes about 60000)\n"
      "  --log                print every request frame received\n",
      stderr);
}

bool number(const char* s, long long lo, long long hi, long long& out) {
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(s, &end, 10);
  if (errno || end == s || *end || v < lo || v > hi) return false;
  out = v;
  return true;
}

// A list of numbers of milliseconds separated by commas, each within 0..60000.
bool delays(const char* s, std::vector<std::chrono::milliseconds>& out) {
  out.clear();
  std::string text = s;
  std::size_t from = 0;
  for (;;) {
    const std::size_t comma = text.find(',', from);
    long long v = 0;
    if (!number(text.substr(from, comma - from).c_str(), 0, 60000, v)) return false;
    out.emplace_back(v);
    if (comma == std::string::npos) return true;
    from = comma + 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string link, model = "VKZ 418";
  long long measurements = 5, records = 0, seed = 1, delay = 0, erase = -1;
  bool pace = false, log = false;
  vkz::emu::DelayPattern pattern;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool more = i + 1 < argc;
    if (a == "--link" && more) {
      link = argv[++i];
    } else if (a == "--model" && more) {
      model = argv[++i];
    } else if (a == "--measurements" && more) {
      if (!number(argv[++i], 0, 255, measurements)) return usage(), 2;
    } else if (a == "--records" && more) {
      if (!number(argv[++i], 0, 65535, records)) return usage(), 2;
    } else if (a == "--seed" && more) {
      if (!number(argv[++i], 0, LLONG_MAX, seed)) return usage(), 2;
    } else if (a == "--delay" && more) {
      if (!number(argv[++i], 0, 60000, delay)) return usage(), 2;
    } else if (a == "--delay-random" && more) {
      std::vector<std::chrono::milliseconds> bounds;
      if (!delays(argv[++i], bounds) || bounds.size() != 2 || bounds[0] > bounds[1]) return usage(), 2;
      pattern = vkz::emu::DelayPattern::random(bounds[0], bounds[1]);
    } else if (a == "--delay-sequence" && more) {
      std::vector<std::chrono::milliseconds> list;
      if (!delays(argv[++i], list)) return usage(), 2;
      pattern = vkz::emu::DelayPattern::cycle(std::move(list));
    } else if (a == "--erase" && more) {
      if (!number(argv[++i], 0, 600000, erase)) return usage(), 2;
    } else if (a == "--pace") {
      pace = true;
    } else if (a == "--log") {
      log = true;
    } else if (a == "--help" || a == "-h") {
      usage();
      return 0;
    } else {
      std::fprintf(stderr, "MeterEmulator: unknown or incomplete option %s\n", a.c_str());
      usage();
      return 2;
    }
  }
  if (link.empty()) {
    usage();
    return 2;
  }

  // The signals are taken by sigwait below, not by a handler: block them
  // before the worker thread starts so that it inherits the mask.
  sigset_t sigs;
  sigemptyset(&sigs);
  sigaddset(&sigs, SIGTERM);
  sigaddset(&sigs, SIGINT);
  sigaddset(&sigs, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &sigs, nullptr);

  vkz::emu::Emulator meter;
  meter.setModel(model);
  meter.setPacing(pace);
  meter.setReplyDelay(std::chrono::milliseconds(delay));
  pattern.seed = static_cast<std::uint64_t>(seed);
  meter.setDelayPattern(pattern);
  if (erase >= 0) meter.setEraseTime(std::chrono::milliseconds(erase));
  vkz::emu::GenerateOptions opt;
  opt.count = static_cast<int>(measurements);
  opt.records = static_cast<int>(records);
  opt.seed = static_cast<std::uint64_t>(seed);
  meter.generateMeasurements(opt);
  if (log)
    meter.setTrace([](const std::string& line) {
      std::fputs(line.c_str(), stdout);
      std::fputc('\n', stdout);
      std::fflush(stdout);
    });
  if (!meter.start(link)) {
    std::fprintf(stderr, "MeterEmulator: %s\n", meter.lastError().c_str());
    return 1;
  }
  std::fprintf(stderr, "MeterEmulator: %s on %s -> %s, %d measurements\n", model.c_str(), link.c_str(),
               meter.slavePath().c_str(), meter.measurementCount());

  int sig = 0;
  sigwait(&sigs, &sig);
  meter.stop();
  return 0;
}
