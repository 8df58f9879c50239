#include "reports/win/reportwindow.h"

#include "ui/flexgrid.h"

namespace vkz {

ReportData takeReportSnapshot(const FlexGrid& header, const FlexGrid& records, const FlexGrid& userInfo,
                              ReportContext context) {
  ReportData d;
  d.header = header.gridData();
  d.records = records.gridData();
  d.userInfo = userInfo.gridData();
  d.meterModel = std::move(context.meterModel);
  d.fileModel = std::move(context.fileModel);
  d.programFolder = std::move(context.programFolder);
  d.completedText = std::move(context.completedText);
  return d;
}

}  // namespace vkz
