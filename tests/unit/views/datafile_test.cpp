#include "views/datafile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "support/common/datafile_bytes.h"
#include "support/common/test_files.h"
#include "unit/views/measurement_fixture.h"
#include "views/csvfile.h"
#include "views/displaytext.h"

using namespace vkz;
namespace fs = std::filesystem;

namespace {

using test::readBytes;
using test::writeBytes;

std::string replaceAll(std::string s, const std::string& from, const std::string& to) {
  for (size_t i = s.find(from); i != std::string::npos; i = s.find(from, i + to.size()))
    s.replace(i, from.size(), to);
  return s;
}

class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("vkz_views_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
  DataFileState dataFile;
};

struct Read {
  test::Grids g = test::readerGrids();
  MeasurementData m;
  OpenResult r;
};

Read readBack(const std::string& bytes, std::string_view meterModel = "") {
  Read x;
  x.r = vkztest::readDataFileBytes(bytes, meterModel, x.g.userInfo, x.g.header, x.g.records, x.m);
  return x;
}

// What the reader must give back for the sample file.
void expectSampleRead(const Read& x) {
  ASSERT_EQ(x.r.status, OpenStatus::Ok) << x.r.message;
  EXPECT_EQ(x.r.model, "VKZ 418");
  EXPECT_EQ(x.r.records, 3u);
  test::Grids want = test::sampleGrids();
  ASSERT_EQ(x.g.userInfo.rows(), 5);
  EXPECT_EQ(x.g.userInfo.rowText(0), "Evaluator\tAna M\xC3\xBCller");
  EXPECT_EQ(x.g.userInfo.rowText(2), "Department\tLine 2, press  shop");
  EXPECT_EQ(x.g.userInfo.rowText(4), "Observations\tEar muffs 100 \xE2\x82\xAC");
  ASSERT_EQ(x.g.header.rows(), want.header.rows());  // the title row is kept
  for (int r = 0; r < want.header.rows(); ++r) EXPECT_EQ(x.g.header.rowText(r), want.header.rowText(r));
  ASSERT_EQ(x.g.records.rows(), 4);  // the window's title row, then the three records
  for (int r = 1; r < 4; ++r) EXPECT_EQ(x.g.records.rowText(r), want.records.rowText(r));
  // The arrays hold what the download puts there.
  EXPECT_EQ(x.m.PointValue1, (PointValues{85.3, 85.3, 0}));
  EXPECT_EQ(x.m.PointValue2, (PointValues{86.0, 0, 0}));
  EXPECT_EQ(x.m.PointValue3, (PointValues{120.0, 110.2, 0}));
  EXPECT_EQ(x.m.PointValue4, (PointValues{130.5, 121.0, 0}));
  EXPECT_EQ(x.m.PointValue5, (PointValues{0, 1, 0}));
}

}  // namespace

using DataFileWrite = TempDir;

TEST_F(DataFileWrite, SampleMeasurementByteForByte) {
  test::Grids g = test::sampleGrids();
  std::vector<std::pair<std::uint64_t, std::uint64_t>> calls;
  SaveResult r = SaveDataFile((dir_ / "m.vkz").string(), "VKZ 418", g.userInfo, g.header, g.records,
                              [&](std::uint64_t d, std::uint64_t t) { calls.emplace_back(d, t); });
  ASSERT_TRUE(r.ok()) << r.message;
  EXPECT_EQ(readBytes(dir_ / "m.vkz"), test::sampleDataFile());
  // Progress counts every cell: 5 x 2 + 12 x 4 + 4 x 6 = 82; each change of
  // the one-decimal percentage is reported once, the last at 100.0%.
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back(), std::make_pair(std::uint64_t{82}, std::uint64_t{82}));
  EXPECT_EQ(progressCaption(calls.back().first, calls.back().second, "Completed"), "100.0% Completed");
  for (size_t i = 1; i < calls.size(); ++i) EXPECT_LT(calls[i - 1].first, calls[i].first);
  EXPECT_EQ(calls.size(), 82u);  // every cell changes the percentage of so small a file
}

TEST_F(DataFileWrite, EmptyGridsAndEmptyCells) {
  GridData none, one;
  none.setCols(2);
  one.setCols(3);
  one.addItem("");  // an empty row is a line of TABs only
  SaveResult r = SaveDataFile((dir_ / "e.vkz").string(), "KRD 529", none, one, none);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(readBytes(dir_ / "e.vkz"),
            "KRD 529\r\n\r\nInformation\r\n\r\nHeaderData\r\n\t\t\t\r\n\r\n\r\nRecordData\r\n");
}

TEST_F(DataFileWrite, DialogResultChoosesTheFileAsGiven) {
  test::Grids g = test::sampleGrids();
  const std::string path = (dir_ / "VKZ 418").string();  // a name kept without extension stays so
  ChooseSaveFileResult(dataFile, true, path);
  EXPECT_FALSE(dataFile.SaveFileChosen);

  ChooseSaveFileResult(dataFile, false, path);
  EXPECT_TRUE(dataFile.SaveFileChosen);
  EXPECT_EQ(dataFile.SaveFileName, path);
  EXPECT_TRUE(SaveDataFile(dataFile.SaveFileName, "VKZ 418", g.userInfo, g.header, g.records).ok());
  EXPECT_EQ(readBytes(path), test::sampleDataFile());

  ChooseSaveFileResult(dataFile, false, (dir_ / "").string());  // no file title
  EXPECT_FALSE(dataFile.SaveFileChosen);
  EXPECT_EQ(saveKindForFilter(2), SaveKind::Csv);
  for (int i : {0, 1, 3}) EXPECT_EQ(saveKindForFilter(i), SaveKind::DataFile);
}

TEST_F(DataFileWrite, FailedSaveLeavesTheOldFileAndSaysWhy) {
  test::Grids g = test::sampleGrids();
  for (int i = 0; i < 20000; ++i)
    g.records.addItem("9\t2018/05/23 14:02:30\t85.0 dB\t85.0 dB\t99.0 dB\t99.0 dB");
  const fs::path target = dir_ / "old.vkz";
  writeBytes(target, "the earlier measurement");

  // The file grows past the size the system allows a process to write (in
  // a child process, with the system's default for the signal it raises
  // then): the save fails with a message, and the program lives on.
  ::fflush(nullptr);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_DFL);
    rlimit small{};
    ::getrlimit(RLIMIT_FSIZE, &small);
    small.rlim_cur = 100000;
    ::setrlimit(RLIMIT_FSIZE, &small);
    for (SaveResult (*save)(const std::string&, std::string_view, const GridData&, const GridData&,
                            const GridData&, const ProgressFn&) : {&SaveDataFile, &ExportCsvFile}) {
      const SaveResult r = save(target.string(), "VKZ 418", g.userInfo, g.header, g.records, {});
      if (r.status != SaveStatus::Failed) ::_exit(2);
      if (r.message.find("not saved") == std::string::npos ||
          r.message.find("File too large") == std::string::npos ||
          r.message.find("unchanged") == std::string::npos)
        ::_exit(3);
      if (readBytes(target) != "the earlier measurement") ::_exit(4);
      // No temporary file is left beside it.
      if (std::distance(fs::directory_iterator(dir_), fs::directory_iterator{}) != 1) ::_exit(5);
    }
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_FALSE(WIFSIGNALED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "failed check " << WEXITSTATUS(status);

  // A folder that cannot take the file.
  writeBytes(dir_ / "plain", "x");
  SaveResult r =
      SaveDataFile((dir_ / "plain" / "m.vkz").string(), "VKZ 418", g.userInfo, g.header, g.records);
  EXPECT_EQ(r.status, SaveStatus::Failed);
  EXPECT_NE(r.message.find("Not a directory"), std::string::npos) << r.message;
  EXPECT_NE(r.message.find("\"" + (dir_ / "plain" / "m.vkz").string() + "\""), std::string::npos)
      << r.message;
  r = SaveDataFile(dir_.string(), "VKZ 418", g.userInfo, g.header, g.records);
  EXPECT_EQ(r.status, SaveStatus::Failed);
}

TEST_F(DataFileWrite, SavingAgainReplacesTheFile) {
  test::Grids g = test::sampleGrids();
  const std::string path = (dir_ / "m.vkz").string();
  writeBytes(path, std::string(5000, 'x'));
  ASSERT_TRUE(SaveDataFile(path, "VKZ 418", g.userInfo, g.header, g.records).ok());
  EXPECT_EQ(readBytes(path), test::sampleDataFile());
}

// ---- Reading ---------------------------------------------------------------

TEST(DataFileRead, SampleFileFillsTheGridsAndArrays) {
  expectSampleRead(readBack(test::sampleDataFile()));
}

TEST(DataFileRead, AnyLineEnds) {
  const std::string crlf = test::sampleDataFile();
  std::string lf = replaceAll(crlf, "\r\n", "\n");
  std::string cr = replaceAll(crlf, "\r\n", "\r");
  const size_t half = crlf.find("HeaderData");
  std::string mixed = replaceAll(crlf.substr(0, half), "\r\n", "\n") + crlf.substr(half);
  // A last line that ends at its CR alone (a CR LF cut after the CR) is whole.
  std::string crFinal = crlf.substr(0, crlf.size() - 1);
  for (const std::string& bytes : {lf, cr, mixed, crFinal}) {
    SCOPED_TRACE(bytes.substr(bytes.size() - 12));
    expectSampleRead(readBack(bytes));
  }
}

TEST(DataFileRead, BlocksMaySplitAnywhere) {
  // The file reader reads in large blocks; a line, or the CR and the LF of
  // a line end, may be cut by a block boundary at any byte: the outcome is
  // that of the whole file at once. A file cut inside its last line too.
  const std::string sample = test::sampleDataFile();
  const std::string cutShort = sample.substr(0, sample.rfind("-- dB") + 2);
  for (const std::string& bytes : {sample, replaceAll(sample, "\r\n", "\r"), cutShort}) {
    const Read whole = readBack(bytes);
    if (bytes != cutShort) expectSampleRead(whole);
    for (size_t cut = 0; cut <= bytes.size(); ++cut) {
      Read x;
      DataFileLoader loader("", x.g.userInfo, x.g.header, x.g.records, x.m, bytes.size());
      loader.feed(std::string_view(bytes).substr(0, cut));
      loader.feed(std::string_view(bytes).substr(cut));
      x.r = loader.finish();
      SCOPED_TRACE(cut);
      EXPECT_EQ(x.r.status, whole.r.status);
      EXPECT_EQ(x.r.message, whole.r.message);
      EXPECT_EQ(x.r.lines, whole.r.lines);
      EXPECT_EQ(x.g.records.rows(), whole.g.records.rows());
      EXPECT_EQ(x.m.PointValue4, whole.m.PointValue4);
      if (::testing::Test::HasFailure()) return;
    }
  }
}

TEST(DataFileRead, LargeFileWithCrLineEnds) {
  // Lines ended by CR alone run over many blocks without any LF.
  const int n = 40000;
  std::string bytes = test::sampleDataFile();
  bytes = replaceAll(replaceAll(bytes.substr(0, bytes.find("1\t2018")), "\r\n", "\r"), "Total Point\t3",
                     "Total Point\t" + std::to_string(n));
  for (int k = 1; k <= n; ++k)
    bytes += std::to_string(k) + "\t2018/05/23 14:01:00\t85.3 dB\t86.0 dB\t120.0 dB\t130.5 dB\t\r";
  ASSERT_GT(bytes.size(), 2u << 20);
  Read x = readBack(bytes);
  ASSERT_TRUE(x.r.ok()) << x.r.message;
  EXPECT_EQ(x.r.records, static_cast<std::uint64_t>(n));
  EXPECT_EQ(x.g.records.rows(), n + 1);
  EXPECT_EQ(x.m.PointValue4[n - 1], 130.5);
}

TEST(DataFileRead, Utf8FileWithByteOrderMark) {
  std::string bytes =
      "\xEF\xBB\xBF" + replaceAll(replaceAll(test::sampleDataFile(), "M\xFCller", "M\xC3\xBCller"),
                                  "100 \x80", "100 \xE2\x82\xAC");
  expectSampleRead(readBack(bytes));
}

TEST(DataFileRead, WhatTheLineReaderTakesAsSections) {
  test::Grids g = test::readerGrids();
  MeasurementData m;
  m.sizePointValues(5);  // a measurement read before
  DataFileReader rd(g.userInfo, g.header, g.records, m);
  int n = 1;
  auto line = [&](std::string_view t) { return rd.ParseDataFileLine(n++, t); };
  line("before any marker\tis no section's");
  line("Information\t");          // a marker followed by a TAB
  line("Evaluator\tRecordData");  // only field 0 names a section
  line("information");            // another case is an ordinary line
  line("");
  line("HeaderData");
  EXPECT_EQ(rd.ReadSection(), DataFileReader::HeaderData);
  EXPECT_EQ(g.userInfo.rows(), 2);
  EXPECT_EQ(g.userInfo.text(1, 0), "information");
  EXPECT_EQ(g.userInfo.text(0, 0), "Evaluator");
  for (int i = 1; i <= 9; ++i) line(i == 9 ? "Total Point\t2" : "row");
  EXPECT_EQ(rd.announcedRecords(), 2);
  EXPECT_TRUE(m.PointValue1.empty());  // made anew; they grow as the records come
  EXPECT_TRUE(m.PointValue5.empty());
  line("RecordData");
  EXPECT_EQ(rd.SectionStart(), n);
  line("1\tnot read: the title line");
  EXPECT_TRUE(line("2\tdate\t70.0 dB\t71.0 dB\t72.0 dB\t73.0 dB\t"));
  EXPECT_EQ(g.header.rows(), 9);
  EXPECT_EQ(g.records.rows(), 2);
  EXPECT_EQ(m.PointValue4[1], 73.0);
  EXPECT_EQ(rd.recordsRead(), 1u);
}

TEST(DataFileRead, RecordLevelsReadAsTheGridsReadThem) {
  // The reader's quick level reading gives what the histogram and the plot
  // read from the same cells: the number at the start, the flag removed.
  const char* cells[] = {"85.3 dB",  "*85.3 dB", "-- dB",     "*-- dB",    "104.2 dB", "9,5 dB",  "8.5D1 dB",
                         "8.5e1 dB", "85.35 dB", "  62.5 dB", "1234.5 dB", "7.",       "-3.5 dB", ""};
  for (const char* cell : cells) {
    SCOPED_TRACE(cell);
    test::Grids g = test::readerGrids();
    MeasurementData m;
    DataFileReader rd(g.userInfo, g.header, g.records, m);
    rd.ParseDataFileLine(1, "HeaderData");
    rd.ParseDataFileLine(10, "Total Point\t1");
    rd.ParseDataFileLine(11, "RecordData");
    const std::string c = cell;
    ASSERT_TRUE(rd.ParseDataFileLine(13, "1\td\t" + c + "\t" + c + "\tx\t" + c + "\t"));
    EXPECT_EQ(m.PointValue1[0], levelValue(c));
    EXPECT_EQ(m.PointValue2[0], levelValue(c));
    EXPECT_EQ(m.PointValue3[0], 0.0);
    EXPECT_EQ(m.PointValue4[0], levelValue(c));  // the last cell, before the line's end
    EXPECT_EQ(m.PointValue5[0], isFlaggedLevel(c) ? 1.0 : 0.0);
  }
}

TEST(DataFileRead, EachFileStartsWithoutASection) {
  // A file of lines without marker lines, read after a complete file, does
  // not go on in the section the previous file ended in.
  Read x = readBack(test::sampleDataFile());
  ASSERT_TRUE(x.r.ok());
  OpenResult r = vkztest::readDataFileBytes("VKZ 418\r\n4\tdate\t1 dB\t1 dB\t1 dB\t1 dB\t\r\n", "",
                                            x.g.userInfo, x.g.header, x.g.records, x.m);
  EXPECT_EQ(r.status, OpenStatus::NotDataFile);
  EXPECT_NE(r.message.find("none of the sections"), std::string::npos) << r.message;
  EXPECT_EQ(x.g.records.rows(), 4);
}

TEST(DataFileRead, ModelTest) {
  const std::string foreign = replaceAll(test::sampleDataFile(), "VKZ 418", "SLM 2000");
  Read x = readBack(foreign);
  EXPECT_EQ(x.r.status, OpenStatus::NotDataFile);
  EXPECT_TRUE(x.r.hasModelLine);
  EXPECT_EQ(x.r.model, "SLM 2000");
  EXPECT_NE(x.r.message.find("\"SLM 2000\""), std::string::npos) << x.r.message;
  EXPECT_EQ(x.g.header.rows(), 0);
  // With a supported meter linked, the lines are read all the same.
  x = readBack(foreign, "KRD 529");
  EXPECT_TRUE(x.r.ok()) << x.r.message;
  EXPECT_EQ(x.m.PointValue5[1], 1.0);

  x = readBack("");
  EXPECT_EQ(x.r.status, OpenStatus::Empty);
  EXPECT_FALSE(x.r.hasModelLine);
}

// Broken files: the message names the line (counted from 1), what came
// before stays read; a line the file was cut in is not read at all.
TEST(DataFileRead, BrokenFiles) {
  const std::string good = test::sampleDataFile();
  const size_t rec2 = good.find("2\t2018/05/23 14:02:00");
  const size_t rec3 = good.find("3\t2018/05/23 14:02:30");
  struct Case {
    const char* name;
    std::string bytes;
    OpenStatus status;
    std::int64_t badLine;  // 0-based, -1 none
    const char* says;
    int recordRows;  // rows of the record grid after reading (title included)
    size_t recordsRead;
    int headerRows = -1;  // rows of the header grid after reading (-1: not checked)
  };
  const Case cases[] = {
      // A file cut short: the cut line is neither shown nor counted.
      {"cut inside a record", good.substr(0, rec2 + 12), OpenStatus::Damaged, 27,
       "Line 28 has no line end: the file was cut short inside it", 2, 1},
      {"cut inside a record's last cell", good.substr(0, good.find("130.5") + 2), OpenStatus::Damaged, 26,
       "Line 27 has no line end", 1, 0},
      {"cut inside the last record", good.substr(0, good.rfind("-- dB") + 2), OpenStatus::Damaged, 28,
       "Line 29 has no line end", 3, 2},
      {"cut before the last line end", good.substr(0, good.size() - 2), OpenStatus::Damaged, 28,
       "Line 29 has no line end", 3, 2},
      {"cut after a record", good.substr(0, rec3), OpenStatus::Damaged, 27,
       "ends at line 28 with 2 of the 3 records that line 19 announces", 3, 2},
      {"cut inside the summary", good.substr(0, good.find("Criterion") + 7), OpenStatus::Damaged, 14,
       "Line 15 has no line end", 1, 0, 4},
      {"cut after a summary row", good.substr(0, good.find("PW Duration")), OpenStatus::Damaged, 18,
       "ends at line 19, in its \"HeaderData\" section, before its records", 1, 0, 9},
      {"cut in the user information", good.substr(0, good.find("Company")), OpenStatus::Damaged, 5,
       "ends at line 6, in its \"Information\" section, before its records", 1, 0, 0},
      {"cut in the model line", "VKZ 4", OpenStatus::NotDataFile, -1, "\"VKZ 4\"", 1, 0},
      {"model line alone, cut", "VKZ 418", OpenStatus::Damaged, 0, "Line 1 has no line end", 1, 0},
      {"zero byte", replaceAll(good, "*110.2", std::string("*11\0.2", 6)), OpenStatus::Damaged, 27,
       "Line 28 holds binary data", 2, 1},
      {"record number above the count", replaceAll(good, "3\t2018/05/23 14:02:30", "4\t2018/05/23 14:02:30"),
       OpenStatus::Damaged, 28,
       "Line 29: the record number \"4\" is not between 1 and 3, the record count of line 19.", 3, 2},
      {"record number given twice", replaceAll(good, "3\t2018/05/23 14:02:30", "2\t2018/05/23 14:02:30"),
       OpenStatus::Damaged, 28, "Line 29: the record number \"2\" was given on an earlier line", 3, 2},
      {"record number 0", replaceAll(good, "1\t2018/05/23 14:01:00", "0\t2018/05/23 14:01:00"),
       OpenStatus::Damaged, 26, "record number \"0\"", 1, 0},
      {"record number not a number", replaceAll(good, "2\t2018/05/23 14:02:00", "x\t2018/05/23 14:02:00"),
       OpenStatus::Damaged, 27, "record number \"x\"", 2, 1},
      // The count's messages name the count's own line and quote it as written.
      {"count of no records", replaceAll(good, "Total Point\t3", "Total Point\t0"), OpenStatus::Damaged, 26,
       "Line 27: the record number \"1\" is not between 1 and 0, the record count of line 19.", 1, 0},
      {"count below zero", replaceAll(good, "Total Point\t3", "Total Point\t-5"), OpenStatus::Damaged, 18,
       "Line 19: the record count \"-5\" of the \"Total Point\" row is not a number of records.", 1, 0, 8},
      {"count not a number", replaceAll(good, "Total Point\t3", "Total Point\tNaN"), OpenStatus::Damaged, 18,
       "Line 19: the record count \"NaN\" of the \"Total Point\" row", 1, 0, 8},
      {"count without its cell", replaceAll(good, "Total Point\t3\t3\t3\t", "Total Point,3,3,3,"),
       OpenStatus::Damaged, 18, "Line 19: the \"Total Point\" row", 1, 0, 8},
      {"records before the count", replaceAll(good, "Interval Time", "\r\nRecordData\r\nInterval Time"),
       OpenStatus::Damaged, 20, "Line 21: a record comes before the record count", 1, 0},
      // A level that is no finite number is refused, whichever way it is
      // written, and is neither shown nor drawn.
      {"level not a number", replaceAll(good, "*110.2", "*NaN"), OpenStatus::Damaged, 27,
       "Line 28: the LCPK level \"*NaN dB\" is not a finite number", 2, 1},
      {"level too large", replaceAll(good, "86.0 dB", "1e309 dB"), OpenStatus::Damaged, 26,
       "Line 27: the Leq level \"1e309 dB\" is not a finite number", 1, 0},
      {"level infinite", replaceAll(good, "130.5 dB", "-inf dB"), OpenStatus::Damaged, 26,
       "Line 27: the LZPK level \"-inf dB\" is not a finite number", 1, 0},
      {"no sections",
       replaceAll(replaceAll(replaceAll(good, "Information", "information"), "HeaderData", "headerdata"),
                  "RecordData", "recorddata"),
       OpenStatus::NotDataFile, -1, "none of the sections", 1, 0},
      {"UTF-16", std::string("\xFF\xFEV\0K\0Z\0", 8), OpenStatus::NotDataFile, -1, "UTF-16", 1, 0},
      {"binary",
       std::string("\x7F"
                   "ELF\0\1\1\n\0\0",
                   10),
       OpenStatus::NotDataFile, -1, "binary data", 1, 0},
      {"endless line", good.substr(0, rec2) + std::string(3 << 20, '9'), OpenStatus::Damaged, 27,
       "Line 28 is longer than 1 MiB", 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Read x = readBack(c.bytes);
    EXPECT_EQ(x.r.status, c.status);
    EXPECT_EQ(x.r.badLine, c.badLine);
    EXPECT_NE(x.r.message.find(c.says), std::string::npos) << x.r.message;
    EXPECT_EQ(x.g.records.rows(), c.recordRows);
    EXPECT_EQ(x.r.records, c.recordsRead);
    EXPECT_EQ(x.m.PointValue1.size(), c.recordsRead);
    if (c.headerRows >= 0) {
      EXPECT_EQ(x.g.header.rows(), c.headerRows);
    }
    if (c.status == OpenStatus::Damaged && c.badLine > 18) {
      EXPECT_EQ(x.g.userInfo.rows(), 5);  // the part read stays
    }
  }
  // What a cut line held is nowhere: no row, no value.
  Read x = readBack(good.substr(0, good.find("130.5") + 2));
  EXPECT_TRUE(x.m.PointValue4.empty());
}

TEST(DataFileRead, CountAboveWhatTheFileHolds) {
  // The count is capped by the file size (no memory is set aside for it);
  // the messages quote the count as the file writes it.
  for (const char* count : {"4000000000", "99999999999999999999", "1e400"}) {
    SCOPED_TRACE(count);
    const std::string announced =
        replaceAll(test::sampleDataFile(), "Total Point\t3", "Total Point\t" + std::string(count));
    Read x = readBack(announced);
    EXPECT_LE(x.m.PointValue1.capacity(), 16u);
    EXPECT_EQ(x.r.status, OpenStatus::Damaged);
    EXPECT_NE(x.r.message.find("3 of the " + std::string(count) + " records that line 19 announces"),
              std::string::npos)
        << x.r.message;
    EXPECT_EQ(x.m.PointValue3[1], 110.2);

    x = readBack(replaceAll(announced, "3\t2018/05/23 14:02:30", "5000\t2018/05/23 14:02:30"));
    EXPECT_EQ(x.r.badLine, 28);
    EXPECT_NE(x.r.message.find("the record number \"5000\" is not between 1 and "), std::string::npos)
        << x.r.message;
    EXPECT_NE(x.r.message.find(": line 19 announces " + std::string(count) +
                               " records, more than the file can hold."),
              std::string::npos)
        << x.r.message;
  }
}

using DataFileReadFile = TempDir;

TEST_F(DataFileReadFile, ModelLineAlone) {
  // The Open action reads line 0 first and decides on it; the line ends as
  // every line does, at CR, LF or CR LF.
  const std::string crOnly = replaceAll(test::sampleDataFile(), "\r\n", "\r");
  const struct {
    const char* name;
    std::string bytes;
    const char* meter;
    OpenStatus status;
    const char* model;  // nullptr: no model line
    const char* says;
  } cases[] = {
      {"data file", test::sampleDataFile(), "", OpenStatus::Ok, "VKZ 418", ""},
      {"CR line ends", crOnly, "", OpenStatus::Ok, "VKZ 418", ""},
      {"LF line ends", replaceAll(crOnly, "\r", "\n"), "", OpenStatus::Ok, "VKZ 418", ""},
      {"one line", "KRD 529", "", OpenStatus::Ok, "KRD 529", ""},
      {"byte-order mark", "\xEF\xBB\xBFVKZ 418\r\n", "", OpenStatus::Ok, "VKZ 418", ""},
      {"foreign", "SLM 2000\rInformation\r", "", OpenStatus::NotDataFile, "SLM 2000", "\"SLM 2000\""},
      {"foreign, meter linked", "SLM 2000\r\n", "KRD 529", OpenStatus::Ok, "SLM 2000", ""},
      {"code page 1252", "M\xFCller\r\n", "", OpenStatus::NotDataFile, "M\xC3\xBCller", "M\xC3\xBCller"},
      {"empty", "", "", OpenStatus::Empty, nullptr, ""},
      {"UTF-16", std::string("\xFF\xFEV\0K\0Z\0\r\0\n\0", 10), "", OpenStatus::NotDataFile, nullptr,
       "UTF-16"},
      {"binary",
       std::string("\x7F"
                   "ELF\0\1\n",
                   7),
       "", OpenStatus::NotDataFile, nullptr, "binary"},
      {"endless first line", std::string((1 << 20) + 70000, 'x'), "", OpenStatus::Damaged, nullptr,
       "Line 1 is longer"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path file = dir_ / "f.vkz";
    writeBytes(file, c.bytes);
    OpenResult r = DataFileInput(file.string()).readModel(c.meter);
    EXPECT_EQ(r.status, c.status) << r.message;
    EXPECT_EQ(r.hasModelLine, c.model != nullptr);
    if (c.model) {
      EXPECT_EQ(r.model, c.model);
    }
    EXPECT_NE(r.message.find(c.says), std::string::npos) << r.message;
    if (!r.message.empty()) {
      EXPECT_EQ(r.message.find("\"" + file.string() + "\""), 0u) << r.message;  // the file is named
    }
  }
  OpenResult r = DataFileInput((dir_ / "missing.vkz").string()).readModel("");
  EXPECT_EQ(r.status, OpenStatus::ReadError);
  EXPECT_NE(r.message.find("No such file"), std::string::npos) << r.message;
}

TEST_F(DataFileReadFile, CountTheFileDoesNotHoldTakesNoMemory) {
  // 200 MB that announce 30,000,000 records and hold three, then zero bytes
  // (a sparse file: no disk space); the reading stops in the zeros.
  const fs::path file = dir_ / "m.vkz";
  writeBytes(file, replaceAll(test::sampleDataFile(), "Total Point\t3", "Total Point\t30000000"));
  fs::resize_file(file, 200 << 20);
  Read x;
  x.r = ReadDataFile(file.string(), "", x.g.userInfo, x.g.header, x.g.records, x.m);
  EXPECT_EQ(x.r.status, OpenStatus::Damaged);
  EXPECT_NE(x.r.message.find("Line 30 "), std::string::npos) << x.r.message;
  EXPECT_EQ(x.r.records, 3u);
  EXPECT_EQ(x.g.records.rows(), 4);
  EXPECT_EQ(x.m.PointValue3, (PointValues{120.0, 110.2, 0}));
  // No room is set aside for the records that did not come.
  for (const auto* v :
       {&x.m.PointValue1, &x.m.PointValue2, &x.m.PointValue3, &x.m.PointValue4, &x.m.PointValue5})
    EXPECT_LE(v->capacity(), 16u);
}

TEST_F(DataFileReadFile, FromDiskAndErrors) {
  test::Grids g = test::sampleGrids();
  const std::string path = (dir_ / "m.vkz").string();
  ASSERT_TRUE(SaveDataFile(path, "VKZ 418", g.userInfo, g.header, g.records).ok());
  Read x;
  x.r = ReadDataFile(path, "", x.g.userInfo, x.g.header, x.g.records, x.m);
  expectSampleRead(x);

  x = Read{};
  x.r = ReadDataFile((dir_ / "missing.vkz").string(), "", x.g.userInfo, x.g.header, x.g.records, x.m);
  EXPECT_EQ(x.r.status, OpenStatus::ReadError);
  EXPECT_NE(x.r.message.find("No such file"), std::string::npos) << x.r.message;
  x.r = ReadDataFile(dir_.string(), "", x.g.userInfo, x.g.header, x.g.records, x.m);
  EXPECT_EQ(x.r.status, OpenStatus::ReadError);
  EXPECT_NE(x.r.message.find("not a file"), std::string::npos) << x.r.message;

  // A damaged file: the message names the file, then the line.
  const std::string sample = test::sampleDataFile();
  writeBytes(path, sample.substr(0, sample.find("3\t2018/05/23 14:02:30")));
  x = Read{};
  x.r = ReadDataFile(path, "", x.g.userInfo, x.g.header, x.g.records, x.m);
  EXPECT_EQ(x.r.status, OpenStatus::Damaged);
  EXPECT_EQ(x.r.message.find("\"" + path + "\": The file ends at line 28"), 0u) << x.r.message;
}
