#include "base/window_facts_cache.h"

WindowFactsCache::Entry& WindowFactsCache::entryFor(uintptr_t window, uint32_t processId)
{
    for (Entry& entry : entries_) {
        if (entry.window == window && entry.processId == processId) {
            return entry;
        }
    }
    Entry fresh;
    fresh.window = window;
    fresh.processId = processId;
    if (entries_.size() < kEntries) {
        entries_.push_back(std::move(fresh));
        return entries_.back();
    }
    Entry& replaced = entries_[oldest_];
    oldest_ = (oldest_ + 1) % kEntries;
    replaced = std::move(fresh);
    return replaced;
}

const std::string& WindowFactsCache::exeName(uintptr_t window, uint32_t processId)
{
    Entry& entry = entryFor(window, processId);
    if (!entry.exeKnown) {
        entry.exe = lookups_.exeName(processId);
        entry.exeKnown = true;
    }
    return entry.exe;
}

const std::string& WindowFactsCache::windowClass(uintptr_t window, uint32_t processId)
{
    Entry& entry = entryFor(window, processId);
    if (!entry.classKnown) {
        entry.windowClass = lookups_.windowClass(window);
        entry.classKnown = true;
    }
    return entry.windowClass;
}

int32_t WindowFactsCache::monitorDpi(uintptr_t window, uint32_t processId, int32_t originX, int32_t originY)
{
    Entry& entry = entryFor(window, processId);
    if (!entry.dpiKnown || entry.dpiOriginX != originX || entry.dpiOriginY != originY) {
        entry.dpi = lookups_.monitorDpi(window);
        entry.dpiKnown = true;
        entry.dpiOriginX = originX;
        entry.dpiOriginY = originY;
    }
    return entry.dpi;
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
