// The reader of stored numbers: blanks around, an optional sign, decimal
// digits, nothing else; values past a billion read as a billion. Checked
// against a second reading built another way, and against numbers written
// as the programs write them.
#include <optional>

#include "fuzz/fuzz_input.h"
#include "system_access/settings_store.h"

namespace {

using velmaro::fuzz::Check;

std::optional<long long> Reference(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  s = s.substr(b, e - b);
  long long sign = 1;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    sign = s[0] == '-' ? -1 : 1;
    s.remove_prefix(1);
  }
  if (s.empty()) return std::nullopt;
  // Digits only; leading zeros do not count towards the size.
  std::size_t first = 0;
  for (char c : s)
    if (c < '0' || c > '9') return std::nullopt;
  while (first + 1 < s.size() && s[first] == '0') ++first;
  const std::string_view digits = s.substr(first);
  if (digits.size() > 10) return sign * 1000000000LL;
  const long long v = std::stoll(std::string(digits));
  return sign * std::min(v, 1000000000LL);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto got = velmaro::WholeNumber(text);
  Check(got == Reference(text), "differs from the reference reading");
  if (got) Check(*got >= -1000000000LL && *got <= 1000000000LL, "out of range");

  // What the programs write reads back as the number written.
  velmaro::fuzz::Input in(data, size);
  const auto n = static_cast<long long>(static_cast<std::int32_t>(in.Word())) % 1000000001LL;
  Check(velmaro::WholeNumber(std::to_string(n)) == n, "a written number reads back differently");
  return 0;
}
