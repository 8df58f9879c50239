// A check box's value as the old platform's check boxes kept it: 0 off,
// 1 on, 2 greyed.
#pragma once
#include <QCheckBox>

namespace vkz {

inline int checkValue(const QCheckBox* box) {
  switch (box->checkState()) {
    case Qt::Checked:
      return 1;
    case Qt::PartiallyChecked:
      return 2;
    default:
      return 0;
  }
}

// The greyed value is set by the program only: a box that does not show it
// takes two values from the user's clicks.
inline void setCheckValue(QCheckBox* box, int value) {
  box->setTristate(value == 2);
  box->setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

}  // namespace vkz
