#include "common/sha256.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "web/content_checksum.h"

namespace {

// Feeds `data` in pieces of the given sizes, round and round (one piece of
// everything when there are none).
std::string Digest(const std::string& data, const std::vector<size_t>& pieces = {}) {
  Sha256 hash;
  Sha256Begin(hash);
  size_t at = 0;
  for (size_t k = 0; at < data.size(); ++k) {
    size_t n = pieces.empty() ? data.size() : std::min(pieces[k % pieces.size()], data.size() - at);
    Sha256Add(hash, data.data() + at, n);
    at += n;
  }
  unsigned char digest[Sha256DigestSize];
  Sha256End(hash, digest);
  char hex[2 * Sha256DigestSize + 1];
  FormatDigestHex(hex, sizeof hex, digest);
  return hex;
}

// Bytes that differ at every offset and in every bit.
std::string Bytes(size_t length) {
  std::string data(length, '\0');
  uint32_t x = 0x12345678u + static_cast<uint32_t>(length);
  for (char& c : data) {
    x = x * 1664525u + 1013904223u;
    c = static_cast<char>(x >> 24);
  }
  return data;
}

// Both ways of compressing blocks, the processor's instructions first where
// it has them; the plain one again after.
class BothWays : public testing::Test {
 protected:
  void TearDown() override { Sha256AllowInstructions(true); }
};

TEST_F(BothWays, PublishedVectorsWholeAndInPieces) {
  struct Case {
    std::string data, hex;
  } cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopq"
       "rstu",
       "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (bool instructions : {true, false}) {
    bool used = Sha256AllowInstructions(instructions);
    if (instructions) std::printf("SHA instructions: %s\n", used ? "used" : "not on this processor");
    EXPECT_FALSE(!instructions && used);
    for (const Case& c : cases) {
      EXPECT_EQ(Digest(c.data), c.hex) << c.data.size() << " bytes, instructions " << used;
      // Pieces that straddle the 64-byte blocks give the same digest.
      for (size_t piece : {1, 7, 63, 64, 65, 1000}) {
        EXPECT_EQ(Digest(c.data, {piece}), c.hex)
            << c.data.size() << " bytes in pieces of " << piece << ", instructions " << used;
      }
    }
  }
}

TEST_F(BothWays, InstructionsAgreeWithPlainForEveryLength) {
  std::vector<size_t> lengths;
  for (size_t n = 0; n <= 300; ++n) lengths.push_back(n);
  for (size_t n : {4095, 4096, 4097, 65536 * 3 + 5, 512000, 1048576 + 63}) lengths.push_back(n);
  // Uneven pieces: a block's rest, several blocks at once, single bytes.
  const std::vector<size_t> pieces = {1, 3, 64, 127, 5, 200, 64 * 17 + 9, 2};
  for (size_t n : lengths) {
    std::string data = Bytes(n);
    Sha256AllowInstructions(false);
    std::string plain = Digest(data);
    EXPECT_EQ(Digest(data, pieces), plain) << n << " bytes in pieces, plain";
    if (!Sha256AllowInstructions(true)) continue;
    EXPECT_EQ(Digest(data), plain) << n << " bytes";
    EXPECT_EQ(Digest(data, pieces), plain) << n << " bytes in pieces";
  }
}

}  // namespace
