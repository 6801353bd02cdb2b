#pragma once
// The program's run-time errors. Each carries the number and the text the user
// sees in the standard error report:
//
//     Run-time error '6':
//
//     Overflow

#include <exception>
#include <stdexcept>
#include <string>

namespace vb {

constexpr int kErrInvalidCall = 5;        // "Invalid procedure call or argument"
constexpr int kErrOverflow = 6;           // "Overflow"
constexpr int kErrOutOfMemory = 7;        // "Out of memory"
constexpr int kErrSubscript = 9;          // "Subscript out of range"
constexpr int kErrDivisionByZero = 11;    // "Division by zero"
constexpr int kErrTypeMismatch = 13;      // "Type mismatch"
constexpr int kErrPathFileAccess = 75;    // "Path/File access error"
constexpr int kErrObjectNotSet = 91;      // "Object variable or With block variable not set"
constexpr int kErrInvalidProperty = 380;  // "Invalid property value"
constexpr int kErrNoSuchMember = 438;     // "Object doesn't support this property or method"

class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, std::string description);

    int Number() const { return mNumber; }
    const std::string& Description() const { return mDescription; }

    // The report the form runtime shows for an error nobody handled.
    std::string Report() const;

private:
    int mNumber;
    std::string mDescription;
};

// The standard text of an error number ("Application-defined or object-defined
// error" for a number the runtime has no text for).
std::string ErrorText(int number);

[[noreturn]] void Raise(int number);

// Runs one statement of a routine that goes on after a failing statement:
// whatever the statement raises is dropped, and the caller's next statement
// runs. Only the routines designed that way use it.
template <typename Statement>
void ResumeNext(Statement&& statement) {
    try {
        statement();
    } catch (const std::exception&) {
        // Dropped by design; see above.
    }
}

}  // namespace vb
