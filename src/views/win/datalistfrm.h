// The data list window (a child window of the main window): the summary
// grid of a downloaded measurement, its record grid and the user
// information. This first form carries what the main window and the
// download need: its grids, its toolbar, its open flag, the header reset
// and the summary rows.
#pragma once
#include <QWidget>
#include <array>

#include "ui/formregistry.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QToolBar;

namespace vkz {

class FlexGrid;

class DataListFrm : public QWidget, public Form {
  Q_OBJECT
 public:
  DataListFrm();  // Form_Load
  void Form_Unload() override;

  // Resets the decoded header before a new download (the grids and the
  // per-record arrays stay).
  void ClearVkz418Grid();
  // Writes the 11 fixed rows of the summary grid from the decoded header.
  void UpdateVKZ418Grid();
  void Show();
  void Refresh();

  QToolBar* Toolbar1 = nullptr;
  FlexGrid* VKZ418Grid = nullptr;
  FlexGrid* VKZ418PointGrid = nullptr;
  FlexGrid* MSFGridUserInfo = nullptr;
  QLabel* PageLbl = nullptr;
  QPushButton* ItemBtn = nullptr;
  QPushButton* SetBtn = nullptr;
  QPushButton* AllSelBtn = nullptr;
  std::array<QCheckBox*, 103> Check1{};
};

// Sets the data list window's texts: its toolbar tips and buttons, the 103
// header-item captions and the grids' headings.
void ApplyDataListFrmText(DataListFrm& f);

}  // namespace vkz
