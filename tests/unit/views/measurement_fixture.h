// A small measurement as the data list window holds it, and its data file
// byte for byte, for the writer and reader tests.
#pragma once
#include <string>

#include "base/griddata.h"

namespace vkz::test {

struct Grids {
  GridData userInfo, header, records;
};

// The three grids of the data list window (2, 4 and 6 columns).
inline Grids sampleGrids() {
  Grids g;
  g.userInfo.setCols(2);
  g.userInfo.addItem("Evaluator\tAna M\xC3\xBCller");
  g.userInfo.addItem("Evaluated\t");
  g.userInfo.addItem("Department");
  g.userInfo.setText(2, 1, "Line 2, press\r\nshop");  // typed with a line break
  g.userInfo.addItem("Company\tACME \"Noise\" Ltd");
  g.userInfo.addItem("Observations\tEar muffs 100 \xE2\x82\xAC");
  g.header.setCols(4);
  for (const char* row :
       {"\tD1\tD2\tD3", "Start Date/Time\t2018/05/23 14:00:00\t2018/05/23 14:00:00\t2018/05/23 14:00:00",
        "Stop Date/Time\t2018/05/23 14:02:30\t2018/05/23 14:02:30\t2018/05/23 14:02:30",
        "Threshold\t80 dB\t70 dB\t80 dB", "Criterion\t90 dB\t85 dB\t90 dB", "Exchange Rate\t5 dB\t3 dB\t3 dB",
        "Exceedance Level\t115 dB\t115 dB\t115 dB", "Interval Time\t1 Min\t1 Min\t1 Min",
        "Total Point\t3\t3\t3", "PW Duration\t8\t8\t8", "Duration\t00:02:30\t00:02:30\t00:02:30",
        "LAVG\t85.1 dB\t84.0 dB\t83.2 dB"})
    g.header.addItem(row);
  g.records.setCols(6);
  g.records.addItem("No.s\tDate/Time\tLAVG\tLeq\tLCPK\tLZPK");
  g.records.addItem("1\t2018/05/23 14:01:00\t85.3 dB\t86.0 dB\t120.0 dB\t130.5 dB\t");
  g.records.addItem("2\t2018/05/23 14:02:00\t*85.3 dB\t*-- dB\t*110.2 dB\t*121.0 dB\t");
  g.records.addItem("3\t2018/05/23 14:02:30\t-- dB\t-- dB\t-- dB\t-- dB\t");
  return g;
}

// The data file of sampleGrids() for a "VKZ 418", written by hand from the
// file layout: code page 1252, a TAB after every cell, CR LF after every line.
inline std::string sampleDataFile() {
  return "VKZ 418\r\n"
         "\r\n"
         "Information\r\n"
         "Evaluator\tAna M\xFCller\t\r\n"
         "Evaluated\t\t\r\n"
         "Department\tLine 2, press  shop\t\r\n"
         "Company\tACME \"Noise\" Ltd\t\r\n"
         "Observations\tEar muffs 100 \x80\t\r\n"
         "\r\n"
         "HeaderData\r\n"
         "\tD1\tD2\tD3\t\r\n"
         "Start Date/Time\t2018/05/23 14:00:00\t2018/05/23 14:00:00\t2018/05/23 14:00:00\t\r\n"
         "Stop Date/Time\t2018/05/23 14:02:30\t2018/05/23 14:02:30\t2018/05/23 14:02:30\t\r\n"
         "Threshold\t80 dB\t70 dB\t80 dB\t\r\n"
         "Criterion\t90 dB\t85 dB\t90 dB\t\r\n"
         "Exchange Rate\t5 dB\t3 dB\t3 dB\t\r\n"
         "Exceedance Level\t115 dB\t115 dB\t115 dB\t\r\n"
         "Interval Time\t1 Min\t1 Min\t1 Min\t\r\n"
         "Total Point\t3\t3\t3\t\r\n"
         "PW Duration\t8\t8\t8\t\r\n"
         "Duration\t00:02:30\t00:02:30\t00:02:30\t\r\n"
         "LAVG\t85.1 dB\t84.0 dB\t83.2 dB\t\r\n"
         "\r\n"
         "\r\n"
         "RecordData\r\n"
         "No.s\tDate/Time\tLAVG\tLeq\tLCPK\tLZPK\t\r\n"
         "1\t2018/05/23 14:01:00\t85.3 dB\t86.0 dB\t120.0 dB\t130.5 dB\t\r\n"
         "2\t2018/05/23 14:02:00\t*85.3 dB\t*-- dB\t*110.2 dB\t*121.0 dB\t\r\n"
         "3\t2018/05/23 14:02:30\t-- dB\t-- dB\t-- dB\t-- dB\t\r\n";
}

// The grids of the file list window before a read: a user-information grid
// without rows, an emptied header grid and a record grid with its title row.
inline Grids readerGrids() {
  Grids g;
  g.userInfo.setCols(2);
  g.header.setCols(4);
  g.records.setCols(6);
  g.records.addItem("No.s\tDate/Time\tLAVG\tLeq\tLCPK\tLZPK");
  return g;
}

}  // namespace vkz::test
