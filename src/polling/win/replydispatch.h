// The reply decoder's handling of the meter's answers beyond the model,
// clock and memory size: the one-value, calibration, interval, welcome-text,
// meter-name and lunch-time read-backs into their windows; the write
// acknowledgements with the three-frame timer write, the resend requests and
// the erase reply; and the memory-list, header and logged-data replies of
// the downloads (download.h).
//
// Setting windows are reached by their class name and their controls by
// object name ("SetCbx"; a control array element as "WelLineTxt_0"), so a
// reply for a window that is not loaded is dropped without loading it.
#pragma once

namespace vkz {

struct ReplyFrame;

// Handles `reply` when its code is one of the above; false for any other
// code (left to the caller).
bool DispatchReply(const ReplyFrame& reply);

}  // namespace vkz
