// CommentLine: an LDraw line of type 0, a comment or a meta command.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "elements/element.h"

namespace quillery {

// Classification of a comment by metaCode().
inline constexpr int kMetaNone = 0;
inline constexpr int kMetaInvertNext = 1;
inline constexpr int kMetaCertifyCcw = 2;
inline constexpr int kMetaCertifyCw = 3;

// The words of a back-face-culling command, each compared whole.
struct BfcCommand {
  bool certify = false;
  bool noCertify = false;
  bool clockwise = false;
  bool counterClockwise = false;
  bool clip = false;
  bool noClip = false;
};

// Holds the text after the "0" and the character that follows it, verbatim,
// and writes it back as read.
class CommentLine final : public Element {
 public:
  explicit CommentLine(std::string text) : text(std::move(text)) {}

  // "0 " followed by the text ("0 " alone for an empty text).
  std::string toText() const override;
  // Appends the line to `out`, as toText() gives it.
  void appendText(std::string& out) const;
  int typeCode() const override { return kCommentType; }

  // kMetaInvertNext, kMetaCertifyCcw, kMetaCertifyCw or kMetaNone, by plain
  // substring search over the upper-cased text: "BFC" must occur, then
  // "INVERTNEXT" wins, then "CERTIFY" with "CCW", "CW" or no direction.
  int metaCode() const;

  // The back-face-culling command as an LDraw reader takes it: the first
  // word of the text is "BFC" and every other word counts only whole (both
  // in any letter case). Nothing for any other comment, so "// BFC CW" and
  // "BFC NOCERTIFY" are not certification lines, unlike for metaCode().
  std::optional<BfcCommand> bfcCommand() const;

  // The certification state after a line of `metaCode`, from `state`: a
  // certification line sets it, every other line leaves it.
  static int windingAfter(int metaCode, int state);

  // The comment text of a type-0 line as the reader takes it: what follows
  // the first '0' of the line and the one character after it; empty when
  // the line has no '0' or nothing after that.
  static std::string_view commentTextOf(std::string_view line);

  std::string text;
};

}  // namespace quillery
