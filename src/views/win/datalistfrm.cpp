#include "views/win/datalistfrm.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

#include "polling/header.h"
#include "polling/measurement.h"
#include "shell/flags.h"
#include "shell/uitext.h"
#include "shell/win/panel.h"
#include "ui/flexgrid.h"
#include "views/headeritems.h"

namespace vkz {

namespace {
QString q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

DataListFrm::DataListFrm() {
  setObjectName(QStringLiteral("DataListFrm"));
  setAttribute(Qt::WA_DeleteOnClose, false);
  Flags().DataListFrmOpen = -1;
  auto* lay = new QVBoxLayout(this);
  Toolbar1 = new QToolBar(this);
  Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
  for (const char* key : {"save", "Print", "PDF", "Plot", "Ln"}) {
    QAction* a = Toolbar1->addAction(QString::fromLatin1(key));
    a->setObjectName(QString::fromLatin1(key));
  }
  lay->addWidget(Toolbar1);
  PageLbl = new QLabel(this);
  PageLbl->setObjectName(QStringLiteral("PageLbl"));
  ItemBtn = new QPushButton(this);
  ItemBtn->setObjectName(QStringLiteral("ItemBtn"));
  SetBtn = new QPushButton(this);
  SetBtn->setObjectName(QStringLiteral("SetBtn"));
  AllSelBtn = new QPushButton(this);
  AllSelBtn->setObjectName(QStringLiteral("AllSelBtn"));
  for (int i = 0; i < 103; ++i) {
    auto* c = new QCheckBox(this);
    c->setObjectName(QStringLiteral("Check1_%1").arg(i));
    c->hide();  // the header-item selection panel is shown on demand
    Check1[static_cast<size_t>(i)] = c;
  }
  PageLbl->hide();
  ItemBtn->hide();
  SetBtn->hide();
  AllSelBtn->hide();
  VKZ418Grid = new FlexGrid(this);
  VKZ418Grid->setObjectName(QStringLiteral("VKZ418Grid"));
  VKZ418Grid->setCols(4);
  VKZ418Grid->setRows(11);
  VKZ418Grid->setFixedRows(1);
  VKZ418Grid->setFixedCols(1);
  lay->addWidget(VKZ418Grid, 1);
  VKZ418PointGrid = new FlexGrid(this);
  VKZ418PointGrid->setObjectName(QStringLiteral("VKZ418PointGrid"));
  VKZ418PointGrid->setCols(6);
  VKZ418PointGrid->setRows(1);
  VKZ418PointGrid->setFixedRows(1);
  lay->addWidget(VKZ418PointGrid, 2);
  MSFGridUserInfo = new FlexGrid(this);
  MSFGridUserInfo->setObjectName(QStringLiteral("MSFGridUserInfo"));
  MSFGridUserInfo->setCols(2);
  MSFGridUserInfo->setRows(5);
  MSFGridUserInfo->setFixedCols(1);
  lay->addWidget(MSFGridUserInfo, 1);
  ApplyDataListFrmText(*this);
  resize(720, 520);
}

void DataListFrm::Form_Unload() { Flags().DataListFrmOpen = 0; }

void DataListFrm::ClearVkz418Grid() { ResetRecordHeader(Measurement().header); }

void DataListFrm::UpdateVKZ418Grid() {
  const auto rows = SummaryFixedRows(Measurement().header, UiTexts());
  if (VKZ418Grid->Rows() < 11) VKZ418Grid->setRows(11);
  for (int r = 0; r < 11; ++r)
    for (int c = 0; c < 4; ++c)
      VKZ418Grid->setTextMatrix(r, c, q(rows[static_cast<size_t>(r)][static_cast<size_t>(c)]));
}

void DataListFrm::Show() {
  if (Panel* p = ThePanel())
    p->showMdiChild(this);
  else
    show();
}

void DataListFrm::Refresh() {
  VKZ418Grid->Refresh();
  VKZ418PointGrid->Refresh();
  MSFGridUserInfo->Refresh();
  update();
}

void ApplyDataListFrmText(DataListFrm& f) {
  const UiText& t = UiTexts();
  f.PageLbl->setText(q(t.TxtPage));
  const std::string* tips[5] = {&t.TxtSaveFile, &t.TxtPrint, &t.TxtExportPDF, &t.TxtGraphicPlot, &t.TxtHistogram};
  int i = 0;
  for (QAction* a : f.Toolbar1->actions()) {
    if (i >= 5) break;
    a->setToolTip(q(*tips[i++]));
  }
  f.ItemBtn->setText(q(t.TxtHeaderItem));
  f.SetBtn->setText(q(t.TxtSet));
  f.AllSelBtn->setText(q(t.TxtAll));
  for (int k = 0; k < kHeaderItemCount; ++k) f.Check1[static_cast<size_t>(k)]->setText(q(HeaderItemCaption(k, t)));
  f.VKZ418Grid->setTextMatrix(0, 1, QStringLiteral("D1"));
  f.VKZ418Grid->setTextMatrix(0, 2, QStringLiteral("D2"));
  f.VKZ418Grid->setTextMatrix(0, 3, QStringLiteral("D3"));
  const std::string* rows[10] = {&t.TxtStartDateTime, &t.TxtStopDateTime,    &t.TxtTotalPoint,
                                 &t.TxtThreshold,     &t.TxtCriterion,       &t.TxtExchangeRate,
                                 &t.TxtExceedanceLevel, &t.TxtPWDuration,    &t.TxtDuration,
                                 &t.TxtIntervalTime};
  for (int r = 0; r < 10; ++r) f.VKZ418Grid->setTextMatrix(r + 1, 0, q(*rows[r]));
  const std::string* heads[6] = {&t.TxtNos, &t.TxtDateTime, &t.TxtLAVG, &t.TxtLeq, &t.TxtLCPK, &t.TxtLZPK};
  for (int c = 0; c < 6; ++c) f.VKZ418PointGrid->setTextMatrix(0, c, q(*heads[c]));
  const std::string* info[5] = {&t.TxtEvaluator, &t.TxtEvaluated, &t.TxtDepartment, &t.TxtCompany,
                                &t.TxtObservations};
  for (int r = 0; r < 5; ++r) f.MSFGridUserInfo->setTextMatrix(r, 0, q(*info[r]));
}

}  // namespace vkz
