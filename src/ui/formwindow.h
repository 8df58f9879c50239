// The base of the program's windows: a Qt window class (QWidget, QDialog
// ...) that is also a Form of the window registry, with the handling every
// window repeats:
//   - its open flag is set (-1) as it loads and cleared (0) as it unloads;
//   - a resize runs its layout rule, Form_Resize;
//   - its close box unloads it through the registry, so closing it any way
//     runs the same unload handling (Form_Unload) once.
// A window derives from FormWindow<QWidget> (or <QDialog> ...), hands its
// open flag to the constructor and implements Form_Resize; a window with
// more to do on unload overrides Form_Unload and calls this one's.
#pragma once
#include <QCloseEvent>
#include <QResizeEvent>
#include <cstdint>

#include "ui/formregistry.h"

namespace vkz {

template <class Base>
class FormWindow : public Base, public Form {
 public:
  // `openFlag`: the window's open flag (none for a window without one).
  explicit FormWindow(std::int16_t* openFlag = nullptr) : openFlag_(openFlag) {
    if (openFlag_) *openFlag_ = -1;
  }

  void Form_Unload() override {
    if (openFlag_) *openFlag_ = 0;
  }

  // The window's layout rule, run on every resize.
  virtual void Form_Resize() {}

 protected:
  void resizeEvent(QResizeEvent* e) override {
    Base::resizeEvent(e);
    Form_Resize();
  }
  void closeEvent(QCloseEvent* e) override {
    FormRegistry::unload(this);
    e->accept();
  }

 private:
  std::int16_t* openFlag_;
};

}  // namespace vkz
