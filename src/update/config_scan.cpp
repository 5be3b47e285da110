#include "update/config_scan.h"

#include "base/config_lines.h"

bool findUpdateUrlSetting(const std::string& content, std::string& value)
{
    value.clear();
    // Whatever stands between the key and the equals sign is not examined, so "UPDATE_URL =" and
    // longer keys beginning with UPDATE_URL both count.
    return findConfigValue(content, "UPDATE_URL", KeyMatch::Prefix, value);
}
