// Tests of CommentLine: the text the reader keeps from a type-0 line, its
// written form and the back-face-culling classification.
#include "elements/comment_line.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <tuple>
#include <utility>

namespace quillery {
namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;

TEST(CommentLineTest, KeepsTheTextAfterTheZeroAndOneCharacter) {
  // The line, commentTextOf(line), and toText() of the comment made of it.
  const std::tuple<std::string_view, std::string_view, std::string_view>
      cases[] = {
          {"0 // c", "// c", "0 // c"},
          {"0", "", "0 "},
          {"   0 FILE a.dat", "FILE a.dat", "0 FILE a.dat"},
          // The character after the 0 is dropped whatever it is.
          {"0\tx", "x", "0 x"},
          {"0x", "", "0 "},
          // Inner and trailing blanks and case stay as they are.
          {"0  two  blanks  ", " two  blanks  ", "0  two  blanks  "},
          {"0 a\0b"sv, "a\0b"sv, "0 a\0b"sv},
          {"no zero here", "", "0 "},
          {"", "", "0 "},
      };
  for (const auto& [line, comment, written] : cases) {
    SCOPED_TRACE(std::string(line));
    std::string_view text = CommentLine::commentTextOf(line);
    EXPECT_EQ(text, comment);
    EXPECT_EQ(CommentLine(std::string(text)).toText(), written);
  }
}

TEST(CommentLineTest, ClassifiesBackFaceCullingCommands) {
  const std::pair<std::string, int> cases[] = {
      {"BFC CERTIFY CCW", kMetaCertifyCcw},
      {"BFC CERTIFY CW", kMetaCertifyCw},
      {"BFC CERTIFY", kMetaCertifyCcw},
      {"BFC INVERTNEXT", kMetaInvertNext},
      {"bfc certify cw", kMetaCertifyCw},
      {"Bfc InvertNext", kMetaInvertNext},
      // Plain substring search: "NOCERTIFY" holds "CERTIFY".
      {"BFC NOCERTIFY", kMetaCertifyCcw},
      {"BFC CW", kMetaNone},
      {"BFC CLIP", kMetaNone},
      {"CERTIFY CW", kMetaNone},
      {"BFC CERTIFY INVERTNEXT", kMetaInvertNext},
      {"// BFC CERTIFY CW would be here", kMetaCertifyCw},
      {"CERTIFY CW BFC", kMetaCertifyCw},
      {"B FC CERTIFY CW", kMetaNone},
      // A NUL is an ordinary character: the search goes on past it.
      {"BFC\0CERTIFY CW"s, kMetaCertifyCw},
      {"", kMetaNone},
  };
  for (const auto& [text, metaCode] : cases) {
    CommentLine comment(text);
    EXPECT_EQ(comment.metaCode(), metaCode) << text;
    // Classifying leaves the text as it was.
    EXPECT_EQ(comment.toText(), "0 " + text);
  }
}

}  // namespace
}  // namespace quillery
