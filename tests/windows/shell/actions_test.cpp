// The main window's actions: closing flagged windows, the toolbar, the
// command tree, the detected-meter list, the memory list and opening a data
// file.
#include <QAction>
#include <QEvent>
#include <QListWidget>
#include <QMdiArea>
#include <QToolBar>
#include <QTreeWidget>
#include <filesystem>
#include <string>

#include "link/comname.h"
#include "link/porttable.h"
#include "polling/measurement.h"
#include "polling/pollstate.h"
#include "qtenv.h"
#include "shell/flags.h"
#include "shell/uitext.h"
#include "shell/win/helpfrm.h"
#include "shell/win/panel.h"
#include "state/programstate.h"
#include "support/common/engine_clock.h"
#include "support/common/meter_erase.h"
#include "ui/flexgrid.h"
#include "ui/msgbox.h"
#include "unit/link/testpty.h"
#include "views/datafile.h"
#include "views/win/datalistfrm.h"
#include "views/win/filelistfrm.h"

namespace vkz {
namespace {

// COM1 on a pseudo-terminal, current and open: the line an erase goes out on.
struct MeterLine1 {
  explicit MeterLine1(const std::string& appDir) {
    setComFallback(false);
    std::filesystem::create_directories(appDir + "/com");
    std::filesystem::create_symlink(pty.slave(), appDir + "/com/COM1");
    OpenPort(State().line(), 1, kMeterLineSettings);
    State().link.CurPort = 1;
  }
  vkztest::TestPty pty;
};

using ActionsTest = ShellTest;

int countNodes(QTreeWidget* t) {
  int n = 0;
  for (int i = 0; i < t->topLevelItemCount(); ++i) n += 1 + t->topLevelItem(i)->childCount();
  return n;
}

TEST_F(ActionsTest, CheckFlageClosesWindowsButLeavesTheDataList) {
  Panel* p = makePanel();
  p->showMdiChild(FormRegistry::get<HelpFrm>());
  FormRegistry::get<DataListFrm>()->Show();
  p->ShowMemoryPanel(true);
  ASSERT_EQ(State().flags.HelpFrmOpen, -1);
  ASSERT_EQ(State().flags.DataListFrmOpen, -1);
  p->checkpanelflage();
  EXPECT_EQ(State().flags.MemoryPanelShown, -1);  // checkpanelflage leaves the panel
  EXPECT_EQ(State().flags.HelpFrmOpen, 0);
  p->showMdiChild(FormRegistry::get<HelpFrm>());
  p->CheckFlage();
  settle();
  EXPECT_EQ(State().flags.HelpFrmOpen, 0);
  EXPECT_FALSE(FormRegistry::loaded<HelpFrm>());
  EXPECT_EQ(State().flags.MemoryPanelShown, 0);
  EXPECT_EQ(State().flags.DataListFrmOpen, -1);
  EXPECT_TRUE(FormRegistry::loaded<DataListFrm>());
  // A flag set for a window that is not loaded: the unload is a no-op.
  State().flags.KalvoxFrmOpen = -1;
  p->CheckFlage();
  EXPECT_EQ(State().flags.KalvoxFrmOpen, -1);
}

TEST_F(ActionsTest, ToolbarIgnoresClicksDuringTheListWaitAndRefusesDuringAnErase) {
  Panel* p = makePanel();
  int rtc = 0;
  State().openers.showRTCFrm = [&] { ++rtc; };
  State().poll.askMemoryList();  // no line: asked in vain, awaited all the same
  for (const char* key : {"Memory", "RTC", "Help", "Language"})
    p->Toolbar1_ButtonClick(QString::fromLatin1(key));
  EXPECT_EQ(rtc, 0);
  EXPECT_TRUE(MsgBox::shown().empty());
  EXPECT_FALSE(FormRegistry::loaded<HelpFrm>());

  clock_->ticks(1);  // the memory panel is hidden: the wait ends
  ASSERT_FALSE(State().poll.memoryListPending());
  MeterLine1 line(dir());
  ASSERT_TRUE(test::startErase());
  p->Toolbar1_ButtonClick(QStringLiteral("List"));
  p->Toolbar1_ButtonClick(QStringLiteral("RTC"));
  ASSERT_EQ(MsgBox::shown().size(), 2u);
  EXPECT_EQ(MsgBox::shown()[0].text, QStringLiteral("Memory Erasing ..."));
  EXPECT_EQ(MsgBox::shown()[0].icon, MsgIcon::Critical);
  EXPECT_EQ(rtc, 0);
  // "Open" does not test the erase: a cancelled dialog ends quietly with
  // polling still running.
  MsgBox::fileAnswers().push_back(QString());
  p->Toolbar1_ButtonClick(QStringLiteral("Open"));
  EXPECT_EQ(MsgBox::shown().size(), 2u);
  EXPECT_TRUE(State().poll.running());

  test::meterErased();
  p->Toolbar1_ButtonClick(QStringLiteral("RTC"));
  EXPECT_EQ(rtc, 1);
  p->Toolbar1_ButtonClick(QStringLiteral("Help"));
  EXPECT_TRUE(FormRegistry::loaded<HelpFrm>());
}

TEST_F(ActionsTest, TreeIsBuiltOnceAndRelabelledOnlyWhenBuilt) {
  Panel* p = makePanel();
  EXPECT_FALSE(p->ApplyPanelTreeText());  // empty tree: nothing to relabel
  State().polling.MeterModel = "Other";
  p->BuildTreeForModel();
  EXPECT_EQ(countNodes(p->TreeView1), 0);
  State().polling.MeterModel = "VKZ 418";
  p->BuildTreeForModel();
  State().polling.MeterModel = "KRD 529";
  p->BuildTreeForModel();  // a second build leaves the tree as it is
  EXPECT_EQ(countNodes(p->TreeView1), 20);
  EXPECT_EQ(p->TreeView1->topLevelItem(2)->text(0), QStringLiteral("Setting"));
  EXPECT_EQ(p->TreeView1->topLevelItem(2)->child(0)->text(0), QStringLiteral("Lcd contrast"));
  State().texts.TxtRTC = "Relogio";
  EXPECT_TRUE(p->ApplyPanelTreeText());
  EXPECT_EQ(p->TreeView1->topLevelItem(0)->text(0), QStringLiteral("Relogio"));
}

TEST_F(ActionsTest, TreeClicksRunTheirActions) {
  Panel* p = makePanel();
  State().polling.MeterModel = "VKZ 418";
  p->BuildPanelTree();
  int rtc = 0, oneSet = 0;
  std::int16_t contrastFlagWhenShown = 0;
  State().openers.showRTCFrm = [&] { ++rtc; };
  State().openers.showOneSetForm = [&] {
    ++oneSet;
    contrastFlagWhenShown = State().flags.OneSetLcdContrast;
    EXPECT_FALSE(State().poll.running());
  };
  QTreeWidgetItem* setting = p->TreeView1->topLevelItem(2);
  // "Setting" and "Other Option" run nothing, even during an erase.
  MeterLine1 line(dir());
  ASSERT_TRUE(test::startErase());
  p->TreeView1_NodeClick(setting);
  p->TreeView1_NodeClick(p->TreeView1->topLevelItem(4));
  EXPECT_TRUE(MsgBox::shown().empty());
  p->TreeView1_NodeClick(p->TreeView1->topLevelItem(0));
  EXPECT_EQ(MsgBox::shown().size(), 1u);
  EXPECT_EQ(rtc, 0);
  test::meterErased();
  // Ignored while no supported model is identified.
  State().polling.MeterModel = "";
  p->TreeView1_NodeClick(p->TreeView1->topLevelItem(0));
  EXPECT_EQ(rtc, 0);
  State().polling.MeterModel = "VKZ 418";
  p->TreeView1_NodeClick(p->TreeView1->topLevelItem(0));
  EXPECT_EQ(rtc, 1);
  // A setting node: selector set before the window shows, polling resumed after.
  p->TreeView1_NodeClick(setting->child(0));
  EXPECT_EQ(oneSet, 1);
  EXPECT_EQ(contrastFlagWhenShown, -1);
  EXPECT_TRUE(State().poll.running());
  // Two nodes with the same text: the first in the test order wins.
  State().texts.TxtPause = "RTC";
  p->ApplyPanelTreeText();
  p->TreeView1_NodeClick(setting->child(2));
  EXPECT_EQ(rtc, 2);
}

// Notes whether polling ran when a window was hidden (closed).
class CloseSpy : public QObject {
 public:
  bool closed = false, pollingWhenClosed = false;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Hide && !closed) {
      closed = true;
      pollingWhenClosed = State().poll.running();
    }
    return false;
  }
};

TEST_F(ActionsTest, SettingNodesCloseAndPauseInTheirOrderAndSetTheirFlagFirst) {
  Panel* p = makePanel();
  State().polling.MeterModel = "KRD 529";
  p->BuildPanelTree();
  QTreeWidgetItem* setting = p->TreeView1->topLevelItem(2);
  using O = ShellWindowOpeners;
  const struct {
    int child;  // position under "Setting": node index - 4
    bool closesBeforePausing;
    std::int16_t WindowFlags::*flag;
    std::function<void()> O::*opener;
  } cases[] = {
      {0, true, &WindowFlags::OneSetLcdContrast, &O::showOneSetForm},  // Lcd contrast
      {2, false, &WindowFlags::OneSetPause, &O::showOneSetForm},       // Pause
      {4, true, nullptr, &O::showKalvoxFrm},                           // Kalvox
      {11, false, &WindowFlags::LunchTimeFrmOpen, &O::showLunchTimeFrm},
  };
  for (const auto& c : cases) {
    p->showMdiChild(FormRegistry::get<HelpFrm>());
    CloseSpy spy;
    FormRegistry::find<HelpFrm>()->installEventFilter(&spy);
    int shown = 0;
    bool flagWhenShown = false, pollingWhenShown = true;
    State().openers = ShellWindowOpeners{};
    State().openers.*(c.opener) = [&] {
      ++shown;
      flagWhenShown = !c.flag || State().flags.*(c.flag) == -1;
      pollingWhenShown = State().poll.running();
    };
    p->TreeView1_NodeClick(setting->child(c.child));
    EXPECT_TRUE(spy.closed) << c.child;
    EXPECT_EQ(spy.pollingWhenClosed, c.closesBeforePausing) << c.child;
    EXPECT_EQ(shown, 1) << c.child;
    EXPECT_TRUE(flagWhenShown) << c.child;
    EXPECT_FALSE(pollingWhenShown) << c.child;
    EXPECT_TRUE(State().poll.running()) << c.child;  // resumed after the request
    State().flags.clearOneSetSelectors();
    State().flags.LunchTimeFrmOpen = 0;
    settle();
  }
}

TEST_F(ActionsTest, DetectedMeterClickUsesTheEntryOfItsOwnPort) {
  Panel* p = makePanel();
  int panels = 0;
  State().openers.showSetting418PanelFrm = [&] { ++panels; };
  // Port 3 linked and listed as entry 1; port 5 linked as entry 2 but its
  // meter never identified; port 7 linked and listed as entry 3.
  State().link.PortCount = 3;
  p->addDetectedMeter(QStringLiteral("VKZ-418:3"), 1, 1);
  p->addDetectedMeter(QStringLiteral("KRD 529:7"), 2, 3);
  ASSERT_EQ(p->ControlListView->count(), 2);
  EXPECT_EQ(p->ControlListView->item(0)->text(), QStringLiteral("KRD 529:7"));  // newest on top
  p->ControlListView_ItemClick(p->ControlListView->item(1));
  EXPECT_EQ(State().link.CurPort, 1);  // counting from the top would give entry 2 (port 5)
  p->ControlListView_ItemClick(p->ControlListView->item(0));
  EXPECT_EQ(State().link.CurPort, 3);
  EXPECT_EQ(panels, 2);
  // Port 3 linked again as entry 4 and its meter detected again: listed
  // once, on top, for the new entry.
  State().link.PortCount = 4;
  p->addDetectedMeter(QStringLiteral("VKZ-418:3"), 1, 4);
  ASSERT_EQ(p->ControlListView->count(), 2);
  EXPECT_EQ(p->ControlListView->item(0)->text(), QStringLiteral("VKZ-418:3"));
  p->ControlListView_ItemClick(p->ControlListView->item(0));
  EXPECT_EQ(State().link.CurPort, 4);
}

TEST_F(ActionsTest, MemoryListClickWithoutAStoredMeasurementIsIgnored) {
  Panel* p = makePanel();
  p->ShowMemoryPanel(true);
  p->MSFlexGrid1->setRow(0);
  p->MSFlexGrid1_Click();  // the heading row
  p->MSFlexGrid1->AddItem(QStringLiteral("1\t\tx"));
  p->MSFlexGrid1->setRow(1);
  p->MSFlexGrid1_Click();  // no entry number
  EXPECT_TRUE(State().poll.running());
  EXPECT_FALSE(FormRegistry::loaded<DataListFrm>());

  // A real row: the data window opens with its toolbar disabled, polling
  // pauses (the header reply resumes it) and the report name is set.
  p->MSFlexGrid1->setTextMatrix(1, 1, QStringLiteral("2018/05/23  14:03:07"));
  p->MSFlexGrid1->setTextMatrix(1, 2, QStringLiteral("3"));
  State().measurement.header.HeaderStart = "old";
  p->MSFlexGrid1_Click();
  EXPECT_FALSE(State().poll.running());
  ASSERT_TRUE(FormRegistry::loaded<DataListFrm>());
  EXPECT_FALSE(FormRegistry::find<DataListFrm>()->Toolbar1->isEnabled());
  EXPECT_EQ(State().measurement.header.HeaderStart, "0");
  EXPECT_EQ(State().shell.RecordFileName, "20180523--140307");

  // During an erase: the refusal only.
  State().poll.StartPanelTimers();
  MeterLine1 line(dir());
  ASSERT_TRUE(test::startErase());
  p->MSFlexGrid1_Click();
  EXPECT_TRUE(State().poll.running());
  EXPECT_EQ(MsgBox::shown().back().text, QStringLiteral("Memory Erasing ..."));
}

constexpr const char* kDataFile =
    "VKZ 418\r\n\r\nInformation\r\nEvaluator\tAna\t\r\n\r\nHeaderData\r\n\tD1\tD2\tD3\t\r\n"
    "Start Date/Time\t2018/05/23 08:00:00\t2018/05/23 08:00:00\t2018/05/23 08:00:00\t\r\n"
    "Stop Date/Time\ta\tb\tc\t\r\nThreshold\t80 dB\t80 dB\t80 dB\t\r\nCriterion\t85 dB\t85 dB\t85 dB\t\r\n"
    "Exchange Rate\t3 dB\t3 dB\t3 dB\t\r\nExceedance Level\t115 dB\t115 dB\t115 dB\t\r\n"
    "Interval Time\t1 Min\t1 Min\t1 Min\t\r\nTotal Point\t2\t2\t2\t\r\n\r\n\r\nRecordData\r\n"
    "No.s\tDate/Time\tLAVG\tLeq\tLCPK\tLZPK\t\r\n"
    "1\t2018/05/23 08:01:00\t80.1 dB\t81.2 dB\t120.0 dB\t121.0 dB\t\r\n"
    "2\t2018/05/23 08:02:00\t*82.0 dB\t83.0 dB\t122.0 dB\t123.0 dB\t\r\n";

TEST_F(ActionsTest, OpeningADataFileDecidesOnItsOwnFirstLine) {
  Panel* p = makePanel();
  const std::string good = writeFile("a.vkz", kDataFile);
  MsgBox::fileAnswers().push_back(QString::fromStdString(good));
  p->Toolbar1_ButtonClick(QStringLiteral("Open"));
  ASSERT_TRUE(FormRegistry::loaded<FileListFrm>());
  FileListFrm* f = FormRegistry::find<FileListFrm>();
  EXPECT_EQ(State().dataFile.FileModel, "VKZ 418");
  EXPECT_EQ(f->GridHeader->FixedRows(), 1);
  EXPECT_EQ(f->GridHeader->TextMatrix(0, 1), QStringLiteral("D1"));
  EXPECT_EQ(f->GridRecord->Rows(), 3);
  EXPECT_EQ(f->GridRecord->TextMatrix(2, 2), QStringLiteral("*82.0 dB"));
  ASSERT_EQ(State().measurement.PointValue5.size(), 2u);
  EXPECT_EQ(State().measurement.PointValue5[1], 1.0);
  EXPECT_TRUE(State().poll.running());

  // The next file is not a data file: although the previous one was, and no
  // meter is linked, it is not read into the window; the user is told.
  const std::string other = writeFile("notes.txt", "shopping list\r\nmilk\tbread\r\n");
  MsgBox::fileAnswers().push_back(QString::fromStdString(other));
  p->Toolbar1_ButtonClick(QStringLiteral("Open"));
  settle();
  EXPECT_EQ(State().dataFile.FileModel, "shopping list");
  ASSERT_TRUE(FormRegistry::loaded<FileListFrm>());
  EXPECT_EQ(FormRegistry::find<FileListFrm>()->GridRecord->Rows(), 3);  // the first file's rows stand
  EXPECT_TRUE(State().poll.running());
  ASSERT_EQ(MsgBox::shown().size(), 1u);
  EXPECT_NE(MsgBox::shown().back().text.indexOf(QStringLiteral("\"shopping list\"")), -1);
  EXPECT_EQ(MsgBox::shown().back().icon, MsgIcon::Critical);

  // An empty file leaves FileModel and says so; a path that cannot be read
  // leaves it too, and says why.
  MsgBox::fileAnswers().push_back(QString::fromStdString(writeFile("empty.vkz", "")));
  p->Toolbar1_ButtonClick(QStringLiteral("Open"));
  EXPECT_EQ(MsgBox::shown().size(), 2u);
  EXPECT_EQ(State().dataFile.FileModel, "shopping list");
  MsgBox::shown().pop_back();
  MsgBox::fileAnswers().push_back(QString::fromStdString(dir() + "/missing.vkz"));
  p->Toolbar1_ButtonClick(QStringLiteral("Open"));
  EXPECT_EQ(State().dataFile.FileModel, "shopping list");
  EXPECT_TRUE(State().poll.running());
  ASSERT_EQ(MsgBox::shown().size(), 2u);
  EXPECT_NE(MsgBox::shown().back().text.indexOf(QStringLiteral("missing.vkz")), -1);

  // A second file of a supported model replaces the window afresh.
  MsgBox::fileAnswers().push_back(QString::fromStdString(good));
  p->Toolbar1_ButtonClick(QStringLiteral("Open"));
  settle();
  ASSERT_TRUE(FormRegistry::loaded<FileListFrm>());
  EXPECT_EQ(FormRegistry::find<FileListFrm>()->GridRecord->Rows(), 3);
  EXPECT_EQ(State().dataFile.FileModel, "VKZ 418");
}

TEST_F(ActionsTest, DataFileWithCrLineEndsOpensWithoutALinkedMeter) {
  // Lines may end at CR alone, line 0 included: the model is that line.
  Panel* p = makePanel();
  std::string cr = kDataFile;
  for (size_t at; (at = cr.find("\r\n")) != std::string::npos;) cr.erase(at + 1, 1);
  MsgBox::fileAnswers().push_back(QString::fromStdString(writeFile("cr.vkz", cr)));
  p->Toolbar1_ButtonClick(QStringLiteral("Open"));
  EXPECT_EQ(State().dataFile.FileModel, "VKZ 418");
  ASSERT_TRUE(FormRegistry::loaded<FileListFrm>());
  EXPECT_EQ(FormRegistry::find<FileListFrm>()->GridRecord->TextMatrix(2, 2), QStringLiteral("*82.0 dB"));
  EXPECT_EQ(State().measurement.PointValue2, (PointValues{81.2, 83.0}));
  EXPECT_TRUE(MsgBox::shown().empty());
}

TEST_F(ActionsTest, DamagedDataFileKeepsWhatWasReadAndSaysWhy) {
  Panel* p = makePanel();
  std::string broken = kDataFile;
  broken.replace(broken.find("2\t2018/05/23 08:02:00"), 1, "9");  // record number past the count
  MsgBox::fileAnswers().push_back(QString::fromStdString(writeFile("b.vkz", broken)));
  p->Toolbar1_ButtonClick(QStringLiteral("Open"));
  ASSERT_TRUE(FormRegistry::loaded<FileListFrm>());
  EXPECT_GE(FormRegistry::find<FileListFrm>()->GridRecord->Rows(), 2);
  ASSERT_FALSE(MsgBox::shown().empty());
  EXPECT_EQ(MsgBox::shown().back().icon, MsgIcon::Critical);
  EXPECT_TRUE(State().poll.running());
}

// With a meter linked the model test holds for any file; a file that is not
// a data file all the same is named in its message, and the file opened
// before stays on show.
TEST_F(ActionsTest, AFileThatIsNoDataFileIsNamedAndTheEarlierOneStays) {
  Panel* p = makePanel();
  State().polling.MeterModel = "VKZ 418";
  MsgBox::fileAnswers().push_back(QString::fromStdString(writeFile("a.vkz", kDataFile)));
  p->Toolbar1_ButtonClick(QStringLiteral("Open"));
  ASSERT_TRUE(MsgBox::shown().empty());
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"junk.txt", "shopping list\r\nmilk\tbread\r\neggs\r\n"},
      {"picture.vkz", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\x01\0", 20)},
      {"unicode.vkz", std::string("\xFF\xFEV\0K\0Z\0", 8)},
  };
  for (const auto& c : cases) {
    const std::string path = writeFile(c.name, c.bytes);
    MsgBox::shown().clear();
    MsgBox::fileAnswers().push_back(QString::fromStdString(path));
    p->Toolbar1_ButtonClick(QStringLiteral("Open"));
    settle();
    ASSERT_EQ(MsgBox::shown().size(), 1u) << c.name;
    EXPECT_TRUE(MsgBox::shown()[0].text.contains(QString::fromStdString(path)))
        << MsgBox::shown()[0].text.toStdString();
    EXPECT_EQ(MsgBox::shown()[0].icon, MsgIcon::Critical);
    ASSERT_TRUE(FormRegistry::loaded<FileListFrm>()) << c.name;
    FileListFrm* f = FormRegistry::find<FileListFrm>();
    EXPECT_EQ(f->GridRecord->Rows(), 3) << c.name;
    EXPECT_EQ(f->GridHeader->TextMatrix(0, 1), QStringLiteral("D1")) << c.name;
    EXPECT_EQ(State().measurement.PointValue2, (PointValues{81.2, 83.0})) << c.name;
    EXPECT_TRUE(State().poll.running());
  }
}

}  // namespace
}  // namespace vkz
