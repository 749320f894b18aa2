#pragma once
// The undo history's file: its bytes for a list of steps, and the steps of
// its bytes. Exposed for the journal, its tests and the fuzzer.
//
// Format 2 (written now) holds names and key paths in UTF-8, so that any name
// the registry holds can be recorded; format 1 (read still, so that an
// upgrade keeps the user's steps) held them in the ANSI code page. Value data
// are the bytes as the ANSI registry functions see them, in both.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/registry.h"
#include "system_access/undo_journal.h"

namespace velmaro::undo {

inline constexpr int kFormat = 2;

// Each step with its text, kept between writes: a save rewrites the whole
// history, but most of its steps are as the last save wrote them.
using StepTexts = std::vector<std::pair<Step, std::string>>;

// False when a name holds a line break (it could not have come from the
// system and would read back as something else).
bool WriteHistory(const std::vector<Step>& steps, std::string& out, StepTexts* cache = nullptr);

enum class ReadStatus { Ok, Damaged, NewerFormat };
// Damaged for anything cut short or altered; `ansi` reads format 1.
ReadStatus ReadHistory(std::string_view bytes, const platform::AnsiCodePage& ansi,
                       std::vector<Step>& steps, std::string* why = nullptr);

}  // namespace velmaro::undo
