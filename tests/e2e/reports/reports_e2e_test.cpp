// The reports from the data windows' buttons, end to end: a measurement
// downloaded from the meter emulator into the data list window, its PDF
// report from the "PDF" button, its printed report from the "Print" button
// of the data list window and, once saved and opened again, of the file
// list window (the printer dialog's seam prints into PDF files). Every file
// is read back by qpdf, pdfinfo and pdftotext.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "reports/pdflayout.h"
#include "reports/win/installreports.h"
#include "shell/win/panel.h"
#include "state/programstate.h"
#include "support/common/download_road.h"
#include "ui/flexgrid.h"
#include "ui/formregistry.h"
#include "ui/msgbox.h"
#include "ui/printer.h"
#include "unit/pdf/pdftest.h"
#include "views/reporthooks.h"
#include "views/win/datalistfrm.h"
#include "views/win/filelistfrm.h"

namespace vkz {
namespace {

namespace fs = std::filesystem;
using pdftest::has;
using pdftest::pdfPages;
using pdftest::run;

constexpr int kRecords = 100;
// The second measurement: long enough that its printed report is still
// being made when a second button is pressed.
constexpr int kLongRecords = 5000;

QString q(const std::string& s) {
  return QString::fromStdString(s);
}

// The text of every page, [0] unused.
std::vector<std::string> pageTexts(const std::string& path) {
  std::vector<std::string> pages(1);
  for (int p = 1, n = pdfPages(path); p <= n; ++p) {
    const std::string s = std::to_string(p);
    pages.push_back(run("pdftotext -layout -enc UTF-8 -f " + s + " -l " + s + " '" + path + "' - 2>&1"));
  }
  return pages;
}

// The line of `text` holding `what` ("" when none does).
std::string lineWith(const std::string& text, const std::string& what) {
  const size_t at = text.find(what);
  if (at == std::string::npos) return {};
  const size_t begin = text.rfind('\n', at) + 1;  // npos + 1 == 0
  return text.substr(begin, text.find('\n', at) - begin);
}

// The captions a window shows, and at each whether polling ran and whether
// the pointer was the hourglass.
class CaptionLog : public QObject {
 public:
  explicit CaptionLog(QWidget* w) : w_(w) { w->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::WindowTitleChange) {
      captions.push_back(w_->windowTitle().toStdString());
      polling += State().poll.running();
      const QCursor* c = QApplication::overrideCursor();
      busy += c && c->shape() == Qt::WaitCursor;
    }
    return false;
  }
  bool shown(const std::string& caption) const {
    return std::find(captions.begin(), captions.end(), caption) != captions.end();
  }
  std::vector<std::string> captions;
  int polling = 0, busy = 0;

 private:
  QWidget* w_;
};

QAction* button(QToolBar* toolbar, const char* key) {
  return toolbar->findChild<QAction*>(QString::fromLatin1(key));
}

// A shift of kRecords records one minute apart downloaded into the data
// list window, in a program folder with the reports' fonts and logos.
struct ReportsRoad : ::testing::Test {
  QTemporaryDir tmp;
  DownloadRoad road{true};
  DataListFrm* dl = nullptr;
  QString caption;   // the data list window's own caption
  int language = 0;  // the language the program starts in (2: Portuguese)

  void SetUp() override {
    ASSERT_TRUE(tmp.isValid());
    const fs::path bin = QCoreApplication::applicationDirPath().toStdString();
    for (const char* sub : {"Fonts", "Img"}) fs::copy(bin / sub, dir() / sub, fs::copy_options::recursive);
    fs::create_directory(dir() / "PDF");
    emu::MeasurementInfo info;
    info.interval = 60;
    road.meter.addMeasurement(emu::generateRecords(7, kRecords), info);
    road.meter.addMeasurement(emu::generateRecords(11, kLongRecords), info);
    ASSERT_TRUE(road.start(dir().string(), language)) << road.meter.lastError();
    installReports();
    ASSERT_TRUE(road.loadMemoryList());
    ASSERT_TRUE(road.download(1));
    dl = FormRegistry::find<DataListFrm>();
    ASSERT_NE(dl, nullptr);
    ASSERT_EQ(dl->VKZ418PointGrid->Rows(), kRecords + 1);
    caption = dl->windowTitle();
    MsgBox::resetTestRecords();
  }

  fs::path dir() const { return tmp.path().toStdString(); }
  std::string path(const char* name) const { return (dir() / name).string(); }
  std::string time(int record) const { return dl->VKZ418PointGrid->TextMatrix(record, 1).toStdString(); }

  // The percentage the data list's caption shows (-1: none).
  double shownPercent() const {
    const std::string t = dl->windowTitle().toStdString();
    return t.find('%') == std::string::npos ? -1 : std::atof(t.c_str());
  }

  // Lets the program run until the report under way has ended.
  bool reportEnded() {
    return road.until([] { return !State().reportRunning; }, 60000);
  }

  void expectNoMessage() const {
    for (const MsgRecord& m : MsgBox::shown()) ADD_FAILURE() << m.text.toStdString();
  }

  // A printed report: qpdf takes it; every page ends with its number; every
  // record is printed, and every page with records opens with the heading
  // row. Gives its text.
  std::string checkPrinted(const std::string& file) const {
    EXPECT_TRUE(pdftest::qpdfClean(file));
    const std::vector<std::string> pages = pageTexts(file);
    EXPECT_GE(pages.size(), 6u);  // header, three record pages or more, graph
    int recordPages = 0;
    std::string all;
    for (size_t p = 1; p < pages.size(); ++p) {
      std::string packed = pages[p];
      std::erase(packed, ' ');
      EXPECT_TRUE(has(packed, "P-" + std::to_string(p) + "\n")) << "page " << p;
      const bool records =
          has(pages[p], time(1).substr(0, 10)) && !has(pages[p], "Threshold") && !has(pages[p], "Lzpk");
      recordPages += records;
      if (records) {
        EXPECT_TRUE(has(pages[p], "No.s") && has(pages[p], "Date/Time")) << "page " << p << ":\n" << pages[p];
      }
      all += pages[p];
    }
    EXPECT_GE(recordPages, 3);
    for (int r = 1; r <= kRecords; ++r) EXPECT_TRUE(has(all, time(r))) << "record " << r;
    return all;
  }
};

TEST_F(ReportsRoad, PdfButtonWritesEveryPageWhereTheLayoutPutsIt) {
  const std::string file = path("PDF/shift.pdf");
  CaptionLog log(dl);
  MsgBox::fileAnswers().push_back(q(file));
  button(dl->Toolbar1, "PDF")->trigger();
  ASSERT_TRUE(reportEnded());

  // The save dialog proposed the PDF folder and the name of the memory row.
  ASSERT_EQ(MsgBox::fileDialogRecords().size(), 1u);
  ASSERT_FALSE(State().shell.RecordFileName.empty());
  EXPECT_EQ(MsgBox::fileDialogRecords()[0].proposed.toStdString(),
            path("PDF") + "/" + State().shell.RecordFileName);
  EXPECT_EQ(MsgBox::fileDialogRecords()[0].filter.toStdString(), "PDF Files (*.pdf)");
  // Polling paused while the progress showed; the caption back; the file
  // opened in the viewer.
  expectNoMessage();
  EXPECT_GE(log.captions.size(), 2u);  // at least the last progress, then the own caption
  EXPECT_EQ(log.polling, 0);
  EXPECT_TRUE(log.shown("100.00% Completed"));
  EXPECT_EQ(dl->windowTitle(), caption);
  EXPECT_TRUE(State().poll.running());
  EXPECT_EQ(MsgBox::openedDocuments(), QStringList{q(file)});

  ASSERT_TRUE(pdftest::qpdfClean(file));
  const PdfReportLayout layout =
      pdfReportLayout(dl->MSFGridUserInfo->Rows(), dl->VKZ418Grid->Rows(), dl->VKZ418PointGrid->Rows());
  ASSERT_GE(layout.recordPages, 3);
  ASSERT_EQ(pdfPages(file), layout.pages);
  const std::vector<std::string> pages = pageTexts(file);
  for (int p = 1; p <= layout.pages; ++p)
    EXPECT_TRUE(has(pages[p], "P-" + std::to_string(p))) << "page " << p;
  for (int p : {1, layout.recordFirst, layout.graphPage, layout.histogramPage}) {
    EXPECT_TRUE(has(pages[p], "- " + State().polling.MeterModel)) << "page " << p;
    EXPECT_TRUE(has(pages[p], "- Evaluator :")) << "page " << p;
  }
  EXPECT_TRUE(has(pages[1], "- HeaderData"));
  EXPECT_TRUE(has(pages[layout.recordFirst], "- RecordData"));
  // Each record on its page and on no other record page.
  for (int r = 1; r <= kRecords; ++r)
    for (int p = layout.recordFirst; p < layout.recordFirst + layout.recordPages; ++p)
      EXPECT_EQ(has(pages[p], time(r)), p == layout.recordRowPage[static_cast<size_t>(r)])
          << "record " << r << " page " << p;

  // The maximum of each level column, the last record reaching it.
  const char* const names[4] = {"Max Lavg :", "Max Leq :", "Max Lcpk :", "Max Lzpk :"};
  for (int c = 0; c < 4; ++c) {
    double best = -std::numeric_limits<double>::infinity();
    std::string level, at;
    for (int r = 1; r <= kRecords; ++r) {
      std::string cell = dl->VKZ418PointGrid->TextMatrix(r, 2 + c).toStdString();
      if (!cell.empty() && cell[0] == '*') cell.erase(0, 1);
      cell = cell.substr(0, cell.find(' '));
      if (cell == "--") continue;
      if (std::stod(cell) >= best) {
        best = std::stod(cell);
        level = cell;
        at = time(r);
      }
    }
    ASSERT_FALSE(level.empty()) << names[c];
    const std::string line = lineWith(pages[layout.graphPage], names[c]);
    EXPECT_TRUE(has(line, at) && has(line, level + " dB"))
        << names[c] << " " << at << " " << level << ": " << line;
  }
}

TEST_F(ReportsRoad, PrintButtonsOfBothWindowsPrintTheSameReport) {
  const std::string fromList = path("list.pdf"), fromFile = path("file.pdf");
  {
    CaptionLog log(dl);
    PrinterSeam::answers().push_back({false, q(fromList), 1, QPageLayout::Portrait});
    button(dl->Toolbar1, "Print")->trigger();
    ASSERT_TRUE(reportEnded());
    EXPECT_EQ(PrinterSeam::dialogsShown(), 1);
    // Hourglass and polling paused while the progress showed.
    EXPECT_GE(log.captions.size(), 2u);  // at least the last progress, then the own caption
    EXPECT_EQ(log.busy, static_cast<int>(log.captions.size()));
    EXPECT_EQ(log.polling, 0);
    EXPECT_TRUE(log.shown("100.0% Completed"));
  }
  EXPECT_EQ(dl->windowTitle(), caption);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(State().poll.running());
  const std::string printed = checkPrinted(fromList);

  // Saved as a data file, opened again, printed from the file list window.
  const QString vkz = q(path("shift.vkz"));
  MsgBox::fileAnswers().push_back(vkz);
  MsgBox::filterAnswers().push_back(1);
  dl->Toolbar1_ButtonClick(QStringLiteral("save"));
  MsgBox::fileAnswers().push_back(vkz);
  road.panel->Toolbar1_ButtonClick(QStringLiteral("Open"));
  FileListFrm* fl = FormRegistry::find<FileListFrm>();
  ASSERT_NE(fl, nullptr);
  const QString fileCaption = fl->windowTitle();
  CaptionLog log(fl);
  PrinterSeam::answers().push_back({false, q(fromFile), 1, QPageLayout::Portrait});
  button(fl->Toolbar1, "Print")->trigger();
  ASSERT_TRUE(reportEnded());
  EXPECT_EQ(PrinterSeam::dialogsShown(), 2);
  EXPECT_TRUE(log.shown("100.0% Completed"));
  EXPECT_EQ(fl->windowTitle(), fileCaption);
  EXPECT_EQ(checkPrinted(fromFile), printed);
  expectNoMessage();
}

TEST_F(ReportsRoad, CancelsAndFailuresLeaveTheWindowAsItWas) {
  CaptionLog log(dl);
  // Cancel in the printer dialog: nothing printed, not a caption changed.
  PrinterSeam::answers().push_back({true, QString(), 1, QPageLayout::Portrait});
  button(dl->Toolbar1, "Print")->trigger();
  EXPECT_EQ(PrinterSeam::dialogsShown(), 1);
  // Cancel in the save dialog: no report at all.
  MsgBox::fileAnswers().push_back(QString());
  button(dl->Toolbar1, "PDF")->trigger();
  EXPECT_TRUE(log.captions.empty());
  EXPECT_TRUE(fs::is_empty(dir() / "PDF"));
  expectNoMessage();
  EXPECT_TRUE(State().poll.running());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // A file that cannot be written: the user is told why.
  const std::string unwritable = path("no/such/folder/shift.pdf");
  MsgBox::fileAnswers().push_back(q(unwritable));
  button(dl->Toolbar1, "PDF")->trigger();
  ASSERT_TRUE(reportEnded());
  ASSERT_EQ(MsgBox::shown().size(), 1u);
  EXPECT_EQ(MsgBox::shown()[0].icon, MsgIcon::Critical);
  EXPECT_TRUE(MsgBox::shown()[0].text.contains(q(unwritable))) << MsgBox::shown()[0].text.toStdString();
  EXPECT_FALSE(fs::exists(unwritable));

  // Without the logo the report stops at once: the document is ended, the
  // file is not opened and the user is told.
  fs::remove(dir() / "Img" / "Image.jpg");
  const std::string file = path("PDF/nologo.pdf");
  MsgBox::fileAnswers().push_back(q(file));
  button(dl->Toolbar1, "PDF")->trigger();
  ASSERT_TRUE(reportEnded());
  ASSERT_EQ(MsgBox::shown().size(), 2u);
  EXPECT_EQ(MsgBox::shown()[1].icon, MsgIcon::Critical);
  EXPECT_TRUE(MsgBox::shown()[1].text.contains(QStringLiteral("incomplete")))
      << MsgBox::shown()[1].text.toStdString();
  EXPECT_TRUE(pdftest::qpdfClean(file));
  EXPECT_TRUE(MsgBox::openedDocuments().isEmpty());

  EXPECT_EQ(dl->windowTitle(), caption);
  EXPECT_TRUE(State().poll.running());
  EXPECT_FALSE(State().reportRunning);
}

// The same road with the program in Portuguese.
struct ReportsRoadInPortuguese : ReportsRoad {
  ReportsRoadInPortuguese() { language = 2; }
};

// What the PDF writer says of a file it cannot read comes in the user's
// language; the system's own reason stays as the system gives it.
TEST_F(ReportsRoadInPortuguese, TheWritersFailuresAreToldInTheUsersLanguage) {
  const std::string noSuchFile = std::strerror(ENOENT);
  struct Case {
    const char* missing;  // taken away from the program folder
    const char* file;
    std::string said;
    bool written;  // the pages before the failure stay in the file
  } cases[] = {
      {"Fonts", "PDF/nofonts.pdf",
       "não foi possível ler a pasta de fontes " + path("Fonts") + ": " + noSuchFile, false},
      {"Img/Image.jpg", "PDF/nologo.pdf",
       "não foi possível ler a imagem " + path("Img/Image.jpg") + ": " + noSuchFile, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.missing);
    const fs::path kept = dir() / "kept";
    fs::rename(dir() / c.missing, kept);
    MsgBox::resetTestRecords();
    MsgBox::fileAnswers().push_back(q(path(c.file)));
    button(dl->Toolbar1, "PDF")->trigger();
    ASSERT_TRUE(reportEnded());
    ASSERT_EQ(MsgBox::shown().size(), 1u);
    const std::string text = MsgBox::shown()[0].text.toStdString();
    EXPECT_TRUE(has(text, c.said)) << text;
    EXPECT_FALSE(has(text, "cannot")) << text;
    EXPECT_EQ(fs::exists(path(c.file)), c.written);
    EXPECT_TRUE(MsgBox::openedDocuments().isEmpty());
    fs::rename(kept, dir() / c.missing);
  }
}

// A box or dialog the user keeps open while a report is made: it runs its
// own event loop (here: waiting) until the caption's percentage has grown
// by 5 points or the report has ended, and notes what it saw.
struct HeldOpen {
  int times = 0;
  bool reportRan = false;  // a report was being made when it opened
  double at = -1;          // the percentage shown then
  bool reportWentOn = false;
};

// Runs `press` from the event loop once the window's caption first shows a
// report's progress, as a user pressing a second button then would.
class PressAtProgress : public QObject {
 public:
  PressAtProgress(QWidget* w, std::function<void()> press) : w_(w), press_(std::move(press)) {
    w->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::WindowTitleChange && !due_ && w_->windowTitle().contains(QLatin1Char('%'))) {
      due_ = true;
      QTimer::singleShot(0, this, [this] {
        press_();
        pressed = true;
      });
    }
    return false;
  }
  bool pressed = false;

 private:
  QWidget* w_;
  std::function<void()> press_;
  bool due_ = false;
};

TEST_F(ReportsRoad, AReportGoesOnWhileABoxOrADialogIsOpen) {
  MsgBox::answers().push_back(MsgResult::No);  // the first measurement is not kept
  ASSERT_TRUE(road.download(2, 60000));
  dl = FormRegistry::find<DataListFrm>();  // a new window for the new measurement
  ASSERT_NE(dl, nullptr);
  ASSERT_EQ(dl->VKZ418PointGrid->Rows(), kLongRecords + 1);
  struct Case {
    const char* name;
    const char* button;
    bool dialog;  // a file dialog opens (else the refusal's box)
  } cases[] = {{"Print pressed again", "Print", false},
               {"PDF pressed", "PDF", false},
               {"SaveFile pressed", "save", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MsgBox::resetTestRecords();
    PrinterSeam::resetTestRecords();
    const std::string file = path((std::string(c.button) + ".pdf").c_str());
    const std::string saved = path("long.vkz");
    HeldOpen held;
    const auto holdOpen = [&] {
      ++held.times;
      held.reportRan = State().reportRunning;
      held.at = shownPercent();
      held.reportWentOn =
          QTest::qWaitFor([&] { return !State().reportRunning || shownPercent() >= held.at + 5; }, 60000);
    };
    MsgBox::onShow() = [&](const MsgRecord&) { holdOpen(); };
    MsgBox::onFileDialog() = [&](const FileDialogRecord&) { holdOpen(); };
    MsgBox::fileAnswers().push_back(q(saved));

    PressAtProgress second(dl, [&] { button(dl->Toolbar1, c.button)->trigger(); });
    PrinterSeam::answers().push_back({false, q(file), 1, QPageLayout::Portrait});
    button(dl->Toolbar1, "Print")->trigger();
    ASSERT_TRUE(road.until([&] { return second.pressed; }));

    EXPECT_EQ(held.times, 1);
    EXPECT_TRUE(held.reportRan);
    EXPECT_LT(held.at, 50);  // opened early in the report
    EXPECT_TRUE(held.reportWentOn) << "the report stood still from " << held.at << " %";
    if (c.dialog) {
      EXPECT_EQ(MsgBox::fileDialogRecords().size(), 1u);
      EXPECT_TRUE(MsgBox::shown().empty());
    } else {
      // Refused before any dialog of its own.
      EXPECT_TRUE(MsgBox::fileDialogRecords().empty());
      ASSERT_EQ(MsgBox::shown().size(), 1u);
      EXPECT_EQ(MsgBox::shown()[0].text, q(reportBusyText()));
    }
    EXPECT_EQ(PrinterSeam::dialogsShown(), 1);

    ASSERT_TRUE(reportEnded());
    MsgBox::onShow() = nullptr;
    MsgBox::onFileDialog() = nullptr;
    EXPECT_TRUE(pdftest::qpdfClean(file));
    // Whole: the last record on its page, the graph after it.
    const int pages = pdfPages(file);
    EXPECT_TRUE(has(pdftest::pageText(file, pages - 1), time(kLongRecords)));
    EXPECT_TRUE(has(pdftest::pageText(file, pages), "Lzpk"));
    EXPECT_EQ(MsgBox::shown().size(), c.dialog ? 0u : 1u);
    if (c.dialog) {
      EXPECT_TRUE(fs::exists(saved));
    }
    // Whatever ended first, the window's own caption is back.
    EXPECT_EQ(dl->windowTitle(), caption);
    EXPECT_TRUE(State().poll.running());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  }
}

}  // namespace
}  // namespace vkz
