// Reading and writing the common head of the coloured lines.
#include "elements/shape_element.h"

#include "geometry/number_text.h"

namespace quillery {

std::size_t ShapeElement::readColorField(std::string_view line) {
  std::size_t pos = skipToken(line, skipSpace(line, 0));
  int value = 0;
  if (scanHexColor(line, pos, value)) {
    color = value;
    hexColor = true;
  } else if (scanInt(line, pos, value)) {
    color = value;
  }
  return skipToken(line, skipSpace(line, pos));
}

void ShapeElement::appendHead(std::string& out, int type) const {
  out.push_back(static_cast<char>('0' + type));
  out.push_back(' ');
  if (hexColor) {
    appendHexColor(out, color);
  } else {
    appendColor(out, color);
  }
}

std::optional<std::size_t> readPoints(std::string_view line, std::size_t pos,
                                      std::initializer_list<Point*> points) {
  for (Point* point : points) {
    std::optional<std::size_t> next = point->readFrom(line, pos);
    if (!next) return std::nullopt;
    pos = *next;
  }
  return pos;
}

}  // namespace quillery
