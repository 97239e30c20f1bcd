#include "bench/corpus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "scratch_folder.h"

namespace bt::bench {
namespace {

int DepthOf(const std::string& relative) {
  return 1 + static_cast<int>(std::count(relative.begin(), relative.end(), '/'));
}

std::string ParentOf(const std::string& relative) {
  const auto slash = relative.rfind('/');
  return slash == std::string::npos ? std::string() : relative.substr(0, slash);
}

TEST(CorpusPlan, PhotoTreeHasItsFilesSizesAndDepths) {
  const CorpusShape shape = PhotosShape();
  const CorpusPlan plan = PlanCorpus(shape, 7);
  ASSERT_EQ(plan.folders.size(), 40u);
  ASSERT_EQ(plan.files.size(), 4000u);
  std::set<int> depths;
  for (const std::string& folder : plan.folders) depths.insert(DepthOf(folder));
  EXPECT_EQ(depths, (std::set<int>{1, 2, 3}));
  std::uint64_t total = 0;
  for (const PlannedFile& file : plan.files) {
    EXPECT_GE(file.bytes, 50u << 10);
    EXPECT_LE(file.bytes, 400u << 10);
    total += file.bytes;
  }
  EXPECT_EQ(total, plan.totalBytes);
  // About 4,000 files of 225 KB on average.
  EXPECT_GT(plan.totalBytes, std::uint64_t{750} << 20);
  EXPECT_LT(plan.totalBytes, std::uint64_t{1000} << 20);
}

TEST(CorpusPlan, ManySmallFilesReachDepthFiveAndFillEveryFolder) {
  const CorpusPlan plan = PlanCorpus(ManySmallShape(), 7);
  ASSERT_EQ(plan.folders.size(), 1500u);
  ASSERT_EQ(plan.files.size(), 60000u);
  std::set<std::string> folders;
  for (const std::string& folder : plan.folders) {
    EXPECT_LE(DepthOf(folder), 5) << folder;
    const std::string parent = ParentOf(folder);
    // Created in order: a folder's parent comes before it.
    EXPECT_TRUE(parent.empty() || folders.contains(parent)) << folder;
    folders.insert(folder);
  }
  std::set<std::string> holding;
  for (const PlannedFile& file : plan.files) {
    EXPECT_TRUE(folders.contains(ParentOf(file.path))) << file.path;
    holding.insert(ParentOf(file.path));
  }
  EXPECT_EQ(holding.size(), folders.size());
}

TEST(CorpusPlan, DatabaseIsOneFileOfOneGibibyte) {
  const CorpusPlan plan = PlanCorpus(DatabaseShape(), 7);
  ASSERT_EQ(plan.files.size(), 1u);
  EXPECT_TRUE(plan.folders.empty());
  EXPECT_EQ(plan.files[0].bytes, std::uint64_t{1} << 30);
  EXPECT_EQ(plan.files[0].path.find('/'), std::string::npos);
}

TEST(CorpusPlan, TheSameSeedGivesTheSameTreeOnEveryMachine) {
  const CorpusPlan a = PlanCorpus(ManySmallShape(), 42);
  const CorpusPlan b = PlanCorpus(ManySmallShape(), 42);
  const CorpusPlan c = PlanCorpus(ManySmallShape(), 43);
  EXPECT_EQ(a.folders, b.folders);
  EXPECT_EQ(a.totalBytes, b.totalBytes);
  EXPECT_NE(a.totalBytes, c.totalBytes);
}

TEST(CorpusPlan, TheLargerTreeHasTenTimesTheEntries) {
  const CorpusShape small = ManySmallShape();
  const CorpusShape large = ShapeNamed("large");
  EXPECT_EQ(large.files, 10 * small.files);
  EXPECT_EQ(large.folders, 10 * small.folders);
  EXPECT_THROW(ShapeNamed("fotos"), std::invalid_argument);
}

TEST(CorpusWriting, FilesHaveTheirPlannedSizesAndNoRunsOfZeros) {
  ScratchFolder scratch;
  CorpusShape shape{"tiny", 30, 4, 2, 1, 3000};
  const CorpusPlan plan = PlanCorpus(shape, 3);
  const std::filesystem::path root = scratch.path() / "corpus";
  WriteCorpus(plan, root, 3);
  for (const PlannedFile& file : plan.files) {
    ASSERT_EQ(std::filesystem::file_size(root / file.path), file.bytes) << file.path;
  }
  std::ifstream in(root / plan.files.back().path, std::ios::binary);
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(content.find(std::string(16, '\0')), std::string::npos);
  // Two files of one corpus do not share their content.
  std::ifstream first(root / plan.files.front().path, std::ios::binary);
  const std::string other((std::istreambuf_iterator<char>(first)), std::istreambuf_iterator<char>());
  EXPECT_NE(content.substr(0, 16), other.substr(0, 16));
}

TEST(CorpusWriting, RefusesToWriteOverAnExistingCorpus) {
  ScratchFolder scratch;
  const CorpusPlan plan = PlanCorpus(CorpusShape{"tiny", 2, 0, 1, 1, 10}, 3);
  WriteCorpus(plan, scratch.path() / "corpus", 3);
  EXPECT_THROW(WriteCorpus(plan, scratch.path() / "corpus", 3), std::runtime_error);
}

}  // namespace
}  // namespace bt::bench
