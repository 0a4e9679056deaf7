// Writes into profile bytes: where a key goes, what is kept, what is refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PrivateProfile.h"

namespace lullwood {
namespace {

std::string Write(std::string bytes, std::string_view section, std::string_view key,
                  std::string_view value) {
  PrivateProfileFile profile = PrivateProfileFile::FromBytes(std::move(bytes));
  std::string error;
  EXPECT_TRUE(profile.WriteString(section, key, value, &error)) << error;
  return profile.Bytes();
}

TEST(PrivateProfileWrite, FirstWriteCreatesSectionAndKeyWithCrLf) {
  EXPECT_EQ(Write("", "Backgrounds", "chk1", "Y"), "[Backgrounds]\r\nchk1=Y\r\n");
  EXPECT_EQ(Write("[Backgrounds]\r\nchk1=Y\r\n", "Backgrounds", "chk2", "N"),
            "[Backgrounds]\r\nchk1=Y\r\nchk2=N\r\n");
}

TEST(PrivateProfileWrite, ReplacesTheFirstMatchingKeyInPlaceKeepingItsSpelling) {
  const std::string file = "[S]\n  CHK1 = old ; x\nchk1=second\n[T]\nchk1=other\n";
  EXPECT_EQ(Write(file, "s", "chk1", "Y"), "[S]\nCHK1=Y\r\nchk1=second\n[T]\nchk1=other\n");
  // The last line without a line end gets one.
  EXPECT_EQ(Write("[S]\nk=1", "S", "K", "2"), "[S]\nk=2\r\n");
  // A value the key already holds is written all the same, in the writer's form.
  EXPECT_EQ(Write("[S]\nk = 1\n", "S", "k", "1"), "[S]\nk=1\r\n");
}

TEST(PrivateProfileWrite, NewKeyFollowsTheSectionsLastNonBlankLine) {
  const std::string file =
      "; head\r\n[S]\r\na=1\r\n; tail comment\r\nloose line\r\n\r\n\r\n[T]\r\nb=2\r\n";
  EXPECT_EQ(Write(file, "S", "new", "v"),
            "; head\r\n[S]\r\na=1\r\n; tail comment\r\nloose line\r\nnew=v\r\n\r\n\r\n[T]\r\n"
            "b=2\r\n");
  // An empty section: straight after its header, whatever follows.
  EXPECT_EQ(Write("[S]\n\n[T]\n", "S", "k", "v"), "[S]\nk=v\r\n\n[T]\n");
  // The section's last line has no line end.
  EXPECT_EQ(Write("[S]\na=1", "S", "k", "v"), "[S]\na=1\r\nk=v\r\n");
  // Only the first section of the name receives it.
  EXPECT_EQ(Write("[S]\na=1\n[T]\n[S]\nk=old\n", "S", "k", "v"),
            "[S]\na=1\nk=v\r\n[T]\n[S]\nk=old\n");
}

TEST(PrivateProfileWrite, NewSectionGoesAtTheEndWithNoBlankLineBefore) {
  EXPECT_EQ(Write("[T]\r\nb=2\r\n", "S", "k", "v"), "[T]\r\nb=2\r\n[S]\r\nk=v\r\n");
  EXPECT_EQ(Write("[T]\nb=2\n\n\n", "S", "k", "v"), "[T]\nb=2\n\n\n[S]\r\nk=v\r\n");
  EXPECT_EQ(Write("[T]\rb=2\r", "S", "k", "v"), "[T]\rb=2\r[S]\r\nk=v\r\n");
  EXPECT_EQ(Write("[T]\nb=2", "S", "k", "v"), "[T]\nb=2\r\n[S]\r\nk=v\r\n");
  // A comment-only file, and keys outside any section, stay ahead of it.
  EXPECT_EQ(Write("; note\nk=orphan", "S", "k", "v"), "; note\nk=orphan\r\n[S]\r\nk=v\r\n");
}

TEST(PrivateProfileWrite, EveryOtherByteIsKept) {
  const std::string before = std::string("\xEF\xBB\xBF; comment \t\r\n\r\n[Other]\nx = 1\n") +
                             std::string("bin=\0\xFF\n", 7) +
                             "[Backgrounds]\r\n ; note\r\nchk1=N\r\n\r\n[Tail]\rz=9";
  const std::string after = Write(before, "Backgrounds", "chk1", "Y");
  const std::size_t at = before.find("chk1=N");
  ASSERT_NE(at, std::string::npos);
  std::string expected = before;
  expected.replace(at, 8, "chk1=Y\r\n");
  EXPECT_EQ(after, expected);
  PrivateProfileFile profile = PrivateProfileFile::FromBytes(after);
  EXPECT_EQ(profile.GetString("Other", "bin", ""), std::string("\0\xFF", 2));
  EXPECT_EQ(profile.GetString("Tail", "z", ""), "9");
}

TEST(PrivateProfileWrite, WrittenValuesReadBackByTheReadingRules) {
  PrivateProfileFile profile;
  ASSERT_TRUE(profile.WriteString(" Backgrounds ", " V1 ", "8"));
  ASSERT_TRUE(profile.WriteString("Backgrounds", "path", "/home/u/a b=c;d.lwd"));
  ASSERT_TRUE(profile.WriteString("Backgrounds", "padded", "  x  "));
  ASSERT_TRUE(profile.WriteString("Backgrounds", "quoted", "'q'"));
  ASSERT_TRUE(profile.WriteString("Backgrounds", "empty", ""));
  EXPECT_EQ(profile.Bytes(),
            "[Backgrounds]\r\nV1=8\r\npath=/home/u/a b=c;d.lwd\r\npadded=  x  \r\nquoted='q'\r\n"
            "empty=\r\n");
  EXPECT_EQ(profile.GetString("backgrounds", "v1", ""), "8");
  EXPECT_EQ(profile.GetString("Backgrounds", "path", ""), "/home/u/a b=c;d.lwd");
  EXPECT_EQ(profile.GetString("Backgrounds", "padded", ""), "x");
  EXPECT_EQ(profile.GetString("Backgrounds", "quoted", ""), "q");
  EXPECT_EQ(profile.GetString("Backgrounds", "empty", "d"), "");
}

TEST(PrivateProfileWrite, RefusesWhatCannotBeOneKeyLineAndChangesNothing) {
  const std::string file = "[S]\nk=1\n";
  struct Case {
    std::string section, key, value;
  };
  const std::vector<Case> refused = {
      {"S", "k", "two\nlines"}, {"S", "k", "cr\r"}, {"S\n[T]", "k", "1"}, {"S", "a\rb", "1"},
      {"S", "a=b", "1"},        {"S", ";k", "1"},   {"S", "[k]", "1"},    {"", "k", "1"},
      {"S", "  ", "1"},         {" \t ", "k", "1"},
  };
  for (const Case& c : refused) {
    PrivateProfileFile profile = PrivateProfileFile::FromBytes(file);
    std::string error;
    EXPECT_FALSE(profile.WriteString(c.section, c.key, c.value, &error))
        << c.section << "/" << c.key;
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(profile.Bytes(), file);
  }
}

}  // namespace
}  // namespace lullwood
