// Feeds arbitrary bytes to the data-file reader, cut into blocks of a size
// taken from the input, and counts the histogram of what it read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/griddata.h"
#include "polling/measurement.h"
#include "support/common/datafile_bytes.h"
#include "views/datafile.h"
#include "views/histogram.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // First byte: block size (1 to 127, 0 = all at once) and whether a meter
  // is linked (then every file is parsed).
  const std::size_t block = data[0] & 0x7F;
  const bool linked = data[0] & 0x80;
  std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

  vkz::GridData userInfo, header, records;
  userInfo.setCols(2);
  header.setCols(4);
  records.setCols(6);
  records.addItem("No.s\tDate/Time\tLAVG\tLeq\tLCPK\tLZPK");
  vkz::MeasurementData m;
  vkz::DataFileLoader loader(linked ? "VKZ 418" : "", userInfo, header, records, m, bytes.size());
  if (block == 0) {
    loader.feed(bytes);
  } else {
    for (std::size_t at = 0; at < bytes.size(); at += block)
      if (!loader.feed(bytes.substr(at, block))) break;
  }
  vkz::OpenResult r = loader.finish();

  // Blocks of any size read as the whole file at once does.
  if (block != 0) {
    vkz::GridData u2, h2, r2;
    u2.setCols(2);
    h2.setCols(4);
    r2.setCols(6);
    r2.addItem("No.s\tDate/Time\tLAVG\tLeq\tLCPK\tLZPK");
    vkz::MeasurementData m2;
    vkz::OpenResult w = vkztest::readDataFileBytes(bytes, linked ? "VKZ 418" : "", u2, h2, r2, m2);
    if (w.status != r.status || w.lines != r.lines || w.badLine != r.badLine || w.records != r.records ||
        w.message != r.message || u2.rows() != userInfo.rows() || h2.rows() != header.rows() ||
        r2.rows() != records.rows() || m2.PointValue1 != m.PointValue1)
      std::abort();
  }

  // The records read side by side, in pieces of a few bytes, as line by
  // line.
  {
    vkz::GridData u3, h3, r3;
    u3.setCols(2);
    h3.setCols(4);
    r3.setCols(6);
    r3.addItem("No.s\tDate/Time\tLAVG\tLeq\tLCPK\tLZPK");
    vkz::MeasurementData m3;
    bool taken = false;
    vkz::OpenResult w =
        vkztest::readDataFileBytes(bytes, linked ? "VKZ 418" : "", u3, h3, r3, m3, {1, 1, 3}, taken);
    if (w.status != r.status || w.lines != r.lines || w.badLine != r.badLine || w.records != r.records ||
        w.message != r.message || u3.rows() != userInfo.rows() || h3.rows() != header.rows() ||
        r3.rows() != records.rows() || m3.PointValue1 != m.PointValue1 || m3.PointValue2 != m.PointValue2 ||
        m3.PointValue3 != m.PointValue3 || m3.PointValue4 != m.PointValue4 || m3.PointValue5 != m.PointValue5)
      std::abort();
    for (int row = 0; row < records.rows(); ++row)
      if (r3.rowText(row) != records.rowText(row)) std::abort();
  }

  // What was read must be consistent.
  if (r.records > m.PointValue1.size() || m.PointValue1.size() != m.PointValue5.size()) std::abort();
  if (m.PointValue1.size() > bytes.size() / 7 + 1) std::abort();
  if (r.status != vkz::OpenStatus::Ok && r.message.empty()) std::abort();
  for (int col = 2; col <= 5; ++col) {
    vkz::HistogramResult h = vkz::LevelHistogram(records, col, vkz::HistResolution::Tenth);
    if (h.HistCount != records.rows() - 1) std::abort();
  }
  return 0;
}
