#include "bench/deep_tree.h"

#include <fstream>
#include <iterator>

namespace bt::bench {
namespace {

std::filesystem::path Deepest(const std::filesystem::path& root, int depth) {
  std::filesystem::path path = root;
  for (int i = 0; i < depth; ++i) path /= "d";
  return path;
}

}  // namespace

void MakeDeepTree(const std::filesystem::path& root, int depth, const std::string& marker) {
  // Level by level: std::filesystem::create_directories gives up on a path
  // of this depth (ENAMETOOLONG), although the host takes it.
  std::filesystem::path deepest = root;
  std::filesystem::create_directory(deepest);
  for (int i = 0; i < depth; ++i) std::filesystem::create_directory(deepest /= "d");
  std::ofstream(deepest / "fundo.txt", std::ios::binary) << marker;
}

std::string DeepestMarker(const std::filesystem::path& root, int depth) {
  std::ifstream in(Deepest(root, depth) / "fundo.txt", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace bt::bench
