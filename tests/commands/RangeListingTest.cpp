// Command5 against the recording fake: outcomes, caption sequences, nesting, and a sieve as referee.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "commands/CommandMessages.h"
#include "commands/Commands.h"
#include "engine/WorkerThreads.h"
#include "support/ListingWatchdog.h"
#include "support/RecordingFake.h"

namespace teilomat {
namespace {

using testing::RecordingFake;
using uint128 = unsigned __int128;

const char* const kAbort = "Abbruch !!! Die getestete Zahl hat mehr als 29 Stellen !!!";
const char* const kBelowTen = " 2, 3, 5, 7 sind die Primzahlen unter 10. Bitte gebe mindestens 10 als Zahl ein";

struct Listing {
  RecordingFake fake;
  Listing(const std::string& from, const std::string& to, Separators locale = Separators::comma(), int check1 = 1) {
    fake.locale = locale;
    fake.check1 = check1;
    fake.texts[TextField::Text3] = from;
    fake.texts[TextField::Text4] = to;
    fake.texts[TextField::Text2] = "Alte Eingabe: 5";
    fake.label1 = "Label1 vorher";
    fake.label2 = "Label2 vorher";
    fake.list = {7, 8};
    listingtest::ListingWatchdog watchdog("listing " + from + " to " + to);
    runRangeListing(fake, fake);
  }
};

std::string checking(const std::string& m) { return "Teilomat - (" + m + " wird geprüft)"; }
std::string progress(const std::string& m, int percent, int count) {
  return "Teilomat - (" + m + " ist zu " + std::to_string(percent) + " % überprüft; " + std::to_string(count) +
         " Zahlen als mög. Teiler getestet)";
}
std::string eachPrime(int count, const std::string& from, const std::string& to) {
  return "Teilomat - (" + std::to_string(count) + " Primzalen zwischen " + from + " und " + to + ")";
}
std::string pastEnd(int count, const std::string& from, const std::string& to) {
  return "Teilomat - (" + std::to_string(count) + " Primzahlen zwischen " + from + " und " + to + ")";
}
std::string label1(int count, const std::string& from, const std::string& to) {
  return "Es gibt " + std::to_string(count) + " Primzahlen zwischen " + from + " und " + to;
}
bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

std::string text128(uint128 v) {
  std::string s;
  do {
    s.insert(s.begin(), static_cast<char>('0' + static_cast<int>(v % 10)));
    v /= 10;
  } while (v != 0);
  return s;
}

// The primes in [lo, hi] by a segmented sieve of Eratosthenes; hi below 2^50.
std::vector<uint128> sievePrimes(std::uint64_t lo, std::uint64_t hi) {
  const auto root = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(hi))) + 1;
  std::vector<bool> small(root + 1, true);
  std::vector<bool> prime(hi - lo + 1, true);
  for (std::uint64_t p = 2; p <= root; ++p) {
    if (!small[p]) continue;
    for (std::uint64_t k = p * p; k <= root; k += p) small[k] = false;
    for (std::uint64_t k = std::max(p * p, (lo + p - 1) / p * p); k <= hi; k += p) prime[k - lo] = false;
  }
  std::vector<uint128> out;
  for (std::uint64_t n = std::max<std::uint64_t>(lo, 2); n <= hi; ++n)
    if (prime[n - lo]) out.push_back(n);
  return out;
}

TEST(RangeListing, TenToThirtyListsSixPrimes) {
  Listing l("10", "30");
  EXPECT_EQ(l.fake.list, (std::vector<uint128>{11, 13, 17, 19, 23, 29}));
  EXPECT_EQ(l.fake.label1, label1(6, "10", "30"));
  EXPECT_TRUE(startsWith(l.fake.label2, label1(6, "10", "30") + ". Die Auflistung hat ")) << l.fake.label2;
  EXPECT_EQ(l.fake.caption, pastEnd(6, "10", "30"));
  EXPECT_EQ(l.fake.texts[TextField::Text2], "");
  EXPECT_EQ(l.fake.log.front().what, "list.clear");
  EXPECT_EQ(l.fake.count("beep"), 1u);
  EXPECT_EQ(l.fake.log.back().what, "beep");
}

TEST(RangeListing, EachPrimeWritesLabelsCaptionThenTheEntry) {
  Listing l("11", "11");
  std::vector<std::string> written;
  for (const auto& e : l.fake.log)
    if (e.what != "caption" || e.text.find("Primzalen") != std::string::npos)
      written.push_back(e.what + ": " + e.text.substr(0, e.text.find(". Die")));
  EXPECT_EQ(written,
            (std::vector<std::string>{"list.clear: ", "text2: ", "label1: " + label1(1, "11", "11"),
                                      "caption: " + eachPrime(1, "11", "11"), "label2: " + label1(1, "11", "11"),
                                      "list.append: 11", "label2: " + label1(1, "11", "11"), "beep: "}));
  EXPECT_EQ(l.fake.caption, eachPrime(1, "11", "11"));
  // The stopwatch is halted before anything of the report is written, so
  // the time shown does not include the report.
  const auto halted = static_cast<std::size_t>(l.fake.indexOf("label1"));
  EXPECT_NE(std::find(l.fake.counterReadAt.begin(), l.fake.counterReadAt.end(), halted), l.fake.counterReadAt.end());
}

TEST(RangeListing, TenToThirteenCarriesCountAndPercentBetweenCandidates) {
  Listing l("10", "13");
  EXPECT_EQ(l.fake.captions(),
            (std::vector<std::string>{checking("10"), checking("11"), progress("11", 75, 3), progress("11", 125, 3),
                                      eachPrime(1, "10", "13"), checking("12"), checking("13"), progress("13", 75, 4),
                                      progress("13", 125, 3), eachPrime(2, "10", "13")}));
  EXPECT_EQ(l.fake.list, (std::vector<uint128>{11, 13}));
}

TEST(RangeListing, ThirtySevenPassesOneHundredPercentAtItsLastDivisor) {
  Listing l("37", "37");
  EXPECT_EQ(l.fake.captions(),
            (std::vector<std::string>{checking("37"), progress("37", 42, 3), progress("37", 71, 3),
                                      progress("37", 100, 4), progress("37", 157, 5), eachPrime(1, "37", "37")}));
}

TEST(RangeListing, PercentIsWorkedOutInTheStatedOrder) {
  // 30293 lies between 174^2 and 175^2 (bound 175); at the divisor 77, the
  // 27th divisor count, 100 / (175 / 77) is just below 44 in doubles.
  Listing l("30293", "30293");
  const auto captions = l.fake.captions();
  EXPECT_NE(std::find(captions.begin(), captions.end(), progress("30293", 43, 27)), captions.end());
  for (const auto& c : captions) EXPECT_EQ(c.find(" ist zu 44 %"), std::string::npos) << c;
}

struct Outcome {
  const char* name;
  const char* from;
  const char* to;
  std::vector<uint128> list;
  std::string caption;
  bool labelsWritten;
  std::string message;  // empty: no box
};

TEST(RangeListing, OutcomesOfARun) {
  const Outcome rows[] = {
      {"start of 1e29 or more", "1E29", "30", {}, "Teilomat", false, kAbort},
      {"start below ten", "9", "30", {}, "Teilomat", false, kBelowTen},
      {"negative start", "-5", "30", {}, "Teilomat", false, kBelowTen},
      {"start nine and a half", "9,5", "30", {}, "Teilomat", false, kBelowTen},
      {"start with a fraction", "10,5", "30", {}, "Teilomat", false, messages::kFraction},
      {"start not a number", "zehn", "30", {}, "Teilomat", false, messages::kNotANumber},
      {"end not a number", "10", "", {}, "Teilomat", false, messages::kNotANumber},
      {"end of 1e29 has no guard", "10", "1E29", {}, "Teilomat", false, messages::kOutOfRange},
      {"both unreadable: the end fails first", "1E30", "x", {}, "Teilomat", false, messages::kNotANumber},
      {"start above end", "20", "15", {}, pastEnd(0, "20", "15"), false, ""},
      {"no prime in range", "24", "28", {}, pastEnd(0, "24", "28"), false, ""},
      {"negative end", "10", "-3", {}, pastEnd(0, "10", "-3"), false, ""},
      {"end not prime", "10", "30", {11, 13, 17, 19, 23, 29}, pastEnd(6, "10", "30"), true, ""},
      {"end itself prime", "10", "13", {11, 13}, eachPrime(2, "10", "13"), true, ""},
      {"fractional end", "10", "13,5", {11, 13}, pastEnd(2, "10", "13,5"), true, ""},
      {"leading zeros", " 0010", "0013 ", {11, 13}, eachPrime(2, "10", "13"), true, ""},
      {"grouped start", "1.000", "1.010", {1009}, pastEnd(1, "1000", "1010"), true, ""},
  };
  for (const Outcome& row : rows) {
    Listing l(row.from, row.to);
    EXPECT_EQ(l.fake.list, row.list) << row.name;
    EXPECT_EQ(l.fake.caption, row.caption) << row.name;
    EXPECT_EQ(l.fake.label1 != "Label1 vorher", row.labelsWritten) << row.name;
    EXPECT_EQ(l.fake.label2 != "Label2 vorher", row.labelsWritten) << row.name;
    const auto boxes = l.fake.eventsNamed("messageBox");
    EXPECT_EQ(boxes.size(), row.message.empty() ? 0u : 1u) << row.name;
    if (!boxes.empty()) {
      EXPECT_EQ(boxes[0].text, row.message) << row.name;
    }
    EXPECT_EQ(l.fake.texts[TextField::Text2], "") << row.name;
    EXPECT_EQ(l.fake.count("beep"), 1u) << row.name;
    EXPECT_EQ(l.fake.log.back().what, "beep") << row.name;
    EXPECT_EQ(l.fake.log.front().what, "list.clear") << row.name;
  }
}

TEST(RangeListing, PointLocaleReadsAndWritesItsSeparator) {
  Listing l("10", "13.5", Separators::point());
  EXPECT_EQ(l.fake.caption, pastEnd(2, "10", "13.5"));
  EXPECT_TRUE(l.fake.label2.find(" ms = ") != std::string::npos);
  EXPECT_EQ(l.fake.label2.find(','), std::string::npos) << l.fake.label2;
  Listing refused("10.5", "30", Separators::point());
  EXPECT_EQ(refused.fake.eventsNamed("messageBox").at(0).text, messages::kFraction);
}

TEST(RangeListing, TimeShownIsThatOfTheLastPrimeFound) {
  // 29 is the last prime of 10..30: Label2 is not written for 30 or after.
  Listing l("10", "30");
  EXPECT_LT(l.fake.indexOf("label2"), l.fake.indexOf("list.append", std::string("29")));
  long lastLabel2 = -1;
  for (std::size_t i = 0; i < l.fake.log.size(); ++i)
    if (l.fake.log[i].what == "label2") lastLabel2 = static_cast<long>(i);
  EXPECT_EQ(lastLabel2 + 1, l.fake.indexOf("list.append", std::string("29")));
}

TEST(RangeListing, NoBeepUnlessCheck1IsOne) {
  for (int check1 : {0, 2})
    for (const auto& range : std::vector<std::pair<const char*, const char*>>{
             {"10", "30"}, {"9", "30"}, {"1E30", "30"}, {"20", "15"}, {"10", "x"}}) {
      Listing l(range.first, range.second, Separators::comma(), check1);
      EXPECT_EQ(l.fake.count("beep"), 0u) << range.first << ".." << range.second;
    }
}

// On one thread, and divided ahead on two or eight (with passes by the
// countdown or by the clock), the same primes and the same log.
TEST(RangeListing, AgreesWithASieveOnEveryThreadCount) {
  struct Range {
    const char* name;
    std::uint64_t lo, hi;
  };
  const Range ranges[] = {
      {"small", 10, 20000},
      {"around 2^32", 4294967296u - 300, 4294967296u + 300},
      {"from 10^12", 1000000000000u, 1000000000000u + 400},
      {"around 2^40", (std::uint64_t{1} << 40) - 150, (std::uint64_t{1} << 40) + 150},
  };
  for (const Range& r : ranges) {
    const auto run = [&](int threads, bool clockLike) {
      const ScopedThreadCount count(threads);
      RecordingFake fake;
      fake.clockLike = clockLike;
      fake.texts[TextField::Text3] = std::to_string(r.lo);
      fake.texts[TextField::Text4] = std::to_string(r.hi);
      listingtest::ListingWatchdog watchdog(r.name);
      runRangeListing(fake, fake);
      return fake;
    };
    const RecordingFake one = run(1, false);
    const auto expected = sievePrimes(r.lo, r.hi);
    EXPECT_EQ(one.list, expected) << r.name;
    EXPECT_EQ(one.label1, label1(static_cast<int>(expected.size()), std::to_string(r.lo), std::to_string(r.hi)))
        << r.name;
    for (int threads : {2, 8}) {
      for (bool clockLike : {false, true}) {
        const RecordingFake many = run(threads, clockLike);
        EXPECT_EQ(many.log, one.log) << r.name << ", threads " << threads << ", clock " << clockLike;
        if (!clockLike) {
          EXPECT_EQ(many.passes, one.passes) << r.name << ", threads " << threads;
        }
      }
    }
  }
}

// Above 2^64 a prime needs some 1.4e9 divisions, too slow for a test; these
// stretches hold composites only, each with a divisor below 6e6, which a
// plain reference loop confirms.
TEST(RangeListing, CompositeStretchesAcross2To64AndAtTheTop) {
  struct Range {
    const char* name;
    uint128 lo, hi;
  };
  const uint128 twoTo64 = uint128{1} << 64;
  const uint128 top = (uint128{1} << 96) - 1;
  const Range ranges[] = {
      {"across 2^64", twoTo64 - 38, twoTo64 + 2},
      {"up to 2^96 - 1", top - 5, top},
  };
  for (const Range& r : ranges) {
    for (uint128 n = r.lo; n <= r.hi; ++n) {
      bool composite = false;
      for (std::uint64_t d = 2; d < 6000000 && !composite; ++d) composite = n % d == 0;
      ASSERT_TRUE(composite) << text128(n);
    }
    Listing l(text128(r.lo), text128(r.hi));
    EXPECT_TRUE(l.fake.list.empty()) << r.name;
    EXPECT_EQ(l.fake.caption, pastEnd(0, text128(r.lo), text128(r.hi))) << r.name;
    const auto captions = l.fake.captions();
    const auto checked = std::count_if(captions.begin(), captions.end(), [](const std::string& c) {
      return c.find(" wird geprüft)") != std::string::npos;
    });
    EXPECT_EQ(static_cast<uint128>(checked), r.hi - r.lo + 1) << r.name;
    EXPECT_NE(std::find(captions.begin(), captions.end(), checking(text128(r.hi))), captions.end()) << r.name;
  }
}

TEST(RangeListing, SecondListingInsideAnEventPassEmptiesTheListFirst) {
  for (int threads : {1, 2, 8}) {
    SCOPED_TRACE("threads " + std::to_string(threads));
    const ScopedThreadCount count(threads);
    RecordingFake fake;
    fake.texts[TextField::Text3] = "10";
    fake.texts[TextField::Text4] = "30";
    // Passes count divisions: 11 takes 1-2, 13 3-4, 15 5, 17 6-8.
    fake.atPass(7, [&] {
      EXPECT_EQ(fake.list, (std::vector<uint128>{11, 13}));
      fake.texts[TextField::Text3] = "100";
      fake.texts[TextField::Text4] = "110";
      runRangeListing(fake, fake);
      EXPECT_EQ(fake.list, (std::vector<uint128>{101, 103, 107, 109}));
    });
    listingtest::ListingWatchdog watchdog("nested listing");
    runRangeListing(fake, fake);
    EXPECT_EQ(fake.list, (std::vector<uint128>{101, 103, 107, 109, 17, 19, 23, 29}));
    EXPECT_EQ(fake.label1, label1(6, "10", "30"));
    EXPECT_EQ(fake.caption, pastEnd(6, "10", "30"));
    EXPECT_EQ(fake.count("beep"), 2u);
  }
}

// A listing and a search nested in each other's event pass: each ends with
// its own result, and the outer one goes on with its own values.
TEST(RangeListing, NestsWithTheSearchBothWays) {
  using Command = void (*)(OutputSurface&, PlatformServices&);
  struct Row {
    const char* name;
    const char* text1;
    const char* text4;  // Text3 is 10
    std::uint64_t pass;
    Command outer, inner;
    std::vector<uint128> list;
    const char* text2;
    std::string caption;
  };
  const Row rows[] = {
      {"search inside a listing",
       "13",
       "30",
       7,
       runRangeListing,
       runNextPrimeSearch,
       {11, 13, 17, 19, 23, 29},
       "17",
       pastEnd(6, "10", "30")},
      {"listing inside a search",
       "32",
       "13",
       1,
       runNextPrimeSearch,
       runRangeListing,
       {11, 13},
       "37",
       "Teilomat - (37 ist die nächste Primzahl)"},
  };
  for (const Row& row : rows) {
    RecordingFake fake;
    fake.texts[TextField::Text1] = row.text1;
    fake.texts[TextField::Text3] = "10";
    fake.texts[TextField::Text4] = row.text4;
    fake.atPass(row.pass, [&] { row.inner(fake, fake); });
    listingtest::ListingWatchdog watchdog(row.name);
    row.outer(fake, fake);
    EXPECT_EQ(fake.list, row.list) << row.name;
    EXPECT_EQ(fake.texts[TextField::Text2], row.text2) << row.name;
    EXPECT_EQ(fake.caption, row.caption) << row.name;
  }
}

}  // namespace
}  // namespace teilomat
