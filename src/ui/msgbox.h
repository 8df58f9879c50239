// Message box, input box, file dialogs and the shell's "open" behind one
// seam. The program shows real dialogs; tests switch the seam to
// record-and-answer mode so nothing ever blocks.
#pragma once
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

class QWidget;

namespace vkz {

enum class MsgIcon { None, Critical, Exclamation, Information, Question };
// SaveDiscardCancel answers Yes for Save and No for Discard.
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, SaveDiscardCancel };
enum class MsgResult { Ok, Cancel, Yes, No };

// One message box as it was shown (kept in test mode).
struct MsgRecord {
  QString text;
  QString title;
  MsgIcon icon = MsgIcon::None;
  MsgButtons buttons = MsgButtons::Ok;
};

// A file-dialog filter of the old form "Name (*.ext)|*.ext|...|" in Qt's
// form "Name (*.ext);;...". Each entry shows its patterns once: a name that
// ends in parentheses has their content replaced by the patterns, any other
// name gets them appended. "*.*" becomes "*", so files without an extension
// are listed too: "All Files (*.*)|*.*|" reads "All Files (*)".
QString qtFileFilter(const QString& oldFilter);

// One file dialog as it was asked for (kept in test mode): its caption, the
// folder or file it proposed and its filter.
struct FileDialogRecord {
  QString caption;
  QString proposed;
  QString filter;
};

class MsgBox {
 public:
  // Shows a modal message box titled with the application's title unless
  // `title` is given. In test mode: records it and returns the next queued
  // answer (Ok / Yes when none is queued).
  static MsgResult show(const QString& text, MsgIcon icon = MsgIcon::None,
                        MsgButtons buttons = MsgButtons::Ok, const QString& title = QString());

  // The old InputBox: returns the typed text, or "" on Cancel.
  static QString input(const QString& prompt, const QString& title = QString(),
                       const QString& defaultText = QString());

  // Common dialogs. Return "" when cancelled. `filter` is in Qt's form
  // (qtFileFilter makes it from the old form).
  static QString openFileName(QWidget* parent, const QString& caption, const QString& dir,
                              const QString& filter);
  static QString saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                              const QString& filter);
  // The save dialog that also tells which of the filter's entries the user
  // left selected, 1-based in the order of `filter` (";;"-separated).
  // In test mode the index is the next queued filter answer (1 when none).
  static QString saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                              const QString& filter, int* filterIndex);

  // The shell's "open": shows a document or folder in its associated
  // program. Returns false when nothing could open it.
  static bool openDocument(const QString& path);

  // --- test mode ---------------------------------------------------------
  static void setTestMode(bool on);
  static bool testMode();
  static std::vector<MsgRecord>& shown();      // message boxes shown
  static std::deque<MsgResult>& answers();     // answers to message boxes
  static std::deque<QString>& inputAnswers();  // answers to input boxes
  static std::deque<QString>& fileAnswers();   // answers to file dialogs ("" = cancel)
  static std::deque<int>& filterAnswers();     // filter chosen in save dialogs (1-based)
  static QStringList& openedDocuments();       // paths given to openDocument
  // Answers of openDocument (none queued: whether the path exists).
  static std::deque<bool>& viewerAnswers();
  // The same file dialogs with what they proposed.
  static std::vector<FileDialogRecord>& fileDialogRecords();
  // Called for every message box in test mode (after it is recorded), e.g.
  // to check program state at the moment the box appears. The box counts as
  // open until it returns: a call that lets events run meanwhile is a box
  // the user keeps open, with its own event loop.
  static std::function<void(const MsgRecord&)>& onShow();
  // The same for every file dialog in test mode.
  static std::function<void(const FileDialogRecord&)>& onFileDialog();
  static void resetTestRecords();

  static void setAppTitle(const QString& title);
  static QString appTitle();
};

}  // namespace vkz
