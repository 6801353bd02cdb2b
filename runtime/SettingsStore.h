#pragma once
// The per-user settings store: text values addressed by application, section
// and key.

#include <optional>
#include <string>

namespace vb {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or nothing when the application, section or key does
    // not exist.
    virtual std::optional<std::string> Get(const std::string& app, const std::string& section,
                                           const std::string& key) = 0;
    // Creates what is missing and stores the text, replacing any earlier
    // value. Durable when it returns.
    virtual void Save(const std::string& app, const std::string& section, const std::string& key,
                      const std::string& text) = 0;
};

}  // namespace vb
