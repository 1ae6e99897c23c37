// The console's escaping of outside text: which bytes a terminal would take
// as commands, which UTF-8 letters stay, and that the escaped form can be
// read back to the exact bytes.
#include "base/console.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

using vx::EscapeControlBytes;
using vx::EscapeKeep;
using namespace std::string_literals;

TEST(ConsoleEscape, ShowsControlAndInvalidBytesInOctalAndKeepsUtf8Letters) {
  struct Case {
    std::string text;
    std::string utf8Text;   // EscapeKeep::Utf8Text
    std::string asciiOnly;  // EscapeKeep::AsciiOnly
  };
  const Case cases[] = {
      {.text = "", .utf8Text = "", .asciiOnly = ""},
      {.text = "DATA\\TEX\\Wood.jpg", .utf8Text = "DATA\\TEX\\Wood.jpg",
       .asciiOnly = "DATA\\TEX\\Wood.jpg"},
      {.text = "\x1b[2J", .utf8Text = "\\033[2J", .asciiOnly = "\\033[2J"},
      {.text = "\x1b]0;title\x07", .utf8Text = "\\033]0;title\\007",
       .asciiOnly = "\\033]0;title\\007"},
      {.text = "a\rb\tc\nd", .utf8Text = "a\\015b\\011c\\012d", .asciiOnly = "a\\015b\\011c\\012d"},
      {.text = "a\0b"s, .utf8Text = "a\\000b", .asciiOnly = "a\\000b"},
      {.text = "\x7f\x1f ~", .utf8Text = "\\177\\037 ~", .asciiOnly = "\\177\\037 ~"},
      // Letters of two, three and four bytes.
      {.text = "K\xc3\xa4se \xe2\x9c\x93 \xf0\x9d\x84\x9e", .utf8Text = "K\xc3\xa4se \xe2\x9c\x93 \xf0\x9d\x84\x9e",
       .asciiOnly = "K\\303\\244se \\342\\234\\223 \\360\\235\\204\\236"},
      // 0x80-0x9f inside a letter stay; alone they are C1 controls, and so
      // are the code points U+0080-U+009F; U+00A0 is not.
      {.text = "\xc4\x80\x9b\xc2\x9b\xc2\xa0", .utf8Text = "\xc4\x80\\233\\302\\233\xc2\xa0",
       .asciiOnly = "\\304\\200\\233\\302\\233\\302\\240"},
      // Overlong, surrogate, beyond U+10FFFF, cut short, lone continuation.
      {.text = "\xc0\xaf|\xed\xa0\x80|\xf4\x90\x80\x80|\xe2\x9c|\x80",
       .utf8Text = "\\300\\257|\\355\\240\\200|\\364\\220\\200\\200|\\342\\234|\\200",
       .asciiOnly = "\\300\\257|\\355\\240\\200|\\364\\220\\200\\200|\\342\\234|\\200"},
      {.text = "\xe2\x9c", .utf8Text = "\\342\\234", .asciiOnly = "\\342\\234"},
      // A backslash that would read as an escape is itself escaped.
      {.text = "DATA\\101\\10\\1x\\8\\", .utf8Text = "DATA\\134101\\10\\1x\\8\\",
       .asciiOnly = "DATA\\134101\\10\\1x\\8\\"},
      {.text = "\xef\xbb\xbf[dir]", .utf8Text = "\xef\xbb\xbf[dir]",
       .asciiOnly = "\\357\\273\\277[dir]"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EscapeControlBytes(c.text), c.utf8Text) << testing::PrintToString(c.text);
    EXPECT_EQ(EscapeControlBytes(c.text, EscapeKeep::AsciiOnly), c.asciiOnly)
        << testing::PrintToString(c.text);
  }
}

// Reads escaped text back: a backslash and three octal digits is one byte,
// any other character stands for itself.
std::string Unescape(const std::string& text) {
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto octal = [&](std::size_t at) { return text[at] >= '0' && text[at] <= '7'; };
    if (text[i] == '\\' && i + 3 < text.size() && octal(i + 1) && octal(i + 2) &&
        octal(i + 3)) {
      bytes += static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 +
                                 (text[i + 3] - '0'));
      i += 3;
    } else {
      bytes += text[i];
    }
  }
  return bytes;
}

// Nothing a terminal acts on: no C0 byte, no DEL, no C1 code point; with
// AsciiOnly nothing but printable ASCII.
bool TerminalInert(const std::string& text, EscapeKeep keep) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<std::uint8_t>(text[i]);
    if (byte < 0x20 || byte == 0x7f) return false;
    if (keep == EscapeKeep::AsciiOnly && byte > 0x7f) return false;
    if (byte == 0xc2 && i + 1 < text.size() && static_cast<std::uint8_t>(text[i + 1]) < 0xa0)
      return false;
  }
  return true;
}

// Every pair of bytes, and every short string of the bytes that meet at the
// edges of the rules (backslashes, octal digits, C1 and UTF-8 pieces).
TEST(ConsoleEscape, EveryEscapedTextIsInertAndReadsBackToItsBytes) {
  std::vector<std::string> texts;
  for (int first = 0; first < 256; ++first)
    for (int second = 0; second < 256; ++second)
      texts.push_back({static_cast<char>(first), static_cast<char>(second)});
  const std::string edges = "\\078a\xc2\x9b\xa0\xe2";
  std::vector<std::string> shorter = {""};
  for (int length = 1; length <= 5; ++length) {
    std::vector<std::string> longer;
    for (const std::string& text : shorter)
      for (char c : edges) longer.push_back(text + c);
    texts.insert(texts.end(), longer.begin(), longer.end());
    shorter = std::move(longer);
  }
  for (const std::string& text : texts) {
    for (EscapeKeep keep : {EscapeKeep::Utf8Text, EscapeKeep::AsciiOnly}) {
      const std::string escaped = EscapeControlBytes(text, keep);
      ASSERT_TRUE(TerminalInert(escaped, keep)) << testing::PrintToString(text);
      ASSERT_EQ(Unescape(escaped), text) << testing::PrintToString(escaped);
    }
  }
}

}  // namespace
