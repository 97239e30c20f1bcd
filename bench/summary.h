// The results table: medians of the timed runs of each command, with their
// ratios to cp -r and rsync -a measured in the same run.
#pragma once

#include <istream>
#include <map>
#include <string>
#include <vector>

namespace bt::bench {

// One timed run, one line of the samples file:
// corpus <TAB> operation <TAB> command <TAB> seconds <TAB> peak KiB
struct Sample {
  std::string corpus;     // photos, small, database
  std::string operation;  // backup, restore
  std::string command;    // "cp -r", "rsync -a", "BackupTarvel", ...
  double seconds = 0;
  long peakKib = 0;
};

// Throws std::runtime_error naming the line that is not a sample.
std::vector<Sample> ReadSamples(std::istream& in);

double Median(std::vector<double> values);

struct Row {
  std::string corpus;
  std::string operation;
  std::string command;
  int runs = 0;
  double medianSeconds = 0;
  long peakKib = 0;  // the largest of the runs
  // Against the command of the same corpus and operation; 0 when that
  // command was not measured.
  double toCp = 0;
  double toRsync = 0;
  // The goal this row is held to, and how it stands: "≤ 1.10 x cp -r && sync:
  // 1.04 x, met"; empty for a row without one.
  std::string goal;
};

// Rows in the order their commands first appear in the samples.
std::vector<Row> Summarize(const std::vector<Sample>& samples);

// A Markdown table of the rows.
std::string FormatTable(const std::vector<Row>& rows);

}  // namespace bt::bench
