// The main window as the windows of the other subsystems reach it: its
// client area for child windows, its place on the screen and its caption.
// The main window installs a provider of itself at its creation
// (ProgramState::mainWindow); a window asks the provider each time it needs
// the main window, which gives nullptr once the main window has gone.
#pragma once
#include <QPoint>
#include <QString>

class QWidget;

namespace vkz {

class MainWindowHost {
 public:
  virtual ~MainWindowHost() = default;
  // Shows `w` in the client area (in a frame of its own, made once).
  virtual void showMdiChild(QWidget* w) = 0;
  // The top-left corner of the main window's frame, on the screen.
  virtual QPoint frameTopLeft() const = 0;
  // The width of the main window's frame (the setting panel stands at its
  // right edge).
  virtual int frameWidth() const { return 0; }
  // A window of the program (the setting panel) stands over the main
  // window (nullptr: none any more): the client area keeps clear of where
  // it stands, so no child window opens under it. Called again whenever
  // that window moves.
  virtual void keepClientAreaClearOf(const QWidget* window) { (void)window; }
  // The main window's caption, which long runs use for their progress.
  virtual QString caption() const = 0;
  virtual void setCaption(const QString& text) = 0;
};

}  // namespace vkz
