#include "runtime/win32/RegistrySettingsStore.h"

#include "runtime/win32/Win32Api.h"

#include <vector>

#include "runtime/base/RuntimeError.h"
#include "runtime/win32/Win32Text.h"

namespace vb {

RegistrySettingsStore::RegistrySettingsStore(std::wstring root) : mRoot(std::move(root)) {}

std::wstring RegistrySettingsStore::SectionPath(const std::string& app, const std::string& section) const {
    return mRoot + L"\\" + Widen(app) + L"\\" + Widen(section);
}

std::optional<std::string> RegistrySettingsStore::Get(const std::string& app, const std::string& section,
                                                      const std::string& key) {
    if (app.empty() || section.empty() || key.empty()) return std::nullopt;
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SectionPath(app, section).c_str(), 0, KEY_QUERY_VALUE, &handle) !=
        ERROR_SUCCESS)
        return std::nullopt;
    const std::wstring name = Widen(key);
    std::optional<std::string> text;
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(handle, name.c_str(), nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD size = DWORD(buffer.size() * sizeof(wchar_t));
        if (RegQueryValueExW(handle, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) ==
            ERROR_SUCCESS) {
            // The stored text may or may not end with its terminator.
            std::size_t length = size / sizeof(wchar_t);
            while (length > 0 && buffer[length - 1] == L'\0') --length;
            text = Narrow(buffer.data(), int(length));
        }
    }
    RegCloseKey(handle);
    return text;
}

void RegistrySettingsStore::Save(const std::string& app, const std::string& section, const std::string& key,
                                 const std::string& text) {
    if (app.empty() || section.empty() || key.empty()) Raise(kErrInvalidCall);
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SectionPath(app, section).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &handle, nullptr) != ERROR_SUCCESS)
        Raise(kErrPathFileAccess);
    const std::wstring value = Widen(text);
    const DWORD bytes = DWORD((value.size() + 1) * sizeof(wchar_t));
    const LONG written = RegSetValueExW(handle, Widen(key).c_str(), 0, REG_SZ,
                                        reinterpret_cast<const BYTE*>(value.c_str()), bytes);
    if (written == ERROR_SUCCESS) RegFlushKey(handle);
    RegCloseKey(handle);
    if (written != ERROR_SUCCESS) Raise(kErrPathFileAccess);
}

}  // namespace vb
