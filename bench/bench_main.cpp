// bt_bench: the program side of `make bench` (bench/run.sh drives it).
//
//   bt_bench generate <corpus> <host folder>   photos | small | database | large
//   bt_bench copy <host source> <host destination> [<copy workers>]
//       prints "<count> <copy seconds> <flush seconds>"; the workers are the
//       program's own by default
//   bt_bench deep <host folder> <depth>        builds and copies a deep tree
//   bt_bench idle <pid> <start epoch seconds>  prints "<first idle s> <VmRSS KiB> <VmHWM KiB>"
//   bt_bench summarize <samples file>          prints the Markdown table
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_copy.h"
#include "bench/corpus.h"
#include "bench/deep_tree.h"
#include "bench/idle_watch.h"
#include "bench/summary.h"
#include "platform/error.h"
#include "platform/linux/linux_file_system.h"

namespace {

// Fixed, so that every machine copies the same trees.
constexpr std::uint64_t kSeed = 20090117;

int Usage() {
  std::fprintf(stderr,
               "usage: bt_bench generate <corpus> <folder> | copy <source> <destination> [<workers>] |\n"
               "       deep <folder> <depth> | idle <pid> <start epoch seconds> | summarize <samples>\n");
  return 2;
}

int Generate(const std::string& corpus, const std::string& folder) {
  const bt::bench::CorpusPlan plan = bt::bench::PlanCorpus(bt::bench::ShapeNamed(corpus), kSeed);
  bt::bench::WriteCorpus(plan, folder, kSeed);
  std::printf("%zu files, %zu folders, %.1f MiB\n", plan.files.size(), plan.folders.size(),
              static_cast<double>(plan.totalBytes) / (1 << 20));
  return 0;
}

int Copy(const std::string& source, const std::string& destination, int workers) {
  const auto files = bt::MakeLinuxFileSystem(bt::bench::RootDriveTable(), "/", workers);
  const bt::bench::CopyTiming timing = bt::bench::TimedCopy(*files, source, destination);
  std::printf("%d %.6f %.6f\n", timing.count, timing.copySeconds, timing.flushSeconds);
  return 0;
}

int Deep(const std::string& folder, int depth) {
  const std::filesystem::path root(folder);
  const std::string marker = "fundo da árvore de " + std::to_string(depth) + " pastas";
  bt::bench::MakeDeepTree(root / "origem", depth, marker);
  const auto files = bt::MakeLinuxFileSystem(bt::bench::RootDriveTable(), "/", bt::DefaultCopyWorkers());
  const bt::bench::CopyTiming timing =
      bt::bench::TimedCopy(*files, (root / "origem").string(), (root / "copia").string());
  const bool whole = bt::bench::DeepestMarker(root / "copia", depth) == marker;
  std::printf("%d folders deep: %d entries copied in %.3f s, deepest file %s\n", depth, timing.count,
              timing.copySeconds, whole ? "intact" : "MISSING");
  return whole ? 0 : 1;
}

int Idle(int pid, double startEpochSeconds) {
  const auto report = bt::bench::WatchFirstIdle(pid, startEpochSeconds, 0.3, 20);
  if (!report) {
    std::fprintf(stderr, "bt_bench: process %d ended or never waited for events\n", pid);
    return 1;
  }
  std::printf("%.4f %ld %ld\n", report->firstIdleSeconds, report->vmRssKib, report->vmHwmKib);
  return 0;
}

int Summarize(const std::string& samplesFile) {
  std::ifstream in(samplesFile);
  if (!in) {
    std::fprintf(stderr, "bt_bench: cannot read %s\n", samplesFile.c_str());
    return 1;
  }
  const std::string table = bt::bench::FormatTable(bt::bench::Summarize(bt::bench::ReadSamples(in)));
  std::fputs(table.c_str(), stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  try {
    if (args.size() == 3 && args[0] == "generate") return Generate(args[1], args[2]);
    if (args.size() == 3 && args[0] == "copy") return Copy(args[1], args[2], bt::DefaultCopyWorkers());
    if (args.size() == 4 && args[0] == "copy") return Copy(args[1], args[2], std::stoi(args[3]));
    if (args.size() == 3 && args[0] == "deep") return Deep(args[1], std::stoi(args[2]));
    if (args.size() == 3 && args[0] == "idle") return Idle(std::stoi(args[1]), std::stod(args[2]));
    if (args.size() == 2 && args[0] == "summarize") return Summarize(args[1]);
  } catch (const bt::AppError& error) {
    std::fprintf(stderr, "bt_bench: erro %d (%s): %s\n", error.number(), error.description().c_str(),
                 error.detail().c_str());
    return 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bt_bench: %s\n", error.what());
    return 1;
  }
  return Usage();
}
