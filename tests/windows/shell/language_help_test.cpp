// The language window and the help window.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

#include "polling/memlist.h"
#include "polling/pollstate.h"
#include "qtenv.h"
#include "shell/flags.h"
#include "shell/langfile.h"
#include "shell/win/helpfrm.h"
#include "shell/win/languagefrm.h"
#include "shell/win/messagelanguage.h"
#include "shell/win/panel.h"
#include "state/programstate.h"
#include "ui/msgbox.h"
#include "ui/printer.h"
#include "ui/twips.h"
#include "views/datafile.h"
#include "views/win/datalistfrm.h"

namespace vkz {
namespace {

struct LanguageHelpTest : ShellTest {
  // English and Portuguese (Brasil) installed, Portuguese chosen.
  void installPortugueseChosen() {
    // The index is 8-bit text, as installed: "Portugu\xEAs" is "Português".
    writeFile("Lan/Language.bin", "x\\2\r\n1\\English\r\n2\\Portugu\xEAs (Brasil)\r\n");
    writeFile("Lan/English.lan", "Exit\\Exit\r\n");
    writeFile("Lan/Portugu\xC3\xAAs (Brasil).lan", "Exit\\Sair\r\n");
  }
  // The language window's option `option` chosen and Set.
  void choose(int option) {
    panel_->Toolbar1_ButtonClick(QStringLiteral("Language"));
    LanguageFrm* f = FormRegistry::find<LanguageFrm>();
    f->Language[static_cast<size_t>(option)]->click();
    f->SetBtn->click();
    settle();
  }
};

// Runs `show`, which opens a modal dialog of kind D, and gives the texts
// the dialog shows (title, labels, group titles, buttons) once it is up;
// then closes it as Cancel would.
template <class D>
QStringList modalDialogTexts(const std::function<void()>& show) {
  QStringList texts;
  bool done = false;
  std::function<void()> look = [&] {
    if (done) return;
    auto* d = qobject_cast<D*>(QApplication::activeModalWidget());
    if (!d) {
      QTimer::singleShot(0, look);  // not up yet: look again on the next turn
      return;
    }
    texts << d->windowTitle();
    for (const QLabel* l : d->template findChildren<QLabel*>()) texts << l->text();
    for (const QGroupBox* g : d->template findChildren<QGroupBox*>()) texts << g->title();
    for (const QAbstractButton* b : d->template findChildren<QAbstractButton*>()) texts << b->text();
    d->reject();
  };
  QTimer::singleShot(0, look);
  show();
  done = true;
  EXPECT_FALSE(texts.isEmpty()) << "no dialog came up";
  return texts;
}

std::string readAll(const std::string& path) {
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll().toStdString();
}

TEST_F(LanguageHelpTest, LanguageWindowOffersTheIndexAndSwitchesTheMainWindow) {
  const std::string index =
      writeFile("Lan/Language.bin", "x\\1\\y\r\n1\\English\r\n2\\Testish\r\n3\\Third\r\n");
  writeFile("Lan/Testish.lan", "Show Setting Panel...\\Mostrar painel\r\nRTC\\Relogio\r\n");
  Panel* p = makePanel();
  State().polling.MeterModel = "VKZ 418";
  p->BuildPanelTree();
  // Opening closes every other window, the data list window included, and
  // hides the memory panel.
  FormRegistry::get<DataListFrm>()->Show();
  p->ShowMemoryPanel(true);
  p->Toolbar1_ButtonClick(QStringLiteral("Language"));
  settle();
  EXPECT_EQ(State().flags.DataListFrmOpen, 0);
  EXPECT_EQ(State().flags.MemoryPanelShown, 0);
  LanguageFrm* f = FormRegistry::find<LanguageFrm>();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(State().flags.LanguageFrmOpen, -1);
  // Its load maximises it: it fills the client area.
  ASSERT_NE(qobject_cast<QMdiSubWindow*>(f->parentWidget()), nullptr);
  EXPECT_TRUE(f->parentWidget()->isMaximized());
  EXPECT_EQ(f->parentWidget()->size(), p->mdiArea()->viewport()->size());
  ASSERT_EQ(f->Language.size(), 3u);
  EXPECT_EQ(f->Language[1]->text(), QStringLiteral("Testish"));
  EXPECT_TRUE(f->Language[0]->isChecked());
  // (Places are whole pixels: within one of the rule's.)
  EXPECT_NEAR(f->Language[1]->y() - f->Language[0]->y(), f->Language[0]->height() * 3 / 2.0, 1);
  EXPECT_NEAR(f->Language[2]->y() - f->Language[0]->y(), f->Language[0]->height() * 3, 1);
  // Three options: a panel four and a half option heights high, holding
  // both buttons, which no option caption covers.
  EXPECT_NEAR(twY(f->SSPanel1->height()), 4.5 * twY(f->Language[0]->height()), 15);
  for (QPushButton* b : {f->SetBtn, f->ExitBtn}) {
    EXPECT_TRUE(f->SSPanel1->rect().contains(b->geometry())) << b->objectName().toStdString();
    EXPECT_EQ(f->SSPanel1->childAt(b->geometry().left() + 1, b->geometry().center().y()), b);
  }

  f->Language[1]->click();
  EXPECT_FALSE(f->Language[0]->isChecked());
  f->SetBtn->click();
  settle();
  EXPECT_EQ(readAll(index), "x\\2\r\n1\\English\r\n2\\Testish\r\n3\\Third\r\n");
  EXPECT_EQ(p->toolbarButton(3)->toolTip(), QStringLiteral("Mostrar painel"));
  EXPECT_EQ(p->TreeView1->topLevelItem(0)->text(0), QStringLiteral("Relogio"));
  EXPECT_FALSE(FormRegistry::loaded<LanguageFrm>());
  EXPECT_EQ(State().flags.LanguageFrmOpen, 0);
}

TEST_F(LanguageHelpTest, LanguageWindowWithoutAnIndexOffersOneUnselectedOption) {
  Panel* p = makePanel();
  p->Toolbar1_ButtonClick(QStringLiteral("Language"));
  LanguageFrm* f = FormRegistry::find<LanguageFrm>();
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(f->Language.size(), 1u);
  EXPECT_FALSE(f->Language[0]->isChecked());
  // Set without an index closes the window and changes nothing.
  f->SetBtn->click();
  settle();
  EXPECT_FALSE(FormRegistry::loaded<LanguageFrm>());
  EXPECT_EQ(p->toolbarButton(3)->toolTip(), QStringLiteral("Show Setting Panel"));
}

TEST_F(LanguageHelpTest, LanguageWindowKeepsItsMinimumSize) {
  makePanel();
  LanguageFrm* f = FormRegistry::get<LanguageFrm>();
  f->showNormal();
  settle();
  f->resize(pxX(4000), pxY(2000));
  settle();
  EXPECT_EQ(f->width(), pxX(5310));
  EXPECT_EQ(f->height(), pxY(3015));
}

TEST_F(LanguageHelpTest, HelpOpensTheChosenManualOrSaysItIsMissing) {
  const std::string pt = writeFile("help/Manual PT-BR.pdf", "%PDF-1.3\n");
  Panel* p = makePanel();
  p->Toolbar1_ButtonClick(QStringLiteral("Help"));
  HelpFrm* h = FormRegistry::find<HelpFrm>();
  ASSERT_NE(h, nullptr);
  settle();
  ASSERT_NE(qobject_cast<QMdiSubWindow*>(h->parentWidget()), nullptr);
  EXPECT_TRUE(h->parentWidget()->isMaximized());
  EXPECT_EQ(h->parentWidget()->size(), p->mdiArea()->viewport()->size());
  EXPECT_EQ(h->MunOpt[0]->text(), QStringLiteral("Manual Portugues"));
  // The panel is three option heights high and holds the options and Exit.
  EXPECT_NEAR(twY(h->SSPanel1->height()), 3 * twY(h->MunOpt[0]->height()), 15);
  for (QWidget* w : {static_cast<QWidget*>(h->MunOpt[1]), static_cast<QWidget*>(h->ExitBtn)})
    EXPECT_TRUE(h->SSPanel1->rect().contains(w->geometry())) << w->objectName().toStdString();
  h->MunOpt[0]->click();
  h->MunOpt[0]->click();
  ASSERT_EQ(MsgBox::openedDocuments().size(), 2);
  EXPECT_EQ(MsgBox::openedDocuments()[0].toStdString(), pt);
  EXPECT_FALSE(h->MunOpt[0]->isChecked());
  // The English manual is missing: a clear message, no viewer asked.
  h->MunOpt[1]->click();
  EXPECT_EQ(MsgBox::openedDocuments().size(), 2);
  ASSERT_EQ(MsgBox::shown().size(), 1u);
  EXPECT_TRUE(MsgBox::shown()[0].text.contains(QStringLiteral("help/Manual.pdf")));
  EXPECT_FALSE(h->MunOpt[1]->isChecked());
  h->ExitBtn->click();
  settle();
  EXPECT_EQ(State().flags.HelpFrmOpen, 0);
}

// The program's own messages follow the language chosen at start-up and in
// the language window, there and back.
TEST_F(LanguageHelpTest, MessagesFollowTheLanguageChosen) {
  installPortugueseChosen();
  Panel* p = makePanel();
  const QString manual = QString::fromStdString(dir()) + QStringLiteral("/help/Manual.pdf");
  // The message of the missing English manual.
  auto manualMessage = [&] {
    p->Toolbar1_ButtonClick(QStringLiteral("Help"));
    FormRegistry::find<HelpFrm>()->MunOpt[1]->click();
    return MsgBox::shown().empty() ? QString() : MsgBox::shown().back().text;
  };
  EXPECT_EQ(MessageCatalogueFor(State().language.LangFile), QStringLiteral("pt_BR"));
  EXPECT_EQ(manualMessage(), QStringLiteral("O manual não foi encontrado: ") + manual);
  choose(0);
  EXPECT_EQ(manualMessage(), QStringLiteral("The manual is missing: ") + manual);
  choose(1);
  EXPECT_EQ(manualMessage(), QStringLiteral("O manual não foi encontrado: ") + manual);
  // A message of a Qt-free core, with its numbers put in their places.
  EXPECT_EQ(memoryListIncompleteText(4, 5, {3}),
            "Lista da memória incompleta: chegaram 4 de 5 entradas; faltam 3.");
  // A damaged data file: the reader's message, its line named, and the file.
  writeFile("bad.vkz", "VKZ 418\r\n\r\nRecordData\r\ntitle\r\n1\t2\r\n");
  const std::string bad = dir() + "/bad.vkz";
  GridData userInfo, header, records;
  MeasurementData data;
  EXPECT_EQ(ReadDataFile(bad, "", userInfo, header, records, data).message,
            "\"" + bad +
                "\": Linha 5: um registro vem antes do número de registros (a linha \"Total Point\", a nona "
                "linha após \"HeaderData\"). As linhas anteriores foram lidas.");
}

// Qt's own dialogs (the open dialog of the toolbar's Open, the printer
// dialog) speak the language chosen, and English again after a switch back.
TEST_F(LanguageHelpTest, QtDialogsFollowTheLanguageChosen) {
  installPortugueseChosen();
  Panel* p = makePanel();
  // The real dialogs this time, through the program's seams.
  MsgBox::setTestMode(false);
  PrinterSeam::setTestMode(false);
  const auto openDialog = [&] {
    QStringList texts =
        modalDialogTexts<QFileDialog>([&] { p->Toolbar1_ButtonClick(QStringLiteral("Open")); });
    // The kind its Type column gives a folder (the column fills in the
    // background, from the same provider).
    texts << QFileIconProvider().type(QFileInfo(QString::fromStdString(dir())));
    return texts;
  };
  const auto printDialog = [&] {
    return modalDialogTexts<QPrintDialog>([&] { EXPECT_EQ(PrinterSeam::choosePrinter(p), nullptr); });
  };
  struct Expected {
    QStringList open, print;
  };
  const Expected portuguese{
      {"Abrir", "Procurar em:", "&Nome do arquivo:", "Arquivos do tipo:", "&Abrir", "Cancelar"},
      {"Imprimir", "Impressora", "&Nome:", "Localização:", "&Imprimir", "Cancelar"}};
  const Expected english{{"Open", "Look in:", "File &name:", "Files of type:", "&Open", "Cancel", "Folder"},
                         {"Print", "Printer", "&Name:", "Location:", "&Print", "Cancel"}};
  for (const auto& [option, want] : {std::pair{-1, portuguese}, {0, english}, {1, portuguese}}) {
    if (option >= 0) choose(option);
    const QStringList open = openDialog(), print = printDialog();
    for (const QString& t : want.open) EXPECT_TRUE(open.contains(t)) << option << " " << t.toStdString();
    for (const QString& t : want.print) EXPECT_TRUE(print.contains(t)) << option << " " << t.toStdString();
  }
}

}  // namespace
}  // namespace vkz
