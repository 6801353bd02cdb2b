#pragma once
// The Windows per-user settings store: the registry under
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<app>\<section>,
// one REG_SZ value per key, where the form runtime has always kept
// GetSetting and SaveSetting values, so settings an earlier build of the
// program stored are found again.
//
// Implemented: Get reads a REG_SZ (or REG_EXPAND_SZ, unexpanded) value; a
// missing key or value, or a value of another type, gives nothing. Save
// creates the keys it needs, writes the value and flushes the key, so the
// value is on disk when it returns.
// Errors: an empty application, section or key name raises error 5; a
// failure to create or write the key raises error 75 "Path/File access
// error".

#include <string>

#include "runtime/SettingsStore.h"

namespace vb {

class RegistrySettingsStore final : public SettingsStore {
public:
    static constexpr const wchar_t* kDefaultRoot = L"Software\\VB and VBA Program Settings";

    // Under HKEY_CURRENT_USER\<root>.
    explicit RegistrySettingsStore(std::wstring root = kDefaultRoot);

    std::optional<std::string> Get(const std::string& app, const std::string& section,
                                   const std::string& key) override;
    void Save(const std::string& app, const std::string& section, const std::string& key,
              const std::string& text) override;

private:
    std::wstring SectionPath(const std::string& app, const std::string& section) const;

    std::wstring mRoot;
};

}  // namespace vb
