// The download road against the meter emulator: a real main window whose
// current port is a pseudo-terminal linked as com/COM1 beside the program,
// the meter identified by a poll tick, the memory list loaded with the
// Memory action and a stored measurement downloaded into the data list
// window by a click on its row. Shared by the end-to-end tests, the
// screenshot program and the download benchmark.
#pragma once
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "emulator/emulator.h"
#include "support/common/engine_clock.h"

namespace vkz {

class Panel;

// Whether every byte `meter` wrote has been read and cut by the program:
// none on the line, none waiting at the program's end of it or in the
// current port's receive buffer. (A poll of the program's end hands over
// the bytes the system still holds on their way.)
bool lineDrained(const emu::Emulator& meter);

// Turns the event loop until the program, the line to `meter` and the
// meter have nothing left to do before the clock moves; false when that
// did not come within a bound of real time (a guard that ends a failing
// test).
bool settleLine(const emu::Emulator& meter);

// The program's language files (those beside this program) copied into
// `dir`/Lan with language `number` chosen (1 English, 2 Portuguese).
bool installLanguage(const std::string& dir, int number);

class DownloadRoad {
 public:
  // `frozen`: the road runs the program on a clock of its own (the tests'
  // way): the main window's timers stand still, and until() moves the
  // clock, runs the poll ticks and wakes the engine; the meter runs on that
  // clock too. Otherwise the main window's timers and the meter run on the
  // machine's time, as in the program (the benchmarks' way).
  explicit DownloadRoad(bool frozen);
  ~DownloadRoad();
  DownloadRoad(const DownloadRoad&) = delete;
  DownloadRoad& operator=(const DownloadRoad&) = delete;

  // Program state from scratch, the emulator started on `dir`/com/COM1, the
  // main window loaded, COM1 linked and the meter identified. With a
  // `language` (1 English, 2 Portuguese), the program's language files lie
  // in `dir`/Lan with that language chosen, and the program starts in it.
  bool start(const std::string& dir, int language = 0);

  // Lets the program run until `done` holds, at most `ms` milliseconds of
  // its time. With frozen timers the clock moves only while the program,
  // the line and the meter have nothing left to do now: then to the next
  // moment something is due (a receive tick, a poll tick while polling
  // runs, the meter's next reply or byte), so what happens does not hang
  // on how busy the machine is. A bound of real time only ends a test that
  // would otherwise hang.
  bool until(const std::function<bool()>& done, int ms = 20000);
  // Lets the program run past the longest wait of the poll engine, so
  // whatever was still to happen has happened.
  void passLongestWait();

  // The Memory action; true once the list has ended.
  bool loadMemoryList();
  // A click on memory-list row `row` (1-based); true once "Load Complete".
  bool download(int row, int ms = 40000);

  // The message boxes shown so far.
  QStringList messages() const;
  // The record grid's rows (without the title row), cells joined by TABs.
  QStringList recordRows() const;
  // The rows the data list window must show for stored measurement `entry`.
  QStringList expectedRows(int entry) const;
  // PointValue1..5 hold exactly the stored records of `entry`.
  bool pointValuesMatch(int entry) const;

  emu::Emulator meter;
  Panel* panel = nullptr;
  // With frozen timers: the program's clock, which until() moves.
  std::optional<test::EngineClock> clock;

 private:
  // Moves the clock to the next moment something is due, at most to `end`,
  // and runs what falls due then.
  void step(std::chrono::nanoseconds end);

  bool frozen_;
  std::chrono::nanoseconds nextPoll_{};
};

}  // namespace vkz
