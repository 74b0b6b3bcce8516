// Uncolouring pass.
#include "passes/uncolor.h"

namespace quillery {

void uncolor(Model& model) {
  for (std::size_t index = 0; index < model.size(); ++index) {
    Element& element = model.at(index);
    element.setColor(element.isLine() ? kEdgeColor : kMainColor);
  }
}

}  // namespace quillery
