// The reply decoder: every reply frame the receive tick cuts out of the
// current port's buffer is handed here once the identified model is a
// supported one. It copies the frame into CurReply and handles it by its
// reply code. This form handles what the start-up road needs: the model
// text, the meter clock and the memory size; other codes are passed over.
#pragma once

namespace vkz {

void DeVKZ418SDData();

}  // namespace vkz
