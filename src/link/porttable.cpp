#include "link/porttable.h"

#include <cstdio>

#include "base/cp1252.h"
#include "link/eventpump.h"

namespace vkz {

PortEntry* CurrentEntry(LinkState& l) {
  if (l.CurPort < 1 || l.CurPort > kMaxPorts) return nullptr;
  return &l.PortTable[static_cast<std::size_t>(l.CurPort)];
}

std::int16_t OpenPort(MeterLine line, int port, const std::string& settings) {
  LinkState& l = line.link;
  ComPortAPI& api = line.api;
  if (l.PortCount >= kMaxPorts) {
    showLinkMessage("Open Port Error");
    return 0;
  }
  const std::string name = "COM" + std::to_string(port);
  // A port this object still holds (linked before) is closed first, so the
  // open below is never refused as in use.
  api.CommClose(port);
  api.CommOpen(port, name, settings);
  ResetPortRecords(l);
  l.PortCount = static_cast<std::int16_t>(l.PortCount + 1);
  PortEntry& e = l.PortTable[static_cast<std::size_t>(l.PortCount)];
  e.PortNo = static_cast<std::int16_t>(port);
  e.PortName = name;
  e.PortSettings = settings;
  return -1;
}

void CloseAllPorts(MeterLine line) {
  LinkState& l = line.link;
  for (int i = 1; i <= l.PortCount && i <= kMaxPorts; ++i) {
    PortEntry& e = l.PortTable[static_cast<std::size_t>(i)];
    line.api.CommClose(e.PortNo);
    e.PortNo = 0;
    e.PortName.clear();
    e.PortSettings.clear();
    e.PortReply = ReplyFrame{};
    e.RxBuf.clear();
  }
}

void FlushCurrentPort(MeterLine line) {
  PortEntry* e = CurrentEntry(line.link);
  if (!e) return;
  line.api.CommFlush(e->PortNo);
  e->RxBuf.clear();
  // The bytes of a half-parsed frame are gone; left in mid-frame the
  // parser would take the next reply's bytes as the rest of the old payload
  // and lose that reply too.
  RestartReplyFrame(e->PortReply);
}

bool WriteCurrentPort(MeterLine line, const std::vector<std::uint8_t>& frame) {
  PortEntry* e = CurrentEntry(line.link);
  if (!e) return false;
  return line.api.CommWrite(e->PortNo, frame) == static_cast<std::int32_t>(frame.size());
}

std::int32_t ReadCurrentPort(MeterLine line) {
  PortEntry* e = CurrentEntry(line.link);
  if (!e) return 0;
  std::vector<std::uint8_t> data;
  const int port = e->PortNo;
  const std::int32_t n = line.api.CommRead(port, data, 4096);
  // The bytes belong to the entry they were read for, even if a handler run
  // by the read's turn of the event loop made another entry current.
  if (n > 0) e->RxBuf.insert(e->RxBuf.end(), data.begin(), data.end());
  return n;
}

void ResetPortRecords(LinkState& l) {
  ClearRecordTemplate(l);
  l.CurReply.ReplyCode = 0;
  l.CurReply.ReplyCheck = 0;
  l.CurReply.ReplyLength = 0;
  l.CurReply.ReplyState = 0;
  l.CurReply.ReplyPos = 0;
  for (int i = 1; i <= kMaxPorts; ++i) l.PortTable[static_cast<std::size_t>(i)].PortReply = l.CurReply;
}

void ClearRecordTemplate(LinkState& l) {
  l.CurReply.ReplyData.fill(0);
}

int ParseResponse(LinkState& l, std::vector<std::uint8_t>& buffer) {
  PortEntry* e = CurrentEntry(l);
  if (!e) return 0;
  return ParseReplyFrame(e->PortReply, buffer);
}

int ParseCurrentPort(LinkState& l) {
  PortEntry* e = CurrentEntry(l);
  if (!e) return 0;
  return ParseReplyFrame(e->PortReply, e->RxBuf);
}

std::vector<std::uint8_t> BytesFrom(const std::vector<std::uint8_t>& bytes, int n) {
  if (n < 0) n = 0;
  if (static_cast<std::size_t>(n) >= bytes.size()) return {};
  return std::vector<std::uint8_t>(bytes.begin() + n, bytes.end());
}

namespace {
std::string bytesToText(const std::uint8_t* bytes, std::size_t size, int last, const std::string& mode) {
  if (last < 0 || static_cast<std::size_t>(last) >= size) return "";
  const std::size_t n = static_cast<std::size_t>(last) + 1;
  if (mode == "chr") return cp1252ToUtf8(std::string_view(reinterpret_cast<const char*>(bytes), n));
  if (mode == "hex") {
    std::string s;
    char buf[4];
    for (std::size_t i = 0; i < n; ++i) {
      std::snprintf(buf, sizeof buf, "%X", bytes[i]);
      s += buf;
    }
    return s;
  }
  if (mode == "asc") {
    long sum = 0;
    for (std::size_t i = 0; i < n; ++i) sum += bytes[i];
    return std::to_string(sum);
  }
  return "";
}
}  // namespace

std::string BytesToText(const std::vector<std::uint8_t>& bytes, int last, const std::string& mode) {
  return bytesToText(bytes.data(), bytes.size(), last, mode);
}

std::string BytesToText(const ReplyFrame& reply, int last, const std::string& mode) {
  return bytesToText(reply.ReplyData.data(), reply.ReplyData.size(), last, mode);
}

}  // namespace vkz
