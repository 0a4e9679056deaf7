#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "LullwoodVersion.h"
#include "RenderOptions.h"
#include "Soundscape.h"

namespace lullwood::render {
namespace {

ParsedArguments Parse(std::vector<std::string> arguments) {
  return ParseRenderArguments(arguments);
}

TEST(RenderOptions, TakesEveryOptionInEitherSpelling) {
  const ParsedArguments parsed =
      Parse({"--seconds", "90", "night.lwd", "--seed=0", "--rate", "22050", "--out=a.wav",
             "--events", "e.tsv", "--resave", "r.lwd"});
  ASSERT_TRUE(parsed.options) << parsed.error;
  const RenderOptions& o = *parsed.options;
  EXPECT_EQ(o.scenarioPath, "night.lwd");
  EXPECT_EQ(o.seconds, 90u);
  ASSERT_TRUE(o.seed);
  EXPECT_EQ(*o.seed, 0u);
  EXPECT_EQ(o.rateHz, 22050);
  EXPECT_EQ(o.outPath, "a.wav");
  EXPECT_EQ(o.eventsPath, "e.tsv");
  EXPECT_EQ(o.resavePath, "r.lwd");
  EXPECT_FALSE(o.help);
  EXPECT_FALSE(o.fullBand);
  const ParsedArguments full = Parse({"--full-band", "a.lwd", "--seconds", "1"});
  ASSERT_TRUE(full.options) << full.error;
  EXPECT_TRUE(full.options->fullBand);
  for (const auto& refused :
       {std::vector<std::string>{"a.lwd", "--seconds", "1", "--full-band", "--full-band"},
        std::vector<std::string>{"a.lwd", "--seconds", "1", "--full-band=Y"}}) {
    const ParsedArguments parsed = ParseRenderArguments(refused);
    EXPECT_FALSE(parsed.options);
    EXPECT_NE(parsed.error.find("--full-band"), std::string::npos) << parsed.error;
  }

  const ParsedArguments plain = Parse({"a.lwd", "--seconds", "1"});
  ASSERT_TRUE(plain.options) << plain.error;
  EXPECT_FALSE(plain.options->seed);  // the clock
  EXPECT_EQ(plain.options->rateHz, kDefaultRateHz);
  EXPECT_TRUE(plain.options->outPath.empty());
}

TEST(RenderOptions, RangesAreInclusiveAtTheirEnds) {
  for (const char* rate : {"8000", "192000"}) {
    EXPECT_TRUE(Parse({"a.lwd", "--seconds", "1", "--rate", rate}).options) << rate;
  }
  EXPECT_TRUE(Parse({"a.lwd", "--seconds", "1", "--seed", "4294967295"}).options);
  EXPECT_TRUE(Parse({"a.lwd", "--seconds", std::to_string(kMaxSeconds)}).options);
}

TEST(RenderOptions, RefusesBadArgumentsWithTheReason) {
  struct Case {
    std::vector<std::string> arguments;
    std::string reason;
  };
  const Case cases[] = {
      {{"--seconds", "5"}, "no Scenario"},
      {{"a.lwd", "--seconds"}, "needs a value"},
      {{"a.lwd", "--seconds="}, "needs a value"},
      {{"a.lwd", "--seconds", "-3"}, "--seconds must be"},
      {{"a.lwd", "--seconds", "1.5"}, "--seconds must be"},
      {{"a.lwd", "--seconds", " 5"}, "--seconds must be"},
      {{"a.lwd", "--seconds", std::to_string(kMaxSeconds + 1)}, "--seconds must be"},
      {{"a.lwd", "--seconds", "99999999999999999999999"}, "--seconds must be"},
      {{"a.lwd", "--seconds", "5", "--rate", "7999"}, "--rate must be"},
      {{"a.lwd", "--seconds", "5", "--rate", "192001"}, "--rate must be"},
      {{"a.lwd", "--seconds", "5", "--rate", "44.1k"}, "--rate must be"},
      {{"a.lwd", "--seconds", "5", "--seed", "4294967296"}, "--seed must be"},
      {{"a.lwd", "--seconds", "5", "--seed", "-1"}, "--seed must be"},
      {{"a.lwd", "--seconds", "5", "-x"}, "unknown option"},
      {{"a.lwd", "--seconds", "5", "--seconds", "6"}, "--seconds given twice"},
      {{"a.lwd", "b.lwd", "--seconds", "5"}, "more than one Scenario"},
  };
  for (const Case& c : cases) {
    const ParsedArguments parsed = Parse(c.arguments);
    std::string joined;
    for (const std::string& a : c.arguments) joined += a + " ";
    EXPECT_FALSE(parsed.options) << joined;
    EXPECT_NE(parsed.error.find(c.reason), std::string::npos)
        << joined << "-> \"" << parsed.error << "\"";
  }
}

TEST(RenderOptions, DoubleDashEndsTheOptions) {
  const ParsedArguments parsed = Parse({"--seconds", "2", "--", "-odd name.lwd"});
  ASSERT_TRUE(parsed.options) << parsed.error;
  EXPECT_EQ(parsed.options->scenarioPath, "-odd name.lwd");
}

TEST(RenderOptions, HelpOrVersionNeedsNothingElseAndTheFirstWins) {
  const ParsedArguments help = Parse({"--help"});
  ASSERT_TRUE(help.options);
  EXPECT_TRUE(help.options->help);
  EXPECT_FALSE(help.options->version);

  const ParsedArguments version = Parse({"--version", "--help", "--bogus"});
  ASSERT_TRUE(version.options) << version.error;
  EXPECT_TRUE(version.options->version);
  EXPECT_FALSE(version.options->help);

  // After the end of the options they are file names like any other.
  const ParsedArguments named = Parse({"--seconds", "1", "--", "--version"});
  ASSERT_TRUE(named.options) << named.error;
  EXPECT_FALSE(named.options->version);
  EXPECT_EQ(named.options->scenarioPath, "--version");

  // An option before them is still checked.
  EXPECT_FALSE(Parse({"--loud", "--help"}).options);
}

TEST(RenderOptions, UsageNamesEveryOptionAndTheVersionIsTheProgramsOwn) {
  const std::string usage = RenderUsage();
  for (const char* option :
       {"--seconds N", "--seed S", "--rate HZ", "--out FILE", "--events FILE", "--resave FILE",
        "--full-band", "--help", "--version", "(default 48000)", "Exit status: 0"}) {
    EXPECT_NE(usage.find(option), std::string::npos) << option;
  }
  for (size_t start = 0, end; (end = usage.find('\n', start)) != std::string::npos;
       start = end + 1) {
    EXPECT_LE(end - start, 80u) << "line wider than a terminal: "
                                << usage.substr(start, end - start);
  }
  EXPECT_EQ(RenderVersion(), "lullwood-render " + std::string(kVersion) + "\n");
  // The window title carries the same version.
  EXPECT_EQ(std::string(kTitle), "Lullwood v" + std::string(kVersion));
}

TEST(RenderOptions, TheManualPageDescribesEveryOptionOfTheUsage) {
  std::ifstream in(LULLWOOD_RENDER_MAN_PAGE);
  ASSERT_TRUE(in) << LULLWOOD_RENDER_MAN_PAGE;
  std::stringstream page;
  page << in.rdbuf();
  // roff writes a dash of an option as "\-".
  const std::string text = std::regex_replace(page.str(), std::regex(R"(\\-)"), "-");
  const std::string usage = RenderUsage();
  const std::regex option(R"(--[a-z]+)");
  int options = 0;
  for (auto it = std::sregex_iterator(usage.begin(), usage.end(), option);
       it != std::sregex_iterator(); ++it, ++options) {
    // An entry: a tagged paragraph whose tag begins with the option.
    EXPECT_TRUE(std::regex_search(text, std::regex("\\.TP\n\\.B[IR]? " + it->str() + "\\b")))
        << it->str() << " has no entry of its own";
  }
  EXPECT_GE(options, 8);
  for (const std::string& fact : {std::to_string(kDefaultRateHz), std::to_string(kMinRateHz),
                                  std::to_string(kMaxRateHz), std::to_string(kMaxSeconds)}) {
    EXPECT_NE(text.find(fact), std::string::npos) << fact;
  }
}

TEST(ParseDecimal, AcceptsOnlyPlainDigitsUpToTheLimit) {
  EXPECT_EQ(ParseDecimal("0", 10), 0u);
  EXPECT_EQ(ParseDecimal("10", 10), 10u);
  EXPECT_EQ(ParseDecimal("007", 10), 7u);
  EXPECT_FALSE(ParseDecimal("11", 10));
  EXPECT_FALSE(ParseDecimal("", 10));
  EXPECT_FALSE(ParseDecimal("+1", 10));
  EXPECT_FALSE(ParseDecimal("1 ", 10));
  EXPECT_EQ(ParseDecimal("18446744073709551615", UINT64_MAX), UINT64_MAX);
  EXPECT_FALSE(ParseDecimal("18446744073709551616", UINT64_MAX));
}

}  // namespace
}  // namespace lullwood::render

namespace lullwood::render {
namespace {

TEST(RenderOptionsSleep, TakesWholeAndFractionalMinutesUpToADay) {
  const std::pair<const char*, double> good[] = {{"15", 15.0},  {"0.5", 0.5},     {".25", 0.25},
                                                 {"90.", 90.0}, {"1440", 1440.0}, {"0.01", 0.01}};
  for (const auto& [text, minutes] : good) {
    const ParsedArguments parsed = Parse({"a.lwd", "--seconds", "1", "--sleep", text});
    ASSERT_TRUE(parsed.options) << text << ": " << parsed.error;
    ASSERT_TRUE(parsed.options->sleepMinutes) << text;
    EXPECT_DOUBLE_EQ(*parsed.options->sleepMinutes, minutes) << text;
  }
  EXPECT_FALSE(Parse({"a.lwd", "--seconds", "1"}).options->sleepMinutes);
  EXPECT_TRUE(Parse({"a.lwd", "--seconds", "1", "--sleep=2.5"}).options->sleepMinutes);
}

TEST(RenderOptionsSleep, RefusesWhatIsNotAPositiveNumberOfMinutesUpToADay) {
  for (const char* bad : {"0", "0.0", "-1", "+1", "1441", "1440.01", "abc", "1e3", "1.2.3", ".",
                          " 5", "5 ", "nan", "inf", "0x10", "1,5"}) {
    const ParsedArguments parsed = Parse({"a.lwd", "--seconds", "1", "--sleep", bad});
    EXPECT_FALSE(parsed.options) << bad;
    EXPECT_NE(parsed.error.find("--sleep must be"), std::string::npos)
        << bad << ": " << parsed.error;
  }
  EXPECT_NE(Parse({"a.lwd", "--seconds", "1", "--sleep"}).error.find("needs a value"),
            std::string::npos);
  EXPECT_NE(Parse({"a.lwd", "--seconds", "1", "--sleep", "1", "--sleep", "2"}).error.find("twice"),
            std::string::npos);
}

}  // namespace
}  // namespace lullwood::render
