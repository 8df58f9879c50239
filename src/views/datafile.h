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
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/griddata.h"
#include "polling/measurement.h"
#include "polling/pollstate.h"
#include "views/progress.h"

namespace vkz {
namespace detail {
struct LineScan;
class MemoryWarmer;
}  // namespace detail

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

// How the records of a large file are read. A record section of
// `fromBytes` or more (0: never) is read and parsed in pieces of at least
// `pieceBytes`, by up to `threads` threads side by side. Any line that is
// not a plain record in its place (records 1, 2, 3... one per line, each
// line ended by LF or CR LF, plain ASCII, one row of the record grid) makes
// the whole section be read line by line instead, so the outcome is the
// same either way.
struct RecordSplit {
  std::uint64_t fromBytes = 0;
  std::uint64_t pieceBytes = 1;
  unsigned threads = 1;
  // The program's: from 1 MiB of records on, pieces of 256 KiB or more, a
  // thread per processor (8 at most).
  static RecordSplit forThisMachine();
};

// Reads `bytes` bytes at `offset` of a file into `into`: 0 when all came,
// else the errno of the read that failed (or EIO for a file that ended
// before).
using ReadAt = std::function<int(char* into, std::size_t bytes, std::uint64_t offset)>;

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
// A bad line (record number outside the announced count or given a second
// time, a record line with fewer than six cells or with a level that is not
// a finite number ("NaN dB", "1e309 dB"), a "Total Point" row without a
// count) stops the reading: ParseDataFileLine returns false and error()
// names the line. The rows appended before that line stay, the refused line
// is not appended; the room set aside for the records that did not come is
// given back.
class DataFileReader {
 public:
  enum Section { None = 0, HeaderData = 1, RecordData = 2, Information = 3 };

  DataFileReader(GridData& userInfo, GridData& header, GridData& records, MeasurementData& data);
  ~DataFileReader();
  DataFileReader(const DataFileReader&) = delete;
  DataFileReader& operator=(const DataFileReader&) = delete;

  // The largest record number taken, whatever the file announces (default
  // 16,777,216; the whole-file reader sets it from the file size: a record
  // line takes at least 7 bytes).
  void setRecordCap(std::uint64_t cap) { cap_ = cap; }
  // The bytes of the file still to come (0: not known). Room for the
  // records is set aside by what they can hold, not by the announced count.
  void setBytesLeft(std::uint64_t bytes) { bytesLeft_ = bytes; }

  // `lineText` is UTF-8 without its line end. False once the reading must
  // stop (then and after, nothing more is read).
  bool ParseDataFileLine(std::int64_t lineNo, std::string_view lineText);

  int ReadSection() const { return section_; }
  std::int64_t SectionStart() const { return sectionStart_; }
  bool sawMarker() const { return sawMarker_; }
  // The record count of the "Total Point" row (-1 before it) and its line.
  std::int64_t announcedRecords() const { return announced_; }
  std::int64_t countLine() const { return countLine_; }
  // Records stored in the arrays.
  std::uint64_t recordsRead() const { return recordsRead_; }

  bool failed() const { return errorLine_ >= 0; }
  std::int64_t errorLine() const { return errorLine_; }
  const std::string& error() const { return error_; }
  // Stops the reading at a line for a reason found outside the reader.
  void fail(std::int64_t lineNo, std::string message);
  // The reading is over: the room set aside for records that did not come
  // is given back (the rows and values read stay).
  void release();

  // Whether line `nextLine` starts the records of a section (its title
  // line is read, the count is known, no record is yet) and the rows of the
  // record grid are as a data file has them.
  bool atRecordsStart(std::int64_t nextLine) const;
  // Takes every line from there to the file's end, `bytes` bytes at file
  // offset `offset` read by `readAt`, as `split` says. True when all were
  // taken (`lines` of them): each was a plain record in its place, as
  // ParseDataFileLine takes it, the last ended by LF. False when nothing
  // was taken (the grids and arrays are as before): the lines are to be
  // read one by one.
  bool takeRecordsSplit(std::uint64_t offset, std::uint64_t bytes, const ReadAt& readAt,
                        const RecordSplit& split, std::uint64_t& lines);

 private:
  friend class DataFileLoader;
  bool parse(std::int64_t lineNo, std::string_view lineText, const detail::LineScan& scan);
  bool readRecord(std::int64_t lineNo, std::string_view lineText, const detail::LineScan& scan);
  std::int64_t recordSlot(std::int64_t lineNo, std::string_view lineText, const detail::LineScan& scan);
  void storeRecord(std::size_t index, const double (&level)[4], double pause);
  void countRow(std::int64_t lineNo, std::int64_t count);
  // The five arrays and the record numbers read, n records long.
  void sizeArrays(std::size_t n);
  // Tells the memory warmer how far the record texts have come.
  void progress();
  GridData& userInfo_;
  GridData& header_;
  GridData& records_;
  MeasurementData& data_;
  int section_ = None;
  std::int64_t sectionStart_ = 0;
  bool sawMarker_ = false;
  std::int64_t announced_ = -1;
  std::int64_t countLine_ = -1;
  std::uint64_t recordLimit_ = 0;  // the largest record number taken
  std::uint64_t recordsRead_ = 0;
  std::vector<bool> seen_;  // record numbers read, as long as the arrays
  std::uint64_t cap_ = std::uint64_t{1} << 24;
  std::uint64_t bytesLeft_ = 0;                   // the file's bytes still to come, when known
  std::unique_ptr<detail::MemoryWarmer> warmer_;  // readies the record grid's memory
  std::int64_t errorLine_ = -1;
  std::string error_;
};

enum class OpenStatus {
  Ok,           // the whole file was read
  Empty,        // the file holds no line at all (FileModel stays as it was)
  NotDataFile,  // not a data file of a supported meter; nothing was read
  Damaged,      // reading stopped at a bad line, or records are missing;
                // what was read before is kept
  ReadError     // the file could not be opened or read; what was read is kept
};

struct OpenResult {
  OpenStatus status = OpenStatus::Ok;
  bool hasModelLine = false;  // line 0 was there: store `model` in FileModel
  std::string model;          // line 0, UTF-8
  std::int64_t lines = 0;     // lines seen (0-based numbers 0 .. lines - 1)
  std::int64_t badLine = -1;  // 0-based number of the line the message names
  std::uint64_t records = 0;  // records read into the arrays
  std::string message;        // for the user; lines counted from 1, as editors do
  bool ok() const { return status == OpenStatus::Ok; }
};

// Reads a data file as the main window's Open action does: line 0 is the
// model; when it, or `meterModel` (the linked meter), is a supported model,
// every further line goes to a DataFileReader filling the three grids
// (appended to) and the arrays of `data`. Lines end at CR LF, LF or CR; a
// last line without line end is read too. A file that starts with a UTF-8
// byte-order mark is read as UTF-8. Never throws.
OpenResult ReadDataFile(const std::string& path, std::string_view meterModel, GridData& userInfo,
                        GridData& header, GridData& records, MeasurementData& data);
// The same with the records of a large file read as `split` says (the
// call above: RecordSplit::forThisMachine()).
OpenResult ReadDataFile(const std::string& path, std::string_view meterModel, GridData& userInfo,
                        GridData& header, GridData& records, MeasurementData& data, const RecordSplit& split);

// Line 0 of a data file alone, read as ReadDataFile reads it (a line ends
// at CR, LF or CR LF; a UTF-8 byte-order mark is dropped): the Open action
// decides on it whether the file is read. `status` is Ok when the further
// lines are to be read (the model, or `meterModel`, is supported); Empty
// for a file without any byte; NotDataFile (with `model` when the line is
// text) or Damaged otherwise, with a message; ReadError when the file cannot
// be opened or read. Reads no more than the first line. Never throws.
OpenResult ReadDataFileModel(const std::string& path, std::string_view meterModel);

// The block-by-block reader behind ReadDataFile:
// feed the file's bytes in blocks of any size, then finish().
class DataFileLoader {
 public:
  // `sizeHint`: the file's size in bytes when known (0: unknown); it caps the
  // record numbers taken, and the room set aside for the records by the
  // bytes still to come.
  // With a `split` and a size hint, feed() stops at the records of a large
  // section: recordsAt() then tells where they start, and they are read by
  // readRecordsSplit().
  DataFileLoader(std::string_view meterModel, GridData& userInfo, GridData& header, GridData& records,
                 MeasurementData& data, std::uint64_t sizeHint = 0, const RecordSplit& split = {});
  // False once the reading has stopped (the rest need not be read).
  bool feed(std::string_view bytes);
  // The file offset of the records feed() stopped at (0: none); the bytes
  // fed past it are not read.
  std::uint64_t recordsAt() const { return recordsAt_; }
  // Reads the records from recordsAt() to the size hint with `readAt`.
  // True when they were all taken: the next bytes to feed are those past
  // the size hint. False when the bytes from recordsAt() on are to be fed.
  bool readRecordsSplit(const ReadAt& readAt);
  // Forgets the start of a line whose end never came (after a read error).
  void dropPartialLine();
  OpenResult finish();

 private:
  void segment(std::string_view seg, bool beforeLF, const detail::LineScan& scan);
  bool splitsAt(std::uint64_t offset) const;
  void tooLong();
  void line(std::string_view raw, const detail::LineScan& scan);
  void stopAt(std::int64_t lineNo, std::string message);
  std::string meterModel_;
  DataFileReader reader_;
  std::uint64_t sizeHint_ = 0;
  std::uint64_t fed_ = 0;  // bytes fed so far
  RecordSplit split_;
  std::uint64_t recordsAt_ = 0;  // where feed() stopped for readRecordsSplit()
  bool splitTried_ = false;      // once a file
  std::string carry_;            // the start of a line whose end is in a later block
  bool skipLF_ = false;          // the last block ended with a CR
  bool utf8_ = false;
  bool parsing_ = false;
  bool stopped_ = false;
  std::string decoded_;
  OpenResult result_;
};

}  // namespace vkz
