// The trees the benchmark copies: their shapes, a plan of every folder and
// file drawn from a seed, and the writing of a plan to a host folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace bt::bench {

struct CorpusShape {
  std::string name;
  int files = 0;
  int folders = 0;        // below the root; 0 puts every file in the root
  int maxDepth = 1;       // of a folder: 1 is a child of the root
  std::uint64_t minBytes = 0;
  std::uint64_t maxBytes = 0;  // inclusive
};

// The three corpora of a run: a photo tree, a tree of many small files and
// one large database file; and the larger tree for the memory measure.
CorpusShape PhotosShape();
CorpusShape ManySmallShape();
CorpusShape DatabaseShape();
CorpusShape LargeTreeShape();
// The shape of that name; throws std::invalid_argument for an unknown name.
CorpusShape ShapeNamed(const std::string& name);

struct PlannedFile {
  std::string path;  // relative, "/"-separated
  std::uint64_t bytes = 0;
};

// Folders come before anything inside them, so they can be created in order.
struct CorpusPlan {
  std::vector<std::string> folders;  // relative, "/"-separated
  std::vector<PlannedFile> files;
  std::uint64_t totalBytes = 0;
};

// The same shape and seed always give the same plan. Folder depths spread
// over 1..maxDepth and every folder gets files (while there are enough).
CorpusPlan PlanCorpus(const CorpusShape& shape, std::uint64_t seed);

// Writes the plan below root, which must not exist yet. The content is
// pseudo-random, so that neither compression nor sparse files shorten a copy.
void WriteCorpus(const CorpusPlan& plan, const std::filesystem::path& root, std::uint64_t seed);

}  // namespace bt::bench
