#pragma once
// The topics behind What's This help, kept in Velmaro.hlp beside the program.
// The file is plain text in the ANSI code page: a line "[Form.Control]" (or
// "[Form.Control(2)]" for one element of a control array) starts a topic, the
// lines after it are its text, and lines starting with ';' are comments.
#include <map>
#include <string>
#include <string_view>

namespace velmaro::console {

class HelpTopics {
public:
  HelpTopics() = default;
  // Never fails: text outside a topic and malformed headings are ignored.
  static HelpTopics Parse(std::string_view fileText);

  // The topic of a control: its own element first, then the whole array.
  // Empty when there is none.
  std::string Find(std::string_view form, std::string_view control, int index = -1) const;
  std::size_t size() const { return topics_.size(); }

private:
  std::map<std::string, std::string> topics_;
};

}  // namespace velmaro::console
