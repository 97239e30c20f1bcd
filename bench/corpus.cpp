#include "bench/corpus.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "bench/random_bytes.h"

namespace bt::bench {
namespace {

std::string Numbered(const char* pattern, int number) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, number);
  return text;
}

}  // namespace

CorpusShape PhotosShape() { return {"photos", 4000, 40, 3, 50 << 10, 400 << 10}; }
CorpusShape ManySmallShape() { return {"small", 60000, 1500, 5, 512, 4 << 10}; }
CorpusShape DatabaseShape() { return {"database", 1, 0, 1, std::uint64_t{1} << 30, std::uint64_t{1} << 30}; }
// Ten times the small-file tree in entries; the bytes hardly matter to
// memory, so the files are smaller to keep writing it short.
CorpusShape LargeTreeShape() { return {"large", 600000, 15000, 5, 64, 512}; }

CorpusShape ShapeNamed(const std::string& name) {
  for (const CorpusShape& shape : {PhotosShape(), ManySmallShape(), DatabaseShape(), LargeTreeShape()}) {
    if (shape.name == name) return shape;
  }
  throw std::invalid_argument("no corpus named \"" + name + "\"");
}

CorpusPlan PlanCorpus(const CorpusShape& shape, std::uint64_t seed) {
  RandomBytes random(seed);
  CorpusPlan plan;
  // Folder i gets depth 1 + i % maxDepth under a random folder one level
  // up, which exists already because folder i - 1 has that depth.
  std::vector<std::vector<std::size_t>> byDepth(static_cast<std::size_t>(shape.maxDepth) + 1);
  for (int i = 0; i < shape.folders; ++i) {
    const std::size_t depth = 1 + static_cast<std::size_t>(i % shape.maxDepth);
    std::string path = Numbered("Pasta %05d", i);
    if (depth > 1) {
      const std::vector<std::size_t>& parents = byDepth[depth - 1];
      path = plan.folders[parents[random.Between(0, parents.size() - 1)]] + "/" + path;
    }
    byDepth[depth].push_back(plan.folders.size());
    plan.folders.push_back(std::move(path));
  }
  for (int i = 0; i < shape.files; ++i) {
    PlannedFile file;
    file.bytes = random.Between(shape.minBytes, shape.maxBytes);
    file.path = Numbered("arquivo_%06d.dat", i);
    // Round robin first, so that every folder holds files.
    if (!plan.folders.empty()) {
      const std::size_t folder = static_cast<std::size_t>(i) < plan.folders.size()
                                     ? static_cast<std::size_t>(i)
                                     : random.Between(0, plan.folders.size() - 1);
      file.path = plan.folders[folder] + "/" + file.path;
    }
    plan.totalBytes += file.bytes;
    plan.files.push_back(std::move(file));
  }
  return plan;
}

void WriteCorpus(const CorpusPlan& plan, const std::filesystem::path& root, std::uint64_t seed) {
  if (!std::filesystem::create_directory(root)) {
    throw std::runtime_error(root.string() + " exists already");
  }
  for (const std::string& folder : plan.folders) std::filesystem::create_directory(root / folder);

  RandomBytes random(seed ^ 0xC0FFEEull);
  std::vector<char> chunk(std::size_t{1} << 20);
  for (const PlannedFile& file : plan.files) {
    std::ofstream out(root / file.path, std::ios::binary | std::ios::trunc);
    for (std::uint64_t left = file.bytes; left > 0;) {
      const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size()));
      random.Fill(chunk.data(), size);
      out.write(chunk.data(), static_cast<std::streamsize>(size));
      left -= size;
    }
    if (!out.flush()) throw std::runtime_error("cannot write " + (root / file.path).string());
  }
}

}  // namespace bt::bench
