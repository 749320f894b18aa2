// The help topics parser: any bytes parse without failing, and topics
// written in the file's own format are found again word for word, whatever
// surrounds them.
#include <map>
#include <vector>

#include "console/help_topics.h"
#include "fuzz/fuzz_input.h"

namespace {

using namespace velmaro;
using velmaro::fuzz::Check;

// A name of letters and digits, never empty.
std::string Name(fuzz::Input& in) {
  static constexpr std::string_view kChars =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_";
  std::string name(1, 'N');
  const int n = in.Byte() % 8;
  for (int i = 0; i < n; ++i) name += kChars[in.Byte() % kChars.size()];
  return name;
}

// A paragraph of words without blanks at either end and no line breaks.
std::string Paragraph(fuzz::Input& in) {
  std::string text;
  const int words = 1 + in.Byte() % 6;
  for (int w = 0; w < words; ++w) {
    if (w) text += ' ';
    const int letters = 1 + in.Byte() % 7;
    for (int i = 0; i < letters; ++i) {
      char c = static_cast<char>(0x21 + in.Byte() % 0x5e);  // printable, no blank
      text += c;
    }
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Any bytes parse (the sanitizers watch this call).
  console::HelpTopics::Parse(std::string_view(reinterpret_cast<const char*>(data), size));

  // Topics in the file's format, between comments and stray text, come back.
  fuzz::Input in(data, size);
  struct Topic {
    std::string form, control;
    int index;
    std::vector<std::string> paragraphs;
  };
  std::map<std::string, Topic> topics;  // by heading
  std::string file = in.Bytes(64);
  // Stray text before the first heading must not start with '['.
  for (auto& c : file)
    if (c == '[' || c == '\n' || c == '\r') c = ' ';
  file += "\r\n";
  const int count = in.Byte() % 6;
  for (int t = 0; t < count; ++t) {
    Topic topic{Name(in), Name(in), in.Byte() % 3 == 0 ? in.Byte() % 10 : -1, {}};
    const int paragraphs = 1 + in.Byte() % 3;
    for (int p = 0; p < paragraphs; ++p) topic.paragraphs.push_back(Paragraph(in));
    std::string heading = topic.form + "." + topic.control;
    if (topic.index >= 0) heading += "(" + std::to_string(topic.index) + ")";
    if (topics.count(heading)) continue;  // one heading, one topic
    file += (in.Byte() & 1 ? "; a comment\n" : "") + std::string("[") + heading + "]\n";
    for (std::size_t p = 0; p < topic.paragraphs.size(); ++p) {
      std::string text = topic.paragraphs[p];
      // A paragraph may be wrapped over several lines.
      const std::size_t blank = text.find(' ');
      if (blank != std::string::npos && (in.Byte() & 1)) text[blank] = '\n';
      // ';' or '[' at the start of a line would make it a comment or heading.
      for (std::size_t i = 0; i < text.size(); ++i)
        if ((i == 0 || text[i - 1] == '\n') && (text[i] == ';' || text[i] == '[')) text[i] = '#';
      topic.paragraphs[p] = text;
      for (auto& c : topic.paragraphs[p])
        if (c == '\n') c = ' ';
      file += text + (in.Byte() & 1 ? "\r\n" : "\n");
      if (p + 1 < topic.paragraphs.size()) file += "\n";
    }
    topics[heading] = topic;
  }
  const auto parsed = console::HelpTopics::Parse(file);
  for (const auto& [heading, topic] : topics) {
    std::string expected;
    for (const auto& p : topic.paragraphs) expected += (expected.empty() ? "" : "\n") + p;
    Check(parsed.Find(topic.form, topic.control, topic.index) == expected,
          "a topic written in the file's format reads back differently");
  }
  return 0;
}
