#pragma once
// Text between the program (UTF-8 std::string) and the wide Win32 calls.

#include <string>

namespace vb {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);
std::string Narrow(const wchar_t* wide, int length);

}  // namespace vb
