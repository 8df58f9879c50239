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

namespace {

// The grids of the file list window before a read.
struct Grids {
  vkz::GridData userInfo, header, records;
  Grids() {
    userInfo.setCols(2);
    header.setCols(4);
    records.setCols(6);
    records.addItem("No.s\tDate/Time\tLAVG\tLeq\tLCPK\tLZPK");
  }
};

bool sameRows(const vkz::GridData& a, const vkz::GridData& b) {
  if (a.rows() != b.rows()) return false;
  for (int row = 0; row < a.rows(); ++row)
    if (a.rowText(row) != b.rowText(row)) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // First byte: block size (1 to 127, 0 = all at once) and whether a meter
  // is linked (then every file is parsed).
  const std::size_t block = data[0] & 0x7F;
  const bool linked = data[0] & 0x80;
  const std::string_view meter = linked ? "VKZ 418" : "";
  std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

  Grids g;
  vkz::MeasurementData m;
  vkz::DataFileLoader loader(meter, g.userInfo, g.header, g.records, m, bytes.size());
  if (block == 0) {
    loader.feed(bytes);
  } else {
    for (std::size_t at = 0; at < bytes.size(); at += block)
      if (!loader.feed(bytes.substr(at, block))) break;
  }
  const vkz::OpenResult r = loader.finish();

  // Blocks of any size read as the whole file at once does.
  if (block != 0) {
    Grids w;
    vkz::MeasurementData m2;
    const vkz::OpenResult o = vkztest::readDataFileBytes(bytes, meter, w.userInfo, w.header, w.records, m2);
    if (o.status != r.status || o.lines != r.lines || o.badLine != r.badLine || o.records != r.records ||
        o.message != r.message || !sameRows(w.userInfo, g.userInfo) || !sameRows(w.header, g.header) ||
        !sameRows(w.records, g.records) || m2.PointValue1 != m.PointValue1 || m2.PointValue5 != m.PointValue5)
      std::abort();
  }

  // What was read must be consistent.
  if (r.records > m.PointValue1.size() || m.PointValue1.size() != m.PointValue5.size()) std::abort();
  if (m.PointValue1.size() > bytes.size() / 7 + 1) std::abort();
  if (r.status != vkz::OpenStatus::Ok && r.message.empty()) std::abort();
  // A file whose last line has no line end was cut: it is never read whole.
  if (r.ok() && !bytes.empty() && bytes.back() != '\n' && bytes.back() != '\r') std::abort();
  for (int col = 2; col <= 5; ++col) {
    vkz::HistogramResult h = vkz::LevelHistogram(g.records, col, vkz::HistResolution::Tenth);
    if (h.HistCount != g.records.rows() - 1) std::abort();
  }
  return 0;
}
