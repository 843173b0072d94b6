// FindingRecorder: a finding sink that keeps the errors reported to it, for tests of the
// parsers' failures.
#ifndef RPGC_TESTS_SUPPORT_FINDING_RECORDER_H_
#define RPGC_TESTS_SUPPORT_FINDING_RECORDER_H_

#include <vector>

#include "core/finding.h"
#include "diagnostics/message_table.h"

namespace rpgc::test {

class FindingRecorder : public FindingSink {
 public:
  /// Wants errors only: the parsers' checks of warnings stay off, as without a sink.
  FindingRecorder() {
    for (const MessageRow& row : messageRows()) {
      wanted_.set(static_cast<size_t>(row.code), row.severity == Severity::kError);
    }
  }
  void report(Finding finding) override { errors.push_back(std::move(finding)); }

  std::vector<Finding> errors;
};

}  // namespace rpgc::test

#endif  // RPGC_TESTS_SUPPORT_FINDING_RECORDER_H_
