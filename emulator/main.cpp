// MeterEmulator: a noise dosimeter on a pseudo-terminal, for trying the
// program without a meter and for tests.
//
//   MeterEmulator --link build/bin/com/COM1 --measurements 5
//
// Runs until SIGTERM or SIGINT, then removes the link.
#include <signal.h>

#include <algorithm>
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
      "  --fault KIND,CODE[,SKIP[,TIMES[,MS]]]\n"
      "                       misbehave on the replies to requests of CODE (0x12, or -1 for any): the\n"
      "                       first SKIP pass (default 0), the next TIMES are hit (default 1, -1 = all);\n"
      "                       KIND: drop, duplicate, corrupt (checksum), resend (asks for the request\n"
      "                       again), fail (refuses a write), delay (MS more), split (8-byte pieces MS\n"
      "                       apart), ignore (neither taken nor answered). May be given again\n"
      "  --lose-entry N[,TIMES]\n"
      "                       the memory-list replies of entry N are lost (TIMES, default -1 = all)\n"
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

// A fault rule written KIND,CODE[,SKIP[,TIMES[,MS]]].
bool faultRule(const char* s, vkz::emu::FaultRule& out) {
  using vkz::emu::Fault;
  static const std::pair<const char*, Fault> kinds[] = {
      {"drop", Fault::Drop},     {"duplicate", Fault::Duplicate}, {"corrupt", Fault::CorruptChecksum},
      {"resend", Fault::Resend}, {"fail", Fault::Fail},           {"delay", Fault::Delay},
      {"split", Fault::Split},   {"ignore", Fault::Ignore}};
  std::vector<std::string> parts;
  const std::string text = s;
  for (std::size_t from = 0;;) {
    const std::size_t comma = text.find(',', from);
    parts.push_back(text.substr(from, comma - from));
    if (comma == std::string::npos) break;
    from = comma + 1;
  }
  if (parts.size() < 2 || parts.size() > 5) return false;
  const auto kind =
      std::find_if(std::begin(kinds), std::end(kinds), [&](const auto& k) { return parts[0] == k.first; });
  if (kind == std::end(kinds)) return false;
  long long code = 0, skip = 0, times = 1, ms = 0;
  char* end = nullptr;
  errno = 0;
  code = std::strtoll(parts[1].c_str(), &end, 0);  // 0x12 or 18
  if (errno || end == parts[1].c_str() || *end || code < -1 || code > 0xFF) return false;
  if (parts.size() > 2 && !number(parts[2].c_str(), 0, INT_MAX, skip)) return false;
  if (parts.size() > 3 && !number(parts[3].c_str(), -1, INT_MAX, times)) return false;
  if (parts.size() > 4 && !number(parts[4].c_str(), 0, 60000, ms)) return false;
  out = {kind->second, static_cast<int>(code), static_cast<int>(skip), static_cast<int>(times),
         std::chrono::milliseconds(ms)};
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string link, model = "VKZ 418";
  long long measurements = 5, records = 0, seed = 1, delay = 0, erase = -1;
  bool pace = false, log = false;
  vkz::emu::DelayPattern pattern;
  std::vector<vkz::emu::FaultRule> faults;
  std::vector<std::pair<int, int>> lostEntries;
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
    } else if (a == "--fault" && more) {
      vkz::emu::FaultRule rule;
      if (!faultRule(argv[++i], rule)) return usage(), 2;
      faults.push_back(rule);
    } else if (a == "--lose-entry" && more) {
      long long entry = 0, times = -1;
      const std::string text = argv[++i];
      const std::size_t comma = text.find(',');
      if (!number(text.substr(0, comma).c_str(), 1, 255, entry) ||
          (comma != std::string::npos && !number(text.substr(comma + 1).c_str(), -1, INT_MAX, times)))
        return usage(), 2;
      lostEntries.emplace_back(static_cast<int>(entry), static_cast<int>(times));
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
  for (const vkz::emu::FaultRule& rule : faults) meter.addFault(rule);
  for (const auto& [entry, times] : lostEntries) meter.loseListEntry(entry, times);
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
