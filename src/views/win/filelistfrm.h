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
#include <string>

#include "views/viewlayout.h"
#include "views/win/datawindow.h"

class QFrame;

namespace vkz {

class FlexGrid;

class FileListFrm : public DataWindow {
  Q_OBJECT
 public:
  FileListFrm();  // Form_Load
  ~FileListFrm() override;
  void Form_Resize() override;

  // The panels' and the splitter's handlers: DataWindow.
  void Toolbar1_ButtonClick(const QString& key);

  QFrame* SSPVKZ418 = nullptr;
  FlexGrid* GridHeader = nullptr;
  FlexGrid* GridRecord = nullptr;
  FlexGrid* MSFUserInfo = nullptr;

 protected:
  FlexGrid& recordGrid() override { return *GridRecord; }
  void dragSplitter(int x) override;

 private:
  void applyLayout(const FileListLayout& l);
  FileListLayout layout_{};
};

// Sets the window's texts from the user-interface text table: toolbar
// tips, options, buttons, frame and the record grid's title row.
void ApplyFileListFrmText(FileListFrm& f);

}  // namespace vkz
