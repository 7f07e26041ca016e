#include "platform/Ini.h"

#include "platform/GbkWalk.h"

#include <climits>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <mutex>

namespace platform {
namespace {

std::mutex g_iniMutex;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::string_view Unquote(std::string_view s)
{
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front())
        return s.substr(1, s.size() - 2);
    return s;
}

// The file as lines without their endings, and the ending it uses.
struct IniText {
    std::vector<std::string> lines;
    std::string eol = "\r\n";
    bool exists = false;
};

IniText Load(const std::string& path)
{
    IniText text;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return text;
    text.exists = true;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t firstNl = bytes.find('\n');
    if (firstNl != std::string::npos && (firstNl == 0 || bytes[firstNl - 1] != '\r'))
        text.eol = "\n";
    size_t start = 0;
    while (start < bytes.size()) {
        size_t nl = bytes.find('\n', start);
        if (nl == std::string::npos)
            nl = bytes.size();
        std::string line = bytes.substr(start, nl - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        text.lines.push_back(std::move(line));
        start = nl + 1;
    }
    return text;
}

bool Store(const std::string& path, const IniText& text)
{
    if (path.empty()) // no file: nothing is kept, nor written beside the current folder
        return false;
    std::string bytes;
    for (const std::string& line : text.lines)
        bytes += line + text.eol;
    // Written beside the file and renamed over it, so a reader never sees half a file.
    const std::string temp = path + ".tmp~";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush())
            return false;
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

// The name of a "[name]" line, or nullopt. The closing bracket is searched for character by
// character: the trail byte of a GBK character may be the bracket's byte.
std::optional<std::string_view> SectionHeader(std::string_view line)
{
    line = Trim(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    const size_t close = GbkFindFirstOf(line, "]", 1);
    if (close == std::string_view::npos)
        return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> ParseKeyLine(std::string_view line)
{
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[')
        return std::nullopt;
    const size_t eq = trimmed.find('='); // '=' is never a GBK trail byte
    if (eq == std::string_view::npos)
        return std::nullopt;
    return KeyLine{Trim(trimmed.substr(0, eq)), Unquote(Trim(trimmed.substr(eq + 1)))};
}

// Lines [header, end) of the first section of that name; header = npos when missing.
struct SectionRange {
    size_t header = std::string::npos;
    size_t end = 0;
    bool found() const { return header != std::string::npos; }
};

SectionRange FindSection(const IniText& text, std::string_view section)
{
    SectionRange range;
    for (size_t i = 0; i < text.lines.size(); ++i) {
        auto name = SectionHeader(text.lines[i]);
        if (!name)
            continue;
        if (range.found()) {
            range.end = i;
            return range;
        }
        if (IniNamesEqual(*name, Trim(section)))
            range.header = i;
    }
    range.end = text.lines.size();
    return range;
}

std::optional<size_t> FindKey(const IniText& text, const SectionRange& range, std::string_view key)
{
    for (size_t i = range.header + 1; i < range.end; ++i) {
        auto kv = ParseKeyLine(text.lines[i]);
        if (kv && IniNamesEqual(kv->key, Trim(key)))
            return i;
    }
    return std::nullopt;
}

std::optional<std::string> Lookup(const std::string& path, std::string_view section, std::string_view key)
{
    const IniText text = Load(path);
    const SectionRange range = FindSection(text, section);
    if (!range.found())
        return std::nullopt;
    const auto index = FindKey(text, range, key);
    if (!index)
        return std::nullopt;
    return std::string(ParseKeyLine(text.lines[*index])->value);
}

} // namespace

bool IniNamesEqual(std::string_view a, std::string_view b)
{
    return GbkEqualNoCase(a, b);
}

int ParseIniInt(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1; // clamp without overflowing
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    return static_cast<int>(value);
}

std::string IniFile::GetString(std::string_view section, std::string_view key, std::string_view fallback) const
{
    std::lock_guard lock(g_iniMutex);
    auto value = Lookup(path_, section, key);
    return value ? std::move(*value) : std::string(fallback);
}

int IniFile::GetInt(std::string_view section, std::string_view key, int fallback) const
{
    std::lock_guard lock(g_iniMutex);
    auto value = Lookup(path_, section, key);
    return value ? ParseIniInt(*value) : fallback;
}

std::vector<std::pair<std::string, std::string>> IniFile::ReadSection(std::string_view section) const
{
    std::lock_guard lock(g_iniMutex);
    const IniText text = Load(path_);
    const SectionRange range = FindSection(text, section);
    std::vector<std::pair<std::string, std::string>> entries;
    if (!range.found())
        return entries;
    for (size_t i = range.header + 1; i < range.end; ++i)
        if (auto kv = ParseKeyLine(text.lines[i]))
            entries.emplace_back(std::string(kv->key), std::string(kv->value));
    return entries;
}

std::vector<std::string> IniFile::SectionNames() const
{
    std::lock_guard lock(g_iniMutex);
    std::vector<std::string> names;
    for (const std::string& line : Load(path_).lines)
        if (auto name = SectionHeader(line))
            names.emplace_back(*name);
    return names;
}

std::vector<std::string> IniFile::KeyNames(std::string_view section) const
{
    std::vector<std::string> names;
    for (auto& [key, value] : ReadSection(section))
        names.push_back(std::move(key));
    return names;
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::optional<std::string_view> value)
{
    // A line break inside a name or value would write lines that read back as something else.
    const auto breaksLines = [](std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; };
    if (breaksLines(section) || breaksLines(key) || (value && breaksLines(*value)) ||
        Trim(key).empty() || key.find('=') != std::string_view::npos)
        return false;
    std::lock_guard lock(g_iniMutex);
    IniText text = Load(path_);
    SectionRange range = FindSection(text, section);
    if (!range.found()) {
        if (!value)
            return true; // nothing to delete
        text.lines.push_back("[" + std::string(Trim(section)) + "]");
        range = {text.lines.size() - 1, text.lines.size()};
    }
    const std::string keyName(Trim(key));
    if (auto index = FindKey(text, range, keyName)) {
        if (!value) {
            text.lines.erase(text.lines.begin() + static_cast<std::ptrdiff_t>(*index));
        } else {
            // Keeps the key as the file spells it.
            const std::string existing(ParseKeyLine(text.lines[*index])->key);
            text.lines[*index] = existing + "=" + std::string(*value);
        }
    } else {
        if (!value)
            return true;
        // After the section's last non-blank line, so blank lines before the next section stay.
        size_t at = range.end;
        while (at > range.header + 1 && Trim(text.lines[at - 1]).empty())
            --at;
        text.lines.insert(text.lines.begin() + static_cast<std::ptrdiff_t>(at), keyName + "=" + std::string(*value));
    }
    return Store(path_, text);
}

bool IniFile::DeleteSection(std::string_view section)
{
    std::lock_guard lock(g_iniMutex);
    IniText text = Load(path_);
    const SectionRange range = FindSection(text, section);
    if (!range.found())
        return true;
    text.lines.erase(text.lines.begin() + static_cast<std::ptrdiff_t>(range.header),
                     text.lines.begin() + static_cast<std::ptrdiff_t>(range.end));
    return Store(path_, text);
}

} // namespace platform
