// A whole logged-data download over a bad line, driven by the fuzzer, in
// receive ticks (16 ms) with a poll tick every 200 ms, as the program runs
// it: a meter that answers each request in order after its own delay (that
// wanders, now and then far beyond it), and a line that loses replies and
// cuts them short. The download keeps its requests in BlockFlow: it asks
// the next block as soon as one is taken, asks a block again at once when
// a reply taken as a late answer may have been its own, and the poll tick
// re-sends the block asked for every third tick while its answer is late,
// the first time behind a fence (a block taken before, or the header).
// Every record stored must be the meter's record of that index, stored
// once, and a line that behaves at the end lets the download finish with
// every row right.
// The meter's records come in stretches of alike records, as a paused span
// logs them, so that whole blocks are often byte for byte alike.
//
// Input: bytes 0-1 the record count (1..400), byte 2 a seed for the record
// values, byte 3 the meter's delay in receive ticks (1..120), then one byte
// per request sent: what the line does to its answer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

#include "polling/blockflow.h"
#include "polling/blocks.h"
#include "polling/measurement.h"

using namespace vkz;

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

struct Meter {
  std::vector<std::uint8_t> bytes;  // 8 per record
  std::vector<std::uint8_t> block(std::int64_t b) const {
    const std::size_t from = static_cast<std::size_t>(b) * 80;
    if (from >= bytes.size()) return {};
    const std::size_t to = std::min(bytes.size(), from + 80);
    return {bytes.begin() + static_cast<std::ptrdiff_t>(from),
            bytes.begin() + static_cast<std::ptrdiff_t>(to)};
  }
};

// A reply on its way back from the meter.
struct Arrival {
  std::int64_t at;  // receive tick it comes at
  std::vector<std::uint8_t> bytes;
  bool header = false;  // the header's reply (asked again as a fence)
};

// The meter and the line: each request's answer is scheduled when it is
// sent, by the next fuzz byte (once they run out, the line behaves).
struct Line {
  const Meter* meter = nullptr;
  const std::uint8_t* fate = nullptr;
  const std::uint8_t* fateEnd = nullptr;
  std::int64_t delay = 1;
  std::int64_t lastAt = 0;  // the meter answers in order
  std::deque<Arrival> coming;

  void send(std::int64_t block, std::int64_t now) {
    const std::uint8_t f = fate < fateEnd ? *fate++ : 0;
    const std::int64_t jitter = (f / 4) % (delay / 4 + 1);
    const std::int64_t at = std::max(lastAt, now + delay + jitter);
    lastAt = at;
    const bool header = block == BlockFlow::kHeader;
    std::vector<std::uint8_t> r = header ? std::vector<std::uint8_t>{} : meter->block(block);
    switch (f % 4) {
      case 0:  // the meter answers
        coming.push_back({at, r, header});
        break;
      case 1:  // the reply is lost
        break;
      case 2:  // the meter takes far longer than its usual delay this time
        lastAt = at + delay * ((f / 4) % 4);
        coming.push_back({lastAt, r, header});
        break;
      case 3:  // the reply is cut short (a header's is then no header)
        if (header) break;
        r.resize(std::min<std::size_t>(r.size(), (f / 4) % 80));
        coming.push_back({at, r});
        break;
    }
  }
};

// The download as the program runs it.
struct Program {
  BlockFlow flow;
  BlockContext ctx;
  MeasurementData m;
  std::vector<int> storedTimes;
  bool done = false;
  bool pending = false;  // a block request waits for its answer
  int retry = 0;         // poll ticks it has waited
  std::int64_t now = 0;
  Line* line = nullptr;
  const Meter* meter = nullptr;

  void ask() {
    pending = true;
    retry = 0;
    flow.requested();
    line->send(flow.block(), now);
  }
  void receiveTick() { ++now; }
  // The poll tick re-sends the block asked for every third tick, the first
  // time behind a fence.
  void pollTick() {
    if (!pending) return;
    if (!flow.active()) {
      pending = false;
    } else if (retry >= 2) {
      if (const auto fence = flow.fence()) {
        flow.requested(*fence);
        line->send(*fence, now);
      }
      ask();
    } else {
      ++retry;
    }
  }
  void reply(const std::vector<std::uint8_t>& bytes) {
    retry = 0;
    Payload p(bytes.data(), bytes.size());
    const BlockFlow::Match match = flow.match(p);
    if (match == BlockFlow::Match::Late && flow.mayAsk()) ask();
    if (match != BlockFlow::Match::Current) return;
    pending = false;
    const auto b = DecodeDataBlock(flow.block(), p, ctx, "dB");
    if (!b) {
      ask();
      return;
    }
    for (const LoggedRecord& r : b->records) {
      const std::size_t i = static_cast<std::size_t>(r.index);
      check(i < storedTimes.size());
      ++storedTimes[i];
      const std::uint8_t* want = &meter->bytes[i * 8];
      check(r.lavg == ((want[0] | want[1] << 8) & 0x7FFF) / 10.0);
      check(r.leq == (want[2] | want[3] << 8) / 10.0);
      check(r.lcpk == (want[4] | want[5] << 8) / 10.0);
      check(r.lzpk == (want[6] | want[7] << 8) / 10.0);
      check(r.paused == ((want[1] & 0x80) != 0));
      check(r.row.rfind(std::to_string(i + 1) + "\t", 0) == 0);
    }
    flow.taken(p);
    if (!b->last) ask();
    StoreRecords(*b, m);
    if (b->last) {
      flow.stop();
      done = true;
    }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const int count = 1 + ((data[0] << 8 | data[1]) % 400);
  Meter meter;
  std::uint32_t x = data[2] * 2654435761u + 1;
  auto random = [&x] {
    x = x * 1103515245u + 12345u;
    return x >> 16;
  };
  // Stretches of 1 to 40 alike records; bytes of few distinct values, so
  // that neighbouring stretches often look alike too.
  static const std::uint8_t values[3] = {0x00, 0x01, 0x83};
  std::uint8_t record[8] = {};
  for (int i = 0, left = 0; i < count; ++i, --left) {
    if (left == 0) {
      left = 1 + static_cast<int>(random() % 40);
      for (std::uint8_t& b : record) b = values[random() % 3];
    }
    meter.bytes.insert(meter.bytes.end(), record, record + 8);
  }

  Line line;
  line.meter = &meter;
  line.delay = 1 + data[3] % 120;
  line.fate = data + 4;
  line.fateEnd = data + size;
  Program prog;
  prog.line = &line;
  prog.meter = &meter;
  prog.ctx.recordCount = count;
  prog.ctx.intervalSeconds = 60;
  prog.m.sizePointValues(static_cast<std::size_t>(count));
  prog.storedTimes.assign(static_cast<std::size_t>(count), 0);
  prog.flow.start();
  prog.ask();

  // Each block takes at most a few re-sends once the line behaves; the fuzz
  // bytes are spent by then.
  const std::int64_t blocks = count / 10 + 1;
  const std::int64_t ticks = static_cast<std::int64_t>(size) * 400 + blocks * 1000;
  for (std::int64_t t = 0; !prog.done && t < ticks; ++t) {
    prog.receiveTick();
    while (!prog.done && !line.coming.empty() && line.coming.front().at <= prog.now) {
      const Arrival a = std::move(line.coming.front());
      line.coming.pop_front();
      if (a.header)
        prog.flow.headerAnswered();
      else
        prog.reply(a.bytes);
    }
    // 200 ms poll ticks over 16 ms receive ticks.
    if (prog.now * 16 / 200 != (prog.now - 1) * 16 / 200) prog.pollTick();
  }
  check(prog.done);
  for (int t : prog.storedTimes) check(t == 1);
  for (int i = 0; i < count; ++i)
    check(prog.m.PointValue2[static_cast<std::size_t>(i)] ==
          (meter.bytes[i * 8 + 2] | meter.bytes[i * 8 + 3] << 8) / 10.0);
  return 0;
}
