#pragma once
// A key's values with their texts, listed in one pass for the list editors
// (the programs started at log-on, the entries of Add/Remove Programs): the
// names GetAllValues lists, in its order and with its limits (a value whose
// data passes 4000 bytes or whose name passes 254 characters ends the list),
// each with the text GetStringValue reads for it: the REG_SZ data up to its
// first NUL, and empty text for a value of another type. Taking the data
// while listing saves four registry calls a value, which a key of thousands
// of entries pays at every load of its panel. One difference: a name no call
// can reach again is listed, flagged, where GetAllValues would stop.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "system_access/reg_extra.h"

namespace velmaro {

struct ValueText {
  std::string name;
  std::optional<std::uint32_t> type;  // none for the empty entry below
  std::string text;
  // False for a name no call can reach again (the system gives it with
  // U+FFFD in place of half a surrogate pair): listed, and the listing goes
  // on, but nothing may act on it by this name.
  bool reachable = true;
  friend bool operator==(const ValueText&, const ValueText&) = default;
};

// As GetAllValues, a key without values, or one that cannot be opened, gives
// one entry with an empty name, no type and empty text.
std::vector<ValueText> GetAllValueTexts(const RegExtra& reg, platform::HKey root,
                                        std::string_view path);

}  // namespace velmaro
