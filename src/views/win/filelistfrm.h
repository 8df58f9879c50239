// The file list window `FileListFrm` (a child window of the main window):
// a data file opened with the main window's Open action, as it was saved:
// the summary in GridHeader, the logged records in GridRecord and the user
// information in MSFUserInfo, all three filled by the data-file reader. It
// offers no editing and no saving; its toolbar draws a record column as a
// level graph ("Plot"), computes its level histogram ("Ln") and prints the
// report of the file ("Print").
#pragma once
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "ui/formwindow.h"
#include "views/viewlayout.h"
#include "views/win/viewwidgets.h"

class QFrame;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QToolBar;

namespace vkz {

class FlexGrid;
class DataFileReader;
class SplitBar;
enum class HistResolution;

class FileListFrm : public FormWindow<QWidget> {
  Q_OBJECT
 public:
  FileListFrm();  // Form_Load
  ~FileListFrm() override;
  void Form_Resize() override;
  void Show();

  void Toolbar1_ButtonClick(const QString& key);
  void BtnSelectOK_Click();
  void BtnExit_Click();
  void Btn01dB_Click();
  void Btn1dB_Click();
  void PicSplit_MouseDown(int button, int shift, int x, int y);
  void PicSplit_MouseMove(int button, int shift, int x, int y);
  void PicSplit_MouseUp(int button, int shift, int x, int y);

  QToolBar* Toolbar1 = nullptr;
  QFrame* SSPVKZ418 = nullptr;
  FlexGrid* GridHeader = nullptr;
  FlexGrid* GridRecord = nullptr;
  FlexGrid* MSFUserInfo = nullptr;
  SplitBar* PicSplit = nullptr;
  QuantityPanels Panels;
  QFrame*& SSpSelectItem = Panels.SSpSelectItem;
  std::array<QRadioButton*, 4>& Option1 = Panels.Option1;
  QPushButton*& BtnSelectOK = Panels.BtnSelectOK;
  QPushButton*& BtnExit = Panels.BtnExit;
  QFrame*& SSpResolution = Panels.SSpResolution;
  QGroupBox*& SSfResolution = Panels.SSfResolution;
  QPushButton*& Btn1dB = Panels.Btn1dB;
  QPushButton*& Btn01dB = Panels.Btn01dB;
  std::int16_t& LnMode = Panels.LnMode;

  std::int16_t SplitDragging = 0;

  // The line reader of the file being read into this window.
  DataFileReader& reader();
  void restartReader();

 private:
  void applyLayout(const FileListLayout& l);
  void histogram(HistResolution res);
  std::unique_ptr<DataFileReader> reader_;
  FileListLayout layout_{};
};

// Sets the window's texts from the user-interface text table: toolbar
// tips, options, buttons, frame and the record grid's title row.
void ApplyFileListFrmText(FileListFrm& f);

// Reads one line of an opened data file into the file list window (loading
// it when needed): line number from 0 (line 0, the model, is never passed)
// and the line's text (UTF-8, no line end). Throws std::runtime_error, with
// the reader's message, when the line stops the reading.
void ParseDataFileLine(long long lineNo, const std::string& lineText);

}  // namespace vkz
