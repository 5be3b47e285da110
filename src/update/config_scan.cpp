#include "update/config_scan.h"

#include <cstddef>

namespace {

const char kUpdateUrlKey[] = "UPDATE_URL";
constexpr size_t kUpdateUrlKeyLength = sizeof kUpdateUrlKey - 1;

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

bool startsWithKey(const std::string& line, size_t from)
{
    for (size_t i = 0; i < kUpdateUrlKeyLength; ++i) {
        if (upperAscii(line[from + i]) != kUpdateUrlKey[i]) {
            return false;
        }
    }
    return true;
}

// Returns true and fills value when one line (without its LF) is an UPDATE_URL line.
bool matchLine(std::string line, std::string& value)
{
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    size_t start = 0;
    while (start < line.size() && isBlank(line[start])) {
        ++start;
    }
    if (start == line.size() || line[start] == '#' || line[start] == ';') {
        return false;
    }
    const size_t length = line.size() - start;
    if (length <= kUpdateUrlKeyLength || !startsWithKey(line, start)) {
        return false;
    }
    // Whatever stands between the key and the equals sign is not examined, so "UPDATE_URL =" and
    // longer keys beginning with UPDATE_URL both count.
    const size_t equals = line.find('=', start + kUpdateUrlKeyLength);
    if (equals == std::string::npos) {
        return false;
    }
    size_t first = equals + 1;
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

bool FindUpdateUrlSetting(const std::string& content, std::string& value)
{
    value.clear();
    size_t position = 0;
    if (content.size() > 2 && static_cast<unsigned char>(content[0]) == 0xEF &&
        static_cast<unsigned char>(content[1]) == 0xBB && static_cast<unsigned char>(content[2]) == 0xBF) {
        position = 3;
    }
    while (position < content.size()) {
        size_t end = content.find('\n', position);
        if (end == std::string::npos) {
            end = content.size();
        }
        if (matchLine(content.substr(position, end - position), value)) {
            return true;
        }
        position = end + 1;
    }
    return false;
}
