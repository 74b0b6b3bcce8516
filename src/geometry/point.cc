// Point operations. Every formula is evaluated in the order written, so the
// doubles (and the output text) are the same on every build.
#include "geometry/point.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "geometry/number_text.h"

namespace quillery {

void Point::print() const {
  std::fputs("classe point\n", stdout);
  std::fflush(stdout);
}

void Point::swapXY() { std::swap(x, y); }
void Point::swapYZ() { std::swap(y, z); }
void Point::flattenY() { y = 0; }

std::optional<std::size_t> Point::readFrom(std::string_view text,
                                           std::size_t pos) {
  double* coordinates[] = {&x, &y, &z};
  for (double* coordinate : coordinates) {
    // The whole token is skipped, whatever the conversion consumed of it:
    // "1.5abc" reads as 1.5 and the letters go with it.
    if (scanDoubleToken(text, pos, *coordinate) == ScanResult::kFailed) {
      return std::nullopt;
    }
  }
  return pos;
}

std::string Point::toText() const {
  std::string text;
  appendText(text);
  return text;
}

void Point::appendText(std::string& out) const {
  appendNumber(out, x);
  out.push_back(' ');
  appendNumber(out, y);
  out.push_back(' ');
  appendNumber(out, z);
}

void Point::setFrom(const Point& p) {
  x = p.x;
  y = p.y;
  z = p.z;
}

Point& Point::addTo(Point& p) const {
  p.x += x;
  p.y += y;
  p.z += z;
  return p;
}

double Point::manhattanDistance(const Point& p) const {
  return std::fabs(p.x - x) + std::fabs(p.y - y) + std::fabs(p.z - z);
}

double Point::planTurn(const Point& a, const Point& b) const {
  return (a.z - z) * (b.x - x) - (b.z - z) * (a.x - x);
}

double Point::planDistance(const Point& a, const Point& b) const {
  return -planTurn(a, b) /
         std::sqrt((b.x - a.x) * (b.x - a.x) + (b.z - a.z) * (b.z - a.z));
}

}  // namespace quillery
