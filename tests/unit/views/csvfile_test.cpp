#include "views/csvfile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/common/datafile_bytes.h"
#include "support/common/test_files.h"
#include "unit/views/measurement_fixture.h"

using namespace vkz;
namespace fs = std::filesystem;

namespace {

using test::readBytes;

// The CSV export of test::sampleGrids(), written by hand from the layout.
const char kSampleCsv[] =
    "VKZ 418\r\n"
    "\r\n"
    "Information\r\n"
    "Evaluator,Ana M\xFCller,\r\n"
    "Evaluated,,\r\n"
    "Department,\"Line 2, press  shop\",\r\n"
    "Company,\"ACME \"\"Noise\"\" Ltd\",\r\n"
    "Observations,Ear muffs 100 \x80,\r\n"
    "\r\n"
    "HeaderData\r\n"
    ",D1,D2,D3,\r\n"
    "Start Date/Time,2018/05/23 14:00:00,2018/05/23 14:00:00,2018/05/23 14:00:00,\r\n"
    "Stop Date/Time,2018/05/23 14:02:30,2018/05/23 14:02:30,2018/05/23 14:02:30,\r\n"
    "Threshold,80 dB,70 dB,80 dB,\r\n"
    "Criterion,90 dB,85 dB,90 dB,\r\n"
    "Exchange Rate,5 dB,3 dB,3 dB,\r\n"
    "Exceedance Level,115 dB,115 dB,115 dB,\r\n"
    "Interval Time,1 Min,1 Min,1 Min,\r\n"
    "Total Point,3,3,3,\r\n"
    "PW Duration,8,8,8,\r\n"
    "Duration,00:02:30,00:02:30,00:02:30,\r\n"
    "LAVG,85.1 dB,84.0 dB,83.2 dB,\r\n"
    "\r\n"
    "\r\n"
    "RecordData\r\n"
    "No.s,Date/Time,LAVG,Leq,LCPK,LZPK,\r\n"
    "1,2018/05/23 14:01:00,85.3 dB,86.0 dB,120.0 dB,130.5 dB,\r\n"
    "2,2018/05/23 14:02:00,*85.3 dB,*-- dB,*110.2 dB,*121.0 dB,\r\n"
    "3,2018/05/23 14:02:30,-- dB,-- dB,-- dB,-- dB,\r\n";

}  // namespace

TEST(CsvFile, SampleMeasurementByteForByte) {
  const fs::path dir = fs::temp_directory_path() / ("vkz_csv_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  test::Grids g = test::sampleGrids();
  std::uint64_t lastDone = 0, lastTotal = 0;
  SaveResult r = ExportCsvFile((dir / "m.csv").string(), "VKZ 418", g.userInfo, g.header, g.records,
                               [&](std::uint64_t d, std::uint64_t t) {
                                 lastDone = d;
                                 lastTotal = t;
                               });
  ASSERT_TRUE(r.ok()) << r.message;
  EXPECT_EQ(readBytes(dir / "m.csv"), kSampleCsv);
  EXPECT_EQ(lastDone, 82u);
  EXPECT_EQ(lastTotal, 82u);
  fs::remove_all(dir);
}

TEST(CsvFile, CellQuoting) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"85.3 dB", "85.3 dB"}, {"85,3 dB", "\"85,3 dB\""}, {"say \"hi\"", "\"say \"\"hi\"\"\""}, {"", ""},
      {"a\r\nb", "a  b"},     {"x,\ny", "\"x, y\""},
  };
  for (const auto& c : cases) EXPECT_EQ(csvCell(c.in), c.out) << c.in;
}

TEST(CsvFile, OpenedAsADataFileStopsAtTheCountRow) {
  // The CSV file reaches the data-file reader when opened with "All Files":
  // the marker lines are recognised, each row arrives as one cell, and the
  // "Total Point" row has no second cell to read the count from.
  test::Grids g = test::readerGrids();
  MeasurementData m;
  OpenResult r = vkztest::readDataFileBytes(kSampleCsv, "", g.userInfo, g.header, g.records, m);
  EXPECT_EQ(r.status, OpenStatus::Damaged);
  EXPECT_EQ(r.badLine, 18);
  EXPECT_NE(r.message.find("Line 19"), std::string::npos) << r.message;
  ASSERT_EQ(g.userInfo.rows(), 5);
  EXPECT_EQ(g.userInfo.text(0, 0), "Evaluator,Ana M\xC3\xBCller,");
  EXPECT_EQ(g.header.rows(), 8);  // the refused count row is not shown
}
