// What the poll engine shows and drives in the windows. The main window
// implements PollView (status bar, toolbar, command tree, detected-meter
// list, memory panel, its timers and its read notifier, the message boxes);
// the data list window implements DataListView. Both are installed at
// start-up (PollLoop::windows); without them the engine still keeps every
// record, only nothing is shown.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "polling/blocks.h"

namespace vkz {

enum class MessageIcon { None, Critical };

class PollView {
 public:
  virtual ~PollView() = default;

  // Status bar panel 1 (model), 2 (link state), 3 (port) or 4 (PC clock).
  virtual void setStatusText(int panel, const std::string& text) = 0;
  // Once the current port is open: toolbar buttons 3, 6, 7 and 8
  // ("SettingPanel", "RTC", "Memory", "Clear") are enabled if button 3 is
  // not yet.
  virtual void enableMeterActions() = 0;
  // The identified model changed: the command tree for a supported model.
  virtual void buildTreeForModel() = 0;
  // A meter at the top of the detected-meter list, with icon 1 or 2;
  // `portIndex` is its port-table entry.
  virtual void addDetectedMeter(const std::string& text, int icon, int portIndex) = 0;
  // Polling paused (false) or resumed (true): the poll timer and its
  // companion follow.
  virtual void pollingSwitched(bool running) = 0;
  // The descriptor to watch for arriving bytes (-1: none) and whether the
  // watch is on; bytes seen there go to PollLoop::bytesArrived().
  virtual void watchPort(int handle, bool enabled) = 0;
  // Calls PollLoop::receiveTimer() once, `ms` milliseconds from now,
  // instead of any call asked for before; -1: no call is needed.
  virtual void scheduleReceive(int ms) = 0;
  // A message box with the OK button and the program's title; it returns
  // when the user has closed it.
  virtual void showMessage(const std::string& text, MessageIcon icon) = 0;

  // --- the memory panel ---------------------------------------------------
  // Total and remaining memory, as bare decimal numbers.
  virtual void showMemorySize(std::int32_t total, std::int32_t remain) = 0;
  // The panel's message label.
  virtual void setMemoryMessage(const std::string& text) = 0;
  // A row of the memory list (TAB-joined cells), made the grid's current
  // row; the first entry of a list clears the grid to its heading first.
  virtual void addMemoryListRow(const std::string& tabText, std::int32_t row, bool first) = 0;
};

// The data list window as a download fills it. The provider that gives it
// loads the window when the user has closed it.
class DataListView {
 public:
  virtual ~DataListView() = default;
  // The header came (the measurement's header record is decoded): the
  // summary grid's fixed rows and the rows of the chosen header items.
  virtual void showHeader() = 0;
  // Rows of logged records for the record grid, in order.
  virtual void addRecords(const std::vector<LoggedRecord>& records) = 0;
  // The rows of the records from index `from` on (0-based) go: they may
  // not be the meter's records of their numbers (asked again, or not kept).
  virtual void dropRecords(std::int64_t from) = 0;
  // The measurement is complete: the window's toolbar is enabled again.
  virtual void downloadComplete() = 0;
  // The download stopped before the measurement was complete; the rows
  // that arrived stay, and the window decides what becomes of them.
  virtual void downloadStopped() {}
};

}  // namespace vkz
