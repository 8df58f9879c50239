// What a report is made from, what it gives back, and what it asks of the
// window that started it.
//
// Both reports (the printed report and the PDF report) read the measurement
// as the calling window displays it: the header summary grid, the record
// grid and the user-information grid, cell by cell. They work on a copy of
// those grids taken when the report starts (ReportData), because a report
// is made on a thread of its own while the windows go on: the window may be
// edited, filled by a download or closed meanwhile, and the report still
// prints what was on display when the user asked for it.
#pragma once
#include <cstdint>
#include <string>

#include "base/griddata.h"

namespace vkz {

// The measurement as displayed, taken when the report starts.
struct ReportData {
  // Header summary: row 0 the column headings (label, D1, D2, D3), rows 1 to
  // 10 the fixed set-up rows (3 threshold, 4 criterion, 5 exchange rate,
  // 6 exceedance level, 7 interval time, 10 duration), then the chosen
  // header items.
  GridData header;
  // Records: row 0 the column titles, then one row per logged record:
  // number, "yyyy/mm/dd hh:nn:ss", Lavg, Leq, Lcpk, Lzpk as displayed
  // ("*" pause mark, level with one decimal or "--", " dB").
  GridData records;
  // User information: one row per item, label in column 0, value after it.
  GridData userInfo;
  std::string meterModel;     // model of the identified meter ("" before one)
  std::string fileModel;      // model of the last data file opened
  std::string programFolder;  // the folder Img/ and Fonts/ are found in
  std::string completedText;  // "Completed", shown after the percentage
};

// How a report ended. Done: the whole report was printed or written.
// Cancelled: the user cancelled the printer dialog; nothing was printed.
// Failed: `message` tells the user why, and whether anything was printed
// or written; the caller shows it.
struct ReportResult {
  enum Status { Done, Cancelled, Failed };
  Status status = Done;
  std::string message;
  // Done: what the PDF writer said while the report was made (a value it
  // refused), to be told before the file is shown; "" when it said nothing.
  std::string notes;
  // Done: the finished file to show in the viewer ("" for a printer).
  std::string document;

  // A failed report and why.
  static ReportResult failure(std::string why) {
    ReportResult r;
    r.status = Failed;
    r.message = std::move(why);
    return r;
  }
};

// Where a report shows how far it has come. A report is made on a thread
// of its own: showProgress is called on that thread.
class ReportUi {
 public:
  virtual ~ReportUi() = default;
  // The progress text for the calling window's caption.
  virtual void showProgress(const std::string& caption) = 0;
};

// The progress caption of a report: done / total * 100 with `decimals`
// decimals (halves up, the program's decimal separator), "% " and the
// completed text: "37.50% Completed". update() returns true when the text
// changed, so the window's caption is written only then.
class ProgressCaption {
 public:
  ProgressCaption(std::uint64_t total, int decimals, std::string completedText);
  void reset(std::uint64_t total);
  bool update(std::uint64_t done);
  const std::string& text() const { return text_; }

 private:
  std::uint64_t total_;
  std::uint64_t scale_;
  int decimals_;
  std::string completed_;
  std::int64_t last_ = -1;
  std::string text_;
};

}  // namespace vkz
