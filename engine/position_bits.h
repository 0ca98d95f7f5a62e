// One bit for each byte of a text, all clear at first.
//
// The bits live in zeroed memory that is asked for whole and touched only
// where a bit is set or tested: for a large page, the pages of memory that no
// bit falls into are never made resident.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>

namespace engine {

class PositionBits {
 public:
  // Bits for the positions [start, end], end included.
  PositionBits(const char* start, const char* end)
      : start_(start), end_(end), wordCount_(static_cast<std::size_t>(end - start) / 64 + 1),
        words_(static_cast<std::uint64_t*>(std::calloc(wordCount_, sizeof(std::uint64_t)))) {
    if (!words_) throw std::bad_alloc();
  }

  bool covers(const char* p) const { return p >= start_ && p <= end_; }
  void set(const char* p) {
    const std::size_t i = offset(p);
    words_.get()[i / 64] |= std::uint64_t(1) << (i % 64);
  }
  bool test(const char* p) const {
    const std::size_t i = offset(p);
    return (words_.get()[i / 64] >> (i % 64)) & 1;
  }
  // The first position after p whose bit is set, or end.
  const char* nextAfter(const char* p) const {
    const std::size_t i = offset(p) + 1;
    std::size_t w = i / 64;
    if (w >= wordCount_) return end_;
    const std::uint64_t* words = words_.get();
    std::uint64_t word = i % 64 ? words[w] & (~std::uint64_t(0) << (i % 64)) : words[w];
    while (!word) {
      if (++w == wordCount_) return end_;
      word = words[w];
    }
    return start_ + w * 64 + static_cast<std::size_t>(__builtin_ctzll(word));
  }

 private:
  struct Free {
    void operator()(std::uint64_t* words) const { std::free(words); }
  };
  std::size_t offset(const char* p) const { return static_cast<std::size_t>(p - start_); }

  const char* start_;
  const char* end_;
  std::size_t wordCount_;
  std::unique_ptr<std::uint64_t, Free> words_;
};

}  // namespace engine
