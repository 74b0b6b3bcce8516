// Comment and meta lines, and the back-face-culling classification.
#include "elements/comment_line.h"

namespace quillery {

std::string CommentLine::toText() const {
  std::string line;
  appendText(line);
  return line;
}

void CommentLine::appendText(std::string& out) const {
  out.append("0 ");
  out.append(text);
}

int CommentLine::metaCode() const {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  auto contains = [&upper](std::string_view word) {
    return upper.find(word) != std::string::npos;
  };
  if (!contains("BFC")) return kMetaNone;
  if (contains("INVERTNEXT")) return kMetaInvertNext;
  if (!contains("CERTIFY")) return kMetaNone;
  // "CCW" first: it contains "CW".
  if (contains("CCW")) return kMetaCertifyCcw;
  if (contains("CW")) return kMetaCertifyCw;
  return kMetaCertifyCcw;
}

int CommentLine::windingAfter(int metaCode, int state) {
  if (metaCode == kMetaCertifyCcw) return kWindingCcw;
  if (metaCode == kMetaCertifyCw) return kWindingCw;
  return state;
}

std::string_view CommentLine::commentTextOf(std::string_view line) {
  std::size_t zero = line.find('0');
  if (zero == std::string_view::npos || line.size() - zero < 2) {
    return std::string_view();
  }
  return line.substr(zero + 2);
}

}  // namespace quillery
