// BfcState: the back-face-culling state that an LDraw reader carries from
// line to line through one file.
#pragma once

#include <cstdint>

#include "elements/comment_line.h"
#include "elements/element.h"

namespace quillery {

// Readers differ on a CERTIFY line that names a winding after the first
// drawing line: the switching reading takes it as a switch of the winding,
// the strict reading ignores it. Both are followed side by side. Every file
// starts counter-clockwise with culling on; the file is certified when a
// CERTIFY line comes before its first drawing line (types 1 to 5) and no
// NOCERTIFY line occurs anywhere in it.
class BfcState {
 public:
  enum Reading { kSwitching = 0, kStrict = 1 };

  // Takes one line of the file, in file order: a comment's command changes
  // the state, a line of types 1 to 5 ends the file's header.
  void take(const Element& element, int type) {
    if (type == kCommentType) {
      std::optional<BfcCommand> command =
          static_cast<const CommentLine&>(element).bfcCommand();
      if (command) apply(*command);
    } else if (type >= kSubfileType && type <= kCondLineType) {
      drawn = true;
    }
  }
  void apply(const BfcCommand& command);

  // kWindingCcw or kWindingCw in force under `reading`.
  std::int8_t winding(Reading reading) const { return windings[reading]; }
  // Back faces are culled (no NOCLIP in force).
  bool culling() const { return cullingOn; }
  // Whether the lines taken so far make a certified file; final once the
  // whole file was taken.
  bool certified() const { return certifiedInHeader && !noCertify; }
  // Whether a line of types 1 to 5 was taken.
  bool pastHeader() const { return drawn; }

 private:
  std::int8_t windings[2] = {kWindingCcw, kWindingCcw};
  bool cullingOn = true;
  bool drawn = false;
  bool certifiedInHeader = false;
  bool noCertify = false;
};

}  // namespace quillery
