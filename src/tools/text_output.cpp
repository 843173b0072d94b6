// TextOutput: block writes.
#include "tools/text_output.h"

namespace rpgc {

bool TextOutput::flush() {
  if (target_ != nullptr) {
    target_->append(buffer_);
  } else if (!failed_ && !buffer_.empty()) {
    failed_ = std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size() ||
              std::fflush(file_) != 0;
  }
  buffer_.clear();
  return !failed_;
}

}  // namespace rpgc
