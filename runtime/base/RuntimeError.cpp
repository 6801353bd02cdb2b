#include "runtime/base/RuntimeError.h"

namespace vb {

RuntimeError::RuntimeError(int number, std::string description)
    : std::runtime_error("Run-time error '" + std::to_string(number) + "': " + description),
      mNumber(number),
      mDescription(std::move(description)) {}

std::string RuntimeError::Report() const {
    return "Run-time error '" + std::to_string(mNumber) + "':\n\n" + mDescription;
}

std::string ErrorText(int number) {
    switch (number) {
    case kErrInvalidCall: return "Invalid procedure call or argument";
    case kErrOverflow: return "Overflow";
    case kErrOutOfMemory: return "Out of memory";
    case kErrSubscript: return "Subscript out of range";
    case kErrDivisionByZero: return "Division by zero";
    case kErrTypeMismatch: return "Type mismatch";
    case kErrPathFileAccess: return "Path/File access error";
    case kErrObjectNotSet: return "Object variable or With block variable not set";
    case kErrInvalidProperty: return "Invalid property value";
    case kErrNoSuchMember: return "Object doesn't support this property or method";
    default: return "Application-defined or object-defined error";
    }
}

void Raise(int number) { throw RuntimeError(number, ErrorText(number)); }

}  // namespace vb
