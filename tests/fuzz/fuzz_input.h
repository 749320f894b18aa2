#pragma once
// Takes typed pieces off the front of a fuzzer's input, so that one input
// describes both the choices and the data of a run.
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace velmaro::fuzz {

class Input {
public:
  Input(const std::uint8_t* data, std::size_t size)
      : rest_(reinterpret_cast<const char*>(data), size) {}

  std::uint8_t Byte() {
    if (rest_.empty()) return 0;
    const auto b = static_cast<std::uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return b;
  }
  std::uint32_t Word() {
    std::uint32_t w = 0;
    for (int i = 0; i < 4; ++i) w = (w << 8) | Byte();
    return w;
  }
  // A piece of up to `max` bytes: its length comes first.
  std::string Bytes(std::size_t max) {
    const std::size_t n = std::min<std::size_t>({Byte(), max, rest_.size()});
    std::string out(rest_.substr(0, n));
    rest_.remove_prefix(n);
    return out;
  }
  std::string Rest() {
    std::string out(rest_);
    rest_ = {};
    return out;
  }
  bool Empty() const { return rest_.empty(); }

private:
  std::string_view rest_;
};

// Stops the run with a message; libFuzzer keeps the input that did it.
[[noreturn]] inline void Broken(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

inline void Check(bool holds, const char* what) {
  if (!holds) Broken(what);
}

}  // namespace velmaro::fuzz
