// The records of a large data file read side by side by several threads
// must come out exactly as the line-by-line reading gives them, whatever
// the file holds and wherever the pieces are cut; a file that is not plain
// records is left to the line-by-line reading.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/common/datafile_bytes.h"
#include "support/common/test_files.h"
#include "unit/views/measurement_fixture.h"
#include "views/datafile.h"

using namespace vkz;

namespace {

struct Read {
  test::Grids g = test::readerGrids();
  MeasurementData m;
  OpenResult r;
  bool split = false;  // the records were taken side by side
};

// A data file of `n` records, each line ended by CR LF; `record` may
// change the text of record line i (0-based, without its line end; a line
// it ends with LF keeps that end alone).
std::string fileOf(int n, const std::function<void(int, std::string&)>& record = {}, int announced = -1) {
  std::string f =
      "VKZ 418\r\n\r\nInformation\r\nEvaluator\tA. Pereira\t\r\n\r\nHeaderData\r\n\tD1\tD2\tD3\t\r\n";
  for (int i = 0; i < 7; ++i) f += "Header item\t85.1 dB\t84.0 dB\t83.2 dB\t\r\n";
  const std::string count = std::to_string(announced < 0 ? n : announced);
  f += "Total Point\t" + count + "\t" + count + "\t" + count + "\t\r\n\r\n\r\nRecordData\r\n";
  f += "No.s\tDate/Time\tLAVG\tLeq\tLCPK\tLZPK\t\r\n";
  for (int i = 0; i < n; ++i) {
    const int a = 400 + (i * 37) % 600, b = 9 + (i * 11) % 1100;
    std::string line = std::to_string(i + 1) + "\t2018/05/01 10:" + std::to_string(10 + i % 50) + ":00\t" +
                       (i % 13 == 5 ? "*" : "") + std::to_string(a / 10) + "." + std::to_string(a % 10) +
                       " dB\t" + std::to_string(b / 10) + "." + std::to_string(b % 10) + " dB\t" +
                       std::to_string(a / 10 + 40) + ".5 dB\t" + std::to_string(b / 10 + 3) + ".0 dB\t";
    if (record) record(i, line);
    f += line.ends_with('\n') ? line : line + "\r\n";
  }
  return f;
}

// Cell k of a record line (TAB-separated) replaced by `text`.
void setCell(std::string& line, int k, const std::string& text) {
  size_t start = 0;
  for (int c = 0; c < k; ++c) start = line.find('\t', start) + 1;
  const size_t end = line.find('\t', start);
  line.replace(start, (end == std::string::npos ? line.size() : end) - start, text);
}

// The line-by-line reading of `bytes`.
Read lineByLine(const std::string& bytes) {
  Read x;
  x.r = vkztest::readDataFileBytes(bytes, "", x.g.userInfo, x.g.header, x.g.records, x.m);
  return x;
}

// The reading of `bytes` with the records split as `split` says.
Read sideBySide(const std::string& bytes, const RecordSplit& split) {
  Read x;
  x.r = vkztest::readDataFileBytes(bytes, "", x.g.userInfo, x.g.header, x.g.records, x.m, split, x.split);
  return x;
}

void expectSame(const Read& a, const Read& b) {
  EXPECT_EQ(a.r.status, b.r.status);
  EXPECT_EQ(a.r.message, b.r.message);
  EXPECT_EQ(a.r.lines, b.r.lines);
  EXPECT_EQ(a.r.badLine, b.r.badLine);
  EXPECT_EQ(a.r.records, b.r.records);
  for (auto grid : {&test::Grids::userInfo, &test::Grids::header, &test::Grids::records}) {
    const GridData &ga = a.g.*grid, &gb = b.g.*grid;
    ASSERT_EQ(ga.rows(), gb.rows());
    ASSERT_EQ(ga.cols(), gb.cols());
    for (int r = 0; r < ga.rows(); ++r) ASSERT_EQ(ga.rowText(r), gb.rowText(r)) << "row " << r;
  }
  EXPECT_EQ(a.m.PointValue1, b.m.PointValue1);
  EXPECT_EQ(a.m.PointValue2, b.m.PointValue2);
  EXPECT_EQ(a.m.PointValue3, b.m.PointValue3);
  EXPECT_EQ(a.m.PointValue4, b.m.PointValue4);
  EXPECT_EQ(a.m.PointValue5, b.m.PointValue5);
}

constexpr int kRecords = 120;

struct Change {
  const char* name;
  bool plain;  // still plain records, taken side by side
  std::function<void(int at, std::string& line)> apply;
};

// One line changed, as a user's editor or a broken disk may change it.
const std::vector<Change>& changes() {
  using L = std::string&;
  static const std::vector<Change> all = {
      {"nothing", true, [](int, L) {}},
      {"LF line end", true, [](int, L l) { l += "\n"; }},
      {"number with zeros before it", true, [](int i, L l) { setCell(l, 0, "00" + std::to_string(i + 1)); }},
      {"number as a decimal", true, [](int i, L l) { setCell(l, 0, std::to_string(i + 1) + ".0"); }},
      {"number given twice", false, [](int i, L l) { setCell(l, 0, std::to_string(i == 0 ? 2 : i)); }},
      {"number beyond the count", false, [](int, L l) { setCell(l, 0, "100000"); }},
      {"number missing", false, [](int, L l) { setCell(l, 0, ""); }},
      {"level that is no number", false, [](int, L l) { setCell(l, 2, "NaN dB"); }},
      {"level with two decimals", true, [](int, L l) { setCell(l, 3, "85.25 dB"); }},
      {"level without unit", true, [](int, L l) { setCell(l, 4, "101.4"); }},
      {"five cells", true, [](int, L l) { l.erase(l.rfind('\t', l.size() - 2) + 1); }},
      {"four cells", false, [](int, L l) { l.erase(l.rfind('\t', l.rfind('\t', l.size() - 2) - 1) + 1); }},
      {"seven cells", false, [](int, L l) { l += "extra\t"; }},
      {"no TAB after the last cell", true, [](int, L l) { l.pop_back(); }},
      {"lone CR inside", false, [](int, L l) { l.insert(5, "\r"); }},
      {"zero byte", false, [](int, L l) { l[3] = '\0'; }},
      {"byte above 127", false, [](int, L l) { l.insert(l.find("10:"), "\xE9"); }},
      {"empty line before", false, [](int, L l) { l = "\r\n" + l; }},
      {"section marker before", false, [](int, L l) { l = "HeaderData\r\n" + l; }},
  };
  return all;
}

std::string changedFile(const Change& change, int at) {
  return fileOf(kRecords, [&](int i, std::string& l) {
    if (i == at) change.apply(i, l);
  });
}

}  // namespace

// Every change on every line, with the file cut into pieces of every
// kind: the outcome is the line-by-line one, and plain records are taken
// side by side.
TEST(DataFileSplit, SameAsLineByLineWhereverTheLinesAreCut) {
  for (const Change& change : changes()) {
    for (unsigned threads : {1u, 2u, 3u, 7u}) {
      for (int at = 0; at < kRecords; at += (threads == 7 ? 1 : 17)) {
        SCOPED_TRACE(std::string(change.name) + ", line " + std::to_string(at) + ", " +
                     std::to_string(threads) + " pieces");
        const std::string bytes = changedFile(change, at);
        const Read split = sideBySide(bytes, {1, 1, threads});
        expectSame(split, lineByLine(bytes));
        EXPECT_EQ(split.split, change.plain);
        if (HasFatalFailure()) return;
      }
    }
  }
}

// What lies around the records: a count that is not the number of lines,
// a file that ends without a line end or in the middle of a line, more
// after the records.
TEST(DataFileSplit, SameAsLineByLineAroundTheRecords) {
  const std::string plain = fileOf(kRecords);
  struct Case {
    const char* name;
    std::string bytes;
    bool split;
  };
  const Case cases[] = {
      {"count above the records", fileOf(kRecords, {}, kRecords + 5), true},
      {"count below the records", fileOf(kRecords, {}, kRecords - 3), false},
      {"no line end at the end", plain.substr(0, plain.size() - 2), false},
      {"CR without LF at the end", plain.substr(0, plain.size() - 1), false},
      {"cut in the last line", plain.substr(0, plain.size() - 20), false},
      {"an empty line after", plain + "\r\n", false},
      {"a section after", plain + "Information\r\nEvaluator\tB\t\r\n", false},
      {"CR line ends only",
       [&] {
         std::string f = plain;
         std::erase(f, '\n');
         return f;
       }(),
       false},
  };
  for (const Case& c : cases) {
    for (unsigned threads : {1u, 4u}) {
      SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(threads) + " pieces");
      const Read split = sideBySide(c.bytes, {1, 1, threads});
      expectSame(split, lineByLine(c.bytes));
      EXPECT_EQ(split.split, c.split);
    }
  }
}

// The Open action's reading from disk: a file read side by side gives what
// the line-by-line reading gives, a plain one and one that falls back.
TEST(DataFileSplit, FromDiskAsLineByLine) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("vkz_split_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string files[] = {fileOf(3000), fileOf(3000, [](int i, std::string& l) {
                                 if (i == 2500) setCell(l, 5, "Inf dB");
                               })};
  for (const std::string& bytes : files) {
    const std::string path = (dir / "split.vkz").string();
    test::writeBytes(path, bytes);
    Read split, plain;
    split.r =
        ReadDataFile(path, "", split.g.userInfo, split.g.header, split.g.records, split.m, {1, 4096, 4});
    plain.r =
        ReadDataFile(path, "", plain.g.userInfo, plain.g.header, plain.g.records, plain.m, RecordSplit{});
    expectSame(split, plain);
    EXPECT_EQ(plain.r.records, bytes == files[0] ? 3000u : 2500u);
  }
  std::filesystem::remove_all(dir);
}
