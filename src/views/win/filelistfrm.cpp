#include "views/win/filelistfrm.h"

#include <QAction>
#include <QToolBar>
#include <QVBoxLayout>
#include <stdexcept>

#include "polling/measurement.h"
#include "shell/flags.h"
#include "shell/uitext.h"
#include "shell/win/panel.h"
#include "ui/flexgrid.h"
#include "views/datafile.h"

namespace vkz {

FileListFrm::FileListFrm() {
  setObjectName(QStringLiteral("FileListFrm"));
  Flags().FileListFrmOpen = -1;
  auto* lay = new QVBoxLayout(this);
  Toolbar1 = new QToolBar(this);
  Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
  for (const char* key : {"Plot", "Ln", "Print"}) {
    QAction* a = Toolbar1->addAction(QString::fromLatin1(key));
    a->setObjectName(QString::fromLatin1(key));
  }
  lay->addWidget(Toolbar1);
  MSFUserInfo = new FlexGrid(this);
  MSFUserInfo->setObjectName(QStringLiteral("MSFUserInfo"));
  MSFUserInfo->setCols(2);
  MSFUserInfo->setRows(0);
  lay->addWidget(MSFUserInfo, 1);
  GridHeader = new FlexGrid(this);
  GridHeader->setObjectName(QStringLiteral("GridHeader"));
  GridHeader->setCols(4);
  GridHeader->setRows(0);
  lay->addWidget(GridHeader, 2);
  GridRecord = new FlexGrid(this);
  GridRecord->setObjectName(QStringLiteral("GridRecord"));
  GridRecord->setCols(6);
  GridRecord->setRows(1);
  GridRecord->setFixedRows(1);
  lay->addWidget(GridRecord, 3);
  restartReader();
  ApplyFileListFrmText(*this);
  resize(720, 520);
}

FileListFrm::~FileListFrm() = default;

void FileListFrm::Form_Unload() { Flags().FileListFrmOpen = 0; }

void FileListFrm::Show() {
  if (Panel* p = ThePanel())
    p->showMdiChild(this);
  else
    show();
}

DataFileReader& FileListFrm::reader() { return *reader_; }

void FileListFrm::restartReader() {
  reader_ = std::make_unique<DataFileReader>(MSFUserInfo->gridData(), GridHeader->gridData(),
                                             GridRecord->gridData(), Measurement());
}

void ApplyFileListFrmText(FileListFrm& f) {
  const UiText& t = UiTexts();
  const std::string* tips[3] = {&t.TxtGraphicPlot, &t.TxtHistogram, &t.TxtPrint};
  int i = 0;
  for (QAction* a : f.Toolbar1->actions()) {
    if (i >= 3) break;
    a->setToolTip(QString::fromStdString(*tips[i++]));
  }
  const std::string* heads[6] = {&t.TxtNos, &t.TxtDateTime, &t.TxtLAVG, &t.TxtLeq, &t.TxtLCPK, &t.TxtLZPK};
  for (int c = 0; c < 6; ++c) f.GridRecord->setTextMatrix(0, c, QString::fromStdString(*heads[c]));
}

void ParseDataFileLine(long long lineNo, const std::string& lineText) {
  FileListFrm* f = FormRegistry::get<FileListFrm>();
  DataFileReader& r = f->reader();
  const bool ok = r.ParseDataFileLine(lineNo, lineText);
  f->GridHeader->Refresh();
  f->GridRecord->Refresh();
  f->MSFUserInfo->Refresh();
  if (!ok) throw std::runtime_error(r.error());
}

}  // namespace vkz
