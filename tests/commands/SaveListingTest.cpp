// Command6 against the recording fake and a scratch directory: the file's bytes and every failure.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

#include "support/ListingWatchdog.h"
#include "support/RecordingFake.h"
#include "support/ScratchDirectory.h"
#include "commands/Commands.h"

namespace teilomat {
namespace {

namespace fs = std::filesystem;
using listingtest::ScratchDirectory;
using testing::RecordingFake;

// The whole save's mark on the window: nothing, or one box.
std::string failureText(int error) {
  return "Fehler: " + std::to_string(error) + "\r\n" + std::system_category().message(error);
}

// Saves `list`, then checks that the list and every control are as before.
struct Save {
  RecordingFake fake;
  explicit Save(const fs::path& file, std::vector<std::string> list = {"11", "13"}) {
    fake.list = list;
    fake.caption = "Teilomat - (2 Primzahlen zwischen 10 und 15)";
    runSaveListing(fake, fake, file);
    EXPECT_EQ(fake.list, list);
    EXPECT_EQ(fake.caption, "Teilomat - (2 Primzahlen zwischen 10 und 15)");
    for (const auto& e : fake.log) EXPECT_EQ(e.what, "messageBox") << e.what;
  }
  bool failedWith(int error) const {
    const auto boxes = fake.eventsNamed("messageBox");
    return boxes.size() == 1 && boxes[0].text == failureText(error) &&
           boxes[0].extra == "Speichern Listbox";
  }
  bool succeeded() const { return fake.log.empty(); }
};

// As root, permission bits do not stop a write; such tests are skipped there.
bool permissionsStopWrites(const fs::path& probe) {
  return ::access(probe.c_str(), W_OK) != 0;
}

TEST(SaveListing, WritesOnePrimePerLineWithCrLf) {
  struct Row {
    const char* name;
    std::vector<std::string> list;
    std::string bytes;
  };
  const Row rows[] = {
      {"empty list gives an empty file", {}, ""},
      {"one entry", {"11"}, "11\r\n"},
      {"six entries of 10 to 30", {"11", "13", "17", "19", "23", "29"}, "11\r\n13\r\n17\r\n19\r\n23\r\n29\r\n"},
      {"29 digits", {"79228162514264337593543950319"}, "79228162514264337593543950319\r\n"},
  };
  for (const Row& row : rows) {
    ScratchDirectory dir;
    Save s(dir / "Primzahlen.txt", row.list);
    EXPECT_TRUE(s.succeeded()) << row.name;
    EXPECT_EQ(ScratchDirectory::read(dir / "Primzahlen.txt"), row.bytes) << row.name;
  }
}

TEST(SaveListing, DefaultNameLandsInTheWorkingDirectory) {
  ScratchDirectory dir;
  const fs::path before = fs::current_path();
  fs::current_path(dir.path());
  RecordingFake fake;
  fake.list = {"11"};
  runSaveListing(fake, fake);
  fs::current_path(before);
  EXPECT_EQ(ScratchDirectory::read(dir / "Primzahlen.txt"), "11\r\n");
}

TEST(SaveListing, ReplacesALongerFileEntirely) {
  ScratchDirectory dir;
  ScratchDirectory::write(dir / "Primzahlen.txt", std::string(10000, '7') + "\r\nalter Inhalt\r\n");
  Save s(dir / "Primzahlen.txt", {"11", "13"});
  EXPECT_TRUE(s.succeeded());
  EXPECT_EQ(ScratchDirectory::read(dir / "Primzahlen.txt"), "11\r\n13\r\n");
  Save again(dir / "Primzahlen.txt", {"11", "13"});
  EXPECT_EQ(ScratchDirectory::read(dir / "Primzahlen.txt"), "11\r\n13\r\n");
}

TEST(SaveListing, MoreThan32767EntriesAreSavedWhole) {
  ScratchDirectory dir;
  std::vector<std::string> list;
  std::string expected;
  for (int i = 0; i < 40000; ++i) {
    list.push_back(std::to_string(1000003 + 2 * i));
    expected += list.back() + "\r\n";
  }
  Save s(dir / "Primzahlen.txt", list);
  EXPECT_TRUE(s.succeeded());
  const std::string bytes = ScratchDirectory::read(dir / "Primzahlen.txt");
  EXPECT_EQ(bytes.size(), expected.size());
  EXPECT_TRUE(bytes == expected);
}

TEST(SaveListing, ReadOnlyFileIsReportedAndLaterSaved) {
  ScratchDirectory dir;
  const fs::path file = dir / "Primzahlen.txt";
  ScratchDirectory::write(file, "alt\r\n");
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  if (!permissionsStopWrites(file)) GTEST_SKIP() << "permission bits do not stop this user";
  Save refused(file);
  EXPECT_TRUE(refused.failedWith(EACCES));
  EXPECT_EQ(ScratchDirectory::read(file), "alt\r\n");
  fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
  Save later(file);
  EXPECT_TRUE(later.succeeded());
  EXPECT_EQ(ScratchDirectory::read(file), "11\r\n13\r\n");
}

TEST(SaveListing, DirectoryWithoutWritePermissionIsReported) {
  ScratchDirectory dir;
  fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
  if (!permissionsStopWrites(dir.path())) GTEST_SKIP() << "permission bits do not stop this user";
  Save refused(dir / "Primzahlen.txt");
  EXPECT_TRUE(refused.failedWith(EACCES));
  fs::permissions(dir.path(), fs::perms::owner_all);
  Save later(dir / "Primzahlen.txt");
  EXPECT_TRUE(later.succeeded());
}

// Failures that stop every user, root included.
TEST(SaveListing, OpeningFailuresAreReportedAndLaterSavesSucceed) {
  {
    ScratchDirectory dir;
    fs::create_directory(dir / "Primzahlen.txt");  // a directory in the file's place
    Save refused(dir / "Primzahlen.txt");
    EXPECT_TRUE(refused.failedWith(EISDIR)) << refused.fake.eventsNamed("messageBox").at(0).text;
    fs::remove(dir / "Primzahlen.txt");
    EXPECT_TRUE(Save(dir / "Primzahlen.txt").succeeded());
  }
  {
    ScratchDirectory dir;
    Save refused(dir / "fehlt" / "Primzahlen.txt");  // no such directory
    EXPECT_TRUE(refused.failedWith(ENOENT));
  }
}

TEST(SaveListing, FullDiskIsReportedNeverPassedAsSuccess) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  ScratchDirectory dir;
  const fs::path file = dir / "Primzahlen.txt";
  fs::create_symlink("/dev/full", file);
  for (const std::vector<std::string>& list :
       {std::vector<std::string>{"11"}, std::vector<std::string>(50000, "1000000000039")}) {
    Save refused(file, list);
    EXPECT_TRUE(refused.failedWith(ENOSPC)) << list.size() << " entries";
  }
  fs::remove(file);
  Save later(file);
  EXPECT_TRUE(later.succeeded());
  EXPECT_EQ(ScratchDirectory::read(file), "11\r\n13\r\n");
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
  EXPECT_EQ(ScratchDirectory::read(dir / "Primzahlen.txt"), "11\r\n13\r\n");
  EXPECT_EQ(fake.list.size(), 6u);
  EXPECT_EQ(fake.count("messageBox"), 0u);
}

}  // namespace
}  // namespace teilomat
