#include "console/help_topics.h"

namespace velmaro::console {
namespace {

std::string_view Trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(" \t\r");
  return s.substr(first, last - first + 1);
}

std::string Key(std::string_view form, std::string_view control, int index) {
  std::string key(form);
  key += '.';
  key += control;
  if (index >= 0) key += "(" + std::to_string(index) + ")";
  return key;
}

}  // namespace

HelpTopics HelpTopics::Parse(std::string_view fileText) {
  HelpTopics help;
  std::string current;
  bool inTopic = false;
  std::size_t pos = 0;
  while (pos <= fileText.size()) {
    const auto end = std::min(fileText.find('\n', pos), fileText.size());
    const std::string_view line = Trim(fileText.substr(pos, end - pos));
    pos = end + 1;
    if (!line.empty() && line.front() == ';') continue;
    if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
      current = std::string(Trim(line.substr(1, line.size() - 2)));
      inTopic = current.find('.') != std::string::npos;
      if (inTopic) help.topics_[current];
      continue;
    }
    if (!inTopic) continue;
    std::string& text = help.topics_[current];
    if (line.empty()) {
      // A blank line separates paragraphs of one topic.
      if (!text.empty() && text.back() != '\n') text += '\n';
    } else {
      if (!text.empty() && text.back() != '\n') text += ' ';
      text += line;
    }
  }
  for (auto& [key, text] : help.topics_)
    while (!text.empty() && text.back() == '\n') text.pop_back();
  return help;
}

std::string HelpTopics::Find(std::string_view form, std::string_view control, int index) const {
  if (index >= 0) {
    const auto it = topics_.find(Key(form, control, index));
    if (it != topics_.end()) return it->second;
  }
  const auto it = topics_.find(Key(form, control, -1));
  return it == topics_.end() ? std::string() : it->second;
}

}  // namespace velmaro::console
