#pragma once
// The Linux per-user settings store: one INI file per application,
// ${XDG_CONFIG_HOME:-$HOME/.config}/<app>/<app>.ini, e.g.
// ~/.config/Gyrobloom/Gyrobloom.ini, in the format of IniText.h: one
// "[section]" per section, "key=value" lines with the keys as named
// ("Pulse In/Out=False") and the values verbatim in UTF-8.
//
// Implemented:
//  - Get reads the file as it is; a missing file, section or key, and a file
//    or line that cannot be read, give nothing.
//  - Save changes the one key and keeps everything else in the file: other
//    keys and sections, comments, lines it cannot read. It is durable when it
//    returns: under an exclusive flock on "<app>.ini.lock" it reads the file,
//    writes the new text to a temporary ".<app>.ini.tmp.XXXXXX" in the same
//    directory, fsyncs it, renames it over the file and fsyncs the directory.
//    A process killed at any moment leaves the old or the new file, never a
//    damaged one, and the next Save removes a temporary it left. Savers in
//    several processes take turns, so none loses another's keys; readers need
//    no lock. New directories are made with mode 0700, a new file with 0600;
//    an existing file keeps its mode.
//
// Not implemented: a symbolic link at the file's place is replaced by a
// regular file on the first Save rather than followed. The lock file is never
// deleted (deleting it would let two savers hold different locks).
//
// Errors: a name the file cannot hold (see IniText::CanHoldSection and
// CanHoldKey; an application name must be a plain file name) raises error 5
// on Save and reads as nothing on Get. A failure to create, read or write the
// files raises error 75 "Path/File access error"; the file then keeps its
// previous contents, and standard error names the settings file and the
// system's reason ("gyrobloom: could not write the settings file
// /home/u/.config/Gyrobloom/Gyrobloom.ini: Permission denied"), since the
// report itself cannot say more.

#include <filesystem>
#include <optional>
#include <string>

#include "runtime/base/RuntimeError.h"
#include "runtime/SettingsStore.h"

namespace vb {

class IniSettingsStore final : public SettingsStore {
public:
    // The user's configuration directory: $XDG_CONFIG_HOME when it is an
    // absolute path, else $HOME/.config, else the password database's home
    // directory followed by .config; read once, here. When none is known,
    // Get finds nothing and Save raises error 75.
    IniSettingsStore();
    // The files live under configDir instead: <configDir>/<app>/<app>.ini.
    explicit IniSettingsStore(std::filesystem::path configDir);

    std::optional<std::string> Get(const std::string& app, const std::string& section,
                                   const std::string& key) override;
    void Save(const std::string& app, const std::string& section, const std::string& key,
              const std::string& text) override;

    // The file of an application, whether or not it exists yet.
    std::filesystem::path FilePath(const std::string& app) const;

private:
    std::filesystem::path mConfigDir;  // empty when the user's directory is unknown
};

}  // namespace vb
