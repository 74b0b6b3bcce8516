// DeletedElement: the placeholder left where a line was removed.
#pragma once

#include "elements/element.h"

namespace quillery {

// Writes nothing and is counted nowhere. Passes put one in place of a
// removed line so that the positions of all other entries stay valid.
class DeletedElement final : public Element {
 public:
  int typeCode() const override { return kDeletedType; }
};

}  // namespace quillery
