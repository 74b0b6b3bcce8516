// Model list operations.
#include "model/model.h"

namespace quillery {

void Model::swapXY() {
  for (auto& element : elements) {
    if (element) element->swapXY();
  }
}

void Model::swapYZ() {
  for (auto& element : elements) {
    if (element) element->swapYZ();
  }
}

void Model::reverse() {
  for (auto& element : elements) {
    if (element) element->reverse();
  }
}

void Model::append(std::unique_ptr<Element> element) {
  if (element && element->typeCode() == kDeletedType) element.reset();
  elements.push_back(std::move(element));
}

void Model::replace(std::size_t index, std::unique_ptr<Element> element) {
  if (element && element->typeCode() == kDeletedType) element.reset();
  elements[index] = std::move(element);
}

void Model::remove(std::size_t index) { elements[index].reset(); }

}  // namespace quillery
