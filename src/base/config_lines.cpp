#include "base/config_lines.h"

#include <cstddef>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Only ASCII letters are folded: the file may hold UTF-8 elsewhere, and a locale-dependent
// toupper would change bytes of multi-byte sequences.
char upperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Where the value of a line (without its LF) that sets key begins, or npos.
size_t valueStart(const std::string& line, const char* key, KeyMatch match)
{
    size_t at = 0;
    while (at < line.size() && isBlank(line[at])) {
        ++at;
    }
    if (at == line.size() || line[at] == '#' || line[at] == ';') {
        return std::string::npos;
    }
    for (const char* k = key; *k != '\0'; ++k, ++at) {
        if (at == line.size() || upperAscii(line[at]) != *k) {
            return std::string::npos;
        }
    }
    if (match == KeyMatch::Exact) {
        while (at < line.size() && isBlank(line[at])) {
            ++at;
        }
        return at < line.size() && line[at] == '=' ? at + 1 : std::string::npos;
    }
    const size_t equals = line.find('=', at);
    return equals == std::string::npos ? std::string::npos : equals + 1;
}

bool matchLine(std::string line, const char* key, KeyMatch match, std::string& value)
{
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    size_t first = valueStart(line, key, match);
    if (first == std::string::npos) {
        return false;
    }
    size_t last = line.size();
    while (first < last && isBlank(line[first])) {
        ++first;
    }
    while (last > first && isBlank(line[last - 1])) {
        --last;
    }
    if (last - first >= 2 && line[first] == '"' && line[last - 1] == '"') {
        ++first;
        --last;
    }
    value.assign(line, first, last - first);
    return true;
}

}  // namespace

bool findConfigValue(const std::string& content, const char* key, KeyMatch match, std::string& value)
{
    size_t position = 0;
    if (content.size() >= 3 && content.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        position = 3;
    }
    while (position < content.size()) {
        size_t end = content.find('\n', position);
        if (end == std::string::npos) {
            end = content.size();
        }
        if (matchLine(content.substr(position, end - position), key, match, value)) {
            return true;
        }
        position = end + 1;
    }
    return false;
}
