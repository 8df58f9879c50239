// Opening data files that are cut short, empty or carry a bad record count,
// through the main window's Open action: the box names the file and the
// line, the file list window shows no cut value and nothing of a file
// opened before as if it were this one; and the file is opened once.
#include <sys/inotify.h>
#include <unistd.h>

#include <string>

#include "polling/measurement.h"
#include "qtenv.h"
#include "shell/win/panel.h"
#include "state/programstate.h"
#include "ui/flexgrid.h"
#include "ui/formregistry.h"
#include "ui/msgbox.h"
#include "views/win/filelistfrm.h"

namespace vkz {
namespace {

using OpenDataTest = ShellTest;

// A data file of `n` records. Line numbers from 1: "Criterion" is line 11,
// the "Total Point" row (with `count`, or n) line 15, record k line 20 + k.
std::string dataFile(int n, std::string count = "") {
  if (count.empty()) count = std::to_string(n);
  std::string f =
      "VKZ 418\r\n\r\nInformation\r\nEvaluator\tAna\t\r\n\r\nHeaderData\r\n\tD1\tD2\tD3\t\r\n"
      "Start Date/Time\t2018/05/23 08:00:00\t2018/05/23 08:00:00\t2018/05/23 08:00:00\t\r\n"
      "Stop Date/Time\ta\tb\tc\t\r\nThreshold\t80 dB\t80 dB\t80 dB\t\r\nCriterion\t85 dB\t85 dB\t85 dB\t\r\n"
      "Exchange Rate\t3 dB\t3 dB\t3 dB\t\r\nExceedance Level\t115 dB\t115 dB\t115 dB\t\r\n"
      "Interval Time\t1 Sec\t1 Sec\t1 Sec\t\r\n";
  f += "Total Point\t" + count + "\t" + count + "\t" + count + "\t\r\n";
  f += "PW Duration\t8\t8\t8\t\r\n\r\n\r\nRecordData\r\nNo.s\tDate/Time\tLAVG\tLeq\tLCPK\tLZPK\t\r\n";
  for (int k = 1; k <= n; ++k)
    f += std::to_string(k) + "\t2018/05/23 08:00:00\t80.1 dB\t81.2 dB\t121.1 dB\t123.4 dB\t\r\n";
  return f;
}

// The same bytes cut at `at` (not at a line end).
std::string cutAt(const std::string& f, size_t at) {
  while (f[at - 1] == '\r' || f[at - 1] == '\n') ++at;
  return f.substr(0, at);
}

TEST_F(OpenDataTest, ACutFileOrABadCountSaysSoAndShowsNoCutValue) {
  Panel* p = makePanel();
  const std::string big = dataFile(20000);
  const struct {
    const char* name;
    std::string bytes;
    const char* says;
    int recordRows;  // the record grid's rows, its title row included
    int headerRows;
  } cases[] = {
      // Record 13 cut inside its LZPK cell: "12" is not its level.
      {"cut in a cell", dataFile(13).substr(0, dataFile(13).rfind("123.4") + 2), "Line 33 has no line end",
       13, 10},
      {"cut at 70 %", cutAt(big, big.size() * 7 / 10), "has no line end", -1, 10},
      {"cut in the summary", dataFile(3).substr(0, dataFile(3).find("Criterion") + 7),
       "Line 11 has no line end", 1, 4},
      {"cut after a summary row", dataFile(3).substr(0, dataFile(3).find("Exchange Rate")),
       "ends at line 11, in its \"HeaderData\" section, before its records", 1, 5},
      {"count below zero", dataFile(3, "-5"),
       "Line 15: the record count \"-5\" of the \"Total Point\" row is not a number of records.", 1, 8},
      {"count not a number", dataFile(3, "NaN"), "Line 15: the record count \"NaN\"", 1, 8},
      {"count too large", dataFile(3, "99999999999999999999"),
       "with 3 of the 99999999999999999999 records that line 15 announces", 4, 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = writeFile(std::string(c.name) + ".vkz", c.bytes);
    MsgBox::shown().clear();
    MsgBox::fileAnswers().push_back(QString::fromStdString(path));
    p->Toolbar1_ButtonClick(QStringLiteral("Open"));
    settle();
    ASSERT_EQ(MsgBox::shown().size(), 1u);
    const QString text = MsgBox::shown()[0].text;
    EXPECT_TRUE(text.contains(QString::fromStdString(path))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8(c.says))) << text.toStdString();
    EXPECT_EQ(MsgBox::shown()[0].icon, MsgIcon::Critical);
    FileListFrm* f = FormRegistry::find<FileListFrm>();
    ASSERT_NE(f, nullptr);
    const int rows = f->GridRecord->Rows();
    if (c.recordRows >= 0) {
      EXPECT_EQ(rows, c.recordRows);
    }
    EXPECT_EQ(f->GridHeader->Rows(), c.headerRows);
    // Every row shown is a whole record: its LZPK is the file's, and the
    // arrays hold exactly the rows shown.
    for (int r = 1; r < rows; ++r)
      ASSERT_EQ(f->GridRecord->TextMatrix(r, 5), QStringLiteral("123.4 dB")) << r;
    EXPECT_EQ(State().measurement.PointValue4.size(), static_cast<size_t>(rows - 1));
    for (int r = 0; r < f->GridHeader->Rows(); ++r)
      EXPECT_NE(f->GridHeader->TextMatrix(r, 0), QStringLiteral("Criteri"));
  }
}

TEST_F(OpenDataTest, AnEmptyFileSaysSoAndLeavesNoEarlierFileOnShow) {
  Panel* p = makePanel();
  const std::string empty = writeFile("empty.vkz", "");
  // With nothing opened before, only the box.
  MsgBox::fileAnswers().push_back(QString::fromStdString(empty));
  p->Toolbar1_ButtonClick(QStringLiteral("Open"));
  ASSERT_EQ(MsgBox::shown().size(), 1u);
  EXPECT_TRUE(MsgBox::shown()[0].text.contains(QString::fromStdString(empty)));
  EXPECT_TRUE(MsgBox::shown()[0].text.contains(QStringLiteral("empty")));
  EXPECT_EQ(MsgBox::shown()[0].icon, MsgIcon::Critical);
  EXPECT_FALSE(FormRegistry::loaded<FileListFrm>());

  // After a data file: the window no longer shows that file's rows.
  MsgBox::fileAnswers().push_back(QString::fromStdString(writeFile("a.vkz", dataFile(2))));
  p->Toolbar1_ButtonClick(QStringLiteral("Open"));
  ASSERT_EQ(FormRegistry::find<FileListFrm>()->GridRecord->Rows(), 3);
  MsgBox::fileAnswers().push_back(QString::fromStdString(empty));
  p->Toolbar1_ButtonClick(QStringLiteral("Open"));
  settle();
  ASSERT_EQ(MsgBox::shown().size(), 2u);
  EXPECT_TRUE(MsgBox::shown()[1].text.contains(QString::fromStdString(empty)));
  EXPECT_EQ(State().dataFile.FileModel, "VKZ 418");
  FileListFrm* f = FormRegistry::find<FileListFrm>();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->GridRecord->Rows(), 1);  // its title row
  EXPECT_EQ(f->GridHeader->Rows(), 0);
  EXPECT_EQ(f->MSFUserInfo->Rows(), 0);
  EXPECT_TRUE(State().poll.running());
}

TEST_F(OpenDataTest, TheFileIsOpenedOnce) {
  Panel* p = makePanel();
  const std::string path = writeFile("a.vkz", dataFile(5));
  const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(::inotify_add_watch(watch, path.c_str(), IN_OPEN | IN_CLOSE), 0);
  MsgBox::fileAnswers().push_back(QString::fromStdString(path));
  p->Toolbar1_ButtonClick(QStringLiteral("Open"));
  ASSERT_TRUE(MsgBox::shown().empty());
  ASSERT_EQ(FormRegistry::find<FileListFrm>()->GridRecord->Rows(), 6);
  int opens = 0, closes = 0;
  alignas(inotify_event) char buf[4096];
  for (ssize_t n; (n = ::read(watch, buf, sizeof buf)) > 0;)
    for (char* at = buf; at < buf + n;) {
      const auto* e = reinterpret_cast<const inotify_event*>(at);
      opens += (e->mask & IN_OPEN) ? 1 : 0;
      closes += (e->mask & IN_CLOSE) ? 1 : 0;
      at += sizeof(inotify_event) + e->len;
    }
  ::close(watch);
  EXPECT_EQ(opens, 1);
  EXPECT_EQ(closes, 1);
}

}  // namespace
}  // namespace vkz
