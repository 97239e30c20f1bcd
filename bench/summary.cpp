#include "bench/summary.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <stdexcept>
#include <tuple>

namespace bt::bench {
namespace {

constexpr const char* kCp = "cp -r";
constexpr const char* kRsync = "rsync -a";

std::string Fixed(double value, const char* format) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// A "|" inside a cell would end it.
std::string Cell(const std::string& text) {
  std::string cell;
  for (char c : text) {
    if (c == '|') cell += '\\';
    cell += c;
  }
  return cell;
}

std::string Ratio(double value) { return value > 0 ? Fixed(value, "%.2f x") : "-"; }

// What the copy is held to against the tools, in the same run.
struct Goal {
  const char* corpus;
  const char* operation;
  const char* command;
  const char* against;
  double atMost;
};
constexpr Goal kGoals[] = {
    {"photos", "backup", "BackupTarvel", "cp -r", 1.00},
    {"photos", "backup", "BackupTarvel + syncfs", "cp -r && sync", 1.10},
    {"small", "backup", "BackupTarvel", "cp -r", 1.10},
    {"small", "backup", "BackupTarvel + syncfs", "cp -r && sync", 1.15},
    {"small", "restore", "BackupTarvel", "cp -r", 1.15},
    {"database", "restore", "BackupTarvel + syncfs", "cp -r && sync", 1.10},
};

}  // namespace

std::vector<Sample> ReadSamples(std::istream& in) {
  std::vector<Sample> samples;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    Sample sample;
    std::string seconds, peak;
    if (!std::getline(fields, sample.corpus, '\t') || !std::getline(fields, sample.operation, '\t') ||
        !std::getline(fields, sample.command, '\t') || !std::getline(fields, seconds, '\t') ||
        !std::getline(fields, peak)) {
      throw std::runtime_error("samples line " + std::to_string(number) + " has not five fields");
    }
    try {
      std::size_t used = 0;
      sample.seconds = std::stod(seconds, &used);
      if (used != seconds.size() || sample.seconds < 0) throw std::invalid_argument(seconds);
      sample.peakKib = std::stol(peak, &used);
      if (used != peak.size()) throw std::invalid_argument(peak);
    } catch (const std::exception&) {
      throw std::runtime_error("samples line " + std::to_string(number) + ": not a time and a size");
    }
    samples.push_back(std::move(sample));
  }
  return samples;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  if (values.size() % 2 == 1) return values[middle];
  return (values[middle - 1] + values[middle]) / 2;
}

std::vector<Row> Summarize(const std::vector<Sample>& samples) {
  using Key = std::tuple<std::string, std::string, std::string>;
  std::vector<Key> order;
  std::map<Key, std::vector<double>> times;
  std::map<Key, long> peaks;
  for (const Sample& sample : samples) {
    const Key key{sample.corpus, sample.operation, sample.command};
    if (!times.contains(key)) order.push_back(key);
    times[key].push_back(sample.seconds);
    peaks[key] = std::max(peaks[key], sample.peakKib);
  }
  const auto medianOf = [&](const Key& key) {
    const auto it = times.find(key);
    return it == times.end() ? 0.0 : Median(it->second);
  };

  std::vector<Row> rows;
  for (const Key& key : order) {
    Row row;
    std::tie(row.corpus, row.operation, row.command) = key;
    row.runs = static_cast<int>(times[key].size());
    row.medianSeconds = medianOf(key);
    row.peakKib = peaks[key];
    const double cp = medianOf({row.corpus, row.operation, kCp});
    const double rsync = medianOf({row.corpus, row.operation, kRsync});
    if (cp > 0) row.toCp = row.medianSeconds / cp;
    if (rsync > 0) row.toRsync = row.medianSeconds / rsync;
    for (const Goal& goal : kGoals) {
      if (row.corpus != goal.corpus || row.operation != goal.operation || row.command != goal.command) continue;
      const double against = medianOf({row.corpus, row.operation, goal.against});
      if (against <= 0) continue;
      const double ratio = row.medianSeconds / against;
      row.goal = "≤ " + Fixed(goal.atMost, "%.2f x ") + goal.against + ": " + Fixed(ratio, "%.2f x") +
                 (ratio <= goal.atMost ? ", met" : ", not met");
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string FormatTable(const std::vector<Row>& rows) {
  std::string table =
      "| corpus | operation | command | runs | median | to cp -r | to rsync -a | peak memory | goal |\n"
      "|---|---|---|---|---|---|---|---|---|\n";
  for (const Row& row : rows) {
    table += "| " + Cell(row.corpus) + " | " + Cell(row.operation) + " | " + Cell(row.command) + " | " +
             std::to_string(row.runs) + " | " + Fixed(row.medianSeconds, "%.3f s") + " | " +
             Ratio(row.toCp) + " | " + Ratio(row.toRsync) + " | " +
             Fixed(static_cast<double>(row.peakKib) / 1024.0, "%.1f MiB") + " | " +
             (row.goal.empty() ? "-" : Cell(row.goal)) + " |\n";
  }
  return table;
}

}  // namespace bt::bench
