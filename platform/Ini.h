#pragma once
// Settings files of the classic "[section] key=value" form. Names and values are GBK bytes;
// section and key names match without regard to ASCII case (the bytes of a double-byte character
// always match exactly); writes change only the line concerned and keep comments, order, the other
// sections and the file's line ending. All calls of the process go through one lock, and every
// call reads the file afresh, so changes made by others are seen at once.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

class IniFile {
public:
    // An empty path names no file: it reads as missing and keeps nothing written.
    explicit IniFile(std::string path) : path_(std::move(path)) {}
    const std::string& Path() const { return path_; }

    // The value with blanks around it and one pair of enclosing quotes removed, or `fallback`
    // when the file, section or key is missing.
    std::string GetString(std::string_view section, std::string_view key, std::string_view fallback = {}) const;

    // The value's leading optional sign and decimal digits (0 when there are none; clamped to the
    // int range), or `fallback` when the key is missing.
    int GetInt(std::string_view section, std::string_view key, int fallback) const;

    // The key=value lines of the section in file order, names and values as GetString gives them.
    std::vector<std::pair<std::string, std::string>> ReadSection(std::string_view section) const;
    std::vector<std::string> SectionNames() const;
    std::vector<std::string> KeyNames(std::string_view section) const;

    // Sets the key, adding it at the end of its section, and the section at the end of the file,
    // when missing; the file is made when missing (with CRLF lines). nullopt deletes the key.
    // False when the file cannot be written, or when a name or the value holds a line break (or
    // the key is empty or holds '='), which would change other lines' meaning.
    bool WriteString(std::string_view section, std::string_view key, std::optional<std::string_view> value);
    bool DeleteKey(std::string_view section, std::string_view key) { return WriteString(section, key, std::nullopt); }
    // Removes the section's header and every line up to the next section.
    bool DeleteSection(std::string_view section);

private:
    std::string path_;
};

// Compares names the way the files expect: ASCII letters without case, double-byte GBK characters
// byte for byte.
bool IniNamesEqual(std::string_view a, std::string_view b);

// The classic integer reading of a settings value: optional blanks, an optional sign, then decimal
// digits up to the first other byte.
int ParseIniInt(std::string_view text);

} // namespace platform
