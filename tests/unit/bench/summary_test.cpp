#include "bench/summary.h"

#include <gtest/gtest.h>

#include <sstream>

namespace bt::bench {
namespace {

std::vector<Row> RowsOf(const std::string& samples) {
  std::istringstream in(samples);
  return Summarize(ReadSamples(in));
}

const Row& Find(const std::vector<Row>& rows, const std::string& corpus, const std::string& operation,
                const std::string& command) {
  for (const Row& row : rows) {
    if (row.corpus == corpus && row.operation == operation && row.command == command) return row;
  }
  throw std::runtime_error("no row " + corpus + "/" + operation + "/" + command);
}

TEST(Median, OfAnOddAndAnEvenNumberOfRuns) {
  EXPECT_DOUBLE_EQ(Median({3, 1, 2}), 2);
  EXPECT_DOUBLE_EQ(Median({4, 1, 3, 2}), 2.5);
  EXPECT_DOUBLE_EQ(Median({9}), 9);
}

TEST(Summary, AlternatedRunsGiveMediansAndRatiosWithinTheirCorpusAndOperation) {
  const std::vector<Row> rows = RowsOf(
      "photos\tbackup\tBackupTarvel\t1.2\t9000\n"
      "photos\tbackup\tcp -r\t1.0\t2000\n"
      "photos\tbackup\trsync -a\t3.0\t6000\n"
      "photos\tbackup\tBackupTarvel\t1.1\t9500\n"
      "photos\tbackup\tcp -r\t0.9\t2100\n"
      "photos\tbackup\trsync -a\t2.0\t6000\n"
      "photos\tbackup\tBackupTarvel\t5.0\t9100\n"
      "photos\tbackup\tcp -r\t1.1\t2000\n"
      "photos\tbackup\trsync -a\t2.2\t6000\n"
      "photos\trestore\tcp -r\t2.0\t2000\n"
      "photos\trestore\tBackupTarvel\t3.0\t9000\n");
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0].command, "BackupTarvel");  // the order of first appearance

  const Row& ours = Find(rows, "photos", "backup", "BackupTarvel");
  EXPECT_EQ(ours.runs, 3);
  EXPECT_DOUBLE_EQ(ours.medianSeconds, 1.2);  // the slow outlier does not count
  EXPECT_EQ(ours.peakKib, 9500);
  EXPECT_DOUBLE_EQ(ours.toCp, 1.2 / 1.0);
  EXPECT_DOUBLE_EQ(ours.toRsync, 1.2 / 2.2);

  const Row& restore = Find(rows, "photos", "restore", "BackupTarvel");
  EXPECT_DOUBLE_EQ(restore.toCp, 1.5);
  EXPECT_EQ(restore.toRsync, 0);  // no rsync measured for the restore
}

TEST(Summary, TableShowsTimesRatiosAndMemory) {
  const std::string table = FormatTable(RowsOf(
      "small\tbackup\tcp -r\t2.0\t2048\n"
      "small\tbackup\tBackupTarvel\t2.2\t10240\n"));
  EXPECT_NE(table.find("| small | backup | BackupTarvel | 1 | 2.200 s | 1.10 x | - | 10.0 MiB |"),
            std::string::npos)
      << table;
  EXPECT_NE(table.find("| small | backup | cp -r | 1 | 2.000 s | 1.00 x | - | 2.0 MiB |"), std::string::npos)
      << table;
}

TEST(Summary, ARowHeldToAGoalSaysWhetherItIsMet) {
  const std::vector<Row> rows = RowsOf(
      "small\tbackup\tcp -r\t2.0\t1\n"
      "small\tbackup\tcp -r && sync\t3.0\t1\n"
      "small\tbackup\tBackupTarvel\t2.2\t1\n"
      "small\tbackup\tBackupTarvel + syncfs\t3.6\t1\n"
      "photos\tbackup\tBackupTarvel\t1.0\t1\n");
  EXPECT_EQ(Find(rows, "small", "backup", "BackupTarvel").goal, "≤ 1.10 x cp -r: 1.10 x, met");
  EXPECT_EQ(Find(rows, "small", "backup", "BackupTarvel + syncfs").goal, "≤ 1.15 x cp -r && sync: 1.20 x, not met");
  EXPECT_EQ(Find(rows, "small", "backup", "cp -r").goal, "");
  EXPECT_EQ(Find(rows, "photos", "backup", "BackupTarvel").goal, "") << "nothing measured to hold it against";
}

TEST(Summary, APipeInACommandDoesNotSplitItsCell) {
  const std::string table = FormatTable(RowsOf("small\tbackup\ttar | tar\t2.0\t3072\n"));
  EXPECT_NE(table.find("| small | backup | tar \\| tar | 1 | 2.000 s |"), std::string::npos) << table;
}

TEST(Summary, ALineThatIsNoSampleIsNamed) {
  std::istringstream missing("photos\tbackup\tcp -r\t1.0\n");
  EXPECT_THROW(ReadSamples(missing), std::runtime_error);
  std::istringstream garbled("photos\tbackup\tcp -r\t1.0s\t100\n");
  try {
    ReadSamples(garbled);
    FAIL() << "a time with a unit was accepted";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("line 1"), std::string::npos);
  }
  std::istringstream comments("# corpus\toperation\n\nsmall\tbackup\tcp -r\t1\t1\n");
  EXPECT_EQ(ReadSamples(comments).size(), 1u);
}

}  // namespace
}  // namespace bt::bench
