// The file list window (a child window of the main window): a data file
// opened from disk, in its header grid, record grid and user-information
// grid. This first form carries what the main window's Open action needs.
#pragma once
#include <QWidget>
#include <memory>
#include <string>

#include "ui/formregistry.h"

class QToolBar;

namespace vkz {

class FlexGrid;
class DataFileReader;

class FileListFrm : public QWidget, public Form {
  Q_OBJECT
 public:
  FileListFrm();  // Form_Load
  ~FileListFrm() override;
  void Form_Unload() override;
  void Show();

  QToolBar* Toolbar1 = nullptr;
  FlexGrid* GridHeader = nullptr;
  FlexGrid* GridRecord = nullptr;
  FlexGrid* MSFUserInfo = nullptr;

  // The line reader of the file being read into this window.
  DataFileReader& reader();
  void restartReader();

 private:
  std::unique_ptr<DataFileReader> reader_;
};

void ApplyFileListFrmText(FileListFrm& f);

// Reads one line of an opened data file into the file list window (loading
// it when needed): line number from 0 (line 0, the model, is never passed)
// and the line's text (UTF-8, no line end). Throws std::runtime_error, with
// the reader's message, when the line stops the reading.
void ParseDataFileLine(long long lineNo, const std::string& lineText);

}  // namespace vkz
