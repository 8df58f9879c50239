// HelpFrm: the manual chooser, a child window of the main window. One
// option per user manual (the PDF files in help/ beside the program); a
// click opens that manual in the system's PDF viewer.
#pragma once
#include <QWidget>
#include <array>

#include "ui/formwindow.h"

class QFrame;
class QPushButton;
class QRadioButton;

namespace vkz {

class HelpFrm : public FormWindow<QWidget> {
  Q_OBJECT
 public:
  HelpFrm();  // Form_Load
  void Form_Resize() override;
  void MunOpt_Click(int index);
  void ExitBtn_Click();

  // The manual of option `index`: 0 the Portuguese one, any other the English.
  static QString manualPath(int index);

  QFrame* SSPanel1 = nullptr;
  std::array<QRadioButton*, 2> MunOpt{};
  QPushButton* ExitBtn = nullptr;
};

void ApplyHelpFrmText(HelpFrm& f);

}  // namespace vkz
