#include "ui/msgbox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QUrl>
#include <utility>

#include "base/trtext.h"
#include "ui/qtext.h"

namespace vkz {
namespace {
struct SeamState {
  bool test = false;
  std::vector<MsgRecord> shown;
  std::deque<MsgResult> answers;
  std::deque<QString> inputs;
  std::deque<QString> files;
  std::deque<int> filters;
  QStringList opened;
  std::deque<bool> viewers;
  std::vector<FileDialogRecord> dialogRecords;
  std::function<void(const MsgRecord&)> onShow;
  std::function<void(const FileDialogRecord&)> onFileDialog;
  QString title = QStringLiteral("Noise Dosimeter");
};
SeamState& st() {
  static SeamState s;
  return s;
}

// A file dialog in test mode: recorded, and open while onFileDialog runs.
void noteDialog(const QString& caption, const QString& proposed, const QString& filter) {
  const FileDialogRecord rec{caption, proposed, filter};
  st().dialogRecords.push_back(rec);
  if (st().onFileDialog) st().onFileDialog(rec);
}

// Qt's own file dialog, never the desktop's: it speaks the language chosen
// in the program (the desktop's follows the desktop's language).
constexpr QFileDialog::Options kOwnDialog = QFileDialog::DontUseNativeDialog;

QString nextFile() {
  if (st().files.empty()) return {};
  QString f = st().files.front();
  st().files.pop_front();
  return f;
}
// The buttons in the user's language (the toolkit names them in English).
void nameButtons(QMessageBox& box) {
  const std::pair<QMessageBox::StandardButton, std::string> names[] = {
      {QMessageBox::Ok, trText("MsgBox", "OK")},     {QMessageBox::Cancel, trText("MsgBox", "Cancel")},
      {QMessageBox::Yes, trText("MsgBox", "Yes")},   {QMessageBox::No, trText("MsgBox", "No")},
      {QMessageBox::Save, trText("MsgBox", "Save")}, {QMessageBox::Discard, trText("MsgBox", "Discard")},
  };
  for (const auto& [which, name] : names)
    if (QAbstractButton* b = box.button(which)) b->setText(q(name));
}

}  // namespace

MsgResult MsgBox::show(const QString& text, MsgIcon icon, MsgButtons buttons, const QString& title) {
  MsgRecord rec{text, title.isEmpty() ? st().title : title, icon, buttons};
  if (st().test) {
    st().shown.push_back(rec);
    if (st().onShow) st().onShow(rec);
    if (!st().answers.empty()) {
      MsgResult r = st().answers.front();
      st().answers.pop_front();
      return r;
    }
    return buttons == MsgButtons::Ok || buttons == MsgButtons::OkCancel ? MsgResult::Ok : MsgResult::Yes;
  }
  QMessageBox box(QApplication::activeWindow());
  box.setWindowTitle(rec.title);
  box.setText(text);
  switch (icon) {
    case MsgIcon::Critical:
      box.setIcon(QMessageBox::Critical);
      break;
    case MsgIcon::Exclamation:
      box.setIcon(QMessageBox::Warning);
      break;
    case MsgIcon::Information:
      box.setIcon(QMessageBox::Information);
      break;
    case MsgIcon::Question:
      box.setIcon(QMessageBox::Question);
      break;
    case MsgIcon::None:
      break;
  }
  switch (buttons) {
    case MsgButtons::Ok:
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case MsgButtons::OkCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      break;
    case MsgButtons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      break;
    case MsgButtons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
    case MsgButtons::SaveDiscardCancel:
      box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::Save);
      break;
  }
  nameButtons(box);
  switch (box.exec()) {
    case QMessageBox::Cancel:
      return MsgResult::Cancel;
    case QMessageBox::Yes:
    case QMessageBox::Save:
      return MsgResult::Yes;
    case QMessageBox::No:
    case QMessageBox::Discard:
      return MsgResult::No;
    default:
      return MsgResult::Ok;
  }
}

QString MsgBox::input(const QString& prompt, const QString& title, const QString& defaultText) {
  if (st().test) {
    st().shown.push_back(
        {prompt, title.isEmpty() ? st().title : title, MsgIcon::Question, MsgButtons::OkCancel});
    if (st().inputs.empty()) return {};
    QString s = st().inputs.front();
    st().inputs.pop_front();
    return s;
  }
  bool ok = false;
  QString s = QInputDialog::getText(QApplication::activeWindow(), title.isEmpty() ? st().title : title,
                                    prompt, QLineEdit::Normal, defaultText, &ok);
  return ok ? s : QString();
}

QString qtFileFilter(const QString& oldFilter) {
  const QStringList parts = oldFilter.split(QLatin1Char('|'));
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    const QString& name = parts[i];
    if (name.isEmpty()) continue;
    QString patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
    patterns.replace(QStringLiteral("*.*"), QStringLiteral("*"));
    const qsizetype open = name.lastIndexOf(QLatin1Char('('));
    if (name.endsWith(QLatin1Char(')')) && open >= 0)
      out << name.left(open + 1) + patterns + QLatin1Char(')');
    else
      out << name + QStringLiteral(" (") + patterns + QLatin1Char(')');
  }
  return out.join(QStringLiteral(";;"));
}

QString MsgBox::openFileName(QWidget* parent, const QString& caption, const QString& dir,
                             const QString& filter) {
  if (st().test) {
    noteDialog(caption, dir, filter);
    return nextFile();
  }
  return QFileDialog::getOpenFileName(parent, caption, dir, filter, nullptr, kOwnDialog);
}

QString MsgBox::saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                             const QString& filter) {
  if (st().test) {
    noteDialog(caption, dir, filter);
    return nextFile();
  }
  return QFileDialog::getSaveFileName(parent, caption, dir, filter, nullptr, kOwnDialog);
}

QString MsgBox::saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                             const QString& filter, int* filterIndex) {
  if (st().test) {
    noteDialog(caption, dir, filter);
    int index = 1;
    if (!st().filters.empty()) {
      index = st().filters.front();
      st().filters.pop_front();
    }
    if (filterIndex) *filterIndex = index;
    return nextFile();
  }
  QString selected;
  const QString name = QFileDialog::getSaveFileName(parent, caption, dir, filter, &selected, kOwnDialog);
  if (filterIndex) *filterIndex = static_cast<int>(filter.split(QStringLiteral(";;")).indexOf(selected)) + 1;
  return name;
}

bool MsgBox::openDocument(const QString& path) {
  if (st().test) {
    st().opened << path;
    if (st().viewers.empty()) return QFileInfo::exists(path);
    const bool opens = st().viewers.front();
    st().viewers.pop_front();
    return opens;
  }
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

void MsgBox::setTestMode(bool on) {
  st().test = on;
}
bool MsgBox::testMode() {
  return st().test;
}
std::vector<MsgRecord>& MsgBox::shown() {
  return st().shown;
}
std::deque<MsgResult>& MsgBox::answers() {
  return st().answers;
}
std::deque<QString>& MsgBox::inputAnswers() {
  return st().inputs;
}
std::deque<QString>& MsgBox::fileAnswers() {
  return st().files;
}
std::deque<int>& MsgBox::filterAnswers() {
  return st().filters;
}
QStringList& MsgBox::openedDocuments() {
  return st().opened;
}
std::deque<bool>& MsgBox::viewerAnswers() {
  return st().viewers;
}
std::vector<FileDialogRecord>& MsgBox::fileDialogRecords() {
  return st().dialogRecords;
}
std::function<void(const MsgRecord&)>& MsgBox::onShow() {
  return st().onShow;
}
std::function<void(const FileDialogRecord&)>& MsgBox::onFileDialog() {
  return st().onFileDialog;
}
void MsgBox::resetTestRecords() {
  st().shown.clear();
  st().answers.clear();
  st().inputs.clear();
  st().files.clear();
  st().filters.clear();
  st().opened.clear();
  st().viewers.clear();
  st().dialogRecords.clear();
  st().onShow = nullptr;
  st().onFileDialog = nullptr;
}
void MsgBox::setAppTitle(const QString& title) {
  st().title = title;
}
QString MsgBox::appTitle() {
  return st().title;
}

}  // namespace vkz
