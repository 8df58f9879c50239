#include "link/porttable.h"

#include <algorithm>
#include <cstdio>
#include <span>

#include "base/cp1252.h"
#include "base/log.h"
#include "base/trtext.h"
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
  if (api.CommOpen(port, name, settings) == 0) {
    logLazy(LogArea::Link, LogLevel::Info,
            [&] { return name + " opened: " + api.DevicePath(port) + " \"" + settings + "\""; });
  } else {
    logLazy(LogArea::Link, LogLevel::Warning, [&] {
      std::string error;
      api.CommGetError(error);
      return name + " not opened: " + error;
    });
    // Not a serial device, or one the user may not use: the user can mend
    // it, so they are told (an absent device shows as a silent meter).
    const std::string refusal = api.OpenRefusal(port);
    if (!refusal.empty()) showLinkMessage(refusal);
  }
  ResetPortRecords(l);
  l.PortCount = static_cast<std::int16_t>(l.PortCount + 1);
  PortEntry& e = l.PortTable[static_cast<std::size_t>(l.PortCount)];
  e.PortNo = static_cast<std::int16_t>(port);
  e.PortName = name;
  e.PortSettings = settings;
  return -1;
}

std::int32_t RelinkPort(MeterLine line, int entry, const std::string& path) {
  if (entry < 1 || entry > line.link.PortCount) return kPortRangeError;
  PortEntry& e = line.link.PortTable[static_cast<std::size_t>(entry)];
  ComPortAPI& api = line.api;
  api.CommClose(e.PortNo);
  const std::int32_t rc = api.CommOpenAt(e.PortNo, e.PortName, path, e.PortSettings);
  if (rc != 0) return rc;
  logLazy(LogArea::Link, LogLevel::Info,
          [&] { return e.PortName + " opened again: " + path + " \"" + e.PortSettings + "\""; });
  e.RxBuf.clear();
  e.PortReply = ReplyFrame{};
  return 0;
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
  logLazy(LogArea::Link, LogLevel::Debug, [&] {
    return e->PortName + " flushed" +
           (e->RxBuf.empty() ? "" : ", unparsed bytes dropped: " + hexBytes(e->RxBuf));
  });
  line.api.CommFlush(e->PortNo);
  e->RxBuf.clear();
  // The bytes of a half-parsed frame are gone; left in mid-frame the
  // parser would take the next reply's bytes as the rest of the old payload
  // and lose that reply too.
  RestartReplyFrame(e->PortReply);
}

PortResult WriteCurrentPort(MeterLine line, const std::vector<std::uint8_t>& frame) {
  PortEntry* e = CurrentEntry(line.link);
  if (!e || e->PortNo < 1) {
    logLazy(LogArea::Link, LogLevel::Warning,
            [&] { return "frame not sent, no port linked: " + hexBytes(frame); });
    return {PortStatus::NoPort, trText("Port", "No port is linked.")};
  }
  // Copies: the write turns the event loop, and a handler may change the
  // table meanwhile.
  const int port = e->PortNo;
  const std::string name = e->PortName;
  // Logged as written only once it has gone out whole to an open port, and
  // before the write turns the event loop, where the meter's answer may be
  // read.
  const std::int32_t written = line.api.CommWrite(port, frame, [&](std::int32_t n) {
    if (n >= 0 && static_cast<std::size_t>(n) == frame.size())
      logLazy(LogArea::Link, LogLevel::Debug, [&] { return name + " > " + hexBytes(frame); });
    else
      logLazy(LogArea::Link, LogLevel::Debug, [&] {
        return name + " frame not sent whole (" + std::to_string(std::max(n, 0)) + " of " +
               std::to_string(frame.size()) + " bytes written): " + hexBytes(frame);
      });
  });
  if (written >= 0 && static_cast<std::size_t>(written) == frame.size()) return {};
  PortResult r;
  if (line.api.IsOpen(port) != -1) {
    r = {PortStatus::Failed, fillText(trText("Port", "%1 is not open."), {name})};
  } else {
    line.api.CommGetError(r.error);
    if (written > 0) {
      r.status = PortStatus::Short;
      r.error = fillText(trText("Port", "%1 of %2 bytes written. %3"),
                         {std::to_string(written), std::to_string(frame.size()), r.error});
    } else {
      r.status = PortStatus::Failed;
    }
  }
  logWrite(LogArea::Link, LogLevel::Warning, name + " write failed: " + r.error);
  return r;
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

namespace {

// Why the parser emptied a buffer that held no frame, read from the bytes it
// had and the record it left.
std::string dropReason(const std::vector<std::uint8_t>& bytes, const ReplyFrame& rec) {
  if (bytes.empty() || bytes[0] != kReplyStart) return "no start byte";
  if (rec.ReplyLength > kMaxReplyPayload) return "length " + std::to_string(rec.ReplyLength) + " over 540";
  return "wrong checksum";
}

// The parser with its log: each frame cut ("COM1 < 03 00 ...") and the
// bytes it dropped. The buffer is copied only while vkz.link is on; the
// parser only ever takes bytes from its front.
int parseLogged(PortEntry& e, std::vector<std::uint8_t>& buffer) {
  if (!logEnabled(LogArea::Link, LogLevel::Debug) && !logEnabled(LogArea::Link, LogLevel::Warning))
    return ParseReplyFrame(e.PortReply, buffer);
  const std::vector<std::uint8_t> before = buffer;
  const int delivered = ParseReplyFrame(e.PortReply, buffer);
  const std::size_t taken = before.size() - std::min(before.size(), buffer.size());
  const std::span<const std::uint8_t> bytes(before.data(), taken);
  if (delivered == 1) {
    logWrite(LogArea::Link, LogLevel::Debug, e.PortName + " < " + hexBytes(bytes));
  } else if (taken > 0) {
    logWrite(LogArea::Link, LogLevel::Warning,
             e.PortName + " dropped " + std::to_string(taken) + " bytes (" + dropReason(before, e.PortReply) +
                 "): " + hexBytes(bytes));
  }
  return delivered;
}

}  // namespace

int ParseResponse(LinkState& l, std::vector<std::uint8_t>& buffer) {
  PortEntry* e = CurrentEntry(l);
  if (!e) return 0;
  return parseLogged(*e, buffer);
}

int ParseCurrentPort(LinkState& l) {
  PortEntry* e = CurrentEntry(l);
  if (!e) return 0;
  return parseLogged(*e, e->RxBuf);
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
