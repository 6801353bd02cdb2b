#pragma once
// The text of an INI settings file, read and edited line by line so that
// whatever the program does not own stays exactly as it was written.
//
// The format:
//  - "[section]" lines open sections; "key=value" lines under them hold the
//    values. Blanks around names, around '=' and at the ends of a line are
//    ignored; names are compared byte for byte, so case matters.
//  - Lines starting with ';' or '#' are comments. Keys before the first
//    section, lines that are neither a section nor "key=value", and every key
//    under a broken header ("[section" without its ']') read as absent. All
//    such lines are kept as they are. A section named twice reads as one; a
//    key found twice reads, and is replaced, at its first line.
//  - Lines end in "\n", or in "\r\n" when the file's first line does; a UTF-8
//    byte order mark at the start is skipped.
//  - A value is written verbatim, in whatever bytes it holds (UTF-8 for this
//    program), unless it starts or ends with a blank, starts with '"' or holds
//    a control character (a newline, for instance). Such a value is written
//    between double quotes with the escapes \\ \" \n \r \t and \xHH, so any
//    text reads back exactly as it was set. A quoted value that does not
//    decode, as a hand edit may leave it, reads verbatim.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vb {

class IniText {
public:
    explicit IniText(const std::string& text);

    // Whether a name can be written so that it reads back as itself: not
    // empty, no control characters, no leading or trailing blanks; a section
    // without ']', a key without '=' that does not start with '[', ';' or '#'.
    static bool CanHoldSection(const std::string& section);
    static bool CanHoldKey(const std::string& key);

    // The value of the key in the section, or nothing.
    std::optional<std::string> Get(const std::string& section, const std::string& key) const;

    // Replaces the key's line, or adds it after the last key of the section's
    // first block, or adds the section at the end of the text. The names must
    // pass the checks above.
    void Set(const std::string& section, const std::string& key, const std::string& value);

    // The whole text; every line, the last included, ends in a newline.
    std::string Text() const;

private:
    struct Place {
        std::optional<size_t> entry;        // the key's line
        std::optional<size_t> insertAfter;  // where a new key of the section goes
    };
    Place Find(const std::string& section, const std::string& key) const;

    // New lines end as the file's first line does; the others keep their '\r'.
    std::string Carriage() const { return mCrLf ? "\r" : ""; }

    std::vector<std::string> mLines;  // without their '\n'
    bool mCrLf = false;
};

}  // namespace vb
