// The road to a downloaded measurement, for the end-to-end test and the
// screenshot program: a real main window whose current port is the meter
// emulator on a pseudo-terminal (linked as com/COM1 beside the program),
// the meter identified, the memory list loaded and one stored measurement
// downloaded into the data list window by a click on its row. The main
// window's timers are frozen: the road drives the receive and poll ticks.
#pragma once
#include <functional>
#include <string>

#include "emulator/emulator.h"

namespace vkz {

class Panel;

class ViewsRoad {
 public:
  ViewsRoad() = default;
  ~ViewsRoad();
  ViewsRoad(const ViewsRoad&) = delete;
  ViewsRoad& operator=(const ViewsRoad&) = delete;

  // Program state from scratch, the emulator started in `dir`, the main
  // window loaded, COM1 linked and the meter identified.
  bool start(const std::string& dir);
  // Lets the event loop run until `done` holds (at most `ms`), with a
  // receive tick every fourth turn and a poll tick every fiftieth while
  // polling runs.
  bool until(const std::function<bool()>& done, int ms = 10000);
  // The Memory action, then a click on memory-list row `row` (1-based);
  // true once the measurement is complete ("Load Complete").
  bool download(int row);

  emu::Emulator meter;
  Panel* panel = nullptr;

 private:
  long turns_ = 0;
};

}  // namespace vkz
