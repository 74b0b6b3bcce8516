// A small round-robin memory of spatial index answers.
#include "passes/recent_queries.h"

#include <algorithm>
#include <cstring>

namespace quillery {

namespace {

// Same coordinates, bit for bit (so -0 and 0 differ, and NaN matches NaN):
// the queries then find exactly the same entries.
bool sameBits(const Point& a, const Point& b) {
  return std::memcmp(&a.x, &b.x, sizeof a.x) == 0 &&
         std::memcmp(&a.y, &b.y, sizeof a.y) == 0 &&
         std::memcmp(&a.z, &b.z, sizeof a.z) == 0;
}

}  // namespace

void sortUnique(std::vector<std::uint32_t>& positions) {
  // The index gives the entries of one cell newest first.
  if (std::is_sorted(positions.rbegin(), positions.rend())) {
    std::reverse(positions.begin(), positions.end());
  } else if (!std::is_sorted(positions.begin(), positions.end())) {
    std::sort(positions.begin(), positions.end());
  }
  positions.erase(std::unique(positions.begin(), positions.end()),
                  positions.end());
}

const std::vector<std::uint32_t>& RecentQueries::near(const Point& point) {
  for (std::size_t k = 0; k < count; ++k) {
    if (sameBits(answers[k].point, point)) {
      lastAnswer = k;
      return answers[k].positions;
    }
  }
  // The answer given last stays, so that two answers can be used together.
  if (nextToForget == lastAnswer)
    nextToForget = (nextToForget + 1) % kRemembered;
  lastAnswer = nextToForget;
  Answer& answer = answers[nextToForget];
  nextToForget = (nextToForget + 1) % kRemembered;
  if (count < kRemembered) ++count;
  answer.point.setFrom(point);
  answer.positions.clear();
  index.collectNear(point, answer.positions);
  sortUnique(answer.positions);
  return answer.positions;
}

}  // namespace quillery
