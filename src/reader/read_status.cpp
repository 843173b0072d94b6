// ReadStatus: the message table of read failures.
#include "rpgc/read_status.h"

#include <string_view>
#include <system_error>

#include "format/container_layout.h"

namespace rpgc {

namespace {

// The part as the subject of a sentence.
std::string_view partNoun(FilePart part) {
  switch (part) {
    case FilePart::kFile:
      return "the file";
    case FilePart::kProjectName:
      return "the project name";
    case FilePart::kVersion:
      return "the version";
    case FilePart::kAtomCount:
      return "the atom count";
    case FilePart::kAtomName:
      return "an atom name";
    case FilePart::kBodyLength:
      return "the body length";
    case FilePart::kBody:
      return "the body";
    case FilePart::kSectionCount:
      return "the section count";
    case FilePart::kSection:
      return "a string section";
    case FilePart::kText:
      return "a text";
    case FilePart::kRecord:
      return "an object record";
    case FilePart::kProperty:
      return "a property chunk";
    case FilePart::kValue:
      return "a property value";
  }
  return "the file";
}

// The number that a count or size failure is about.
std::string_view countNoun(FilePart part) {
  switch (part) {
    case FilePart::kProjectName:
      return "the project name's size";
    case FilePart::kSection:
      return "a section's text count";
    case FilePart::kText:
      return "a text's size";
    case FilePart::kValue:
      return "a list's element count";
    default:
      return partNoun(part);
  }
}

// What a part must fit in.
std::string_view roomOf(FilePart part) {
  switch (part) {
    case FilePart::kSectionCount:
    case FilePart::kSection:
    case FilePart::kText:
    case FilePart::kRecord:
      return "the body";
    case FilePart::kProperty:
      return "its record";
    case FilePart::kValue:
      return "its property chunk";
    default:
      return "the file";
  }
}

}  // namespace

std::string ReadStatus::message() const {
  std::string text;
  std::string number = std::to_string(value);
  switch (failure) {
    case ReadFailure::kNone:
      break;
    case ReadFailure::kCannotOpen:
      text = "cannot read the file: " + std::generic_category().message(systemError);
      break;
    case ReadFailure::kTooLarge:
      text = "the file is larger than the format's limit of " +
             std::to_string(format::kLargestSize) + " bytes";
      break;
    case ReadFailure::kTruncated:
      text.append(partNoun(part)).append(" runs past the end of ").append(roomOf(part));
      break;
    case ReadFailure::kNegative:
      text.append(countNoun(part)).append(" is negative (").append(number).append(")");
      break;
    case ReadFailure::kNameTooLong:
      text = "an atom name of " + number + " bytes passes the limit of " +
             std::to_string(format::kMaxAtomNameLength);
      break;
    case ReadFailure::kNoZeroByte:
      text.append(partNoun(part)).append(" does not end with a zero byte");
      break;
    case ReadFailure::kBadEnd:
      text.append(partNoun(part))
          .append(" has an end offset (")
          .append(number)
          .append(") that does not fit ")
          .append(roomOf(part));
      break;
    case ReadFailure::kTooMany:
      text.append(countNoun(part))
          .append(" (")
          .append(number)
          .append(") is more than the rest of ")
          .append(roomOf(part))
          .append(" can hold");
      break;
    case ReadFailure::kExtraBytes:
      text = part == FilePart::kBody ? "the body goes on after its last string section"
                                     : "the file goes on after the end of its body";
      break;
  }
  return text;
}

}  // namespace rpgc
