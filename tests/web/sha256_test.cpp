// SHA-256 against the published FIPS 180 examples, fed whole and in pieces
// of every size (which crosses the 64-byte block and the padding at every
// offset).
#include "sha256.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>

namespace vx::test {
namespace {

struct Example {
  const char* name;
  std::string message;
  const char* digest;
};

const Example Examples[] = {
    {"Empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"Abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {"FiftySixBytes", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {"TwoBlocks",
     "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnop"
     "jklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
     "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
    {"MillionA", std::string(1000000, 'a'),
     "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
};

// Test names show the example's name, not its bytes.
void PrintTo(const Example& example, std::ostream* out) {
  *out << example.name;
}

class Sha256Example : public ::testing::TestWithParam<Example> {};

TEST_P(Sha256Example, WholeMessage) {
  const Example& example = GetParam();
  EXPECT_EQ(Sha256Hex(example.message.data(), example.message.size()), example.digest);
}

TEST_P(Sha256Example, InPiecesOfEverySize) {
  const Example& example = GetParam();
  const std::size_t longest = std::min<std::size_t>(example.message.size(), 130);
  for (std::size_t piece = 1; piece <= longest; ++piece) {
    Sha256 hash;
    for (std::size_t at = 0; at < example.message.size(); at += piece)
      hash.Add(example.message.data() + at, std::min(piece, example.message.size() - at));
    EXPECT_EQ(hash.FinishHex(), example.digest) << "pieces of " << piece << " bytes";
  }
}

INSTANTIATE_TEST_SUITE_P(Fips180, Sha256Example, ::testing::ValuesIn(Examples),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vx::test
