// The names a copy gives the files it keeps beside its destination for a
// moment: recognised by their check, never by their look, and aged by the
// time written into them.
#include "platform/temporary_names.h"

#include <gtest/gtest.h>

#include <string>

namespace bt {
namespace {

using std::chrono::hours;
using std::chrono::minutes;
using std::chrono::seconds;

const WallClock::time_point kMade = WallClock::time_point(seconds(1'700'000'000));

TEST(TemporaryNames, TheProgramsOwnNamesPassTheirCheckAndTellTheirKind) {
  const std::string copy = TemporaryCopyName(0x1234'5678'9abcULL, kMade);
  const std::string aside = SetAsideName(0x1234'5678'9abcULL, kMade);
  EXPECT_TRUE(copy.starts_with(".BackupTarvel-")) << copy;
  EXPECT_TRUE(copy.ends_with(".tmp")) << copy;
  EXPECT_TRUE(aside.ends_with(".old")) << aside;
  EXPECT_TRUE(IsTemporaryCopyName(copy));
  EXPECT_FALSE(IsSetAsideName(copy));
  EXPECT_TRUE(IsSetAsideName(aside));
  EXPECT_FALSE(IsTemporaryCopyName(aside));
  EXPECT_TRUE(IsOwnWorkingName(copy));
  EXPECT_TRUE(IsOwnWorkingName(aside));
  EXPECT_EQ(CreatedAt(copy), kMade);
  EXPECT_EQ(CreatedAt(aside), kMade);
  EXPECT_NE(TemporaryCopyName(1, kMade), TemporaryCopyName(2, kMade));
}

TEST(TemporaryNames, ANamePickedByAPersonOrAnotherProgramIsNotOurs) {
  const std::string ours = TemporaryCopyName(7, kMade);
  std::string digitChanged = ours;
  const auto digit = digitChanged.find_first_of("0123456789", std::string(".BackupTarvel-").size());
  digitChanged[digit] = digitChanged[digit] == '9' ? '8' : '9';
  std::string kindChanged = ours;
  kindChanged.replace(kindChanged.size() - 4, 4, ".old");
  std::string upperCase = ours;
  for (char& c : upperCase) c = static_cast<char>(c >= 'a' && c <= 'f' ? c - 'a' + 'A' : c);
  for (const std::string& name :
       {std::string(".BackupTarvel-abc123.tmp"), std::string(".BackupTarvel-notas.txt"), digitChanged, kindChanged,
        ours + ".tmp", ours.substr(1), std::string(".BackupTarvel-0000000000-00000000-000000000000.tmp")}) {
    EXPECT_FALSE(IsOwnWorkingName(name)) << name;
    EXPECT_FALSE(CreatedAt(name)) << name;
    EXPECT_FALSE(IsStaleTemporaryCopyName(name, kMade + hours(100))) << name;
  }
  ASSERT_NE(upperCase, ours);
  EXPECT_FALSE(IsOwnWorkingName(upperCase)) << upperCase;
}

TEST(TemporaryNames, ATemporaryFileIsStaleByTheTimeInItsName) {
  const std::string name = TemporaryCopyName(3, kMade);
  EXPECT_FALSE(IsStaleTemporaryCopyName(name, kMade));
  EXPECT_FALSE(IsStaleTemporaryCopyName(name, kMade + minutes(9)));
  EXPECT_TRUE(IsStaleTemporaryCopyName(name, kMade + kStaleTemporaryAge));
  EXPECT_TRUE(IsStaleTemporaryCopyName(name, kMade + hours(5)));
  EXPECT_TRUE(IsStaleTemporaryCopyName(name, kMade, seconds(0)));
  // Another machine's clock a little ahead: a live copy there. Far ahead:
  // a clock set wrong, so nothing would ever make it old.
  EXPECT_FALSE(IsStaleTemporaryCopyName(name, kMade - hours(2)));
  EXPECT_TRUE(IsStaleTemporaryCopyName(name, kMade - hours(25)));
}

TEST(TemporaryNames, AReplacedFileSetAsideIsNeverStale) {
  const std::string aside = SetAsideName(4, kMade);
  EXPECT_FALSE(IsStaleTemporaryCopyName(aside, kMade + hours(1000)));
  EXPECT_FALSE(IsStaleTemporaryCopyName(aside, kMade - hours(1000)));
}

}  // namespace
}  // namespace bt
