// HelpFrm: the manual chooser, a child window of the main window. One
// option per user manual (the PDF files in help/ beside the program); a
// click opens that manual in the system's PDF viewer.
#pragma once
#include <QWidget>
#include <array>

#include "ui/formregistry.h"

class QFrame;
class QPushButton;
class QRadioButton;

namespace vkz {

class HelpFrm : public QWidget, public Form {
  Q_OBJECT
 public:
  HelpFrm();  // Form_Load
  void Form_Unload() override;
  void Form_Resize();
  void MunOpt_Click(int index);
  void ExitBtn_Click();

  // The manual of option `index`: 0 the Portuguese one, any other the English.
  static QString manualPath(int index);

  QFrame* SSPanel1 = nullptr;
  std::array<QRadioButton*, 2> MunOpt{};
  QPushButton* ExitBtn = nullptr;

 protected:
  void resizeEvent(QResizeEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
};

void ApplyHelpFrmText(HelpFrm& f);

}  // namespace vkz
