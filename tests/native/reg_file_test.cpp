// REGEDIT4 files: what is written reads back exactly (types, bytes, names),
// the forms regedit itself writes are read, and a file that cannot be read
// is refused whole.
#include "system_access/reg_file.h"

#include <gtest/gtest.h>

#include "platform/memory/memory_registry.h"

namespace velmaro::regfile {
namespace {

using namespace platform;

const Cp1252CodePage kCodePage;

Data Sz(std::string text) { return {RegSz, text + '\0'}; }

std::string Written(const File& f) {
  std::string out;
  EXPECT_TRUE(Write(f, kCodePage, out));
  return out;
}

File ReadBack(std::string_view bytes) {
  File f;
  std::string why;
  EXPECT_TRUE(Read(bytes, kCodePage, f, &why)) << why;
  return f;
}

TEST(RegFileTest, EveryKindOfValueSurvivesARoundTrip) {
  File f;
  f.comments = {" Velmaro settings: Start Menu", " boot options: AutoScan=1  ", ""};
  Key k{HkeyCurrentUser, "Software\\Test \"quoted\" \xC3\xA9t\xC3\xA9\\back\\slash", false, {}};
  k.values = {
      {"", Sz("default")},
      {"@", Sz("a value named @")},
      {"quote\"and\\backslash", Sz("C:\\Program Files\\\"x\"\\")},
      {"caf\xC3\xA9", Sz("na\xEFve")},  // data are ANSI bytes
      {"empty", Sz("")},
      {"no terminator", Data{RegSz, "abc"}},
      {"inner nul", Data{RegSz, std::string("a\0b\0", 4)}},
      {"line break", Sz("one\r\ntwo")},
      {"dword", Data{RegDword, std::string("\x0a\x00\x00\x80", 4)}},
      {"short dword", Data{RegDword, std::string("\x01\x00", 2)}},
      {"binary", Data{RegBinary, std::string(200, '\xAB')}},
      {"empty binary", Data{RegBinary, ""}},
      {"expand", Data{RegExpandSz, std::string("%SystemRoot%\\x\0", 15)}},
      {"multi", Data{RegMultiSz, std::string("a\0b\0\0", 5)}},
      {"odd type", Data{0x1234, "\x01"}},
      {"gone", std::nullopt},
  };
  f.keys = {k, Key{HkeyClassesRoot, "*\\shell\\QuickView", true, {}},
            Key{HkeyLocalMachine, "", false, {{"root value", Sz("x")}}}};
  const std::string bytes = Written(f);
  EXPECT_EQ(ReadBack(bytes), f);
  // regedit's own forms, so that the file is also what a person expects.
  EXPECT_NE(bytes.find("\"dword\"=dword:8000000a\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("[-HKEY_CLASSES_ROOT\\*\\shell\\QuickView]\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("\"quote\\\"and\\\\backslash\"="), std::string::npos);
  EXPECT_NE(bytes.find("\"gone\"=-\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("\"no terminator\"=hex(1):61,62,63\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("@=\"default\"\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("\"caf\xE9\"=\"na\xEFve\"\r\n"), std::string::npos);  // ANSI
  // Long hex lists wrap with a continuation, as regedit writes them.
  EXPECT_NE(bytes.find("ab,\\\r\n  ab,"), std::string::npos);
  EXPECT_EQ(bytes.substr(0, 10), "REGEDIT4\r\n");
}

TEST(RegFileTest, ReadsWhatRegeditWritesAndToleratesItsVariations) {
  const File f = ReadBack(
      "\r\nREGEDIT4\n\n; comment\n[hkey_current_user\\Software\\A]\n"
      "\"x\" = \"1\"\n\"b\"=hex:01,02,\\\n    03\n\"d\"=dword:1\n"
      "[HKEY_LOCAL_MACHINE\\S]\r\n@=-\r\n");
  ASSERT_EQ(f.keys.size(), 2u);
  EXPECT_EQ(f.comments, std::vector<std::string>{" comment"});
  EXPECT_EQ(f.keys[0].root, HkeyCurrentUser);
  EXPECT_EQ(f.keys[0].values[0], (Value{"x", Sz("1")}));
  EXPECT_EQ(f.keys[0].values[1], (Value{"b", Data{RegBinary, "\x01\x02\x03"}}));
  EXPECT_EQ(f.keys[0].values[2], (Value{"d", Data{RegDword, std::string("\x01\0\0\0", 4)}}));
  EXPECT_EQ(f.keys[1].values[0], (Value{"", std::nullopt}));
}

TEST(RegFileTest, AFileItCannotReadWhollyIsRefused) {
  File f;
  std::string why;
  for (const char* bad : {
           "",                                             // empty
           "Windows Registry Editor Version 5.00\r\n",     // another format
           "REGEDIT4\r\n\"x\"=\"1\"\r\n",                  // value before any key
           "REGEDIT4\r\n[HKEY_NOWHERE\\A]\r\n",            // unknown root
           "REGEDIT4\r\n[HKEY_CURRENT_USER\\A\r\n",        // no bracket
           "REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=\"unterminated\r\n",
           "REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=hex:1,2,\r\n",  // truncated
           "REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=hex:123\r\n",
           "REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=dword:123456789\r\n",
           "REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=word:1\r\n",
           "REGEDIT4\r\n[-HKEY_CURRENT_USER\\A]\r\n\"x\"=\"1\"\r\n",
       }) {
    EXPECT_FALSE(Read(bad, kCodePage, f, &why)) << bad;
    EXPECT_FALSE(why.empty());
  }
}

TEST(RegFileTest, NamesTheFileCannotCarryAreRefusedNotReplaced) {
  std::string out, why;
  File f;
  f.keys = {Key{HkeyCurrentUser, "Software\\\xE4\xB8\xAD", false, {}}};  // not in cp1252
  EXPECT_FALSE(Write(f, kCodePage, out, &why));
  f.keys = {Key{HkeyCurrentUser, "A", false, {{"two\nlines", Sz("x")}}}};
  EXPECT_FALSE(Write(f, kCodePage, out, &why));
  f.keys.clear();
  f.comments = {"a\nb"};
  EXPECT_FALSE(Write(f, kCodePage, out, &why));
}

}  // namespace
}  // namespace velmaro::regfile
