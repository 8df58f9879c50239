// The window's side of a report: the snapshot of its three grids when the
// report starts.
#pragma once
#include <string>

#include "reports/reportdata.h"

namespace vkz {

class FlexGrid;

// What a report reads besides the grids.
struct ReportContext {
  std::string meterModel;     // model of the identified meter
  std::string fileModel;      // model of the last data file opened
  std::string programFolder;  // where Img/ and Fonts/ are
  std::string completedText;  // "Completed" in the user's language
};

// Copies the grids as they are now (header, records, user information).
ReportData takeReportSnapshot(const FlexGrid& header, const FlexGrid& records, const FlexGrid& userInfo,
                              ReportContext context);

}  // namespace vkz
