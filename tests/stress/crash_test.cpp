// A real backup or restore process killed (SIGKILL) at random moments, on
// the real disk. After every kill the installation's database is wholly its
// old or wholly its new content, a backup set's database is whole or absent,
// the leftovers of the killed copy are hidden from every listing, nobody
// holds them, and the next run is not disturbed by them.
//
// BT_CRASH_MB (default 64) sizes the database and BT_CRASH_KILLS (default
// 50) the number of kill points; make stress runs it with more of both.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/file_copy.h"
#include "platform/linux/linux_file_system.h"
#include "platform/temporary_names.h"

namespace bt {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

int EnvNumber(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : fallback;
}

// Writes `megabytes` of bytes that depend on seed.
void WriteDatabase(const std::string& path, int megabytes, std::uint64_t seed) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::vector<std::uint64_t> block(1 << 17);  // 1 MB
  std::uint64_t value = seed * 0x9E3779B97F4A7C15ull + 1;
  for (int mb = 0; mb < megabytes; ++mb) {
    for (auto& word : block) {
      value ^= value << 13;
      value ^= value >> 7;
      value ^= value << 17;
      word = value;
    }
    out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size() * 8));
  }
}

// A digest of the whole file and its size; two different databases never
// share one here, and a file cut short or mixed never matches either.
struct Digest {
  std::uint64_t hash = 0;
  std::uintmax_t size = 0;
  bool operator==(const Digest&) const = default;
};

Digest DigestOf(const std::string& path) {
  Digest digest;
  std::ifstream in(path, std::ios::binary);
  if (!in) return {~0ull, 0};
  std::vector<std::uint64_t> block(1 << 17);
  std::uint64_t hash = 1469598103934665603ull;
  while (in) {
    in.read(reinterpret_cast<char*>(block.data()), static_cast<std::streamsize>(block.size() * 8));
    const auto got = static_cast<std::size_t>(in.gcount());
    digest.size += got;
    for (std::size_t i = 0; i < got / 8; ++i) hash = (hash ^ block[i]) * 1099511628211ull;
    for (std::size_t i = got / 8 * 8; i < got; ++i) {
      hash = (hash ^ static_cast<unsigned char>(reinterpret_cast<char*>(block.data())[i])) * 1099511628211ull;
    }
  }
  digest.hash = hash;
  return digest;
}

std::vector<std::string> TemporaryFilesIn(const std::string& folder) {
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (IsTemporaryCopyName(entry.path().filename().string())) found.push_back(entry.path().string());
  }
  return found;
}

struct Outcome {
  bool killed = false;
  int exitStatus = -1;
};

// Starts the driver and kills it after `delay`, unless it ended before.
Outcome RunDriver(const std::vector<std::string>& args, Clock::duration delay, bool kill) {
  std::vector<char*> argv;
  std::string driver = BT_OPERATION_DRIVER;
  argv.push_back(driver.data());
  std::vector<std::string> copies = args;
  for (auto& arg : copies) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, STDOUT_FILENO);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  Outcome outcome;
  if (kill) {
    std::this_thread::sleep_for(delay);
    outcome.killed = ::kill(pid, SIGKILL) == 0;
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) {
    outcome.killed = true;
  } else {
    outcome.killed = false;
    outcome.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  return outcome;
}

class CrashTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/bt-crash-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    c_ = root_ + "/c";
    d_ = root_ + "/d";
    fs::create_directories(c_ + "/Tarvel/Fotos/2009");
    fs::create_directories(d_);
    std::ofstream(c_ + "/Tarvel/tarvel.ini") << "[Opcoes]\n";
    for (int i = 0; i < 20; ++i) {
      std::ofstream(c_ + "/Tarvel/Fotos/2009/foto" + std::to_string(i) + ".jpg") << std::string(20000, char('a' + i));
    }
  }
  void TearDown() override { fs::remove_all(root_); }

  // Kill moments spread over the length of a whole run and a little beyond.
  std::vector<Clock::duration> KillMoments(Clock::duration whole, int count) {
    std::mt19937_64 random(std::random_device{}());
    const auto span = std::chrono::duration_cast<std::chrono::microseconds>(whole * 11 / 10).count();
    std::uniform_int_distribution<long long> pick(0, std::max<long long>(span, 1));
    std::vector<Clock::duration> moments;
    for (int i = 0; i < count; ++i) moments.push_back(std::chrono::microseconds(pick(random)));
    return moments;
  }

  // A listing through the system's own file system shows no leftover.
  void ExpectLeftoversHidden(const std::string& windowsFolder) {
    auto files = MakeLinuxFileSystem({{'C', c_, c_}, {'D', d_, d_}}, "/");
    FindData record;
    const FindHandle handle = files->FindFirstFileA(windowsFolder + "\\*.*", &record);
    ASSERT_NE(handle, kInvalidHandle);
    do {
      EXPECT_FALSE(IsTemporaryCopyName(record.cFileName)) << record.cFileName << " listed";
    } while (files->FindNextFileA(handle, &record) != 0);
    files->FindClose(handle);
  }

  std::string root_, c_, d_;
  const int megabytes_ = EnvNumber("BT_CRASH_MB", 64);
  const int kills_ = EnvNumber("BT_CRASH_KILLS", 50);
};

TEST_F(CrashTest, ARestoreKilledAnywhereLeavesTheDatabaseWhollyOldOrWhollyNew) {
  // Two backup sets; each run restores the one the installation does not
  // hold yet, so that every kill can catch a replacement half-way.
  const std::string sets[2] = {"20090117_130904", "20090118_130904"};
  Digest setDigest[2];
  for (int i = 0; i < 2; ++i) {
    WriteDatabase(d_ + "/" + sets[i] + "/vendrial.mdb", megabytes_, 100 + i);
    setDigest[i] = DigestOf(d_ + "/" + sets[i] + "/vendrial.mdb");
  }
  ASSERT_NE(setDigest[0], setDigest[1]);
  const std::string installed = c_ + "/Tarvel/vendrial.mdb";
  WriteDatabase(installed, megabytes_, 100);
  int holds = 0;  // which set the installation holds

  auto argsFor = [&](int set) {
    return std::vector<std::string>{"restore", c_, d_, "C:\\Tarvel", "D:\\" + sets[set]};
  };
  const auto start = Clock::now();
  ASSERT_EQ(RunDriver(argsFor(1 - holds), {}, false).exitStatus, 0);
  const auto whole = Clock::now() - start;
  holds = 1 - holds;
  ASSERT_EQ(DigestOf(installed), setDigest[holds]);

  int killedMidway = 0;
  for (const auto moment : KillMoments(whole, kills_)) {
    const int incoming = 1 - holds;
    const Outcome outcome = RunDriver(argsFor(incoming), moment, true);
    if (!outcome.killed) {
      EXPECT_EQ(outcome.exitStatus, 0) << "a restore that was not killed failed";
    }
    const Digest now = DigestOf(installed);
    ASSERT_TRUE(now == setDigest[holds] || now == setDigest[incoming])
        << "killed after " << std::chrono::duration_cast<std::chrono::microseconds>(moment).count()
        << " us: the database is neither wholly old nor wholly new (" << now.size << " bytes)";
    if (outcome.killed) ++killedMidway;
    holds = now == setDigest[incoming] ? incoming : holds;
    ExpectLeftoversHidden("C:\\Tarvel");
  }

  // Whatever the kills left, the next run is undisturbed and complete.
  ASSERT_EQ(RunDriver(argsFor(1 - holds), {}, false).exitStatus, 0);
  EXPECT_EQ(DigestOf(installed), setDigest[1 - holds]);
  // No live process holds a leftover, so each one is recognisably stale.
  const auto left = TemporaryFilesIn(c_ + "/Tarvel");
  EXPECT_EQ(RemoveStaleTemporaryFiles(c_ + "/Tarvel", std::chrono::seconds(0)), static_cast<int>(left.size()));
  EXPECT_TRUE(TemporaryFilesIn(c_ + "/Tarvel").empty());
  std::printf("[ reliability ] restore of a %d MB database: %d kill points (%d killed mid-run), %zu leftovers "
              "removed as stale, whole run %lld ms; 0 databases lost or half-written\n",
              megabytes_, kills_, killedMidway, left.size(),
              static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(whole).count()));
}

TEST_F(CrashTest, ABackupKilledAnywhereLeavesTheInstallationAsItWasAndNoHalfCopy) {
  const std::string installed = c_ + "/Tarvel/vendrial.mdb";
  WriteDatabase(installed, megabytes_, 7);
  const Digest original = DigestOf(installed);
  const std::vector<std::string> args{"backup", c_, d_, "C:\\Tarvel", "D:\\", "--all"};

  const auto start = Clock::now();
  ASSERT_EQ(RunDriver(args, {}, false).exitStatus, 0);
  const auto whole = Clock::now() - start;

  int killedMidway = 0;
  const int kills = kills_;
  for (const auto moment : KillMoments(whole, kills)) {
    const Outcome outcome = RunDriver(args, moment, true);
    if (outcome.killed) ++killedMidway;
    ASSERT_EQ(DigestOf(installed), original) << "a backup changed the installation";
  }
  // Every database under its final name in every set is whole; the sets of
  // runs in the same second share a folder, as two quick backups do.
  int sets = 0;
  for (const auto& entry : fs::directory_iterator(d_)) {
    const std::string database = entry.path().string() + "/vendrial.mdb";
    if (!fs::exists(database)) continue;
    ++sets;
    EXPECT_EQ(DigestOf(database), original) << database << " is a half copy";
    // A run killed after its database and before its photos began leaves a
    // set without "Fotos": a state as legitimate as any other.
    const std::string photos = entry.path().string() + "/Fotos";
    if (!fs::is_directory(photos)) continue;
    for (const auto& photo : fs::recursive_directory_iterator(photos, fs::directory_options::skip_permission_denied)) {
      if (photo.is_regular_file() && !IsTemporaryCopyName(photo.path().filename().string())) {
        EXPECT_EQ(fs::file_size(photo.path()), 20000u) << photo.path() << " is a half copy";
      }
    }
  }
  EXPECT_GE(sets, 1);
  std::printf("[ reliability ] backup of a %d MB database: %d kill points (%d killed mid-run), %d sets; "
              "0 files lost or half-written\n",
              megabytes_, kills, killedMidway, sets);
}

TEST_F(CrashTest, ALeftoverThatALiveCopyHoldsOrThatIsRecentIsNeverRemoved) {
  const std::string folder = c_ + "/Tarvel";
  const std::string held = folder + "/" + TemporaryCopyName(1, WallClock::now());
  const std::string dead = folder + "/" + TemporaryCopyName(2, WallClock::now());
  std::ofstream(dead) << "left by a killed copy";
  // Another live copy: a process holding its temporary file locked.
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t holder = ::fork();
  if (holder == 0) {
    const int fd = ::open(held.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    const char ok = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? '1' : '0';
    (void)!::write(ready[1], &ok, 1);
    ::pause();
    ::_exit(0);
  }
  char ok = 0;
  ASSERT_EQ(::read(ready[0], &ok, 1), 1);
  ASSERT_EQ(ok, '1');

  // Recent: kept, whoever holds it.
  EXPECT_EQ(RemoveStaleTemporaryFiles(folder), 0);
  EXPECT_TRUE(fs::exists(dead));
  // Old enough: the unlocked one goes, the held one stays.
  EXPECT_EQ(RemoveStaleTemporaryFiles(folder, std::chrono::seconds(0)), 1);
  EXPECT_FALSE(fs::exists(dead));
  EXPECT_TRUE(fs::exists(held));

  ::kill(holder, SIGKILL);
  ::waitpid(holder, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);
  // Its process gone, the lock went with it.
  EXPECT_EQ(RemoveStaleTemporaryFiles(folder, std::chrono::seconds(0)), 1);
  EXPECT_FALSE(fs::exists(held));
}

}  // namespace
}  // namespace bt
