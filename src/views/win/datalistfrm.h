// The data list window `DataListFrm` (a child window of the main window):
// the measurement downloaded from the meter, in three grids that are the
// measurement as displayed:
//   VKZ418Grid       the summary: eleven fixed rows (set-up of the three
//                    dose channels) and one row per chosen header item;
//   VKZ418PointGrid  one row per logged record (filled by the download);
//   MSFGridUserInfo  five lines the user types in (evaluator, evaluated
//                    person, department, company, observations).
// The data file, the CSV file, the graph, the histogram and the reports
// read them cell by cell.
//
// Its toolbar saves the measurement (data file or CSV), prints it, exports
// the PDF report, and hands a level column to the level graph or the level
// histogram through the quantity and resolution panels. The header-item
// panel chooses the summary rows under the fixed ones and keeps the choice
// in bin/Header.bin.
#pragma once
#include <QWidget>
#include <array>
#include <cstdint>
#include <string>

#include "polling/pollview.h"
#include "views/viewlayout.h"
#include "views/win/datawindow.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vkz {

class FlexGrid;

class DataListFrm : public DataWindow, public DataListView {
  Q_OBJECT
 public:
  DataListFrm();  // Form_Load
  void Form_Unload() override;
  void Form_Resize() override;
  // The height (twips) the user information needs with the program's font.
  int userInfoHeight() const;
  // The width, in twips, that grid `g` needs to show its first `columns`
  // columns whole.
  int gridNeed(const FlexGrid* g, int columns) const;

  // --- the grids (public methods) -------------------------------------------
  void InitialVKZ418Grid();
  void InitalVKZ418PointGrid();
  void InitialMSFGridUserInfo();
  // Resets the decoded header before a new download; the grids stay.
  void ClearVkz418Grid();
  // Writes rows 0 to 10 of the summary grid from the decoded header.
  void UpdateVKZ418Grid();
  // Hides the header-item panel, rebuilds the item rows under the fixed
  // rows from the ticked boxes and stores the choice in bin/Header.bin.
  void GridInfo();
  void Refresh();

  // --- the download fills it (DataListView) ------------------------------------
  void showHeader() override;  // UpdateVKZ418Grid, then GridInfo
  void addRecords(const std::vector<LoggedRecord>& records) override;
  void dropRecords(std::int64_t from) override;
  void downloadComplete() override;  // the measurement is whole; the toolbar is enabled again
  // The rows that arrived are kept as a measurement of their own (see
  // KeptRecords); with no row there is nothing to keep and the toolbar
  // stays disabled.
  void downloadStopped() override;

  // --- header items ------------------------------------------------------------
  void ItemBtn_Click();
  void AllSelBtn_Click();
  void SetBtn_Click();
  // The state of box n: 0 unticked, 1 ticked, 2 the third state.
  int checkState(int n) const;
  void setCheckState(int n, int state);

  // --- user information ----------------------------------------------------
  void MSFGridUserInfo_DblClick();
  void MSFGridUserInfo_Click();
  void EditGrid_KeyPress(int keyAscii);
  void EditGrid_LostFocus();

  // --- toolbar (the panels' and the splitter's handlers: DataWindow) ---------
  void Toolbar1_ButtonClick(const QString& key);

  // --- before the measurement is discarded --------------------------------------
  // Asks whether to save a downloaded measurement that was never saved to a
  // data file, or user information typed since (save / discard / cancel).
  // True when the window's content may go: nothing unsaved, saved now, or
  // the user chose to discard it; false when the user cancelled or the save
  // did not happen. While the download runs, saving stops it and keeps the
  // records that arrived, as a stopped download's ("3560 of 6000"); with no
  // record arrived there is nothing to keep, and the question says so
  // (close / cancel). A download still running when the window goes ends
  // with it (Form_Unload); one the user goes back to runs on.
  bool askBeforeDiscarding();

  // Controls.
  QLabel* Image1 = nullptr;
  QFrame* mem418frm = nullptr;
  FlexGrid* VKZ418Grid = nullptr;
  FlexGrid* VKZ418PointGrid = nullptr;
  FlexGrid* MSFGridUserInfo = nullptr;
  QPushButton* ItemBtn = nullptr;
  QFrame* ItemSSP = nullptr;
  std::array<QCheckBox*, 103> Check1{};
  QPushButton* AllSelBtn = nullptr;
  QPushButton* SetBtn = nullptr;
  // The in-place editor of a user-information value while it exists.
  QLineEdit* EditGrid = nullptr;

  // Window state.
  std::int16_t UserInfoEditing = 0;
  std::int32_t EditCol = 0;
  std::int32_t EditRow = 0;
  // What the next press of "All" does: 0 tick, -1 untick.
  std::int16_t SelectAllToggle = 0;
  // The records kept of a download that stopped (-1: the measurement shown
  // is whole, or still coming). While set, the summary's "Total Point" row
  // reads "<kept> of <count>", the arrays hold the kept records only, and the
  // toolbar saves, prints and draws them.
  std::int64_t KeptRecords = -1;

 protected:
  bool eventFilter(QObject* o, QEvent* e) override;
  // The close box: the rows and the typed user information go with the
  // window, so an unsaved measurement is asked about first.
  void closeEvent(QCloseEvent* e) override;
  FlexGrid& recordGrid() override { return *VKZ418PointGrid; }
  void dragSplitter(int x) override;

 private:
  void applyLayout(const DataListLayout& l);
  void showKeptRecords();
  // Rows in the record grid (its title row aside).
  int recordRowCount() const;
  // A download still running ends, and the rows that arrived are kept as
  // those of a stopped download.
  void stopRunningDownload();
  // The measurement awaits records (its download runs, or stopped short)
  // and none has arrived: a file of it would count records it lacks.
  bool nothingToKeep() const;
  // The save question: a download still running ("n of N have arrived"),
  // a measurement never saved, or user information typed since.
  std::string unsavedQuestion() const;
  // "Nothing to keep" (close / cancel); true when the user lets it go.
  bool askNothingToKeep();
  void commitEditor();
  void saveAction();
  void printAction();
  void pdfAction();
  DataListLayout layout_{};
  // What a data file does not hold yet: a downloaded measurement, user
  // information typed since the last save.
  bool unsavedDownload_ = false;
  bool unsavedUserInfo_ = false;
  // A measurement's header came (headerShown_), and its download reached its
  // last record (complete_).
  bool headerShown_ = false;
  bool complete_ = false;
};

// Installs the data list window as the download's (the poll engine's)
// DataListView, loaded on demand; the program's start-up calls it.
void installViewWindows();

// Sets the window's texts from the user-interface text table: toolbar,
// header-item panel, quantity and resolution panels, the 103 item
// captions and the grids' headings and labels.
void ApplyDataListFrmText(DataListFrm& f);

}  // namespace vkz
