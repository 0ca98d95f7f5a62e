// Byte searches 16 bytes at a time with the compiler's vector extensions
// (SSE2 on x86, NEON on ARM, plain code elsewhere), the same answer on every
// path.
#pragma once

#include <cstdint>
#include <cstring>

namespace engine {

// One bit for each of the 16 bytes at p that is c (bit k for p[k]): one
// compare of two 16-byte vectors, and the top bit of each byte gathered by a
// multiplication, as a movemask instruction would.
inline unsigned bytesEqual16(const char* p, char c) {
  typedef unsigned char Bytes16 __attribute__((vector_size(16)));
  Bytes16 chunk;
  std::memcpy(&chunk, p, sizeof chunk);
  Bytes16 wanted;
  for (int k = 0; k < 16; ++k) wanted[k] = static_cast<unsigned char>(c);
  const auto equal = chunk == wanted;
  std::uint64_t words[2];
  std::memcpy(words, &equal, sizeof words);
  if (!(words[0] | words[1])) return 0;
  constexpr std::uint64_t kTopBits = 0x8080808080808080ull;
  constexpr std::uint64_t kGather = 0x0002040810204081ull;
  return static_cast<unsigned>(((words[0] & kTopBits) * kGather) >> 56) |
         static_cast<unsigned>(((words[1] & kTopBits) * kGather) >> 56) << 8;
}

}  // namespace engine
