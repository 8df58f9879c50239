// Panel: the program's main window and start-up object. A multiple-document
// window: the toolbar, the strip with the detected-meter list, the left-hand
// column with the command tree and the memory panel, two splitter bars, the
// status bar, the client area for the child windows and the three polling
// timers. Every control is a member named as the layout names it, with that
// name as its objectName().
//
// The polling loop itself is the poll engine (polling/pollloop.h): the
// window's timers and its read notifier call it, and it shows what it must
// through the window (PollView), the meter-name panel among it
// (MeterNameView).
#pragma once
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "polling/pollview.h"
#include "polling/readbackviews.h"
#include "ui/formregistry.h"
#include "ui/mainwindowhost.h"

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMdiArea;
class QPushButton;
class QSocketNotifier;
class QStatusBar;
class QTimer;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace vkz {

class DataFileInput;
class FlexGrid;
class SplitBar;
enum class WindowId;

class Panel : public QMainWindow, public PollView, public MeterNameView, public MainWindowHost {
  Q_OBJECT
 public:
  explicit Panel(QWidget* parent = nullptr);
  ~Panel() override;

  // --- start-up, shut-down, layout (main window) -------------------------
  void MDIForm_Load();
  void MDIForm_Unload();
  void MDIForm_Resize();
  void MDIForm_Click();
  // A double click on the empty client area: the meter-name panel's access
  // code.
  void MDIForm_DblClick();
  // Gives the window the size it opens at on a screen whose free area is
  // `available` pixels (PanelFirstSize), frame included: before it is
  // shown, and once more when it is, when its frame is known.
  void setFirstSize(const QSize& available);
  // Splitter drags; X and Y in twips relative to the bar.
  void PicMemSplit_MouseDown(int button, int shift, int x, int y);
  void PicMemSplit_MouseMove(int button, int shift, int x, int y);
  void PicMemSplit_MouseUp(int button, int shift, int x, int y);
  void PicPanelSplit_MouseDown(int button, int shift, int x, int y);
  void PicPanelSplit_MouseMove(int button, int shift, int x, int y);
  void PicPanelSplit_MouseUp(int button, int shift, int x, int y);

  // --- closing of windows -------------------------------------------------
  void CheckFlage();
  void checkpanelflage();
  // Closes one window of a closing order (unloads it, or hides the memory panel).
  void closeWindow(WindowId w);

  // --- toolbar ---------------------------------------------------------------
  void Toolbar1_ButtonClick(const QString& key);
  // Button by its 1-based position.
  QAction* toolbarButton(int index) const;
  void ApplyPanelToolbarText();
  void openDataFile();
  QString showDataFile(const QString& name, DataFileInput& file);
  // Before the data list window's measurement goes: asks to save it when
  // it was never saved (askBeforeDiscarding); true when it may go.
  bool measurementMayGo();

  // --- command tree ------------------------------------------------------------
  void BuildTreeForModel();
  // Adds the 20 nodes; a tree that is already built stays as it is.
  void BuildPanelTree();
  // Relabels the nodes; false when the tree has not been built.
  bool ApplyPanelTreeText();
  void TreeView1_NodeClick(QTreeWidgetItem* node);
  void RunTreeNode(QTreeWidgetItem* node);
  void startMemoryDownload();

  // --- detected-meter list -------------------------------------------------
  // Puts a meter at the top of the list; `portIndex` is its port-table entry.
  void addDetectedMeter(const QString& text, int icon, int portIndex);
  void ControlListView_ItemClick(QListWidgetItem* item);

  // --- memory panel --------------------------------------------------------
  void ShowMemoryPanel(bool show);
  void ApplyMemoryPanelText();
  void BtnMemClose_Click();
  void MSFlexGrid1_Click();

  // --- meter-name panel ------------------------------------------------------
  void SNSendBtn_Click();
  void SNExitBtn_Click();

  // --- polling loop (the poll engine's ticks) --------------------------------
  void Timer1_Timer();
  // Cuts and decodes every complete frame waiting on the current port (run
  // when bytes arrive, so a reply never waits for a receive tick).
  void receiveNow();
  // The receive timer ran out: the engine runs the receive ticks that have
  // passed on its monotonic clock.
  void receiveTimerRanOut();
  bool pollingRunning() const;

  // --- what the poll engine shows (PollView) -----------------------------------
  void setStatusText(int panel, const std::string& text) override;
  void enableMeterActions() override;
  void buildTreeForModel() override { BuildTreeForModel(); }
  void addDetectedMeter(const std::string& text, int icon, int portIndex) override;
  void pollingSwitched(bool running) override;
  void watchPort(int handle, bool enabled) override;
  void scheduleReceive(int ms) override;
  void showMessage(const std::string& text, MessageIcon icon) override;
  void showMemorySize(std::int32_t total, std::int32_t remain) override;
  void setMemoryMessage(const std::string& text) override;
  void addMemoryListRow(const std::string& tabText, std::int32_t row, bool first) override;
  // The meter-name panel (MeterNameView).
  bool meterNameShown() const override;
  void showMeterName(const std::string& name) override;

  // --- child windows -------------------------------------------------------
  // Shows a window in the client area (wrapped in an MDI frame once).
  void showMdiChild(QWidget* w) override;
  // The main window as the other windows reach it (MainWindowHost).
  QPoint frameTopLeft() const override { return frameGeometry().topLeft(); }
  int frameWidth() const override { return frameGeometry().width(); }
  void keepClientAreaClearOf(const QWidget* window) override;
  QString caption() const override { return windowTitle(); }
  void setCaption(const QString& text) override { setWindowTitle(text); }
  QMdiArea* mdiArea() const { return MdiArea; }

  QString statusPanelText(int panel) const;  // 1..4
  void setStatusPanelText(int panel, const QString& text);

  // Controls.
  QToolBar* Toolbar1 = nullptr;
  QFrame* ControlPic = nullptr;
  QListWidget* ControlListView = nullptr;
  QFrame* SNPic = nullptr;
  QLabel* Label1 = nullptr;
  QLineEdit* SNTxt = nullptr;
  QPushButton* SNExitBtn = nullptr;
  QPushButton* SNSendBtn = nullptr;
  QFrame* TreeViewBar = nullptr;
  QTreeWidget* TreeView1 = nullptr;
  SplitBar* PicMemSplit = nullptr;
  QFrame* SSPMemory = nullptr;
  QLabel* LblTitle = nullptr;
  QPushButton* BtnMemClose = nullptr;
  FlexGrid* MSFlexGrid1 = nullptr;
  QLabel* TotalSizeLbl = nullptr;
  QLabel* TotalSizeNumLbl = nullptr;
  QLabel* ReMainSizeLbl = nullptr;
  QLabel* RemainSizeNumLbl = nullptr;
  QLabel* MemoryMessageLbl = nullptr;
  SplitBar* PicPanelSplit = nullptr;
  QMdiArea* MdiArea = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  std::array<QLabel*, 4> StatusPanels{};
  QTimer* Timer1 = nullptr;
  QTimer* Timer2 = nullptr;
  QTimer* Timer3 = nullptr;

  std::int16_t PanelSplitDragging = 0;
  std::int16_t MemSplitDragging = 0;

  static constexpr int kPollTickMs = 200;

  // For tests and the screenshot: no timer runs by itself (the poll tick is
  // driven directly; the engine counts its receive ticks on the program's
  // clock and is woken by whoever moves it).
  void setTimersFrozen(bool frozen);

 protected:
  void resizeEvent(QResizeEvent* e) override;
  void moveEvent(QMoveEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  void buildControls();
  void buildToolbar();
  void buildMeterNamePanel();
  void placeColumn();
  void applyMemoryGeometry(int memTop, int memHeight, int gridHeight);
  // The command tree `width` pixels wide and `heightTw` twips high, its
  // bottom no lower than its column's.
  void sizeTree(int width, int heightTw);
  // Marks the memory-list row of the measurement the data list window shows
  // (none when the list no longer holds it).
  void selectShownMeasurement();
  bool treeBuilt() const;
  void runSettingNode(int index);

  QWidget* client_ = nullptr;
  bool inResize_ = false;
  // The release that ends a double click is not a click of its own.
  bool releaseEndsDoubleClick_ = false;
  bool frozen_ = false;
  bool unloaded_ = false;
  QSocketNotifier* notifier_ = nullptr;  // on the descriptor the poll engine watches
  int notifierFd_ = -1;
  // The window of the program standing over this one, which the client
  // area keeps clear of (none: null).
  QPointer<const QWidget> cover_;
  // The memory-list entry downloaded last: its Index and Date/Time texts.
  std::pair<QString, QString> shownMeasurement_;
};

// The program's main window, or nullptr before it exists and once it has
// gone (the window registry keeps it).
Panel* ThePanel();

}  // namespace vkz
