// The frame every setting window shares (the dose channels, the screen
// pages, the clock, the LED alarm, the timers, the one-value settings, the
// welcome text, the lunch time and the memory erase).
//
// A setting window is a child window of the main window, shown maximised in
// its client area. It never asks the meter itself: its opener (a button of
// the setting panel or a node of the command tree) pauses polling, closes the
// other setting windows, shows it, sends its read request and resumes
// polling, and the reply decoder writes the meter's values into its controls
// through the window's read-back interface (polling/readbackviews.h).
//
// SettingWindow gives each of them:
//   - the open flag, set as it loads (its constructor) and cleared as it
//     unloads (Exit, its close box, the shell closing windows);
//   - the resize rule: nothing while minimised; a window smaller than its
//     minimum size is raised to it (a maximised one cannot be); the 3-D panel
//     that holds every control is centred at left (width - panel - 100) / 2
//     and top (height - panel - 500) / 2, in twips; a panel larger than the
//     window (maximised in a small client area) starts at its top-left
//     corner and the window scrolls to the rest (PanelView);
//   - pick-only lists (every typed character is discarded, so an entry is
//     only ever picked) and number boxes (digits, backspace and enter only;
//     the whole text selected when the box gets the focus);
//   - the Exit button, which unloads the window;
//   - the write bracket of the Set button, in the variant of its window:
//
//       window             refused while erasing        polling resumed
//       ScreenFrm          yes, before anything else    after the send
//       LEDAlarmFrm        yes, before anything else    after the send
//       OneSetForm         yes, before anything else    after the send
//       TimerFrm           yes, after its range checks  by the decoder, after
//                                                       the last frame
//       KalvoxFrm          yes, first of its checks     after the send
//       WelcomSetFrm       no                           after the send
//       LunchTimeFrm       no                           after the send, also
//                                                       when packing fails
//       RTCFrm             no                           after the send
//       ClearMemoryFrm     (no bracket: it neither pauses nor resumes)
//
//     writeSetting(EraseRule, ResumeRule, send) runs one of them.
#pragma once
#include <QWidget>
#include <cstdint>
#include <functional>

#include "link/comportapi.h"
#include "ui/formwindow.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vkz {

class PanelView;

class SettingWindow : public FormWindow<QWidget> {
  Q_OBJECT
 public:
  // `openFlag`: the window's open flag, set to -1 here (nullptr for the
  // one-value window, whose selector its opener sets). `minWidth` and
  // `minHeight`: the smallest size the resize rule allows, in twips.
  SettingWindow(std::int16_t* openFlag, int minWidth, int minHeight);

  // The resize rule (above).
  void Form_Resize() override;
  // Unloads the window (its Form_Unload clears the open flag).
  void ExitBtn_Click();

  // The 3-D panel the resize rule centres, and the view that holds it.
  QFrame* centredPanel() const { return panel_; }
  PanelView* panelView() const { return view_; }
  int minWidthTw() const { return minW_; }
  int minHeightTw() const { return minH_; }

 protected:
  // Makes the 3-D panel that holds every other control, named `name`,
  // `widthTw` x `heightTw` twips; the resize rule keeps it centred.
  QFrame* makePanel(const char* name, int widthTw, int heightTw);
  // Asks for the maximised state inside the main window (the loads'
  // "maximise"); the window is shown so by showSettingWindow().
  void maximise();

 private:
  // The widget that carries the window's frame: its MDI frame once it is
  // shown in the main window, else the window itself.
  QWidget* frameWidget();

  int minW_, minH_;
  QFrame* panel_ = nullptr;
  PanelView* view_ = nullptr;
};

// ---- controls --------------------------------------------------------------

// Places `w` at left, top, width, height given in twips.
void placeTw(QWidget* w, int left, int top, int width, int height);

// A drop-down list that takes no typed key: an entry can only be picked
// (with the mouse or the arrow keys). Named `name`, placed in twips.
QComboBox* makePickList(QWidget* parent, const QString& name, int left, int top, int width, int height);
// Makes an existing list pick-only.
void makePickOnly(QComboBox* list);

// A number box: typed keys other than the digits, backspace and enter are
// discarded (a paste that is not all digits too), at most `maxLength`
// characters are typed, and the whole text is selected when the box gets
// the focus, so the next digit replaces the value. The decoder's and the
// window's own setText are not filtered.
QLineEdit* makeNumberBox(QWidget* parent, const QString& name, int maxLength, int left, int top, int width,
                         int height);
// Makes an existing text box a number box.
void makeNumberOnly(QLineEdit* box);

QPushButton* makeButton(QWidget* parent, const QString& name, int left, int top, int width, int height);
// A label at left, top (twips) that sizes itself to its text
// (setLabelText).
QLabel* makeLabel(QWidget* parent, const QString& name, int left, int top);
void setLabelText(QLabel* label, const QString& text);

// ---- the write bracket -------------------------------------------------------

enum class EraseRule {
  Refuse,  // refused with "Memory Erasing ..." while an erase is pending
  Ignore   // written even while an erase is pending
};
enum class ResumeRule {
  AfterSend,  // polling resumes as soon as the request is sent
  ByDecoder   // polling stays paused: the decoder resumes it (timer frames)
};

// Whether an erase of the meter's memory is pending.
bool erasePending();
// While an erase is pending: shows "Memory Erasing ..." (critical icon, OK,
// the program's title) and returns true. Otherwise returns false.
bool refuseWhileErasing();

// The write of a Set: with EraseRule::Refuse refuses while an erase is
// pending (false, nothing else happens); otherwise runs `send` (a failure
// inside it is passed over). With ResumeRule::AfterSend polling is paused
// around it and the poll engine awaits the acknowledgement (it says so when
// none comes); with ResumeRule::ByDecoder polling is paused for an exchange
// of the engine, whose answer resumes it. A request
// that did not go out is told to the user, so a Set never ends in silence:
// a value outside its field with "Set Error !!!", a port that took no
// bytes with "Set Fail !!!" and the port's reason. True when the request
// went out.
bool writeSetting(EraseRule erase, ResumeRule resume, const std::function<PortResult()>& send);

// Shows a setting window in the main window's client area, maximised when
// its load asked for it (on its own when there is no main window).
void showSettingWindow(QWidget* w);

}  // namespace vkz
