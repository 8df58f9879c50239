// LanguageFrm: switches the language of the user interface while the
// program runs. One option per installed language (Lan/Language.bin); Set
// stores the choice, lays the chosen language over the texts in force,
// relabels the main window's toolbar and command tree and closes itself.
// It closes every other window when it opens, so none keeps old texts.
#pragma once
#include <QWidget>
#include <vector>

#include "ui/formwindow.h"

class QFrame;
class QPushButton;
class QRadioButton;

namespace vkz {

class LanguageFrm : public FormWindow<QWidget> {
  Q_OBJECT
 public:
  LanguageFrm();  // Form_Load
  void Form_Resize() override;
  void SetBtn_Click();
  void ExitBtn_Click();

  QFrame* SSPanel1 = nullptr;
  std::vector<QRadioButton*> Language;  // element 0 is always there
  QPushButton* SetBtn = nullptr;
  QPushButton* ExitBtn = nullptr;

 private:
  void selectOption(int index);
};

void ApplyLanguageFrmText(LanguageFrm& f);

}  // namespace vkz
