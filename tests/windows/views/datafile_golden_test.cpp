// A small measurement through the data list window's "save" action, byte
// for byte against the file layout written out by hand: the model line, the
// three sections with their empty lines, every cell followed by one TAB
// (a comma in the CSV file), CR LF after every line, code page 1252, the
// "Total Point" row as the ninth line after "HeaderData". The header comes
// from RecordHeader through the window's fixed rows and two ticked header
// items; the records from a logged-data block as the download decodes it.
// The file read back gives the same grids and per-record values.
#include <QAction>
#include <QFile>
#include <QToolBar>

#include "polling/blocks.h"
#include "polling/header.h"
#include "polling/measurement.h"
#include "shell/uitext.h"
#include "state/programstate.h"
#include "ui/flexgrid.h"
#include "ui/formregistry.h"
#include "ui/msgbox.h"
#include "views/datafile.h"
#include "views/win/datalistfrm.h"
#include "views_env.h"

namespace vkz {
namespace {

// The summary grid's fixed rows, then the rows of items 2 (Dose, " %") and
// 6 (LAVG, dB): each cell followed by `sep`.
std::string headerLines(char sep) {
  const char* rows[][4] = {
      {"", "D1", "D2", "D3"},
      {"Start Date/Time", "2018/05/23 14:00:00", "2018/05/23 14:00:00", "2018/05/23 14:00:00"},
      {"Stop Date/Time", "2018/05/23 14:01:29", "2018/05/23 14:01:28", "2018/05/23 14:01:27"},
      {"Threshold", "80 dB", "70 dB", "80 dB"},
      {"Criterion", "90 dB", "85 dB", "90 dB"},
      {"Exchange Rate", "5 dB", "3 dB", "3 dB"},
      {"Exceedance Level", "115 dB", "115 dB", "115 dB"},
      {"Interval Time", "0 Min", "0 Min", "0 Min"},  // 30 s: whole minutes, the rest dropped
      {"Total Point", "3", "3", "3"},
      {"PW Duration", "8", "8", "4"},
      {"Duration", "00:01:30", "00:01:30", "00:01:30"},
      {"Dose", "12.5 %", "3.0 %", "0.4 %"},
      {"LAVG", "85.1 dB", "84.0 dB", "83.2 dB"},
  };
  std::string out;
  for (const auto& row : rows) {
    for (const char* cell : row) out += std::string(cell) + sep;
    out += "\r\n";
  }
  return out;
}

// The record rows: the date and time of record k is the start plus k times
// the interval, the last record's is the stop time of D1; a flagged record
// has "*" before each level, a level of 0 reads "--".
std::string recordLines(char sep) {
  const char* rows[][6] = {
      {"No.s", "Date/Time", "LAVG", "Leq", "LCPK", "LZPK"},
      {"1", "2018/05/23 14:00:30", "85.3 dB", "86.0 dB", "120.0 dB", "130.5 dB"},
      {"2", "2018/05/23 14:01:00", "*85.3 dB", "*-- dB", "*110.2 dB", "*121.0 dB"},
      {"3", "2018/05/23 14:01:29", "-- dB", "-- dB", "-- dB", "-- dB"},
  };
  std::string out;
  for (const auto& row : rows) {
    for (const char* cell : row) out += std::string(cell) + sep;
    out += "\r\n";
  }
  return out;
}

const char kDataFile[] =
    "VKZ 418\r\n"
    "\r\n"
    "Information\r\n"
    "Evaluator\tAna M\xFCller\t\r\n"
    "Evaluated\t\t\r\n"
    "Department\tPress shop, line 2\t\r\n"
    "Company\tACME \"Noise\" Ltd\t\r\n"
    "Observations\tEar muffs 100 \x80\t\r\n"
    "\r\n"
    "HeaderData\r\n";

const char kCsvFile[] =
    "VKZ 418\r\n"
    "\r\n"
    "Information\r\n"
    "Evaluator,Ana M\xFCller,\r\n"
    "Evaluated,,\r\n"
    "Department,\"Press shop, line 2\",\r\n"
    "Company,\"ACME \"\"Noise\"\" Ltd\",\r\n"
    "Observations,Ear muffs 100 \x80,\r\n"
    "\r\n"
    "HeaderData\r\n";

std::vector<std::string> cells(const GridData& g, int fromRow = 0) {
  std::vector<std::string> out;
  for (int r = fromRow; r < g.rows(); ++r)
    for (int c = 0; c < g.cols(); ++c) out.push_back(g.text(r, c));
  return out;
}

using DataFileGolden = ViewsTest;

TEST_F(DataFileGolden, SavedMeasurementIsTheLayoutByteForByte) {
  {
    std::string selection;
    for (int i = 0; i < 102; ++i) selection += std::string(i ? "," : "") + (i == 2 || i == 6 ? "1" : "0");
    QFile f(path(QStringLiteral("bin/Header.bin")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write((selection + "\r\n").c_str());
  }
  DataListFrm* f = FormRegistry::get<DataListFrm>();
  f->Show();
  settle();

  // The header as the decoder leaves it.
  RecordHeader& h = State().measurement.header;
  f->ClearVkz418Grid();
  h.HeaderStart = "2018/05/23 14:00:00";
  h.HeaderStop = {"2018/05/23 14:01:29", "2018/05/23 14:01:28", "2018/05/23 14:01:27"};
  const char* hv[][3] = {
      {"80", "70", "80"}, {"90", "85", "90"}, {"5", "3", "3"}, {"115", "115", "115"}, {"8", "8", "4"}};
  for (int q = 0; q < 5; ++q)
    for (int d = 0; d < 3; ++d) h.HeaderValue[static_cast<size_t>(3 * q + d)] = hv[q][d];
  h.HeaderValue[kSlotRunTime] = "00:01:30";
  h.HeaderValue[kSlotInterval] = "30";
  h.HeaderValue[kSlotRecordCount] = "3";
  h.HeaderValue[17] = "12.5", h.HeaderValue[18] = "3.0", h.HeaderValue[19] = "0.4";
  h.HeaderValue[29] = "85.1", h.HeaderValue[30] = "84.0", h.HeaderValue[31] = "83.2";
  f->UpdateVKZ418Grid();
  f->GridInfo();

  // The one logged-data block: LAVG (pause flag in bit 15), Leq, LCPK, LZPK
  // in 0.1 dB, little-endian.
  const std::uint16_t words[] = {853, 860, 1200, 1305, 0x8000 | 853, 0, 1102, 1210, 0, 0, 0, 0};
  std::vector<std::uint8_t> payload;
  for (std::uint16_t w : words) {
    payload.push_back(static_cast<std::uint8_t>(w & 0xFF));
    payload.push_back(static_cast<std::uint8_t>(w >> 8));
  }
  State().measurement.sizePointValues(3);
  const auto block = DecodeDataBlock(0, payload, blockContextFrom(h), State().texts.TxtDB);
  ASSERT_TRUE(block && block->last && block->records.size() == 3u);
  for (const LoggedRecord& r : block->records) f->VKZ418PointGrid->AddItem(QString::fromStdString(r.row));
  StoreRecords(*block, State().measurement);
  const MeasurementData downloaded = State().measurement;

  // What the user typed.
  const char* typed[] = {"Ana M\xC3\xBCller", "", "Press shop, line 2", "ACME \"Noise\" Ltd",
                         "Ear muffs 100 \xE2\x82\xAC"};
  for (int r = 0; r < 5; ++r) f->MSFGridUserInfo->setTextMatrix(r, 1, QString::fromUtf8(typed[r]));

  // Saved with each filter of the dialog: 1 data file, 2 CSV, 3 (all
  // files) the data file again.
  const std::string data = kDataFile + headerLines('\t') + "\r\n\r\nRecordData\r\n" + recordLines('\t');
  const std::string csv = kCsvFile + headerLines(',') + "\r\n\r\nRecordData\r\n" + recordLines(',');
  const struct {
    const char* name;
    int filter;
    const std::string& bytes;
  } saves[] = {{"m.vkz", 1, data}, {"m.csv", 2, csv}, {"all", 3, data}};
  for (const auto& s : saves) {
    SCOPED_TRACE(s.name);
    MsgBox::fileAnswers().push_back(path(QString::fromLatin1(s.name)));
    MsgBox::filterAnswers().push_back(s.filter);
    f->Toolbar1_ButtonClick(QStringLiteral("save"));
    EXPECT_EQ(readFile(path(QString::fromLatin1(s.name))), s.bytes);
  }
  EXPECT_TRUE(MsgBox::shown().empty());
  // The count row sits nine lines after the section line.
  std::vector<std::string> lines;
  for (size_t at = 0, end; (end = data.find("\r\n", at)) != std::string::npos; at = end + 2)
    lines.push_back(data.substr(at, end - at));
  ASSERT_EQ(lines[9], "HeaderData");
  EXPECT_EQ(lines[18].rfind("Total Point\t3\t", 0), 0u);

  // Read back: the grids as the data list window shows them (the record
  // title row is the reading window's own), the values as the download
  // stored them.
  GridData userInfo, header, records;
  userInfo.setCols(2);
  header.setCols(4);
  records.setCols(6);
  records.addItem("No.s\tDate/Time\tLAVG\tLeq\tLCPK\tLZPK");
  MeasurementData read;
  const OpenResult r =
      ReadDataFile(path(QStringLiteral("m.vkz")).toStdString(), "", userInfo, header, records, read);
  ASSERT_TRUE(r.ok()) << r.message;
  EXPECT_EQ(r.lines, static_cast<std::int64_t>(lines.size()));
  EXPECT_EQ(cells(userInfo), cells(f->MSFGridUserInfo->gridData()));
  EXPECT_EQ(cells(header), cells(f->VKZ418Grid->gridData()));
  EXPECT_EQ(cells(records), cells(f->VKZ418PointGrid->gridData()));
  EXPECT_EQ(read.PointValue1, downloaded.PointValue1);
  EXPECT_EQ(read.PointValue2, downloaded.PointValue2);
  EXPECT_EQ(read.PointValue3, downloaded.PointValue3);
  EXPECT_EQ(read.PointValue4, downloaded.PointValue4);
  EXPECT_EQ(read.PointValue5, downloaded.PointValue5);
  EXPECT_EQ(read.PointValue5, (PointValues{0, 1, 0}));
}

}  // namespace
}  // namespace vkz
