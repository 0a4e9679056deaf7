// Lookups in profile bytes: line ends, comments, trimming, quotes, names, defaults, capacity.
#include <gtest/gtest.h>

#include <string>

#include "PrivateProfile.h"

namespace lullwood {
namespace {

std::string Read(const std::string& bytes, std::string_view section, std::string_view key,
                 std::string_view defaultValue = "<default>",
                 std::size_t capacity = kNoCapacityLimit) {
  return PrivateProfileFile::FromBytes(bytes).GetString(section, key, defaultValue, capacity);
}

TEST(PrivateProfileRead, CapacityKeepsCapacityMinusOneCharacters) {
  const std::string file = "[Backgrounds]\r\nchk3=Yes\r\nchk4=y\r\nR7=34\r\nV1=100\r\nV2=7\r\n";
  EXPECT_EQ(Read(file, "Backgrounds", "chk3", "N", 2), "Y");
  EXPECT_EQ(Read(file, "Backgrounds", "chk4", "N", 2), "y");
  EXPECT_EQ(Read(file, "Backgrounds", "R7", "0", 2), "3");
  EXPECT_EQ(Read(file, "Backgrounds", "V1", "10", 3), "10");
  EXPECT_EQ(Read(file, "Backgrounds", "V2", "10", 3), "7");
  EXPECT_EQ(Read(file, "Backgrounds", "V1", "10", 1), "");
  EXPECT_EQ(Read(file, "Backgrounds", "V1", "10", 0), "");
  EXPECT_EQ(Read(file, "Backgrounds", "V1"), "100");
  // The default is cut like a value.
  EXPECT_EQ(Read(file, "Backgrounds", "V9", "10", 2), "1");
}

TEST(PrivateProfileRead, MissingSectionKeyOrBytesGiveTheDefaultWithoutTrailingBlanks) {
  const std::string file = "[Backgrounds]\r\nchk1=Y\r\n[Other]\r\nchk2=Y\r\n";
  EXPECT_EQ(Read(file, "Backgrounds", "chk2", "N"), "N");
  EXPECT_EQ(Read(file, "Nowhere", "chk1", "N"), "N");
  EXPECT_EQ(Read("", "Backgrounds", "chk1", "N"), "N");
  EXPECT_EQ(Read(file, "Backgrounds", "chk9", " a b \t "), " a b");
  EXPECT_EQ(Read(file, "Backgrounds", "chk9", "   "), "");
  // A present key with an empty value is not missing.
  EXPECT_EQ(Read("[S]\nk=\n", "S", "k", "dflt"), "");
  EXPECT_EQ(Read("[S]\nk=   \n", "S", "k", "dflt"), "");
}

TEST(PrivateProfileRead, NamesMatchCaseInsensitivelyAfterTrimming) {
  const std::string file = "  [ backgrounds ]  \r\n  CHK1 = Y \r\nChk2\t=\tN\r\n";
  EXPECT_EQ(Read(file, "Backgrounds", "chk1"), "Y");
  EXPECT_EQ(Read(file, "BACKGROUNDS", "chk2"), "N");
  EXPECT_EQ(Read(file, " Backgrounds\t", " chk1 "), "Y");
  // Only ASCII letters fold; other bytes must match exactly.
  EXPECT_EQ(Read("[\xC3\x84]\nk=1\n", "\xC3\xA4", "k"), "<default>");
  EXPECT_EQ(Read("[\xC3\x84]\nk=1\n", "\xC3\x84", "k"), "1");
}

TEST(PrivateProfileRead, ValueIsTextAfterFirstEqualsTrimmedWithOnePairOfQuotesRemoved) {
  const std::string file =
      "[S]\n"
      "a = x = y \n"
      "b=\"quoted value\"\n"
      "c='single'\n"
      "d=\"\"double\"\"\n"
      "e=\"mismatched'\n"
      "f=\"\n"
      "g=  \" padded \"  \n"
      "h=''\n";
  EXPECT_EQ(Read(file, "S", "a"), "x = y");
  EXPECT_EQ(Read(file, "S", "b"), "quoted value");
  EXPECT_EQ(Read(file, "S", "c"), "single");
  EXPECT_EQ(Read(file, "S", "d"), "\"double\"");
  EXPECT_EQ(Read(file, "S", "e"), "\"mismatched'");
  EXPECT_EQ(Read(file, "S", "f"), "\"");
  EXPECT_EQ(Read(file, "S", "g"), " padded ");
  EXPECT_EQ(Read(file, "S", "h"), "");
}

TEST(PrivateProfileRead, CommentsBlankLinesAndLinesWithoutEqualsAreNotKeys) {
  const std::string file =
      "; [S] before\n"
      "[S]\n"
      "   ; k=commented\n"
      "\n"
      " \t \n"
      "k\n"
      "key without equals\n"
      "k=real\n"
      "m=1 ; not a comment\n";
  EXPECT_EQ(Read(file, "S", "k"), "real");
  EXPECT_EQ(Read(file, "S", "; k"), "<default>");
  EXPECT_EQ(Read(file, "S", "key without equals"), "<default>");
  EXPECT_EQ(Read(file, "S", "m"), "1 ; not a comment");
}

TEST(PrivateProfileRead, SectionNameRunsToTheLastClosingBracket) {
  EXPECT_EQ(Read("[a]b]\nk=1\n", "a]b", "k"), "1");
  EXPECT_EQ(Read("[a] trailing\nk=2\n", "a", "k"), "2");
  // "[" without "]" opens no section, so its keys stay in the section before.
  EXPECT_EQ(Read("[a]\n[b\nk=3\n", "a", "k"), "3");
  EXPECT_EQ(Read("[a]\n[b\nk=3\n", "b", "k"), "<default>");
}

TEST(PrivateProfileRead, OnlyTheFirstSectionOfANameAndItsFirstKeyCount) {
  const std::string file = "[S]\nk=first\nK=second\n[T]\nt=1\n[s]\nk=third\nonly=later\n";
  EXPECT_EQ(Read(file, "S", "k"), "first");
  EXPECT_EQ(Read(file, "S", "only"), "<default>");
  EXPECT_EQ(Read(file, "T", "k"), "<default>");
  // Keys before any section belong to none.
  EXPECT_EQ(Read("k=orphan\n[S]\n", "S", "k"), "<default>");
}

TEST(PrivateProfileRead, EveryLineEndIsALineEnd) {
  for (const std::string end : {"\r\n", "\n", "\r"}) {
    SCOPED_TRACE(end == "\r" ? "CR" : end == "\n" ? "LF" : "CRLF");
    const std::string file = "[Backgrounds]" + end + "chk1=Y" + end + "R4=4" + end + "V1=8";
    EXPECT_EQ(Read(file, "Backgrounds", "chk1"), "Y");
    EXPECT_EQ(Read(file, "Backgrounds", "R4"), "4");
    EXPECT_EQ(Read(file, "Backgrounds", "V1"), "8");
  }
  // Mixed in one file, with CR CR LF giving an empty line between.
  EXPECT_EQ(Read("[S]\rA=1\r\r\nB=2\nC=3", "S", "B"), "2");
  EXPECT_EQ(Read("[S]\rA=1\r\r\nB=2\nC=3", "S", "C"), "3");
}

TEST(PrivateProfileRead, ByteOrderMarkBeforeTheFirstSectionIsSkipped) {
  EXPECT_EQ(Read("\xEF\xBB\xBF[Backgrounds]\r\nchk1=Y\r\n", "Backgrounds", "chk1"), "Y");
}

TEST(PrivateProfileRead, ArbitraryBytesAreOrdinaryCharacters) {
  const std::string file =
      std::string("[S]\nk=a\0b\n", 10) + std::string("\0\0\xFF\n", 4) + "after=\x01\x7F\n";
  EXPECT_EQ(Read(file, "S", "k"), std::string("a\0b", 3));
  EXPECT_EQ(Read(file, "S", "after"), "\x01\x7F");
  EXPECT_EQ(Read(file, "S", "k", "", 3), std::string("a\0", 2));
}

TEST(PrivateProfileRead, NulIsNeitherABlankNorALineEnd) {
  // A NUL inside or before a name makes it another name, and a NUL before "[" makes the
  // line no section header, so the keys after it stay in the section before.
  static const char kBytes[] =
      "[Back\0grounds]\r\nk=1\r\n[S]\r\n\0\0k=2\r\n\0\0\0\r\nm=3\r\n\0[T]\r\nn=4\r\n";
  const std::string file(kBytes, sizeof kBytes - 1);
  EXPECT_EQ(Read(file, "Backgrounds", "k"), "<default>");
  EXPECT_EQ(Read(file, std::string("Back\0grounds", 12), "k"), "1");
  EXPECT_EQ(Read(file, "S", "k"), "<default>");
  EXPECT_EQ(Read(file, "S", std::string("\0\0k", 3)), "2");
  EXPECT_EQ(Read(file, "S", "m"), "3");
  EXPECT_EQ(Read(file, "S", "n"), "4");
  EXPECT_EQ(Read(file, "T", "n"), "<default>");
}

}  // namespace
}  // namespace lullwood
