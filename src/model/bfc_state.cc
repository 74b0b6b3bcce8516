// How one back-face-culling command changes the reader's state.
#include "model/bfc_state.h"

namespace quillery {

void BfcState::apply(const BfcCommand& command) {
  // A line naming both windings is taken as clockwise.
  bool named = command.clockwise || command.counterClockwise;
  std::int8_t namedWinding = command.clockwise ? kWindingCw : kWindingCcw;
  if (command.noCertify) noCertify = true;
  if (command.certify) {
    if (!drawn) {
      certifiedInHeader = true;
      windings[kSwitching] = windings[kStrict] = namedWinding;
    } else if (named) {
      windings[kSwitching] = namedWinding;
    }
  } else if (named) {
    windings[kSwitching] = windings[kStrict] = namedWinding;
  }
  if (command.noClip) {
    cullingOn = false;
  } else if (command.clip) {
    cullingOn = true;
  }
}

}  // namespace quillery
