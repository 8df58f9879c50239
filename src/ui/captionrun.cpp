#include "ui/captionrun.h"

#include <QVariant>

namespace vkz {
namespace {
// Kept on the window itself: how many runs show their progress in its
// caption, and the caption it had before the first of them.
constexpr const char* kRuns = "vkzCaptionRuns";
constexpr const char* kOwnCaption = "vkzOwnCaption";
}  // namespace

CaptionRun::CaptionRun(QWidget* window) : window_(window) {
  if (!window_) return;
  const int runs = window_->property(kRuns).toInt();
  if (runs == 0) window_->setProperty(kOwnCaption, window_->windowTitle());
  window_->setProperty(kRuns, runs + 1);
}

CaptionRun::~CaptionRun() {
  end();
}

void CaptionRun::show(const QString& text) {
  if (window_ && !ended_) window_->setWindowTitle(text);
}

void CaptionRun::end() {
  if (ended_) return;
  ended_ = true;
  if (!window_) return;
  const int runs = window_->property(kRuns).toInt() - 1;
  window_->setProperty(kRuns, runs > 0 ? QVariant(runs) : QVariant());
  if (runs > 0) return;
  window_->setWindowTitle(window_->property(kOwnCaption).toString());
  window_->setProperty(kOwnCaption, QVariant());
}

}  // namespace vkz
