#include "emulator/protocol.h"

#include <cstdio>

namespace vkz::emu {

namespace {

// Parameter bytes of each request with a fixed layout; -1 where the code is
// unknown, -2 for the welcome text whose length field says one more.
constexpr int kWelcomeQuirk = -2;

int fixedParams(std::uint8_t code) {
  switch (code) {
    case 0x00:
    case 0x01:
    case 0x02:
    case 0x03:
    case 0x04:
    case 0x05:
    case 0x06:
    case 0x07:
    case 0x08:
    case 0x09:
    case 0x0A:
    case 0x0B:
    case 0x0C:
    case 0x0D:
    case 0x0F:
    case 0x10:
    case 0x11:
    case 0x13:
    case 0x14:
    case 0x15:
      return 0;
    case 0x0E:
      return 1;
    case 0x12:
      return 2;
    case 0x81:
    case 0x83:
    case 0x86:
    case 0x88:
    case 0x89:
      return 1;
    case 0x82:
      return 7;
    case 0x84:
      return 26;
    case 0x85:
      return 36;
    case 0x87:
      return 45;
    case 0x8A:
      return 46;
    case 0x8B:
      return 49;
    case 0x8C:
      return 35;
    case 0x8D:
      return kWelcomeQuirk;
    case 0x8E:
      return 11;
    case 0x8F:
      return 2;
    case 0x90:
      return 7;
    case 0x91:
      return 4;
    default:
      return -1;
  }
}

std::uint8_t xorOf(const Bytes& b, std::size_t from, std::size_t to) {
  std::uint8_t x = 0;
  for (std::size_t i = from; i < to; ++i) x ^= b[i];
  return x;
}

}  // namespace

int requestParamCount(std::uint8_t code, int lengthField) {
  const int p = fixedParams(code);
  if (p == -1) return -1;
  if (p == kWelcomeQuirk) return lengthField >= 2 ? lengthField - 2 : -1;
  return lengthField == p + 1 ? p : -1;
}

int requestSurplus(std::uint8_t code) {
  switch (code) {
    case cmd::ReadCalibration:
    case cmd::ReadLunchTime:
    case cmd::ReadIntervalTime:
      return 2;
    case cmd::WriteLunchTime:
      return 1;
    case cmd::WriteIntervalTime:
      return 4;
    default:
      return 0;
  }
}

std::string requestName(std::uint8_t code) {
  static const char* const reads[] = {
      "ReadModel",      "ReadLcdContrast", "ReadClock",           "ReadLcdApo",         "ReadDoseSettings",
      "ReadScreens",    "ReadPause",       "ReadLedAlarm",        "ReadKeypadLock",     "ReadAutoScroll",
      "ReadTimers",     "ClearMemory",     "ReadMemoryListFirst", "ReadMemoryListNext", "ReadRecordHeader",
      "ReadMemorySize", "ReadWelcomeText", "ReadMeterName",       "ReadDataBlock",      "ReadCalibration",
      "ReadLunchTime",  "ReadIntervalTime"};
  static const char* const writes[] = {
      "WriteLcdContrast", "WriteClock",       "WriteLcdApo",      "WriteDoseSettings", "WriteScreens",
      "WritePause",       "WriteLedAlarm",    "WriteKeypadLock",  "WriteAutoScroll",   "WriteTimers1",
      "WriteTimers2",     "WriteTimers3",     "WriteWelcomeText", "WriteMeterName",    "WriteCalibration",
      "WriteLunchTime",   "WriteIntervalTime"};
  if (code <= 0x15) return reads[code];
  if (code >= 0x81 && code <= 0x91) return writes[code - 0x81];
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%02X", code);
  return buf;
}

Bytes makeReply(std::uint8_t code, const Bytes& payload) {
  Bytes f;
  f.reserve(payload.size() + 5);
  f.push_back(0x03);
  f.push_back(code);
  f.push_back(static_cast<std::uint8_t>(payload.size() >> 8));
  f.push_back(static_cast<std::uint8_t>(payload.size() & 0xFF));
  f.insert(f.end(), payload.begin(), payload.end());
  f.push_back(xorOf(f, 1, f.size()));
  return f;
}

Bytes makeRequest(std::uint8_t code, const Bytes& params) {
  const std::size_t len = params.size() + (code == cmd::WriteWelcomeText ? 2 : 1);
  Bytes f{0x02, static_cast<std::uint8_t>(len >> 8), static_cast<std::uint8_t>(len & 0xFF), code};
  f.insert(f.end(), params.begin(), params.end());
  f.push_back(xorOf(f, 1, f.size()));
  f.insert(f.end(), static_cast<std::size_t>(requestSurplus(code)), std::uint8_t{0});
  return f;
}

std::string toHex(const Bytes& bytes) {
  std::string s;
  s.reserve(bytes.size() * 3);
  char buf[4];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", bytes[i]);
    s += buf;
  }
  return s;
}

void RequestParser::feed(const std::uint8_t* data, std::size_t n, SteadyClock::time_point now,
                         std::vector<Item>& out) {
  for (std::size_t i = 0; i < n; ++i) take(data[i], now, out);
  if (n) last_ = now;
}

void RequestParser::flushJunk(SteadyClock::time_point now, std::vector<Item>& out) {
  if (junk_.empty()) return;
  Request r;
  r.time = now;
  r.bytes = std::move(junk_);
  r.status = Request::Status::Junk;
  out.push_back({Item::Kind::Junk, std::move(r)});
  junk_.clear();
}

void RequestParser::take(std::uint8_t b, SteadyClock::time_point now, std::vector<Item>& out) {
  if (frame_.empty()) {
    if (b == 0x02) {
      flushJunk(now, out);
      frame_.push_back(b);
    } else if (b == 0x00 && junk_.empty()) {
      out.push_back({Item::Kind::Surplus, {}});
    } else {
      junk_.push_back(b);
    }
    return;
  }
  frame_.push_back(b);
  const std::size_t have = frame_.size();
  if (have < 4) {
    if (have == 3) {
      const int len = frame_[1] << 8 | frame_[2];
      // No request is longer than a few dozen bytes: a length this far off
      // means the 0x02 was not a start byte. Take it as junk and look again.
      if (len == 0 || len > 0x100) {
        Bytes rest(frame_.begin() + 1, frame_.end());
        frame_.clear();
        junk_.push_back(0x02);
        for (std::uint8_t c : rest) take(c, now, out);
      }
    }
    return;
  }
  const int len = frame_[1] << 8 | frame_[2];
  const std::uint8_t code = frame_[3];
  const int params = requestParamCount(code, len);
  const bool quirk = code == cmd::WriteWelcomeText && params >= 0;
  const std::size_t total = quirk ? static_cast<std::size_t>(len) + 3 : static_cast<std::size_t>(len) + 4;
  if (have < total) return;

  Request r;
  r.time = now;
  r.code = code;
  r.bytes = std::move(frame_);
  frame_.clear();
  if (fixedParams(code) == -1) {
    r.status = Request::Status::UnknownCode;
  } else if (params < 0) {
    r.status = Request::Status::BadLength;
  } else {
    r.params.assign(r.bytes.begin() + 4, r.bytes.begin() + 4 + params);
    r.status = xorOf(r.bytes, 1, total - 1) == r.bytes[total - 1] ? Request::Status::Ok
                                                                  : Request::Status::BadChecksum;
  }
  out.push_back({Item::Kind::Frame, std::move(r)});
}

void RequestParser::expire(SteadyClock::time_point now, std::vector<Item>& out) {
  if (idle() || now - last_ < gap_) return;
  flushJunk(now, out);
  if (!frame_.empty()) {
    Request r;
    r.time = now;
    r.bytes = std::move(frame_);
    r.code = r.bytes.size() > 3 ? r.bytes[3] : 0;
    r.status = Request::Status::Incomplete;
    frame_.clear();
    out.push_back({Item::Kind::Frame, std::move(r)});
  }
}

void RequestParser::reset() {
  frame_.clear();
  junk_.clear();
}

}  // namespace vkz::emu
