// Script text throughput: formatting and loading generated scripts of mixed events, with
// RapidJSON's DOM parse of the same bytes as a yardstick (benchmark-only dependency).
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <rapidjson/document.h>

#include "script/script_file.h"

namespace {

std::vector<MacroEvent> makeScript(size_t count)
{
    std::vector<MacroEvent> events(count);
    for (size_t i = 0; i < count; ++i) {
        MacroEvent& e = events[i];
        e.kind = static_cast<EventKind>(i % 5);
        e.delay = 0.001 * static_cast<double>(i % 97);
        e.x = static_cast<int32_t>(i % 1920);
        e.y = static_cast<int32_t>(i % 1080);
        e.dy = e.kind == EventKind::Scroll ? -1 : 0;
        e.pressed = (i & 1) != 0;
        e.button = static_cast<MouseButton>(i % 3);
        if (e.kind == EventKind::KeyDown || e.kind == EventKind::KeyUp) {
            e.key = (i % 2) != 0 ? "Shift" : "A";
        }
    }
    return events;
}

const std::string& scriptText(size_t count)
{
    static std::vector<std::pair<size_t, std::string>> cache;
    for (const auto& entry : cache) {
        if (entry.first == count) {
            return entry.second;
        }
    }
    cache.emplace_back(count, formatScriptText(makeScript(count)));
    return cache.back().second;
}

void report(benchmark::State& state, size_t bytes, size_t events)
{
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["events/s"] =
        benchmark::Counter(static_cast<double>(state.iterations() * events), benchmark::Counter::kIsRate);
}

void BM_FormatScript(benchmark::State& state)
{
    const auto events = makeScript(static_cast<size_t>(state.range(0)));
    size_t bytes = 0;
    for (auto _ : state) {
        std::string text = formatScriptText(events);
        bytes = text.size();
        benchmark::DoNotOptimize(text);
    }
    report(state, bytes, events.size());
}

void BM_LoadScript(benchmark::State& state)
{
    const std::string& text = scriptText(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        std::vector<MacroEvent> events;
        std::wstring error;
        benchmark::DoNotOptimize(parseScriptText(text, events, error));
    }
    report(state, text.size(), static_cast<size_t>(state.range(0)));
}

void BM_RapidJsonDom(benchmark::State& state)
{
    const std::string& text = scriptText(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        rapidjson::Document document;
        document.Parse(text.c_str(), text.size());
        benchmark::DoNotOptimize(document.HasParseError());
    }
    report(state, text.size(), static_cast<size_t>(state.range(0)));
}

}  // namespace

BENCHMARK(BM_FormatScript)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadScript)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RapidJsonDom)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
