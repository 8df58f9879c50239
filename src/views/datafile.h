// The data file (.vkz): one measurement as the data list window shows it.
//
// 8-bit text in code page 1252, every line ended by CR LF:
//
//   VKZ 418                      the meter model
//                                (empty)
//   Information
//   Evaluator<TAB>value<TAB>     one line per user-information row
//                                (empty)
//   HeaderData
//   <TAB>D1<TAB>D2<TAB>D3<TAB>   one line per summary row, title row first;
//   ...                          the ninth line after "HeaderData" is the
//                                "Total Point" row (record count in cell 1)
//                                (empty)
//                                (empty)
//   RecordData
//   No.s<TAB>Date/Time<TAB>...   one line per record-grid row, title first
//
// Every cell is followed by exactly one TAB. The file carries displayed
// texts, not numbers: the reader gives them back to the grids as they were.
//
// Texts inside the program are UTF-8; the conversion to and from code page
// 1252 happens here, at the file boundary.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/griddata.h"
#include "polling/measurement.h"
#include "polling/pollstate.h"
#include "views/progress.h"

namespace vkz {

// State of the save action and the file opening, one of the program-wide
// records (ProgramState).
struct DataFileState {
  std::string FileModel;        // line 0 of the data file opened last ("" before any);
                                // the Open action stores OpenResult::model here
  std::string SaveFileName;     // full path returned by the last save dialog
  bool SaveFileChosen = false;  // the save dialog just shown returned a file
  void reset() { *this = DataFileState{}; }
};

// ---- Saving ----------------------------------------------------------------

// The filter of the save dialog; the 1-based filter index the user leaves
// selected picks the format: 2 writes CSV, every other index the data file.
inline constexpr const char* kSaveFilter =
    "Data Files (*.vkz)|*.vkz|CSV Files (*.csv)|*.csv|All Files (*.*)|*.*|";
enum class SaveKind { DataFile, Csv };
SaveKind saveKindForFilter(int filterIndex);

// Records in `st` what the save dialog returned: a cancel (or an empty
// name) clears SaveFileChosen; a path with a file name sets SaveFileName and
// SaveFileChosen. No extension is added.
void ChooseSaveFileResult(DataFileState& st, bool cancelled, const std::string& path);

enum class SaveStatus {
  Written,    // the file is complete on disk
  NotChosen,  // no file was chosen (the dialog was cancelled): nothing to say
  Failed      // nothing was replaced; `message` says why
};
struct SaveResult {
  SaveStatus status = SaveStatus::NotChosen;
  std::string message;
  bool ok() const { return status == SaveStatus::Written; }
};

// Writes the data file of the three grids of a measurement (user
// information, summary, records; every row and every cell, fixed ones
// included) to `path`, atomically: on any failure an earlier file of that
// name is left as it was. `model` is the meter model for line 0. Progress
// counts cells (Cols x Rows of the three grids). TAB, CR and LF inside a
// cell are written as blanks. Choosing the path is the caller's business.
//
// The grids must stay alive and unchanged while `progress` runs.
SaveResult SaveDataFile(const std::string& path, std::string_view model, const GridData& userInfo,
                        const GridData& header, const GridData& records, const ProgressFn& progress = {});

// ---- Reading ---------------------------------------------------------------

// The line reader: takes the lines of a data file after line 0, one at a
// time with their 0-based line number (empty lines counted), and appends
// them to the three grids of the file list window:
//   "Information" section -> userInfo, "HeaderData" -> header (title row
//   included), "RecordData" -> records (its title row skipped).
// The ninth line after "HeaderData" (the "Total Point" row) announces the
// record count and makes the five per-record arrays of `data` anew, empty;
// every record line then fills them at index record number - 1 (they grow
// as the records come, to the highest number read): PointValue1..4 = LAVG,
// Leq, LCPK, LZPK (the pause flag removed), PointValue5 = 1 for a flagged
// record, as the download does.
//
// The section state starts empty for every reader (one reader per file);
// lines before the first marker line belong to no section and are skipped.
// A bad line stops the reading: a "Total Point" row without a count or
// whose count is no number of records ("-5", "NaN"), a record number
// outside the count or given a second time, a record line with fewer than
// six cells or with a level that is not a finite number ("NaN dB",
// "1e309 dB"). ParseDataFileLine then returns false and error() names the
// line; the rows appended before it stay, the refused line is not appended.
class DataFileReader {
 public:
  enum Section { None = 0, HeaderData = 1, RecordData = 2, Information = 3 };

  DataFileReader(GridData& userInfo, GridData& header, GridData& records, MeasurementData& data);
  DataFileReader(const DataFileReader&) = delete;
  DataFileReader& operator=(const DataFileReader&) = delete;

  // The largest record number taken, whatever the file announces (default
  // 16,777,216; the file reader sets it from the file size: a record line
  // takes at least 7 bytes), so a count or a record number far beyond what
  // the file holds sets no memory aside.
  void setRecordCap(std::uint64_t cap) { cap_ = cap; }

  // `lineText` is UTF-8 without its line end. False once the reading must
  // stop (then and after, nothing more is read).
  bool ParseDataFileLine(std::int64_t lineNo, std::string_view lineText);

  int ReadSection() const { return section_; }
  std::int64_t SectionStart() const { return sectionStart_; }
  bool sawMarker() const { return sawMarker_; }
  // The record count of the "Total Point" row (-1 before it), the count as
  // the file writes it, and its line.
  std::int64_t announcedRecords() const { return announced_; }
  const std::string& announcedText() const { return announcedText_; }
  std::int64_t countLine() const { return countLine_; }
  // Records stored in the arrays.
  std::uint64_t recordsRead() const { return recordsRead_; }

  bool failed() const { return errorLine_ >= 0; }
  std::int64_t errorLine() const { return errorLine_; }
  const std::string& error() const { return error_; }
  // Stops the reading at a line for a reason found outside the reader.
  void fail(std::int64_t lineNo, std::string message);
  // The reading is over: the five arrays are left of one length (a record
  // that ran out of memory half stored is dropped).
  void finish();

 private:
  bool countRow(std::int64_t lineNo, std::string_view lineText);
  bool readRecord(std::int64_t lineNo, std::string_view lineText);
  std::int64_t recordSlot(std::int64_t lineNo, std::string_view number, int cells);
  void storeRecord(std::size_t index, const double (&level)[4], double pause);
  // The five arrays and the record numbers read, n records long.
  void sizeArrays(std::size_t n);
  GridData& userInfo_;
  GridData& header_;
  GridData& records_;
  MeasurementData& data_;
  int section_ = None;
  std::int64_t sectionStart_ = 0;
  bool sawMarker_ = false;
  std::int64_t announced_ = -1;
  std::string announcedText_;
  std::int64_t countLine_ = -1;
  std::uint64_t recordLimit_ = 0;  // the largest record number taken
  std::uint64_t recordsRead_ = 0;
  std::vector<bool> seen_;  // record numbers read, as long as the arrays
  std::uint64_t cap_ = std::uint64_t{1} << 24;
  std::int64_t errorLine_ = -1;
  std::string error_;
};

enum class OpenStatus {
  Ok,           // the whole file was read
  Empty,        // the file holds no byte at all (FileModel stays as it was)
  NotDataFile,  // not a data file of a supported meter; nothing was read
  Damaged,      // reading stopped at a bad line, or the file was cut short;
                // what was read before is kept
  ReadError     // the file could not be opened or read; what was read is kept
};

struct OpenResult {
  OpenStatus status = OpenStatus::Ok;
  bool hasModelLine = false;  // line 0 was there: store `model` in FileModel
  std::string model;          // line 0, UTF-8
  std::int64_t lines = 0;     // lines read (0-based numbers 0 .. lines - 1)
  std::int64_t badLine = -1;  // 0-based number of the line the message names
  std::uint64_t records = 0;  // records read into the arrays
  std::string message;        // for the user; lines counted from 1, as editors do
  bool ok() const { return status == OpenStatus::Ok; }
};

// Reads the bytes of a data file, handed over in blocks of any size, the
// way the Open action reads a file: line 0 is the model; when it, or
// `meterModel` (the linked meter), is a supported model, every further line
// goes to a DataFileReader filling the three grids (appended to) and the
// arrays of `data`. Lines end at CR LF, LF or CR. A last line without any
// line end is where the file was cut: it is not read, and the file is
// Damaged. A file that starts with a UTF-8 byte-order mark is read as
// UTF-8, any other as code page 1252. A file that ends before its records,
// or with fewer records than it announces, is Damaged too. Never throws.
class DataFileLoader {
 public:
  // `sizeHint`: the file's size in bytes when known (0: unknown); it caps
  // the record numbers taken.
  DataFileLoader(std::string_view meterModel, GridData& userInfo, GridData& header, GridData& records,
                 MeasurementData& data, std::uint64_t sizeHint = 0);
  // False once the reading has stopped (the rest need not be read).
  bool feed(std::string_view bytes);
  // Forgets the start of a line whose end never came (after a read error).
  void dropPartialLine();
  OpenResult finish();

 private:
  void line(std::string_view raw);
  void stopAt(std::int64_t lineNo, std::string message);
  // The checks of a file read to its end without a bad line.
  void judgeEnd();
  std::string meterModel_;
  DataFileReader reader_;
  std::string carry_;     // the start of a line whose end is in a later block
  bool skipLF_ = false;   // the last block ended with a CR (maybe the first half of a CR LF)
  bool utf8_ = false;     // the file starts with a UTF-8 byte-order mark
  bool parsing_ = false;  // line 0 passed: the further lines are read
  bool stopped_ = false;
  std::string decoded_;  // a line turned from code page 1252 into UTF-8
  OpenResult result_;
};

// A data file opened once for the Open action: its first line decides
// whether the file is read, then the whole file is read from the same
// descriptor. Messages name the file.
class DataFileInput {
 public:
  // Opens `path` for reading (a regular file) and takes its size.
  explicit DataFileInput(std::string path);
  ~DataFileInput();
  DataFileInput(const DataFileInput&) = delete;
  DataFileInput& operator=(const DataFileInput&) = delete;

  // Line 0 alone, cut as the reader cuts every line: `status` is Ok when
  // the further lines are to be read (the model, or `meterModel`, is
  // supported); Empty for a file without any byte; NotDataFile (with
  // `model` when the line is text) or Damaged otherwise; ReadError when the
  // file cannot be opened or read. Reads no more than the first line.
  OpenResult readModel(std::string_view meterModel);
  // The whole file, line 0 included, as DataFileLoader reads it.
  OpenResult read(std::string_view meterModel, GridData& userInfo, GridData& header, GridData& records,
                  MeasurementData& data);

 private:
  std::string path_;
  int fd_ = -1;
  std::uint64_t size_ = 0;
  std::string openError_;  // why the file could not be opened
};

// The file at `path` read whole, as DataFileInput::read() reads it.
OpenResult ReadDataFile(const std::string& path, std::string_view meterModel, GridData& userInfo,
                        GridData& header, GridData& records, MeasurementData& data);

}  // namespace vkz
