// Comment and meta lines, and the back-face-culling classification.
#include "elements/comment_line.h"

#include "geometry/number_text.h"

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

namespace {

// `word` equals `upper` (an upper-case word) ignoring ASCII letter case.
bool sameWord(std::string_view word, std::string_view upper) {
  if (word.size() != upper.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    char c = word[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != upper[i]) return false;
  }
  return true;
}

}  // namespace

std::optional<BfcCommand> CommentLine::bfcCommand() const {
  std::string_view rest(text);
  std::size_t start = skipSpace(rest, 0);
  std::size_t end = skipToken(rest, start);
  if (!sameWord(rest.substr(start, end - start), "BFC")) return std::nullopt;
  BfcCommand command;
  for (start = skipSpace(rest, end); start < rest.size();
       start = skipSpace(rest, end)) {
    end = skipToken(rest, start);
    std::string_view word = rest.substr(start, end - start);
    command.certify |= sameWord(word, "CERTIFY");
    command.noCertify |= sameWord(word, "NOCERTIFY");
    command.clockwise |= sameWord(word, "CW");
    command.counterClockwise |= sameWord(word, "CCW");
    command.clip |= sameWord(word, "CLIP");
    command.noClip |= sameWord(word, "NOCLIP");
  }
  return command;
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
