// Model list operations.
#include "model/model.h"

#include "elements/deleted_element.h"

namespace quillery {

void Model::swapXY() {
  for (auto& element : elements) element->swapXY();
}

void Model::swapYZ() {
  for (auto& element : elements) element->swapYZ();
}

void Model::reverse() {
  for (auto& element : elements) element->reverse();
}

void Model::append(std::unique_ptr<Element> element) {
  elements.push_back(std::move(element));
}

void Model::replace(std::size_t index, std::unique_ptr<Element> element) {
  elements[index] = std::move(element);
}

void Model::remove(std::size_t index) {
  elements[index] = std::make_unique<DeletedElement>();
}

}  // namespace quillery
