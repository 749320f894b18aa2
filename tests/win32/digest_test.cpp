// The digest Setup and Uninstall compare is the real SHA-256, through BCrypt
// (under Wine CryptoAPI's PROV_RSA_FULL refuses SHA-256).
#include <gtest/gtest.h>

#include "platform/win32/win32_files.h"

namespace velmaro::platform {
namespace {

TEST(Win32Digest, IsSha256OfTheFilesBytes) {
  Win32Files files;
  const std::string path = "c:\\VelmaroDigest.bin";
  const std::pair<std::string, std::string> vectors[] = {
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
  };
  for (const auto& [bytes, sum] : vectors) {
    ASSERT_EQ(files.WriteWholeFile(path, bytes), ErrorSuccess);
    FileDigest d;
    EXPECT_EQ(files.Digest(path, d), ErrorSuccess);
    EXPECT_EQ(d.sha256, sum);
    EXPECT_EQ(d.size, bytes.size());
  }
  files.Delete(path);
}

}  // namespace
}  // namespace velmaro::platform
