#include "reports/reportdata.h"

#include "base/numfmt.h"

namespace vkz {

ProgressCaption::ProgressCaption(std::uint64_t total, int decimals, std::string completedText)
    : total_(total), decimals_(decimals), completed_(std::move(completedText)) {
  scale_ = 100;
  for (int i = 0; i < decimals; ++i) scale_ *= 10;
}

void ProgressCaption::reset(std::uint64_t total) {
  total_ = total;
  last_ = -1;
}

bool ProgressCaption::update(std::uint64_t done) {
  if (total_ == 0) return false;
  // Units of the last decimal, halves up: floor(done * scale / total + 1/2).
  const std::uint64_t units = (2 * done * scale_ + total_) / (2 * total_);
  if (static_cast<std::int64_t>(units) == last_) return false;
  last_ = static_cast<std::int64_t>(units);
  std::uint64_t div = scale_ / 100;
  text_ = std::to_string(units / div);
  if (decimals_ > 0) {
    std::string frac = std::to_string(units % div);
    text_ += decimalSeparator();
    text_.append(static_cast<size_t>(decimals_) - frac.size(), '0');
    text_ += frac;
  }
  text_ += "% ";
  text_ += completed_;
  return true;
}

}  // namespace vkz
