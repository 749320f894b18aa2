// The path rules Setup and Uninstall decide by (install folder, shortcut
// folder, drive roots, trailing backslashes): for any text, the normal form is
// a full path or nothing, reads the same when normalised again, and "inside"
// and "same" agree with each other and with joining and taking the folder.
#include "fuzz/fuzz_input.h"
#include "platform/paths.h"

namespace {

using namespace velmaro::platform;
using velmaro::fuzz::Check;

// Path-like text: drive letters, separators, dots and names, mixed with any bytes.
std::string PathText(velmaro::fuzz::Input& in) {
  static const char* kParts[] = {"C:", "c:", "D:", "\\", "/", "\\\\", ".", "..", "Velmaro",
                                 "Program Files", "a", "A", " ", "...", "x.", ":", "?", "\xE9"};
  std::string s;
  for (int n = in.Byte() % 12; n > 0; --n) {
    const std::uint8_t b = in.Byte();
    if (b < 0xF0) s += kParts[b % std::size(kParts)];
    else s += static_cast<char>(in.Byte());
  }
  return s;
}

void CheckNormal(const std::string& n) {
  if (n.empty()) return;
  Check(n.size() >= 3 && n[0] >= 'A' && n[0] <= 'Z' && n[1] == ':' && n[2] == '\\',
        "a normal path starts with its drive root");
  Check(n.find("\\\\") == std::string::npos, "a normal path has no doubled separator");
  Check(n.find('/') == std::string::npos, "a normal path has no forward slash");
  Check(n.size() == 3 || n.back() != '\\', "only a drive root ends with a backslash");
  for (const char* part : {"\\.\\", "\\..\\"}) Check(n.find(part) == std::string::npos, "dots folded");
  Check(!n.ends_with("\\.") && !n.ends_with("\\.."), "dots folded at the end");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  velmaro::fuzz::Input in(data, size);
  const std::string a = PathText(in), b = PathText(in);
  const std::string na = NormalPath(a), nb = NormalPath(b);
  CheckNormal(na);
  CheckNormal(nb);
  Check(NormalPath(na) == na, "normalising twice changes the path");
  Check(SamePath(a, a) == !na.empty(), "a full path is the same as itself");
  Check(SamePath(a, b) == SamePath(b, a), "sameness is symmetric");
  Check(!(IsInside(a, b) && IsInside(b, a)), "two paths inside each other");
  Check(!(IsInside(a, b) && SamePath(a, b)), "a path inside itself");
  if (IsInside(a, b)) Check(!na.empty() && !nb.empty(), "inside needs full paths");
  // Taking the folder and joining a name back are inverse.
  const std::string folder = FolderOf(a);
  if (!folder.empty()) {
    Check(IsInside(a, folder), "a path lies inside its folder");
    CheckNormal(NormalPath(folder));
  }
  static const char* kNames[] = {"Velmaro.dll", "Uninstall.exe", "sub"};
  const std::string joined = JoinPath(na, kNames[in.Byte() % 3]);
  if (!na.empty()) {
    Check(IsInside(joined, na), "a name joined to a folder lies inside it");
    Check(SamePath(FolderOf(joined), na), "the folder of a joined name is the folder");
  }
  return 0;
}
