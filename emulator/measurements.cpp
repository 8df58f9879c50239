#include "emulator/measurements.h"

#include <algorithm>
#include <cmath>

namespace vkz::emu {

// ---- dates ------------------------------------------------------------------

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
long long daysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civilFromDays(long long z, int& y, int& m, int& d) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (m <= 2));
}

}  // namespace

bool DateTime::valid() const {
  if (month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
      second < 0 || second > 59 || year < 1 || year > 9999)
    return false;
  int y, m, d;
  civilFromDays(daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)), y, m, d);
  return m == month && d == day;
}

long long DateTime::toSeconds() const {
  return daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400LL +
         hour * 3600LL + minute * 60LL + second;
}

DateTime DateTime::fromSeconds(long long s) {
  long long days = s / 86400, rem = s % 86400;
  if (rem < 0) {
    rem += 86400;
    --days;
  }
  DateTime t;
  civilFromDays(days, t.year, t.month, t.day);
  t.hour = static_cast<int>(rem / 3600);
  t.minute = static_cast<int>(rem / 60 % 60);
  t.second = static_cast<int>(rem % 60);
  return t;
}

// ---- records ----------------------------------------------------------------

namespace {

std::uint16_t tenths(double db, unsigned max) {
  const double r = std::nearbyint(db * 10.0);
  if (!(r > 0)) return 0;
  return static_cast<std::uint16_t>(std::min<double>(r, max));
}

}  // namespace

Record Record::make(double lavgDb, double leqDb, double lcpkDb, double lzpkDb, bool paused) {
  Record r;
  r.w0 = static_cast<std::uint16_t>(tenths(lavgDb, 0x7FFF) | (paused ? 0x8000 : 0));
  r.leq = tenths(leqDb, 0xFFFF);
  r.lcpk = tenths(lcpkDb, 0xFFFF);
  r.lzpk = tenths(lzpkDb, 0xFFFF);
  return r;
}

Bytes blockPayload(const std::vector<Record>& records, unsigned block) {
  Bytes out;
  const std::size_t first = static_cast<std::size_t>(block) * 10;
  if (first >= records.size()) return out;
  const std::size_t last = std::min(records.size(), first + 10);
  out.reserve((last - first) * 8);
  for (std::size_t i = first; i < last; ++i) {
    const Record& r = records[i];
    for (std::uint16_t w : {r.w0, r.leq, r.lcpk, r.lzpk}) {
      out.push_back(static_cast<std::uint8_t>(w & 0xFF));
      out.push_back(static_cast<std::uint8_t>(w >> 8));
    }
  }
  return out;
}

// ---- generator --------------------------------------------------------------

namespace {

// splitmix64: small, fast and the same on every platform (unlike the
// standard library's distributions), so a seed always gives the same memory.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : s_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (s_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
  int below(int n) { return n > 0 ? static_cast<int>(next() % static_cast<std::uint64_t>(n)) : 0; }
  double normal() {
    const double u1 = std::max(uniform(), 1e-12), u2 = uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
  }

 private:
  std::uint64_t s_;
};

}  // namespace

std::vector<Record> generateRecords(std::uint64_t seed, int count, Profile profile, int thresholdDb) {
  std::vector<Record> out;
  if (count <= 0) return out;
  out.reserve(static_cast<std::size_t>(count));
  Rng rng(seed * 0x2545F4914F6CDD1DULL + 17);
  const bool shop = profile == Profile::Workshop;
  const double base = shop ? 80.0 + 15.0 * rng.uniform() : 55.0 + 6.0 * rng.uniform();

  // Every workshop shift of some length shows each feature at least once.
  const bool sure = shop && count >= 30;
  const int pauseAt = sure ? count / 4 + rng.below(count / 6) : -1;
  const int quietAt = sure ? count / 2 + rng.below(count / 6) : -1;
  const int impulseAt = shop && count >= 10 ? rng.below(count) : -1;

  double drift = 0.0;
  int pauseLeft = 0, quietLeft = 0;
  bool pauseBlank = false;
  for (int i = 0; i < count; ++i) {
    drift = 0.9 * drift + 0.8 * rng.normal();
    if (pauseLeft == 0 && (i == pauseAt || rng.uniform() < 0.004)) {
      pauseLeft = 3 + rng.below(10);
      pauseBlank = rng.uniform() < 0.5;
    }
    if (shop && quietLeft == 0 && (i == quietAt || rng.uniform() < 0.006)) quietLeft = 5 + rng.below(20);

    double leq = base + drift + 1.2 * rng.normal();
    if (quietLeft > 0) {  // a break: the machines are off
      leq = 58.0 + 6.0 * rng.uniform() + rng.normal();
      --quietLeft;
    }
    leq = std::clamp(leq, 35.0, 125.0);
    double cpk;
    if (shop) {
      cpk = leq + 12.0 + 8.0 * rng.uniform();
      if (i == impulseAt || rng.uniform() < 0.02) cpk = 120.0 + 20.0 * rng.uniform();  // impacts
    } else {
      cpk = std::min(leq + 5.0 + 5.0 * rng.uniform(), 72.9);
    }
    cpk = std::min(cpk, 140.0);
    const double zpk = shop ? cpk + 0.3 + 2.5 * rng.uniform() : std::min(cpk + 1.0 * rng.uniform(), 72.9);
    // LAVG leaves out what lies below the threshold: a quiet interval has none.
    const double lavg = leq >= thresholdDb ? std::max<double>(thresholdDb, leq - 0.6 * rng.uniform()) : 0.0;

    if (pauseLeft > 0) {
      --pauseLeft;
      out.push_back(pauseBlank ? Record::make(0, 0, 0, 0, true) : Record::make(lavg, leq, cpk, zpk, true));
    } else {
      out.push_back(Record::make(lavg, leq, cpk, zpk));
    }
  }
  return out;
}

// ---- header -----------------------------------------------------------------

namespace {

void put8(Header& h, int off, long long v) {
  h[off] = static_cast<std::uint8_t>(std::clamp<long long>(v, 0, 255));
}
void put16(Header& h, int off, long long v) {
  const auto u = static_cast<unsigned>(std::clamp<long long>(v, 0, 0xFFFF));
  h[off] = static_cast<std::uint8_t>(u & 0xFF);
  h[off + 1] = static_cast<std::uint8_t>(u >> 8);
}
void put32(Header& h, int off, long long v) {
  // The program reads these fields as signed: keep them below 2^31.
  const auto u = static_cast<unsigned long>(std::clamp<long long>(v, 0, 0x7FFFFFFF));
  put16(h, off, static_cast<long long>(u & 0xFFFF));
  put16(h, off + 2, static_cast<long long>(u >> 16));
}
// A level in dB as 0.1 dB steps.
void putLevel(Header& h, int off, double db) {
  put16(h, off, std::llround(db * 10.0));
}

void putDateTime(Header& h, int off, const DateTime& t) {
  put16(h, off, t.year);
  put8(h, off + 2, t.month);
  put8(h, off + 3, t.day);
  put8(h, off + 4, t.hour);
  put8(h, off + 5, t.minute);
  put8(h, off + 6, t.second);
}

// Frequency weightings A, C, Z relative to A for broadband shop noise, and
// the time weightings F, S, I around the slow reading.
constexpr double kFreqOffset[3] = {0.0, 3.0, 4.2};
constexpr double kMaxOffset[3] = {1.2, 0.0, 2.8};  // F, S, I
constexpr double kMinOffset[3] = {-1.5, -0.5, -0.3};
constexpr double kSpread[3] = {1.1, 1.0, 1.05};
constexpr double kImpulseOffset[3] = {0.0, 0.0, 0.8};

}  // namespace

Header buildHeader(const MeasurementInfo& info, const std::vector<Record>& records) {
  Header h{};
  const long long n = static_cast<long long>(records.size());
  const long long interval = info.interval;
  const long long total = n * interval;

  putDateTime(h, hdr::Start, info.start);
  const DateTime stop = info.start.plusSeconds(total);
  for (int ch = 0; ch < 3; ++ch) {
    put8(h, hdr::StopTime + 3 * ch, stop.hour);
    put8(h, hdr::StopTime + 3 * ch + 1, stop.minute);
    put8(h, hdr::StopTime + 3 * ch + 2, stop.second);
    put16(h, hdr::StopDate + 4 * ch, stop.year);
    put8(h, hdr::StopDate + 4 * ch + 2, stop.month);
    put8(h, hdr::StopDate + 4 * ch + 3, stop.day);
  }
  for (int p = 0; p < 14; ++p) h[hdr::PageChannel + p] = info.pageChannels[p];
  put32(h, hdr::Duration, total);
  put32(h, hdr::Interval, interval);
  put16(h, hdr::RecordCount, n);

  // Levels of the records the meter was measuring (not paused, not blank).
  std::vector<double> levels;
  std::vector<long long> index;
  for (long long i = 0; i < n; ++i) {
    const Record& r = records[static_cast<std::size_t>(i)];
    if (!r.paused() && r.leq > 0) {
      levels.push_back(r.leq / 10.0);
      index.push_back(i);
    }
  }
  const double tMeas = static_cast<double>(levels.size()) * static_cast<double>(interval);

  double laeq = 0.0;
  if (!levels.empty()) {
    double e = 0.0;
    for (double l : levels) e += std::pow(10.0, l / 10.0);
    laeq = 10.0 * std::log10(e / static_cast<double>(levels.size()));
  }
  const double eqs[3] = {laeq, laeq + kFreqOffset[1], laeq + kFreqOffset[2]};
  const double p0sq = 4e-10;  // (20 uPa)^2
  const double energy[3] = {p0sq * tMeas * std::pow(10.0, eqs[0] / 10.0),
                            p0sq * tMeas * std::pow(10.0, eqs[1] / 10.0),
                            p0sq * tMeas * std::pow(10.0, eqs[2] / 10.0)};
  const double lep = tMeas > 0 ? laeq + 10.0 * std::log10(tMeas / 28800.0) : 0.0;

  unsigned peakC = 0, peakZ = 0;
  for (const Record& r : records) {
    if (r.paused()) continue;
    peakC = std::max<unsigned>(peakC, r.lcpk);
    peakZ = std::max<unsigned>(peakZ, r.lzpk);
  }

  for (int ch = 0; ch < 3; ++ch) {
    const int base = ch == 0 ? 0 : 9 * ch;  // D1 has no enable byte
    const int T = info.dose[base + 2], Lc = info.dose[base + 3], ER = info.dose[base + 4],
              exceed = info.dose[base + 5];
    const int pw = info.dose[base + 6] << 8 | info.dose[base + 7];
    h[hdr::Threshold + ch] = static_cast<std::uint8_t>(T);
    h[hdr::Criterion + ch] = static_cast<std::uint8_t>(Lc);
    h[hdr::ExchangeRate + ch] = static_cast<std::uint8_t>(ER);
    h[hdr::ExceedLevel + ch] = static_cast<std::uint8_t>(exceed);
    put32(h, hdr::PwMinutes + 4 * ch, pw);

    // Dose: the sum over the measured intervals of interval / allowed time,
    // allowed time = PW halved (ER 3 dB: per 3 dB) above the criterion level.
    double dose = 0.0;  // percent
    long long overSeconds = 0, lastOver = 0;
    if (ER > 0 && pw > 0) {
      // Level change per tenfold dose; 3 dB is the equal-energy rule (q = 10).
      const double q = ER == 3   ? 10.0
                       : ER == 4 ? 13.29
                       : ER == 5 ? 16.61
                       : ER == 6 ? 20.0
                                 : ER / std::log10(2.0);
      double sum = 0.0;
      for (std::size_t j = 0; j < levels.size(); ++j) {
        if (levels[j] >= T) sum += static_cast<double>(interval) * std::pow(10.0, (levels[j] - Lc) / q);
        if (levels[j] >= exceed) {
          overSeconds += interval;
          lastOver = (index[j] + 1) * interval;
        }
      }
      dose = 100.0 * sum / (pw * 60.0);
      const double pdose = tMeas > 0 ? dose * pw * 60.0 / tMeas : 0.0;
      put32(h, hdr::Dose + 4 * ch, std::llround(dose * 10.0));
      put32(h, hdr::PDose + 4 * ch, std::llround(pdose * 10.0));
      if (dose > 0) putLevel(h, hdr::TWA + 2 * ch, std::max(0.0, Lc + q * std::log10(dose / 100.0)));
      if (pdose > 0) {
        const double ptwa = std::max(0.0, Lc + q * std::log10(pdose / 100.0));
        putLevel(h, hdr::PTWA + 2 * ch, ptwa);
        putLevel(h, hdr::LAVG + 2 * ch, ptwa);
      }
    }
    put32(h, hdr::ExceedTime + 4 * ch, overSeconds);
    put32(h, hdr::ExceedStop + 4 * ch, lastOver);

    put32(h, hdr::EA + 4 * ch, std::llround(energy[0]));
    put32(h, hdr::EC + 4 * ch, std::llround(energy[1]));
    put32(h, hdr::EZ + 4 * ch, std::llround(energy[2]));
    put32(h, hdr::EXPs + 4 * ch, std::llround(energy[0] * 10.0));
    putLevel(h, hdr::EXPh + 2 * ch, energy[0] / 3600.0);  // 0.1 Pa2h steps

    if (!levels.empty()) {
      putLevel(h, hdr::LEPd + 2 * ch, std::max(0.0, lep));
      putLevel(h, hdr::PLEPd + 2 * ch, laeq);
      putLevel(h, hdr::LEX8H + 2 * ch, std::max(0.0, lep));
      putLevel(h, hdr::PLEX8H + 2 * ch, laeq);
      putLevel(h, hdr::LAEQ + 2 * ch, eqs[0]);
      putLevel(h, hdr::LCEQ + 2 * ch, eqs[1]);
      putLevel(h, hdr::LZEQ + 2 * ch, eqs[2]);
      const double toE = 10.0 * std::log10(tMeas);
      putLevel(h, hdr::LAE + 2 * ch, eqs[0] + toE);
      putLevel(h, hdr::LCE + 2 * ch, eqs[1] + toE);
      putLevel(h, hdr::LZE + 2 * ch, eqs[2] + toE);
      putLevel(h, hdr::HML + 2 * ch, eqs[1] - eqs[0]);
      putLevel(h, hdr::Ti + 2 * ch, 1.8);  // LAIEQ - LAEQ
    }
    put16(h, hdr::PKC + 2 * ch, peakC);
    put16(h, hdr::PKZ + 2 * ch, peakZ);
    put16(h, hdr::PKA + 2 * ch, peakC > 20 ? peakC - 20 : 0);
  }

  if (!levels.empty()) {
    std::vector<double> sorted = levels;
    std::sort(sorted.begin(), sorted.end());
    const auto pct = [&](double exceededPercent) {  // level exceeded that share of the time
      const double pos = (1.0 - exceededPercent / 100.0) * static_cast<double>(sorted.size() - 1);
      return sorted[static_cast<std::size_t>(std::floor(pos))];
    };
    const double median = pct(50);
    const std::size_t iMax =
        static_cast<std::size_t>(std::max_element(levels.begin(), levels.end()) - levels.begin());
    const std::size_t iMin =
        static_cast<std::size_t>(std::min_element(levels.begin(), levels.end()) - levels.begin());
    const int offs[5] = {hdr::L05, hdr::L10, hdr::L50, hdr::L90, hdr::L95};
    const double pcts[5] = {5, 10, 50, 90, 95};
    for (int k = 0; k < 9; ++k) {
      const int f = k / 3, t = k % 3;
      putLevel(h, hdr::Max + 4 * k, levels[iMax] + kFreqOffset[f] + kMaxOffset[t]);
      putLevel(h, hdr::Min + 4 * k, levels[iMin] + kFreqOffset[f] + kMinOffset[t]);
      put32(h, hdr::MaxTime + 8 * k, index[iMax] * interval + interval / 2 + t);
      put32(h, hdr::MinTime + 8 * k, index[iMin] * interval + interval / 2 + t);
      for (int p = 0; p < 5; ++p)
        putLevel(h, offs[p] + 2 * k,
                 median + (pct(pcts[p]) - median) * kSpread[t] + kFreqOffset[f] + kImpulseOffset[t]);
    }
    putLevel(h, hdr::LAEQ05, pct(5));
    putLevel(h, hdr::LAEQ10, pct(10));
    putLevel(h, hdr::LAEQ50, pct(50));
    putLevel(h, hdr::LAEQ90, pct(90));
    putLevel(h, hdr::LAEQ95, pct(95));
    for (int j = 0; j < 3; ++j) putLevel(h, hdr::LIEQ + 2 * j, eqs[j] + 1.8 - 0.3 * j);
    putLevel(h, hdr::LAFTM5, laeq + 2.6);
    putLevel(h, hdr::LAFTM3, laeq + 1.9);
    putLevel(h, hdr::Ki, 2.6);
  }
  return h;
}

}  // namespace vkz::emu
