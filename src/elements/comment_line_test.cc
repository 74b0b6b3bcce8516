// Tests of CommentLine: the text the reader keeps from a type-0 line, its
// written form and the back-face-culling classification.
#include "elements/comment_line.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace quillery {
namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;

TEST(CommentLineTest, KeepsTheTextAfterTheZeroAndOneCharacter) {
  struct Case {
    std::string_view line;
    std::string_view text;     // commentTextOf(line)
    std::string_view written;  // toText() of the comment made from it
  };
  const Case cases[] = {
      {"0 // c", "// c", "0 // c"},
      {"0 Name: piece.dat", "Name: piece.dat", "0 Name: piece.dat"},
      {"0 BFC CERTIFY CCW", "BFC CERTIFY CCW", "0 BFC CERTIFY CCW"},
      {"0", "", "0 "},
      {"0 ", "", "0 "},
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
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.line));
    std::string_view text = CommentLine::commentTextOf(c.line);
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(CommentLine(std::string(text)).toText(), c.written);
  }
}

TEST(CommentLineTest, ClassifiesBackFaceCullingCommands) {
  struct Case {
    std::string text;
    int metaCode;
  };
  const Case cases[] = {
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
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    CommentLine comment(c.text);
    EXPECT_EQ(comment.metaCode(), c.metaCode);
    // Classifying leaves the text as it was.
    EXPECT_EQ(comment.toText(), "0 " + c.text);
  }
}

}  // namespace
}  // namespace quillery
