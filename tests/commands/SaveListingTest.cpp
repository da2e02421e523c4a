// Command6 against the recording fake and a scratch directory: the file's bytes and the box of a refused save.
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "commands/Commands.h"
#include "files/FileReplacement.h"
#include "support/ListingWatchdog.h"
#include "support/Parse128.h"
#include "support/RecordingFake.h"
#include "support/ScratchDirectory.h"

namespace teilomat {
namespace {

namespace fs = std::filesystem;
using listingtest::ScratchDirectory;
using testing::parse128;
using testing::RecordingFake;

// Saves `list`, then checks that the list and every control are as before:
// the whole save's mark on the window is nothing, or one box.
struct Save {
  RecordingFake fake;
  explicit Save(const fs::path& file, std::vector<uint128> list = {11, 13}) {
    fake.list = list;
    fake.caption = "Teilomat - (2 Primzahlen zwischen 10 und 15)";
    runSaveListing(fake, fake, file);
    EXPECT_EQ(fake.list, list);
    EXPECT_EQ(fake.caption, "Teilomat - (2 Primzahlen zwischen 10 und 15)");
    for (const auto& e : fake.log) EXPECT_EQ(e.what, "messageBox") << e.what;
  }
  bool succeeded() const { return fake.log.empty(); }
};

// Every name in `dir` but the saved file: temporaries left behind.
std::vector<std::string> leftovers(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().filename() != "Primzahlen.txt") names.push_back(entry.path().filename().string());
  }
  return names;
}

TEST(SaveListing, EntriesAreSeparatedByCrLfAndTheLastEndsTheFile) {
  struct Row {
    const char* name;
    std::vector<uint128> list;
    std::string bytes;
  };
  const Row rows[] = {
      {"empty list gives an empty file", {}, ""},
      {"one entry", {11}, "11"},
      {"six entries of 10 to 30", {11, 13, 17, 19, 23, 29}, "11\r\n13\r\n17\r\n19\r\n23\r\n29"},
      {"29 digits", {parse128("79228162514264337593543950319"), 3}, "79228162514264337593543950319\r\n3"},
  };
  for (const Row& row : rows) {
    ScratchDirectory dir;
    Save s(dir / "Primzahlen.txt", row.list);
    EXPECT_TRUE(s.succeeded()) << row.name;
    EXPECT_EQ(ScratchDirectory::read(dir / "Primzahlen.txt"), row.bytes) << row.name;
    EXPECT_TRUE(leftovers(dir.path()).empty()) << row.name;
  }
}

TEST(SaveListing, DefaultNameLandsInTheWorkingDirectory) {
  ScratchDirectory dir;
  const fs::path before = fs::current_path();
  fs::current_path(dir.path());
  RecordingFake fake;
  fake.list = {11};
  runSaveListing(fake, fake);
  fs::current_path(before);
  EXPECT_EQ(ScratchDirectory::read(dir / "Primzahlen.txt"), "11");
}

TEST(SaveListing, MoreThan32767EntriesAreSavedWhole) {
  ScratchDirectory dir;
  std::vector<uint128> list;
  std::string expected;
  for (int i = 0; i < 40000; ++i) {
    list.push_back(1000003 + 2 * i);
    expected += (i == 0 ? "" : "\r\n") + std::to_string(1000003 + 2 * i);
  }
  Save s(dir / "Primzahlen.txt", list);
  EXPECT_TRUE(s.succeeded());
  const std::string bytes = ScratchDirectory::read(dir / "Primzahlen.txt");
  EXPECT_EQ(bytes.size(), expected.size());
  EXPECT_TRUE(bytes == expected);
}

// Which refusal it is, and its number, is the file layer's (tests/files);
// the box is the command's: "Fehler: ", the number, CR LF, the description.
TEST(SaveListing, ARefusalShowsTheFileLayersErrorInOneBox) {
  ScratchDirectory dir;
  fs::create_directory(dir / "Primzahlen.txt");
  const FileError error = FileReplacement(dir / "Primzahlen.txt").begin();
  ASSERT_NE(error.number, 0);
  Save refused(dir / "Primzahlen.txt");
  const auto boxes = refused.fake.eventsNamed("messageBox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Fehler: " + std::to_string(error.number) + "\r\n" + error.description);
  EXPECT_EQ(boxes[0].extra, "Speichern Listbox");
}

TEST(SaveListing, SaveInsideAListingTakesTheEntriesOfThatMoment) {
  ScratchDirectory dir;
  RecordingFake fake;
  fake.texts[TextField::Text3] = "10";
  fake.texts[TextField::Text4] = "30";
  // Pass 7 falls in the divisions of 17, after 11 and 13 were listed.
  fake.atPass(7, [&] { runSaveListing(fake, fake, dir / "Primzahlen.txt"); });
  listingtest::ListingWatchdog watchdog("save inside a listing");
  runRangeListing(fake, fake);
  EXPECT_EQ(ScratchDirectory::read(dir / "Primzahlen.txt"), "11\r\n13");
  EXPECT_EQ(fake.list.size(), 6u);
  EXPECT_EQ(fake.count("messageBox"), 0u);
}

}  // namespace
}  // namespace teilomat
