// REGEDIT4 files: any bytes are read or refused without failing; whatever is
// read writes back to a file that reads the same; and any registry content
// written reads back exactly (read(write(x)) == x).
#include "fuzz/fuzz_input.h"
#include "platform/memory/memory_registry.h"
#include "system_access/reg_file.h"

namespace {

using namespace velmaro;
using velmaro::fuzz::Check;

const platform::Cp1252CodePage kCodePage;

// UTF-8 text of characters cp1252 holds: ASCII and a few Western letters.
std::string Text(fuzz::Input& in, std::size_t max) {
  static const char* kExtra[] = {"\xC3\xA9", "\xC3\xBC", "\xE2\x82\xAC", "\\", "\"", "@", "[", "]",
                                 ";", "=", " "};
  std::string s;
  const std::size_t n = in.Byte() % (max + 1);
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint8_t b = in.Byte();
    if (b < 0xF0)
      s += static_cast<char>(0x20 + b % 0x5F);
    else
      s += kExtra[b % std::size(kExtra)];
  }
  return s;
}

regfile::File Generate(fuzz::Input& in) {
  regfile::File f;
  for (int c = in.Byte() % 3; c > 0; --c) f.comments.push_back(Text(in, 20));
  static constexpr platform::HKey kRoots[] = {platform::HkeyClassesRoot, platform::HkeyCurrentUser,
                                              platform::HkeyLocalMachine};
  for (int k = in.Byte() % 4; k > 0; --k) {
    regfile::Key key;
    key.root = kRoots[in.Byte() % 3];
    key.path = Text(in, 30);
    key.remove = in.Byte() % 5 == 0;
    if (!key.remove) {
      for (int v = in.Byte() % 5; v > 0; --v) {
        regfile::Value value;
        value.name = Text(in, 12);
        if (in.Byte() % 6 != 0) {
          const std::uint8_t t = in.Byte();
          value.data = regfile::Data{t < 200 ? std::uint32_t{1} + t % 7 : in.Word(), in.Bytes(255)};
        }
        key.values.push_back(std::move(value));
      }
    }
    f.keys.push_back(std::move(key));
  }
  return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  regfile::File read;
  if (regfile::Read(bytes, kCodePage, read)) {
    std::string again;
    if (regfile::Write(read, kCodePage, again)) {
      regfile::File reread;
      Check(regfile::Read(again, kCodePage, reread), "a written file is refused");
      Check(reread == read, "a file read and written again reads differently");
    }
  }

  fuzz::Input in(data, size);
  const regfile::File made = Generate(in);
  std::string written;
  if (regfile::Write(made, kCodePage, written)) {
    regfile::File back;
    std::string why;
    Check(regfile::Read(written, kCodePage, back, &why), "our own file is refused");
    Check(back == made, "read(write(x)) differs from x");
  }
  return 0;
}
