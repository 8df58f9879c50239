#include "settings/screens.h"

namespace vkz {
namespace {

using T = UiText;

// The quantities in list order. The SPL values, maxima and minima run AF,
// AS, AI, CF, CS, CI, ZF, ZS, ZI (each maximum before its minimum); the
// percentile levels run A, C, Z, each with 10, 50, 90, 95, 05 and within
// each percentage F, S, I.
constexpr std::string UiText::*kSlots[kScreenQuantityCount] = {
    &T::TxtSystemTime, &T::TxtSPLAF,  &T::TxtSPLAS,  &T::TxtSPLAI,      &T::TxtSPLCF,   &T::TxtSPLCS,
    &T::TxtSPLCI,      &T::TxtSPLZF,  &T::TxtSPLZS,  &T::TxtSPLZI,      &T::TxtBattery, &T::TxtMemRemain,
    &T::TxtDuration,   &T::TxtDose,   &T::TxtPDose,  &T::TxtTWA,        &T::TxtPTWA,    &T::TxtLAVG,
    &T::TxtLEPd,       &T::TxtPLEPd,  &T::TxtLAEQ,   &T::TxtLCEQ,       &T::TxtLZEQ,    &T::TxtLAE,
    &T::TxtLCE,        &T::TxtLZE,    &T::TxtEA,     &T::TxtEC,         &T::TxtEZ,      &T::TxtPKC,
    &T::TxtPKZ,        &T::TxtPKA,    &T::TxtLAFMax, &T::TxtLAFMin,     &T::TxtLASMax,  &T::TxtLASMin,
    &T::TxtLAIMax,     &T::TxtLAIMin, &T::TxtLCFMax, &T::TxtLCFMin,     &T::TxtLCSMax,  &T::TxtLCSMin,
    &T::TxtLCIMax,     &T::TxtLCIMin, &T::TxtLZFMax, &T::TxtLZFMin,     &T::TxtLZSMax,  &T::TxtLZSMin,
    &T::TxtLZIMax,     &T::TxtLZIMin, &T::TxtLAF10,  &T::TxtLAS10,      &T::TxtLAI10,   &T::TxtLAF50,
    &T::TxtLAS50,      &T::TxtLAI50,  &T::TxtLAF90,  &T::TxtLAS90,      &T::TxtLAI90,   &T::TxtLAF95,
    &T::TxtLAS95,      &T::TxtLAI95,  &T::TxtLAF05,  &T::TxtLAS05,      &T::TxtLAI05,   &T::TxtLCF10,
    &T::TxtLCS10,      &T::TxtLCI10,  &T::TxtLCF50,  &T::TxtLCS50,      &T::TxtLCI50,   &T::TxtLCF90,
    &T::TxtLCS90,      &T::TxtLCI90,  &T::TxtLCF95,  &T::TxtLCS95,      &T::TxtLCI95,   &T::TxtLCF05,
    &T::TxtLCS05,      &T::TxtLCI05,  &T::TxtLZF10,  &T::TxtLZS10,      &T::TxtLZI10,   &T::TxtLZF50,
    &T::TxtLZS50,      &T::TxtLZI50,  &T::TxtLZF90,  &T::TxtLZS90,      &T::TxtLZI90,   &T::TxtLZF95,
    &T::TxtLZS95,      &T::TxtLZI95,  &T::TxtLZF05,  &T::TxtLZS05,      &T::TxtLZI05,   &T::TxtLAEQ05,
    &T::TxtLAEQ10,     &T::TxtLAEQ50, &T::TxtLAEQ90, &T::TxtLAEQ95,     &T::TxtLEX8H,   &T::TxtPLEX8H,
    &T::TxtEXPh,       &T::TxtEXPs,   &T::TxtNEN,    &T::TxtExceedance, &T::TxtOFF,
};

bool validPage(int page) {
  return page >= 0 && page < kScreenPages;
}

bool validQuantity(int position) {
  return position >= 0 && position < kScreenQuantityCount;
}

}  // namespace

std::span<std::string UiText::*const, kScreenQuantityCount> screenQuantitySlots() {
  return std::span<std::string UiText::*const, kScreenQuantityCount>(kSlots);
}

std::optional<int> screenQuantityCode(int position) {
  if (!validQuantity(position)) return std::nullopt;
  if (position <= 17) return position;
  if (position <= 31) return position + 1;
  if (position <= 103) return position + 2;
  return position + 26;
}

std::optional<int> screenQuantityPosition(int code) {
  if (code >= 0 && code <= 17) return code;
  if (code >= 19 && code <= 32) return code - 1;
  if (code >= 34 && code <= 105) return code - 2;
  if (code >= 130 && code <= 132) return code - 26;
  return std::nullopt;
}

std::vector<std::string> screenQuantityItems(const UiText& t) {
  std::vector<std::string> items;
  items.reserve(kScreenQuantityCount);
  for (auto slot : kSlots) items.push_back(t.*slot);
  return items;
}

std::vector<std::string> screenChannelItems(const UiText& t) {
  return {t.TxtKalvox1, t.TxtKalvox2, t.TxtKalvox3};
}

bool ScreenPagesModel::setChannel(int page, int position) {
  if (!validPage(page) || position < 0 || position >= kScreenChannels) return false;
  pages_[static_cast<std::size_t>(page)].channel = position;  // no rule of its own
  return true;
}

bool ScreenPagesModel::setUpper(int page, int position) {
  if (!validPage(page) || !validQuantity(position)) return false;
  int& upper = pages_[static_cast<std::size_t>(page)].upper;
  if (upper == position) return true;
  upper = position;
  upperRule(page);
  return true;
}

bool ScreenPagesModel::setLower(int page, int position) {
  if (!validPage(page) || !validQuantity(position)) return false;
  int& lower = pages_[static_cast<std::size_t>(page)].lower;
  if (lower == position) return true;
  lower = position;
  lowerRule(page);
  return true;
}

// Both rules read the page afresh at every step: a step's own change has
// already run the changed line's rule by then.
void ScreenPagesModel::upperRule(int i) {
  const ScreenPage& p = page(i);
  if (p.upper == kScreenOff && p.lower == kScreenOff) setUpper(i, 0);
  if (isMaxMinQuantity(p.upper)) setLower(i, kScreenOff);
  if (isMaxMinQuantity(p.lower)) setUpper(i, kScreenOff);
}

void ScreenPagesModel::lowerRule(int i) {
  const ScreenPage& p = page(i);
  if (p.upper == kScreenOff && p.lower == kScreenOff) setLower(i, 0);
  if (isMaxMinQuantity(p.upper)) setLower(i, kScreenOff);
  if (isMaxMinQuantity(p.lower)) setUpper(i, kScreenOff);
}

void ScreenPagesModel::apply(const ScreenReadback& r) {
  for (int k = 0; k < kScreenPages; ++k) {
    const auto at = static_cast<std::size_t>(k);
    setChannel(k, r.channel[at]);  // a byte above 2 is refused: the list keeps its channel
    if (r.positions[2 * at]) setUpper(k, *r.positions[2 * at]);
    if (r.positions[2 * at + 1]) setLower(k, *r.positions[2 * at + 1]);
  }
}

ScreenBytes ScreenPagesModel::record() const {
  ScreenBytes b{};
  for (std::size_t k = 0; k < kScreenPages; ++k) {
    b[k] = pages_[k].channel;
    b[12 + k] = *screenQuantityCode(pages_[k].upper);
    b[24 + k] = *screenQuantityCode(pages_[k].lower);
  }
  return b;
}

}  // namespace vkz
