// Uncolouring: returns a part to the colours it inherits from its user.
#pragma once

#include "model/model.h"

namespace quillery {

// Gives every line element colour 24 and every other coloured element colour
// 16; comments and placeholders keep what they have.
void uncolor(Model& model);

}  // namespace quillery
