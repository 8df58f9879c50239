// The downloads end to end: the real main window against the meter
// emulator on a pseudo-terminal. The memory list, an empty memory, a header
// and full downloads whose every record cell matches what the meter stored,
// also over a line that splits, delays, doubles, corrupts and drops replies
// or goes silent for a while; and replies written straight into the receive
// buffer where a meter fault needs exact bytes (short replies, a re-sent
// block answered twice, blocks that are truly alike). A meter that sends a
// block's reply twice gets its blocks asked again from the first that may
// hold the copy, or, when it keeps doing so, ends the download with only
// the records before that block.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QToolBar>
#include <memory>

#include "base/log.h"
#include "link/frames.h"
#include "link/porttable.h"
#include "polling/header.h"
#include "polling/measurement.h"
#include "polling/pollloop.h"
#include "polling/pollstate.h"
#include "shell/flags.h"
#include "shell/win/panel.h"
#include "state/programstate.h"
#include "support/common/download_road.h"
#include "ui/flexgrid.h"
#include "ui/formregistry.h"
#include "ui/msgbox.h"
#include "views/win/datalistfrm.h"

QT_BEGIN_NAMESPACE
// Failures print the texts, not their bytes.
inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace vkz {
namespace {

using namespace std::chrono_literals;

// A shift of records with the cases the cells must show: a paused span
// (every level cell starred), a level of 0 ("--"), 120.0 dB and 85.3 dB.
std::vector<emu::Record> shift(int n, std::uint64_t seed = 7) {
  std::vector<emu::Record> r = emu::generateRecords(seed, n);
  if (n > 5) {
    r[1] = emu::Record::make(85.3, 86.0, 120.0, 125.4);
    r[2] = emu::Record::make(0, 0, 101.2, 99.9, true);
    r[3] = emu::Record::make(88.8, 0, 0, 0);
  }
  return r;
}

class Download : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.isValid());
    road_ = std::make_unique<DownloadRoad>(true);
  }
  void TearDown() override { road_.reset(); }

  bool start() { return road_->start(tmp_.path().toStdString()); }
  Panel* panel() { return road_->panel; }
  emu::Emulator& meter() { return road_->meter; }
  // Receive ticks with the event loop turning, as a silent stretch of time.
  void receiveTicks(int n) {
    for (int i = 0; i < n; ++i) {
      QCoreApplication::processEvents();
      road_->clock->ticks(1);
    }
  }
  int count(const QString& message) const { return static_cast<int>(road_->messages().count(message)); }

  QTemporaryDir tmp_;
  std::unique_ptr<DownloadRoad> road_;
};

TEST_F(Download, MemoryListShowsEveryStoredMeasurement) {
  ASSERT_TRUE(start());
  for (int i = 0; i < 4; ++i) {
    emu::MeasurementInfo info;
    info.start = {2024, 5, 6 + i, 7 + i, 30, 5};
    meter().addMeasurement(shift(20 + i), info);
  }
  ASSERT_TRUE(road_->loadMemoryList());
  FlexGrid* g = panel()->MSFlexGrid1;
  ASSERT_EQ(g->Rows(), 5);
  for (int r = 1; r <= 4; ++r) {
    EXPECT_EQ(g->TextMatrix(r, 0), QString::number(r));
    EXPECT_EQ(g->TextMatrix(r, 1), QStringLiteral("2024/05/%1  %2:30:05")
                                       .arg(5 + r, 2, 10, QLatin1Char('0'))
                                       .arg(6 + r, 2, 10, QLatin1Char('0')));
    EXPECT_EQ(g->TextMatrix(r, 2), QString::number(r));
  }
  EXPECT_EQ(panel()->MemoryMessageLbl->text(), QStringLiteral("Load Complete"));
  EXPECT_EQ(panel()->TotalSizeNumLbl->text(), QStringLiteral("4194304"));
  EXPECT_FALSE(State().poll.memoryListPending());
  EXPECT_TRUE(panel()->pollingRunning());
  // However often the list wait asked, the list ends once and stays as it is.
  receiveTicks(300);
  EXPECT_EQ(g->Rows(), 5);
  EXPECT_EQ(road_->messages(), QStringList{QStringLiteral("Get Memory Info OK !!!")});
  EXPECT_EQ(MsgBox::shown()[0].icon, MsgIcon::None);
}

// A list reply lost on the line is asked again: the list is whole, in the
// meter's order, before "OK" is said.
TEST_F(Download, LostListEntryIsAskedAgain) {
  ASSERT_TRUE(start());
  for (int i = 0; i < 5; ++i) meter().addMeasurement(shift(12 + i));
  meter().loseListEntry(3, 1);
  ASSERT_TRUE(road_->loadMemoryList());
  FlexGrid* g = panel()->MSFlexGrid1;
  ASSERT_EQ(g->Rows(), 6);
  for (int r = 1; r <= 5; ++r) {
    EXPECT_EQ(g->TextMatrix(r, 0), QString::number(r));
    EXPECT_EQ(g->TextMatrix(r, 2), QString::number(r));
  }
  EXPECT_EQ(road_->messages(), QStringList{QStringLiteral("Get Memory Info OK !!!")});
  EXPECT_EQ(panel()->MemoryMessageLbl->text(), QStringLiteral("Load Complete"));
}

// Entries that cannot be had: the list says which, never "OK", and the
// toolbar answers again.
struct ListGap {
  const char* name;
  std::function<void(emu::Emulator&)> inject;
  const char* message;
  int rows;
};

void PrintTo(const ListGap& g, std::ostream* os) {
  *os << g.name;
}

class IncompleteList : public Download, public ::testing::WithParamInterface<ListGap> {};

TEST_P(IncompleteList, NamesTheMissingEntries) {
  ASSERT_TRUE(start());
  for (int i = 0; i < 5; ++i) meter().addMeasurement(shift(12 + i));
  GetParam().inject(meter());
  panel()->Toolbar1_ButtonClick(QStringLiteral("Memory"));
  ASSERT_TRUE(road_->until([&] { return !road_->messages().isEmpty(); }, 40000));
  road_->passLongestWait();
  EXPECT_EQ(road_->messages(), QStringList{QString::fromLatin1(GetParam().message)});
  EXPECT_EQ(MsgBox::shown()[0].icon, MsgIcon::Critical);
  EXPECT_EQ(panel()->MSFlexGrid1->Rows(), GetParam().rows + 1);
  EXPECT_NE(panel()->MemoryMessageLbl->text(), QStringLiteral("Load Complete"));
  EXPECT_FALSE(State().poll.memoryListPending());
  EXPECT_TRUE(panel()->pollingRunning());
}

INSTANTIATE_TEST_SUITE_P(
    Gaps, IncompleteList,
    ::testing::Values(
        // Every walk of the list loses it.
        ListGap{"EntryAlwaysLost", [](emu::Emulator& m) { m.loseListEntry(3); },
                "Memory list incomplete: 4 of 5 entries arrived, missing 3.", 4},
        // Every entry reply is lost: the end of the list names entries none
        // of which came.
        ListGap{"EveryEntryLost",
                [](emu::Emulator& m) {
                  for (int n = 1; n <= 5; ++n) m.loseListEntry(n);
                },
                "Memory list incomplete: the meter reports stored measurements, but none of their entries "
                "arrived.",
                0},
        // The meter falls silent after the first entry: the list wait ends.
        ListGap{"SilentAfterTheFirstEntry",
                [](emu::Emulator& m) { m.addFault(emu::FaultRule::always(emu::Fault::Drop, 0x0D)); },
                "Memory list incomplete: 1 of 5 entries arrived, missing 2-5.", 1}),
    [](const ::testing::TestParamInfo<ListGap>& i) { return std::string(i.param.name); });

TEST_F(Download, EmptyMemoryEndsTheListWithoutATimeOut) {
  ASSERT_TRUE(start());
  ASSERT_TRUE(road_->loadMemoryList());
  EXPECT_FALSE(State().poll.memoryListPending());
  EXPECT_TRUE(panel()->pollingRunning());
  receiveTicks(300);
  EXPECT_EQ(road_->messages(), QStringList{QStringLiteral("Memory Info No Data !!!")});
  EXPECT_EQ(panel()->MSFlexGrid1->Rows(), 1);
  // The toolbar answers again.
  EXPECT_FALSE(State().poll.memoryListPending());
}

TEST_F(Download, HeaderAndEveryRecordOfTwoMeasurements) {
  ASSERT_TRUE(start());
  emu::MeasurementInfo info;
  info.start = {2018, 5, 23, 14, 0, 0};
  info.interval = 60;
  meter().addMeasurement(shift(25), info);  // blocks of 80, 80 and 40 bytes
  meter().addMeasurement(shift(480, 11));
  ASSERT_TRUE(road_->loadMemoryList());

  ASSERT_TRUE(road_->download(1));
  const QStringList rows = road_->recordRows();
  EXPECT_EQ(rows, road_->expectedRows(1));
  ASSERT_EQ(rows.size(), 25);
  EXPECT_TRUE(rows[0].startsWith(QStringLiteral("1\t2018/05/23 14:01:00\t")));
  EXPECT_TRUE(rows[2].endsWith(QStringLiteral("\t*-- dB\t*-- dB\t*101.2 dB\t*99.9 dB")));
  EXPECT_TRUE(road_->pointValuesMatch(1));
  EXPECT_EQ(State().measurement.header.HeaderStart, "2018/05/23 14:00:00");
  EXPECT_EQ(State().measurement.header.HeaderValue[kSlotRecordCount], "25");
  DataListFrm* f = FormRegistry::find<DataListFrm>();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->VKZ418Grid->TextMatrix(8, 1), QStringLiteral("25"));
  EXPECT_TRUE(f->Toolbar1->isEnabled());
  EXPECT_EQ(State().shell.RecordFileName, "20180523--140000");
  EXPECT_FALSE(State().poll.blockAwaited());
  EXPECT_TRUE(panel()->pollingRunning());

  // The next measurement starts in a fresh window, once the user chose to
  // discard the first, which was never saved.
  MsgBox::answers().push_back(MsgResult::No);
  ASSERT_TRUE(road_->download(2));
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(2));
  EXPECT_TRUE(road_->pointValuesMatch(2));
}

// The line does not wait for the window: the request for the next block goes
// out the moment the reply before it is whole, while the window thread does
// nothing at all (as during a long repaint). Only one request runs ahead:
// the window thread handles that reply before anything else is asked.
TEST_F(Download, NextBlockIsAskedWhileTheWindowThreadIsBusy) {
  ASSERT_TRUE(start());
  meter().addMeasurement(shift(480, 11));
  ASSERT_TRUE(road_->loadMemoryList());
  meter().clearLog();
  panel()->MSFlexGrid1->setRow(1);
  panel()->MSFlexGrid1_Click();
  ASSERT_TRUE(road_->until([&] { return meter().requestCount(0x12) >= 1; }));

  // From here the window thread turns no event and runs no timer. It has
  // asked for block k; the request for k + 1 goes out all the same.
  const std::int64_t k = State().poll.blockNo();
  ASSERT_LT(k, 46);
  ASSERT_TRUE(meter().waitForRequests(static_cast<std::size_t>(k) + 2, 0x12, 5s));
  const std::vector<emu::Request> asked = meter().requests(0x12);
  ASSERT_GE(asked.size(), static_cast<std::size_t>(k) + 2);
  EXPECT_EQ(asked[static_cast<std::size_t>(k) + 1].bytes, *DataBlockRequest(k + 1));
  EXPECT_EQ(State().poll.blockNo(), k);
  // The poll tick's re-send comes due meanwhile: the reply the line thread
  // has answered is handled first, so block k is not asked again.
  for (int i = 0; i < 3; ++i) panel()->Timer1_Timer();

  ASSERT_TRUE(road_->until(
      [&] {
        return !State().poll.downloadRunning() &&
               panel()->MemoryMessageLbl->text() == QString::fromStdString(State().texts.TxtLoadComplete);
      },
      40000));
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(1));
  EXPECT_TRUE(road_->pointValuesMatch(1));
  // Every block asked once, in order.
  const std::vector<emu::Request> all = meter().requests(0x12);
  ASSERT_EQ(all.size(), 48u);
  for (std::size_t i = 0; i < all.size(); ++i)
    EXPECT_EQ(all[i].bytes, *DataBlockRequest(static_cast<long long>(i)));
}

TEST_F(Download, HeaderWithoutRecordsIsCompleteAtOnce) {
  ASSERT_TRUE(start());
  meter().addMeasurement(shift(12));
  meter().addMeasurement({});
  ASSERT_TRUE(road_->loadMemoryList());
  ASSERT_TRUE(road_->download(1));
  const std::size_t blocks = meter().requestCount(0x12);

  MsgBox::answers().push_back(MsgResult::No);  // the first is discarded unsaved
  ASSERT_TRUE(road_->download(2));
  EXPECT_TRUE(road_->recordRows().isEmpty());
  EXPECT_TRUE(State().measurement.PointValue1.empty());
  EXPECT_TRUE(State().measurement.PointValue5.empty());
  EXPECT_EQ(State().measurement.header.HeaderValue[kSlotRecordCount], "0");
  EXPECT_FALSE(State().poll.blockAwaited());
  EXPECT_TRUE(FormRegistry::find<DataListFrm>()->Toolbar1->isEnabled());
  for (int i = 0; i < 10; ++i) panel()->Timer1_Timer();
  QCoreApplication::processEvents();
  EXPECT_EQ(meter().requestCount(0x12), blocks);
}

// With vkz.link switched on, the program's log holds every frame of a
// download in hex, in the order it crossed the line: each request the meter
// took and each reply the program cut.
QStringList* g_linkLines = nullptr;

TEST_F(Download, LinkLogShowsEveryFrameInHex) {
  QStringList captured;
  g_linkLines = &captured;
  const QtMessageHandler previous =
      qInstallMessageHandler([](QtMsgType, const QMessageLogContext& context, const QString& text) {
        if (g_linkLines && context.category && QByteArrayView(context.category) == "vkz.link")
          g_linkLines->append(text);
      });
  QLoggingCategory::setFilterRules(QStringLiteral("vkz.link=true"));
  const bool ran = [&] {
    if (!start()) return false;
    meter().addMeasurement(shift(25));
    return road_->loadMemoryList() && road_->download(1);
  }();
  // The program logs a request before it writes it and a reply once it has
  // cut it: the meter's log of requests, taken first, is a prefix of the
  // requests logged; the replies logged are a prefix of the meter's, taken
  // after.
  const std::vector<emu::Request> requests = meter().requests();
  const QStringList logged = captured;
  const std::vector<emu::SentReply> replies = meter().replies();
  QLoggingCategory::setFilterRules(QString());
  qInstallMessageHandler(previous);
  g_linkLines = nullptr;
  ASSERT_TRUE(ran);

  auto hex = [](const std::vector<std::uint8_t>& bytes) { return QString::fromStdString(hexBytes(bytes)); };
  QStringList sent, received;
  for (const QString& line : logged) {
    if (line.startsWith(QStringLiteral("COM1 > "))) sent << line.mid(7);
    if (line.startsWith(QStringLiteral("COM1 < "))) received << line.mid(7);
  }
  ASSERT_GE(sent.size(), static_cast<qsizetype>(requests.size()));
  for (std::size_t i = 0; i < requests.size(); ++i) {
    std::vector<std::uint8_t> frame = requests[i].bytes;
    frame.resize(frame.size() + requests[i].surplus, 0);
    EXPECT_EQ(sent[static_cast<qsizetype>(i)], hex(frame)) << "request " << i;
  }
  std::vector<QString> written;
  for (const emu::SentReply& r : replies)
    if (!r.dropped) written.push_back(hex(r.bytes));
  ASSERT_LE(static_cast<std::size_t>(received.size()), written.size());
  for (qsizetype i = 0; i < received.size(); ++i)
    EXPECT_EQ(received[i], written[static_cast<std::size_t>(i)]) << "reply " << i;

  // The download is all there: the list, the header, three blocks of records
  // and the header asked again after the last one.
  EXPECT_EQ(sent.filter(QRegularExpression(QStringLiteral("^02 00 01 0C "))).size(), 1);
  EXPECT_EQ(sent.filter(QRegularExpression(QStringLiteral("^02 00 02 0E 01 "))).size(), 2);
  EXPECT_EQ(sent.filter(QRegularExpression(QStringLiteral("^02 00 03 12 "))).size(), 3);
  EXPECT_EQ(received.filter(QRegularExpression(QStringLiteral("^03 12 "))).size(), 3);
  EXPECT_EQ(received.filter(QRegularExpression(QStringLiteral("^03 0E "))).size(), 2);
  for (const QString& line : logged)
    EXPECT_FALSE(line.contains(QStringLiteral("dropped"))) << line.toStdString();
}

// A bad line: the download ends with the same rows as over a good one.
struct LineFault {
  const char* name;
  std::function<void(emu::Emulator&)> inject;
};

void PrintTo(const LineFault& f, std::ostream* os) {
  *os << f.name;
}

class DownloadOverABadLine : public Download, public ::testing::WithParamInterface<LineFault> {};

TEST_P(DownloadOverABadLine, StoresEveryRecordOnceInItsOwnRow) {
  ASSERT_TRUE(start());
  meter().addMeasurement(shift(57, 3));  // five blocks of ten and one of seven
  ASSERT_TRUE(road_->loadMemoryList());
  GetParam().inject(meter());
  ASSERT_TRUE(road_->download(1, 80000));
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(1));
  EXPECT_TRUE(road_->pointValuesMatch(1));
  // Answers still on their way change nothing.
  meter().clearFaults();
  meter().setSplit(0, 0ms);
  meter().setDelayPattern({});
  road_->passLongestWait();
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(1));
  EXPECT_EQ(panel()->MemoryMessageLbl->text(), QStringLiteral("Load Complete"));
}

using emu::Fault;
using emu::FaultRule;
INSTANTIATE_TEST_SUITE_P(
    Faults, DownloadOverABadLine,
    ::testing::Values(LineFault{"RepliesInPieces", [](emu::Emulator& m) { m.setSplit(3, 4ms); }},
                      // Late enough for the poll tick to ask again: both answers come.
                      LineFault{"DelayedBlock",
                                [](emu::Emulator& m) {
                                  m.addFault({Fault::Delay, 0x12, 2, 1, 2400ms});
                                }},
                      // A meter whose delay wanders (100 to 1,500 ms, and 700 and
                      // 1,500 ms in turn), with an answer lost.
                      LineFault{"DelayWandersAtRandom",
                                [](emu::Emulator& m) {
                                  m.setDelayPattern(emu::DelayPattern::random(100ms, 1500ms, 3));
                                  m.addFault({Fault::Drop, 0x12, 2, 1});
                                }},
                      LineFault{"DelayAlternates",
                                [](emu::Emulator& m) {
                                  m.setDelayPattern(emu::DelayPattern::cycle({700ms, 1500ms}));
                                  m.addFault({Fault::Drop, 0x12, 3, 1});
                                }},
                      LineFault{"CorruptBlock",
                                [](emu::Emulator& m) {
                                  m.addFault({Fault::CorruptChecksum, 0x12, 3, 1});
                                }},
                      LineFault{"DroppedBlocks",
                                [](emu::Emulator& m) {
                                  m.addFault({Fault::Drop, 0x12, 1, 2});
                                }},
                      LineFault{"LastBlockDropped",
                                [](emu::Emulator& m) {
                                  m.addFault({Fault::Drop, 0x12, 5, 1});
                                }},
                      // Two block replies sent twice: the blocks from the first copy taken
                      // are asked again.
                      LineFault{"DoubledBlocks",
                                [](emu::Emulator& m) {
                                  m.addFault({Fault::Duplicate, 0x12, 1, 2});
                                }},
                      LineFault{"DoubledHeader",
                                [](emu::Emulator& m) {
                                  m.addFault({Fault::Duplicate, 0x0E, 0, 1});
                                }},
                      LineFault{"DelayedHeader",
                                [](emu::Emulator& m) {
                                  m.addFault({Fault::Delay, 0x0E, 0, 1, 1200ms});
                                }},
                      // No header: polling comes back with the link watchdog, and the poll
                      // tick asks for the header again.
                      LineFault{"DroppedHeader",
                                [](emu::Emulator& m) {
                                  m.addFault({Fault::Drop, 0x0E, 0, 1});
                                }},
                      LineFault{"CorruptHeader",
                                [](emu::Emulator& m) {
                                  m.addFault({Fault::CorruptChecksum, 0x0E, 0, 1});
                                }}),
    [](const ::testing::TestParamInfo<LineFault>& i) { return std::string(i.param.name); });

// A paced line: replies read when whole, progress and rows shown now and
// then while the meter sends; over a line that loses blocks, every record
// in its own row.
TEST_F(Download, PacedLineWithLostBlocks) {
  ASSERT_TRUE(start());
  meter().addMeasurement(shift(57, 3));
  ASSERT_TRUE(road_->loadMemoryList());
  meter().setPacing(true);
  meter().addFault({Fault::Drop, 0x12, 1, 2});
  meter().addFault({Fault::Drop, 0x12, 4, 1});
  ASSERT_TRUE(road_->download(1, 80000));
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(1));
  EXPECT_TRUE(road_->pointValuesMatch(1));
  EXPECT_EQ(panel()->statusPanelText(2), QStringLiteral("Connection"));
}

// Block replies sent twice on a paced line: the copy taken for the next
// block shifts every later one, and shows after the last block; the blocks
// from the first copy taken are asked again, and every row is its own
// record.
TEST_F(Download, PacedLineWithDoubledBlocks) {
  ASSERT_TRUE(start());
  meter().addMeasurement(shift(400, 4));
  ASSERT_TRUE(road_->loadMemoryList());
  meter().setPacing(true);
  meter().addFault({Fault::Duplicate, 0x12, 10, 2});
  ASSERT_TRUE(road_->download(1, 120000));
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(1));
  EXPECT_TRUE(road_->pointValuesMatch(1));
  EXPECT_GT(meter().requestCount(0x12), 40u);  // blocks were asked again
  EXPECT_EQ(road_->messages(), QStringList{QStringLiteral("Get Memory Info OK !!!")});
}

// A meter that sends every block reply twice: its blocks are asked again a
// bounded number of times; then the download stops with a message, keeps
// only the rows before the first block that may hold a copy, and says so.
TEST_F(Download, MeterThatSendsEveryBlockTwiceKeepsOnlyTheRowsBeforeACopy) {
  ASSERT_TRUE(start());
  meter().addMeasurement(shift(57, 3));
  ASSERT_TRUE(road_->loadMemoryList());
  meter().addFault(FaultRule::always(Fault::Duplicate, 0x12));
  panel()->MSFlexGrid1->setRow(1);
  panel()->MSFlexGrid1_Click();
  ASSERT_TRUE(road_->until([&] { return road_->messages().size() == 2; }, 80000));
  // Each pass takes one block more before the first copy.
  const int kept = 10 * (1 + PollLoop::kMaxRedownloads);
  EXPECT_EQ(road_->messages().last(),
            QStringLiteral("Download stopped: the meter sent a data block twice, so the records after it "
                           "could not be placed with certainty. %1 of 57 records kept.")
                .arg(kept));
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(1).mid(0, kept));
  EXPECT_EQ(State().measurement.PointValue1.size(), static_cast<std::size_t>(kept));
  EXPECT_FALSE(State().poll.downloadRunning());
  EXPECT_NE(panel()->MemoryMessageLbl->text(), QStringLiteral("Load Complete"));
  EXPECT_TRUE(FormRegistry::find<DataListFrm>()->Toolbar1->isEnabled());
  // Copies still on their way change nothing.
  road_->passLongestWait();
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(1).mid(0, kept));
}

// A meter that answers every request late (a slow adapter, a radio link):
// the poll tick asks again before the first answer comes, so one block is
// answered two or three times, with answers lost on the way.
// The answers owed for one block are never taken for the next: every row
// is the record of its own number.
struct LateMeter {
  const char* name;
  int delayMs;
};

void PrintTo(const LateMeter& m, std::ostream* os) {
  *os << m.name;
}

class DownloadFromALateMeter : public Download, public ::testing::WithParamInterface<LateMeter> {};

TEST_P(DownloadFromALateMeter, EveryRowIsItsOwnRecord) {
  ASSERT_TRUE(start());
  meter().addMeasurement(shift(25, 5));  // blocks of ten, ten and five
  ASSERT_TRUE(road_->loadMemoryList());
  meter().setPacing(true);
  meter().setReplyDelay(std::chrono::milliseconds(GetParam().delayMs));
  meter().addFault(FaultRule::nth(Fault::Drop, 0x12, 2));
  meter().addFault(FaultRule::nth(Fault::Drop, 0x12, 5));
  ASSERT_TRUE(road_->download(1, 120000)) << road_->recordRows().size() << " rows";
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(1));
  EXPECT_TRUE(road_->pointValuesMatch(1));
  EXPECT_EQ(road_->messages(), QStringList{QStringLiteral("Get Memory Info OK !!!")});
  EXPECT_GT(meter().requestCount(0x12), 3u);  // blocks were asked again
}

INSTANTIATE_TEST_SUITE_P(Meters, DownloadFromALateMeter,
                         ::testing::Values(LateMeter{"Late300", 300}, LateMeter{"Late650", 650},
                                           LateMeter{"Late900", 900}, LateMeter{"Late1500", 1500}),
                         [](const ::testing::TestParamInfo<LateMeter>& i) {
                           return std::string(i.param.name);
                         });

// A meter that stops giving usable answers is asked a bounded number of
// times; then the download stops with a message that says how many
// records arrived, keeps their rows, and polling runs again.
struct DeadMeter {
  const char* name;
  std::function<void(emu::Emulator&)> inject;
  int code;      // the request asked again
  int rowsKept;  // rows of records that arrived
  const char* message;
};

void PrintTo(const DeadMeter& d, std::ostream* os) {
  *os << d.name;
}

class DownloadFromADeadMeter : public Download, public ::testing::WithParamInterface<DeadMeter> {};

TEST_P(DownloadFromADeadMeter, StopsWithAMessageAndKeepsTheRows) {
  const DeadMeter& c = GetParam();
  ASSERT_TRUE(start());
  meter().addMeasurement(shift(57, 3));
  ASSERT_TRUE(road_->loadMemoryList());
  c.inject(meter());
  const std::size_t before = meter().requestCount(c.code);
  panel()->MSFlexGrid1->setRow(1);
  panel()->MSFlexGrid1_Click();
  // From the click on the label shows this download, not the list's end.
  EXPECT_NE(panel()->MemoryMessageLbl->text(), QStringLiteral("Load Complete"));
  ASSERT_TRUE(road_->until([&] { return road_->messages().size() == 2; }, 80000));
  EXPECT_EQ(road_->messages().last(), QString::fromLatin1(c.message));
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(1).mid(0, c.rowsKept));
  // A request per block taken, then the first one of the next and
  // kMaxResends more (the first behind a block taken, once two differ),
  // then nothing.
  const int fence = c.code == 0x12 && c.rowsKept >= 20 ? 1 : 0;
  const std::size_t asked = static_cast<std::size_t>(c.rowsKept / 10 + 1 + PollLoop::kMaxResends + fence);
  EXPECT_EQ(meter().requestCount(c.code) - before, asked);
  road_->passLongestWait();
  EXPECT_EQ(meter().requestCount(c.code) - before, asked);
  EXPECT_FALSE(State().poll.blockAwaited());
  EXPECT_TRUE(panel()->pollingRunning());
  EXPECT_NE(panel()->MemoryMessageLbl->text(), QStringLiteral("Load Complete"));
  // Rows that arrived are kept and can be saved; without any, nothing can.
  EXPECT_EQ(FormRegistry::find<DataListFrm>()->Toolbar1->isEnabled(), c.rowsKept > 0);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, DownloadFromADeadMeter,
    ::testing::Values(
        DeadMeter{"SilentAfterTwoBlocks",
                  [](emu::Emulator& m) {
                    m.addFault({emu::Fault::Drop, 0x12, 2, -1});
                  },
                  0x12, 20, "Download stopped: no usable answer from the meter. 20 of 57 records arrived."},
        DeadMeter{
            "EveryBlockCorrupt",
            [](emu::Emulator& m) { m.addFault(emu::FaultRule::always(emu::Fault::CorruptChecksum, 0x12)); },
            0x12, 0, "Download stopped: no usable answer from the meter. 0 of 57 records arrived."},
        DeadMeter{"HeaderNeverComes",
                  [](emu::Emulator& m) { m.addFault(emu::FaultRule::always(emu::Fault::Drop, 0x0E)); }, 0x0E,
                  0,
                  "Download stopped: no usable answer from the meter. The measurement's header did not "
                  "arrive; no records arrived."}),
    [](const ::testing::TestParamInfo<DeadMeter>& i) { return std::string(i.param.name); });

// A paused stretch logs records that are all alike, so its blocks are
// byte for byte the same; every third block reply is lost on the line.
TEST_F(Download, PausedStretchWithEveryThirdBlockReplyLost) {
  ASSERT_TRUE(start());
  std::vector<emu::Record> records = emu::generateRecords(4, 5);
  records.resize(35, emu::Record::make(0, 0, 0, 0, true));
  meter().addMeasurement(records);
  ASSERT_TRUE(road_->loadMemoryList());
  for (int n = 3; n <= 90; n += 3) meter().addFault(FaultRule::nth(Fault::Drop, 0x12, n));
  ASSERT_TRUE(road_->download(1, 40000)) << road_->recordRows().size() << " rows";
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(1));
  EXPECT_TRUE(road_->pointValuesMatch(1));
}

// A measurement whose records are all alike (a meter left paused, a
// steady calibrator): every block equals the one before, and each is asked
// once, by the line thread the moment the block before is whole.
TEST_F(Download, AlikeBlocksAreEachAskedOnce) {
  ASSERT_TRUE(start());
  meter().addMeasurement(std::vector<emu::Record>(300, emu::Record::make(94.0, 94.0, 101.5, 103.2)));
  ASSERT_TRUE(road_->loadMemoryList());
  meter().clearLog();
  ASSERT_TRUE(road_->download(1));
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(1));
  EXPECT_EQ(meter().requestCount(0x12), 30u);
}

// The same over a meter whose delay wanders (100 to 1,500 ms) and loses
// answers: no late answer is ever taken for the next block.
TEST_F(Download, AlikeBlocksOverAWanderingDelayWithLostAnswers) {
  ASSERT_TRUE(start());
  std::vector<emu::Record> records = emu::generateRecords(4, 12);
  records.resize(60, emu::Record::make(0, 0, 0, 0, true));
  meter().addMeasurement(records);
  ASSERT_TRUE(road_->loadMemoryList());
  meter().setDelayPattern(emu::DelayPattern::random(100ms, 1500ms, 9));
  for (int n = 2; n <= 40; n += 4) meter().addFault(FaultRule::nth(Fault::Drop, 0x12, n));
  ASSERT_TRUE(road_->download(1, 120000)) << road_->recordRows().size() << " rows";
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(1));
  EXPECT_TRUE(road_->pointValuesMatch(1));
}

TEST_F(Download, LineSilentMidDownloadAndBack) {
  ASSERT_TRUE(start());
  meter().addMeasurement(shift(300, 5));
  ASSERT_TRUE(road_->loadMemoryList());
  meter().setPacing(true);  // a download of about half a second
  panel()->MSFlexGrid1->setRow(1);
  panel()->MSFlexGrid1_Click();
  ASSERT_TRUE(road_->until([&] { return road_->recordRows().size() >= 60; }));
  meter().setSilent(true);
  // Long enough for the link watchdog and several re-sends.
  EXPECT_TRUE(
      road_->until([&] { return panel()->statusPanelText(2) == QStringLiteral("Disconnection"); }, 20000));
  // The silence goes on while the block is asked again.
  const std::size_t asked = meter().requestCount(0x12);
  EXPECT_TRUE(road_->until([&] { return meter().requestCount(0x12) >= asked + 2; }));
  EXPECT_TRUE(State().poll.blockAwaited());
  meter().setSilent(false);
  ASSERT_TRUE(road_->until(
      [&] { return panel()->MemoryMessageLbl->text() == QStringLiteral("Load Complete"); }, 40000));
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(1));
  EXPECT_TRUE(road_->pointValuesMatch(1));
}

TEST_F(Download, ClickOnAnotherMeasurementEndsTheRunningDownload) {
  ASSERT_TRUE(start());
  meter().addMeasurement(shift(400, 8));
  meter().addMeasurement(shift(45, 9));
  ASSERT_TRUE(road_->loadMemoryList());
  meter().setPacing(true);
  panel()->MSFlexGrid1->setRow(1);
  panel()->MSFlexGrid1_Click();
  ASSERT_TRUE(road_->until([&] { return road_->recordRows().size() >= 30; }));
  MsgBox::answers().push_back(MsgResult::No);  // the part downloaded is discarded
  ASSERT_TRUE(road_->download(2));
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(2));
  EXPECT_TRUE(road_->pointValuesMatch(2));
  // The first measurement's blocks still on the line are not taken.
  road_->passLongestWait();
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(2));
}

// ---------------------------------------------------------------------------
// Replies written straight into the receive buffer, from a meter that
// stays silent on the line (it still logs what it is asked).

class ScriptedMeter : public Download {
 protected:
  void SetUp() override {
    Download::SetUp();
    ASSERT_TRUE(start());
  }
  // Stored measurements listed, the meter silent from here, and a click on
  // the row of `entry`.
  void listAndClick(const std::vector<std::vector<emu::Record>>& stored, int entry = 1) {
    for (const auto& r : stored) meter().addMeasurement(r);
    ASSERT_TRUE(road_->loadMemoryList());
    // The list's last answers on the line and handled.
    ASSERT_TRUE(road_->until([&] { return meter().pendingBytes() == 0; }));
    meter().setSilent(true);
    click(entry);
  }
  void click(int entry) {
    entry_ = entry;
    panel()->MSFlexGrid1->setRow(entry);
    panel()->MSFlexGrid1_Click();
  }
  // One reply frame, cut and decoded by the receive tick.
  void reply(std::uint8_t code, const std::vector<std::uint8_t>& payload) {
    std::vector<std::uint8_t> f{0x03, code, static_cast<std::uint8_t>(payload.size() >> 8),
                                static_cast<std::uint8_t>(payload.size() & 0xFF)};
    f.insert(f.end(), payload.begin(), payload.end());
    std::uint8_t x = 0;
    for (std::size_t i = 1; i < f.size(); ++i) x ^= f[i];
    f.push_back(x);
    auto& rx = State().link.PortTable[1].RxBuf;
    rx.insert(rx.end(), f.begin(), f.end());
    State().poll.bytesArrived();
  }
  std::vector<std::uint8_t> header(int entry = 0) {
    const emu::Header h = meter().measurement(entry ? entry : entry_).header;
    return {h.begin(), h.end()};
  }
  std::vector<std::uint8_t> block(unsigned b) {
    return emu::blockPayload(meter().measurement(entry_).records, b);
  }
  void pollTicks(int n) {
    for (int i = 0; i < n; ++i) panel()->Timer1_Timer();
  }
  int entry_ = 0;
};

TEST_F(ScriptedMeter, ShortHeaderAndShortBlockAreAskedAgain) {
  listAndClick({shift(15)});
  ASSERT_TRUE(meter().waitForRequests(1, 0x0E));
  std::vector<std::uint8_t> h = header();
  reply(0x0E, {h.begin(), h.begin() + 500});
  ASSERT_TRUE(meter().waitForRequests(2, 0x0E));
  EXPECT_EQ(State().measurement.header.HeaderStart, "0");
  EXPECT_EQ(meter().requestCount(0x12), 0u);

  reply(0x0E, h);
  ASSERT_TRUE(meter().waitForRequests(1, 0x12));
  std::vector<std::uint8_t> b0 = block(0);
  reply(0x12, {b0.begin(), b0.begin() + 40});  // five records where ten are due
  ASSERT_TRUE(meter().waitForRequests(2, 0x12));
  EXPECT_TRUE(road_->recordRows().isEmpty());

  reply(0x12, b0);
  reply(0x12, block(1));
  // The header asked after the last block completes the download.
  EXPECT_EQ(panel()->MemoryMessageLbl->text(), QStringLiteral("Load ==> 15 / 15"));
  reply(0x0E, h);
  EXPECT_EQ(panel()->MemoryMessageLbl->text(), QStringLiteral("Load Complete"));
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(entry_));
  EXPECT_TRUE(road_->pointValuesMatch(entry_));
}

// The header asked after the last block whose answer is lost: the poll tick
// asks it again, and its answer completes the download.
TEST_F(ScriptedMeter, LostAnswerToTheHeaderAfterTheLastBlockIsAskedAgain) {
  listAndClick({shift(15)});
  const std::vector<std::uint8_t> h = header();
  reply(0x0E, h);
  ASSERT_TRUE(meter().waitForRequests(1, 0x12));
  reply(0x12, block(0));
  reply(0x12, block(1));
  ASSERT_TRUE(meter().waitForRequests(2, 0x0E));
  receiveTicks(31);
  pollTicks(3);
  ASSERT_TRUE(meter().waitForRequests(3, 0x0E));
  EXPECT_EQ(panel()->MemoryMessageLbl->text(), QStringLiteral("Load ==> 15 / 15"));
  reply(0x0E, h);
  EXPECT_EQ(panel()->MemoryMessageLbl->text(), QStringLiteral("Load Complete"));
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(entry_));
}

// Answers always too short to hold their records: asked again at once, but
// not for ever.
TEST_F(ScriptedMeter, BlocksAlwaysShortEndTheDownload) {
  listAndClick({shift(35)});
  reply(0x0E, header());
  ASSERT_TRUE(meter().waitForRequests(1, 0x12));
  const std::vector<std::uint8_t> b0 = block(0);
  for (int i = 0; i <= PollLoop::kMaxResends; ++i) reply(0x12, {b0.begin(), b0.begin() + 40});
  ASSERT_TRUE(meter().waitForRequests(1 + PollLoop::kMaxResends, 0x12));
  EXPECT_EQ(road_->messages().last(),
            QStringLiteral("Download stopped: no usable answer from the meter. 0 of 35 records arrived."));
  reply(0x12, {b0.begin(), b0.begin() + 40});
  road_->passLongestWait();
  EXPECT_EQ(meter().requestCount(0x12), 1u + PollLoop::kMaxResends);
  EXPECT_TRUE(road_->recordRows().isEmpty());
}

// A meter 0.9 s late: block 0 is asked again before its first answer
// comes. Block 1 is asked the moment block 0 is taken; the second answer of
// block 0, when it comes, is known by its bytes and dropped, and block 1 is
// asked again at once (that reply might have been block 1's own, were it
// alike), so its answers are two as well, and so on. Whether the late
// answers come or are lost, every row is its own record.
struct OwedAnswer {
  const char* name;
  bool secondAnswersCome;
};

void PrintTo(const OwedAnswer& o, std::ostream* os) {
  *os << o.name;
}

class ResentBlock : public ScriptedMeter, public ::testing::WithParamInterface<OwedAnswer> {};

TEST_P(ResentBlock, IsStoredOnceAndTheNextBlockIsAskedAtOnce) {
  listAndClick({shift(35)});
  reply(0x0E, header());
  ASSERT_TRUE(meter().waitForRequests(1, 0x12));
  receiveTicks(31);
  pollTicks(3);
  ASSERT_TRUE(meter().waitForRequests(2, 0x12));
  receiveTicks(25);
  reply(0x12, block(0));
  EXPECT_TRUE(State().poll.blockAwaited());
  ASSERT_TRUE(meter().waitForRequests(3, 0x12));
  EXPECT_EQ(meter().requests(0x12)[2].bytes, *DataBlockRequest(1));
  const bool late = GetParam().secondAnswersCome;
  if (late) {
    reply(0x12, block(0));
    ASSERT_TRUE(meter().waitForRequests(4, 0x12));
    EXPECT_EQ(meter().requests(0x12)[3].bytes, *DataBlockRequest(1));
  }
  for (unsigned b = 1; b <= 3; ++b) {
    reply(0x12, block(b));
    if (late && b < 3) reply(0x12, block(b));
  }
  reply(0x0E, header());
  EXPECT_EQ(panel()->MemoryMessageLbl->text(), QStringLiteral("Load Complete"));
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(entry_));
  EXPECT_TRUE(road_->pointValuesMatch(entry_));
  // A late answer of the last block finds nothing asked.
  reply(0x12, block(3));
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(entry_));
}

INSTANTIATE_TEST_SUITE_P(Answers, ResentBlock,
                         ::testing::Values(OwedAnswer{"SecondAnswersCome", true},
                                           OwedAnswer{"SecondAnswersLost", false}),
                         [](const ::testing::TestParamInfo<OwedAnswer>& i) {
                           return std::string(i.param.name);
                         });

// A paused span logs records that are all alike, so its blocks are byte
// for byte the same: each is taken as it comes, nothing is asked twice.
TEST_F(ScriptedMeter, BlocksThatAreTrulyAlikeAreTakenAtOnce) {
  listAndClick({std::vector<emu::Record>(30, emu::Record::make(0, 0, 0, 0, true))});
  reply(0x0E, header());
  for (unsigned b = 0; b < 3; ++b) reply(0x12, block(b));
  reply(0x0E, header());
  EXPECT_EQ(panel()->MemoryMessageLbl->text(), QStringLiteral("Load Complete"));
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(entry_));
  EXPECT_EQ(meter().requestCount(0x12), 3u);
}

TEST_F(ScriptedMeter, AnswersToAnEarlierClickAreNotTaken) {
  listAndClick({shift(20, 1), shift(20, 2)}, 1);
  // A second click before the first header came: the first answer belongs
  // to the first click and is not taken as the second measurement's.
  click(2);
  reply(0x0E, header(1));
  EXPECT_EQ(State().measurement.header.HeaderStart, "0");
  reply(0x0E, header(2));
  EXPECT_NE(State().measurement.header.HeaderStart, "0");
  reply(0x12, block(0));
  // A header nobody asked for (a copy) does not start the download again.
  reply(0x0E, header(2));
  reply(0x12, block(1));
  reply(0x0E, header(2));
  EXPECT_EQ(panel()->MemoryMessageLbl->text(), QStringLiteral("Load Complete"));
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(2));
  EXPECT_TRUE(road_->pointValuesMatch(2));
}

// The same measurement clicked again while answers to the first click are
// still on their way from a late meter: its header asked twice, block 2
// asked. Neither the first click's late header nor its block is taken for
// the second click's download.
TEST_F(ScriptedMeter, AnswersToAnEarlierClickOfTheSameMeasurementAreNotTaken) {
  listAndClick({shift(40)});
  ASSERT_TRUE(meter().waitForRequests(1, 0x0E));
  pollTicks(3);
  ASSERT_TRUE(meter().waitForRequests(2, 0x0E));
  reply(0x0E, header());
  reply(0x12, block(0));
  reply(0x12, block(1));
  ASSERT_TRUE(meter().waitForRequests(3, 0x12));
  // The rows are shown four times a second; the part downloaded is discarded.
  ASSERT_TRUE(road_->until([&] { return road_->recordRows().size() == 20; }));
  MsgBox::answers().push_back(MsgResult::No);
  click(entry_);
  ASSERT_TRUE(meter().waitForRequests(3, 0x0E));
  reply(0x0E, header());  // the late answer to the first click's second request
  reply(0x12, block(2));  // the first click's block 2
  EXPECT_TRUE(road_->recordRows().isEmpty());
  EXPECT_EQ(meter().requestCount(0x12), 3u);
  reply(0x0E, header());
  for (unsigned b = 0; b < 4; ++b) reply(0x12, block(b));
  reply(0x0E, header());
  EXPECT_EQ(panel()->MemoryMessageLbl->text(), QStringLiteral("Load Complete"));
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(entry_));
  EXPECT_TRUE(road_->pointValuesMatch(entry_));
}

}  // namespace
}  // namespace vkz
