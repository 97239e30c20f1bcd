// A fast pseudo-random source (xorshift64*) for corpus plans and contents;
// reproducible from its seed, which std's engines do not promise across
// library versions for their distributions.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bt::bench {

class RandomBytes {
 public:
  explicit RandomBytes(std::uint64_t seed) : state_(seed == 0 ? 0x9E3779B97F4A7C15ull : seed) {}

  std::uint64_t Next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return state_ * 0x2545F4914F6CDD1Dull;
  }

  // Uniform enough in [low, high] for sizes and choices.
  std::uint64_t Between(std::uint64_t low, std::uint64_t high) {
    return low + Next() % (high - low + 1);
  }

  void Fill(char* data, std::size_t size) {
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
      const std::uint64_t word = Next();
      for (int b = 0; b < 8; ++b) data[i + b] = static_cast<char>(word >> (8 * b));
    }
    if (i < size) {
      const std::uint64_t word = Next();
      for (int b = 0; i < size; ++i, ++b) data[i] = static_cast<char>(word >> (8 * b));
    }
  }

 private:
  std::uint64_t state_;
};

}  // namespace bt::bench
