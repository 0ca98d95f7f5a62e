// Pages for tests and tools: random sequences of the fragments the engine
// converts (objects, params, old EMBEDs, scripts, inputs, comments, stray
// brackets), the same sequence on every platform.
#pragma once

#include <cstdint>
#include <string>

namespace engine::corpus {

// A small generator with the same sequence on every platform.
class Lcg {
 public:
  explicit Lcg(std::uint32_t seed) : state_(seed) {}
  std::uint32_t next(std::uint32_t bound) {
    state_ = state_ * 1664525u + 1013904223u;
    return (state_ >> 8) % bound;
  }

 private:
  std::uint32_t state_;
};

// One page of 5 to 64 fragments, with LF line ends: anything goes, unclosed
// elements and comments included.
std::string generatedPage(Lcg& rng);

// A page of well-formed OBJECT elements (every one closed, none in a
// comment; with and without DATA, TYPE, ID, NAME, sizes, a CODEBASE on its
// own line, PARAMs and indentation) between text, with a VBScript block when
// withScript. objects receives the number of OBJECT elements.
std::string wellFormedObjectPage(Lcg& rng, bool withScript, int* objects);

}  // namespace engine::corpus
