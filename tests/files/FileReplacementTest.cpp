// The file layer on every platform: a replaced file holds exactly the new bytes, and nothing else is left.
#include <gtest/gtest.h>
#include <string>

#include "files/Replacing.h"

namespace teilomat {
namespace {

using filetest::leftovers;
using filetest::replaceWith;
using listingtest::ScratchDirectory;

TEST(FileReplacement, ReplacesALongerFileEntirely) {
  ScratchDirectory dir;
  ScratchDirectory::write(dir / "Primzahlen.txt", std::string(10000, '7') + "\r\nalter Inhalt\r\n");
  EXPECT_FALSE(replaceWith(dir / "Primzahlen.txt", "11\r\n13"));
  EXPECT_EQ(ScratchDirectory::read(dir / "Primzahlen.txt"), "11\r\n13");
  EXPECT_FALSE(replaceWith(dir / "Primzahlen.txt", "11\r\n13"));
  EXPECT_EQ(ScratchDirectory::read(dir / "Primzahlen.txt"), "11\r\n13");
  EXPECT_TRUE(leftovers(dir.path()).empty());
}

}  // namespace
}  // namespace teilomat
