#pragma once
// SHA-256 (FIPS 180-4) of a byte stream, for the checks that compare decoded
// pixels or frames between builds by a short digest instead of megabytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vx::test {

class Sha256 {
 public:
  Sha256();
  // Adds size bytes at data to the stream; may be called any number of times.
  void Add(const void* data, std::size_t size);
  // The digest of everything added, as 64 lowercase hex digits. Ends the
  // stream: Add and Finish may not be called afterwards.
  std::string FinishHex();

 private:
  void Compress(const std::uint8_t* block);

  std::array<std::uint32_t, 8> state_;
  std::array<std::uint8_t, 64> block_{};
  std::size_t blockUsed_ = 0;
  std::uint64_t totalBytes_ = 0;
};

// The digest of one buffer, as 64 lowercase hex digits.
std::string Sha256Hex(const void* data, std::size_t size);

}  // namespace vx::test
