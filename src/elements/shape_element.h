// ShapeElement: the base of the coloured line kinds.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string_view>

#include "elements/element.h"

namespace quillery {

// Adds the LDraw colour number to Element. A colour read as a hexadecimal
// direct colour ("0x2FF0000") is written back in that form; a colour that a
// pass sets is written in decimal.
class ShapeElement : public Element {
 public:
  void setColor(int newColor) override {
    color = newColor;
    hexColor = false;
  }
  int getColor() const override { return color; }
  // Takes the colour of `parent`, in the form it was written.
  void inheritColor(const ShapeElement& parent) {
    color = parent.color;
    hexColor = parent.hexColor;
  }

  // Written as "0x..." (a direct colour) rather than as a decimal number.
  // Declared first, so that it takes the byte left after the base's fields
  // and the colour the four after it.
  bool hexColor = false;
  std::int32_t color = 0;

 protected:
  ShapeElement() = default;
  explicit ShapeElement(int color, bool hexColor = false)
      : hexColor(hexColor), color(color) {}

  // Reads the head of a line of types 2 to 5: skips the type token, reads
  // the colour as "%d" (left as it is when the token is not an integer) and
  // skips the colour token. Returns the position after it.
  std::size_t readColorField(std::string_view line);
  // Appends the "T C " head of a line of type `type` with this colour.
  void appendHead(std::string& out, int type) const;
};

// Reads `points` one after the other with Point::readFrom from `pos`;
// stops at the first that fails (the rest stay as they are). Returns the
// position after the last point read, or nothing after a failure.
std::optional<std::size_t> readPoints(std::string_view line, std::size_t pos,
                                      std::initializer_list<Point*> points);

}  // namespace quillery
