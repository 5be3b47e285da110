#include "base/exe_name_cache.h"

const std::string& ExeNameCache::nameFor(uintptr_t window, uint32_t processId)
{
    for (const Entry& entry : entries_) {
        if (entry.window == window && entry.processId == processId) {
            return entry.name;
        }
    }
    Entry fresh{window, processId, lookup_(processId)};
    if (entries_.size() < kEntries) {
        entries_.push_back(std::move(fresh));
        return entries_.back().name;
    }
    Entry& replaced = entries_[oldest_];
    oldest_ = (oldest_ + 1) % kEntries;
    replaced = std::move(fresh);
    return replaced.name;
}

std::wstring exeFileName(const std::wstring& path)
{
    const size_t separator = path.find_last_of(L"\\/");
    std::wstring name = separator == std::wstring::npos ? path : path.substr(separator + 1);
    for (wchar_t& c : name) {
        if (c >= L'A' && c <= L'Z') {
            c = static_cast<wchar_t>(c - L'A' + L'a');
        }
    }
    return name;
}
