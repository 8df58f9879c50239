// The download road against the meter emulator: a real main window whose
// current port is a pseudo-terminal linked as com/COM1 beside the program,
// the meter identified by a poll tick, the memory list loaded with the
// Memory action and a stored measurement downloaded into the data list
// window by a click on its row. Shared by the end-to-end tests, the
// screenshot program and the download benchmark.
#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "emulator/emulator.h"
#include "support/common/engine_clock.h"

namespace vkz {

class Panel;

// The program's language files (those beside this program) copied into
// `dir`/Lan with language `number` chosen (1 English, 2 Portuguese).
bool installLanguage(const std::string& dir, int number);

class DownloadRoad {
 public:
  // `frozen`: the tests drive the timer handlers themselves; otherwise the
  // main window's timers run as in the program.
  explicit DownloadRoad(bool frozen);
  ~DownloadRoad();
  DownloadRoad(const DownloadRoad&) = delete;
  DownloadRoad& operator=(const DownloadRoad&) = delete;

  // Program state from scratch, the emulator started on `dir`/com/COM1, the
  // main window loaded, COM1 linked and the meter identified. With a
  // `language` (1 English, 2 Portuguese), the program's language files lie
  // in `dir`/Lan with that language chosen, and the program starts in it.
  bool start(const std::string& dir, int language = 0);

  // Lets the event loop run until `done` holds, at most `ms` milliseconds.
  // With frozen timers the engine's clock moves by a receive tick every
  // 4 ms and a poll tick runs every 50 ms while polling runs: the program's ratio of the two, so re-sends
  // and the link watchdog work as in the program, only faster.
  bool until(const std::function<bool()>& done, int ms = 5000);

  // The Memory action; true once the list has ended.
  bool loadMemoryList();
  // A click on memory-list row `row` (1-based); true once "Load Complete".
  bool download(int row, int ms = 10000);

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
  // With frozen timers: the poll engine's clock, which until() turns.
  std::optional<test::EngineClock> clock;

 private:
  bool frozen_;
  long turns_ = 0;
};

}  // namespace vkz
