// A whole logged-data download over a bad line, driven by the fuzzer: a
// meter that answers its requests in order, and a line that loses replies,
// doubles them (the copy right behind the first), cuts them short, and a
// poll tick that re-sends the block asked for. The download keeps its
// requests (BlockFlow) and stores what it takes; every record stored must be
// the meter's record of that index, stored once, and a line that behaves at
// the end lets the download finish with every row right.
// The poll tick's re-send counts as coming after a quiet spell only when no
// answer is still on its way (ticks pass between block exchanges; a reply
// held back longer than that is out of the model).
// The meter's records come in stretches of alike records, as a paused span
// logs them, so that whole blocks are often byte for byte alike.
//
// Input: bytes 0-1 the record count (1..400), byte 2 a seed for the record
// values, then one byte per line event.
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

struct Program {
  BlockFlow flow;
  BlockContext ctx;
  MeasurementData m;
  std::vector<int> storedTimes;
  bool done = false;
  std::deque<std::int64_t>* line = nullptr;  // requests on their way to the meter

  void ask(bool afterQuiet = false) {
    flow.requested(afterQuiet);
    line->push_back(flow.block());
  }
  void reply(const std::vector<std::uint8_t>& bytes, const Meter& meter) {
    Payload p(bytes.data(), bytes.size());
    if (flow.match(p) != BlockFlow::Match::Current) return;
    const auto b = DecodeDataBlock(flow.block(), p, ctx, "dB");
    if (!b) {
      ask();
      return;
    }
    for (const LoggedRecord& r : b->records) {
      const std::size_t i = static_cast<std::size_t>(r.index);
      check(i < storedTimes.size());
      ++storedTimes[i];
      const std::uint8_t* want = &meter.bytes[i * 8];
      check(r.lavg == ((want[0] | want[1] << 8) & 0x7FFF) / 10.0);
      check(r.leq == (want[2] | want[3] << 8) / 10.0);
      check(r.lcpk == (want[4] | want[5] << 8) / 10.0);
      check(r.lzpk == (want[6] | want[7] << 8) / 10.0);
      check(r.paused == ((want[1] & 0x80) != 0));
      check(r.row.rfind(std::to_string(i + 1) + "\t", 0) == 0);
    }
    StoreRecords(*b, m);
    flow.taken(p);
    if (b->last) {
      flow.stop();
      done = true;
    } else {
      ask();
    }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
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

  std::deque<std::int64_t> line;
  Program prog;
  prog.line = &line;
  prog.ctx.recordCount = count;
  prog.ctx.intervalSeconds = 60;
  prog.m.sizePointValues(static_cast<std::size_t>(count));
  prog.storedTimes.assign(static_cast<std::size_t>(count), 0);
  prog.flow.start();
  prog.ask();

  auto answer = [&](int copies, std::size_t cut) {
    if (line.empty()) return;
    std::vector<std::uint8_t> r = meter.block(line.front());
    line.pop_front();
    if (cut < r.size()) r.resize(cut);
    for (int c = 0; c < copies; ++c) prog.reply(r, meter);
  };
  for (std::size_t k = 3; k < size; ++k) {
    const std::uint8_t op = data[k];
    switch (op % 6) {
      case 0:
        answer(1, SIZE_MAX);
        break;  // the meter answers
      case 1:
        if (!line.empty()) line.pop_front();
        break;  // the reply is lost
      case 2:
        answer(2, SIZE_MAX);
        break;  // the reply comes twice
      case 3:
        answer(1, op / 6);
        break;  // the reply is cut short
      case 4:   // the poll tick re-sends; after a quiet spell when nothing is still to come
        if (prog.flow.active()) prog.ask(line.empty());
        break;
      case 5:
        answer(1, SIZE_MAX);
        answer(1, SIZE_MAX);
        break;
    }
  }
  // The line behaves from here: re-sends and answers until the end.
  const std::size_t rounds = line.size() + 256 + 4 * static_cast<std::size_t>(count / 10 + 2);
  for (std::size_t guard = 0; !prog.done && guard < rounds; ++guard) {
    if (line.empty()) prog.ask(true);
    answer(1, SIZE_MAX);
  }
  check(prog.done);
  for (int t : prog.storedTimes) check(t == 1);
  for (int i = 0; i < count; ++i)
    check(prog.m.PointValue2[static_cast<std::size_t>(i)] ==
          (meter.bytes[i * 8 + 2] | meter.bytes[i * 8 + 3] << 8) / 10.0);
  return 0;
}
