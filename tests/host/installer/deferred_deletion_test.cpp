// Deletion at the next start: the delayed move, and the "rename" section of
// WININIT.INI where the system has none.
#include "../../../installer/deferred_deletion.h"

#include <gtest/gtest.h>

#include <string>

#include "fake_platform.h"

using namespace std::string_literals;

class DeferredDeletion : public InstallerTest {};

TEST_F(DeferredDeletion, TheDelayedMoveLeavesWininitAlone) {
  EXPECT_TRUE(DeleteAtRestart("C:\\TEMP\\~REMOVE.TMP"));
  EXPECT_EQ(Fake.scheduled, std::vector<std::string>{"C:\\TEMP\\~REMOVE.TMP"});
  EXPECT_EQ(Fake.profileReads + Fake.profileWrites, 0);
}

TEST_F(DeferredDeletion, AnotherErrorThan120TriesNothingElse) {
  Fake.delayedMoveWorks = false;
  Fake.delayedMoveError = 5;  // access denied
  EXPECT_FALSE(DeleteAtRestart("C:\\TEMP\\~REMOVE.TMP"));
  EXPECT_EQ(Fake.profileReads + Fake.profileWrites, 0);
}

// Without the delayed move: the section before, the path, the section after.
struct FallbackCase {
  const char* name;
  bool fileExists;
  std::string before;  // the section's items, each ended by a zero; absent when empty and no file
  std::string path;
  std::string after;
};

class WininitFallback : public DeferredDeletion, public testing::WithParamInterface<FallbackCase> {};

TEST_P(WininitFallback, AddsTheEntryAfterTheItemsKeptInOrder) {
  Fake.delayedMoveWorks = false;
  Fake.wininitExists = GetParam().fileExists;
  if (GetParam().fileExists) Fake.wininit["rename"] = GetParam().before;
  Fake.wininit["other"] = "a=b\0"s;
  EXPECT_TRUE(DeleteAtRestart(GetParam().path.c_str()));
  EXPECT_EQ(Fake.wininit["rename"], GetParam().after);
  EXPECT_EQ(Fake.wininit["other"], "a=b\0"s);
  EXPECT_EQ(Fake.profileWrites, 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, WininitFallback,
                         testing::Values(FallbackCase{"NoFile", false, "", "C:\\A.TMP", "nul=C:\\A.TMP\0"s},
                                         FallbackCase{"EmptySection", true, "", "C:\\A.TMP", "nul=C:\\A.TMP\0"s},
                                         FallbackCase{"ExistingItems", true, "nul=C:\\X\0C:\\NEW.SYS=C:\\OLD.SYS\0"s,
                                                      "C:\\A.TMP",
                                                      "nul=C:\\X\0C:\\NEW.SYS=C:\\OLD.SYS\0nul=C:\\A.TMP\0"s},
                                         FallbackCase{"SamePathAgain", true, "nul=C:\\A.TMP\0"s, "C:\\A.TMP",
                                                      "nul=C:\\A.TMP\0nul=C:\\A.TMP\0"s},
                                         FallbackCase{"CzechNameUnchanged", true, "", "C:\\Dočasné\\~REMOVE.TMP",
                                                      "nul=C:\\Dočasné\\~REMOVE.TMP\0"s},
                                         FallbackCase{"LongestPath", true, "x=y\0"s, std::string(249, 'p'),
                                                      "x=y\0nul="s + std::string(249, 'p') + "\0"s}),
                         [](const testing::TestParamInfo<FallbackCase>& info) { return std::string(info.param.name); });

TEST_F(DeferredDeletion, TwoCallsInARowAddTwoEntriesInTheirOrder) {
  Fake.delayedMoveWorks = false;
  EXPECT_TRUE(DeleteAtRestart("C:\\TEMP\\~REMOVE.TMP"));
  EXPECT_TRUE(DeleteAtRestart("C:\\TEMP\\~REMOVE.DAT"));
  EXPECT_EQ(Fake.wininit["rename"], "nul=C:\\TEMP\\~REMOVE.TMP\0nul=C:\\TEMP\\~REMOVE.DAT\0"s);
}

TEST_F(DeferredDeletion, TheResultIsThatOfTheSectionWrite) {
  Fake.delayedMoveWorks = false;
  Fake.profileWriteWorks = false;
  EXPECT_FALSE(DeleteAtRestart("C:\\A.TMP"));
}

TEST_F(DeferredDeletion, AnEntryOfMoreThan255CharactersIsRefusedUnwritten) {
  Fake.delayedMoveWorks = false;
  EXPECT_FALSE(DeleteAtRestart(std::string(250, 'p').c_str()));
  EXPECT_FALSE(DeleteAtRestart(std::string(1000, 'p').c_str()));
  EXPECT_EQ(Fake.profileWrites, 0);
}

// A section with `items` bytes of items before the final zero.
static std::string SectionOf(size_t items) {
  std::string section;
  while (section.size() < items) {
    size_t length = std::min<size_t>(200, items - section.size()) - 1;
    section += std::string(length, 'k') + '\0';
  }
  return section;
}

TEST_F(DeferredDeletion, ASectionThatNoLongerFitsTheBufferIsRefusedUnwritten) {
  Fake.delayedMoveWorks = false;
  Fake.wininitExists = true;
  std::string path = "C:\\" + std::string(246, 'p');  // the longest path: an entry of 255
  // The entry still fits when it ends on the buffer's last byte.
  Fake.wininit["rename"] = SectionOf(32767 - 255);
  EXPECT_TRUE(DeleteAtRestart(path.c_str()));
  EXPECT_EQ(Fake.wininit["rename"].size(), 32767u - 1);
  // One byte more, and nothing is written.
  Fake.wininit["rename"] = SectionOf(32767 - 255 + 1);
  EXPECT_FALSE(DeleteAtRestart(path.c_str()));
  // A section larger than the buffer, which the read gives cut.
  Fake.wininit["rename"] = SectionOf(40000);
  EXPECT_FALSE(DeleteAtRestart("C:\\A"));
  EXPECT_EQ(Fake.profileWrites, 1);
  EXPECT_EQ(Fake.wininit["rename"].size(), 40000u);
}
