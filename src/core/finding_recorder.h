// FindingRecorder: findings kept in the order they were reported, to be shown later.
//
// A source file compiled on a worker thread reports here; the thread that merges the
// files shows the findings in file order. A finding is rendered against the file's lines
// as they are when it is shown, and the lines of string sections are folded in place as
// they are read: so their folding is noted here too, between the findings, and done
// when the findings are shown. The sections read are kept as well, so that the findings
// shown can say which block they are in.
#ifndef RPGC_CORE_FINDING_RECORDER_H_
#define RPGC_CORE_FINDING_RECORDER_H_

#include <cstdint>
#include <utility>
#include <vector>

#include "core/finding.h"

namespace rpgc {

class FindingRecorder : public FindingSink {
 public:
  /// A line folded after the first `before` findings were reported.
  struct Fold {
    int32_t line;
    int32_t before;
  };

  FindingRecorder() = default;

  /// Wants what sink wants (a recorder holds what that sink will be shown).
  void wantLike(const FindingSink& sink) { wantAs(sink); }

  void report(Finding finding) override { findings_.push_back(std::move(finding)); }
  /// A section read: where its header and its last line are.
  struct Section {
    int32_t headerLine;
    int32_t lastLine;
  };

  void sectionRead(int32_t file, int32_t headerLine, int32_t lastLine) override {
    (void)file;  // a recorder holds one file's findings
    sections_.push_back({headerLine, lastLine});
  }
  /// Notes that line is folded at this point of the reports.
  void noteFold(int32_t line) { folds_.push_back({line, static_cast<int32_t>(findings_.size())}); }

  std::vector<Finding>& findings() { return findings_; }
  int32_t count() const { return static_cast<int32_t>(findings_.size()); }
  const std::vector<Fold>& folds() const { return folds_; }
  const std::vector<Section>& sections() const { return sections_; }

  /// Forgets everything, keeping the memory.
  void clear() {
    findings_.clear();
    folds_.clear();
    sections_.clear();
  }

 private:
  std::vector<Finding> findings_;
  std::vector<Fold> folds_;
  std::vector<Section> sections_;
};

}  // namespace rpgc

#endif  // RPGC_CORE_FINDING_RECORDER_H_
