#pragma once
// Names the ANSI code page cannot hold, beside the name the ANSI functions
// show for them: what the tests of "acting on exactly the entry shown" share.
namespace velmaro::testing {

// "Запуск" ("start-up" in Russian), as a program using the wide functions
// names its Run value or Uninstall key.
inline constexpr const char* kCyrillicName = "\xD0\x97\xD0\xB0\xD0\xBF\xD1\x83\xD1\x81\xD0\xBA";
// How the ANSI functions show it, and the literal name of another program.
inline constexpr const char* kLookAlikeName = "??????";
// Half of a surrogate pair (U+D800) as the bytes of a code point: a name no
// UTF-8 text can give again (the memory registry's stand-in for one).
inline constexpr const char* kHalfPair = "\xED\xA0\x80";
// U+FFFD, which listing shows in its place.
inline constexpr const char* kReplacement = "\xEF\xBF\xBD";

}  // namespace velmaro::testing
