// Script file speed and memory, in one run on the same bytes of a generated recording of
// 1 000 000 events (mostly moves, some clicks, keys and wheel turns):
//  - load: parseScriptText against RapidJSON's DOM parse and against Python 3's json.loads plus
//    the events turned into tuples (bench/script_load_python.py, run from here on the same file);
//  - save: formatScriptText against RapidJSON's Writer serialising the same document;
//  - peak memory of loadScript on that file and on a 256 MiB file of small numbers, each in a
//    process of its own (this program started again with --peak-load FILE).
// Usage: script_file_bench [EVENTS]   (run by hand; prints the figures and the ratios)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#include <sys/resource.h>
#include <unistd.h>

#include "base/text_encoding.h"
#include "script/script_file.h"

namespace {

constexpr int kRuns = 5;

// A recording-like mix: the pointer wanders in small steps at the capture rate, a click is a
// press and a release, a key a down and an up, now and then a wheel notch.
std::vector<MacroEvent> makeRecording(size_t count)
{
    std::mt19937_64 random(2024);
    std::vector<MacroEvent> events;
    events.reserve(count);
    int x = 640;
    int y = 360;
    const char* const keys[] = {"A", "S", "D", "Shift", "Enter", "Space", "Ctrl", "VK:186", "BS", "7"};
    while (events.size() < count) {
        const unsigned roll = static_cast<unsigned>(random() % 100);
        MacroEvent e;
        if (roll < 85) {
            x = std::max(0, std::min(2559, x + static_cast<int>(random() % 41) - 20));
            y = std::max(0, std::min(1439, y + static_cast<int>(random() % 31) - 15));
            e.kind = EventKind::Move;
            e.x = x;
            e.y = y;
            e.delay = 0.02 + static_cast<double>(random() % 100000) * 1e-7;  // a counter reading, not a round value
            events.push_back(e);
        } else if (roll < 91) {
            e.kind = EventKind::Click;
            e.x = x;
            e.y = y;
            e.button = static_cast<MouseButton>(random() % 7 == 0 ? 1 : 0);
            e.pressed = true;
            e.delay = 0.3 + static_cast<double>(random() % 1000000) * 1e-6;
            events.push_back(e);
            e.pressed = false;
            e.delay = 0.08 + static_cast<double>(random() % 70000) * 1e-6;
            events.push_back(e);
        } else if (roll < 98) {
            e.kind = EventKind::KeyDown;
            e.keyOrText = keys[random() % 10];
            e.delay = 0.1 + static_cast<double>(random() % 400000) * 1e-6;
            events.push_back(e);
            e.kind = EventKind::KeyUp;
            e.delay = 0.05 + static_cast<double>(random() % 90000) * 1e-6;
            events.push_back(e);
        } else {
            e.kind = EventKind::Scroll;
            e.x = x;
            e.y = y;
            e.dy = random() % 2 != 0 ? 1 : -1;
            e.delay = 0.04 + static_cast<double>(random() % 50000) * 1e-6;
            events.push_back(e);
        }
    }
    events.resize(count);
    return events;
}

template <typename Work>
double bestSeconds(Work work)
{
    double best = 1e30;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
    std::fclose(file);
}

long peakKibibytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Child process: loads one file and prints its peak memory before and after, in KiB.
int peakLoad(const char* path, bool rapidJson)
{
    const long before = peakKibibytes();
    size_t events = 0;
    if (rapidJson) {
        std::FILE* file = std::fopen(path, "rb");
        std::fseek(file, 0, SEEK_END);
        std::string text(static_cast<size_t>(std::ftell(file)), '\0');
        std::fseek(file, 0, SEEK_SET);
        text.resize(std::fread(&text[0], 1, text.size(), file));
        std::fclose(file);
        rapidjson::Document document;
        document.Parse(text.c_str(), text.size());
        events = document.IsObject() && document.HasMember("events") ? document["events"].Size() : 0;
    } else {
        std::vector<MacroEvent> loaded;
        std::wstring error;
        if (!loadScript(utf8ToWide(path), loaded, error)) {
            std::printf("failed %s\n", wideToUtf8(error).c_str());
            return 1;
        }
        events = loaded.size();
    }
    std::printf("%ld %ld %zu\n", before, peakKibibytes(), events);
    return 0;
}

struct Peak {
    long beforeKib = 0;
    long peakKib = 0;
    size_t events = 0;
};

Peak measurePeak(const std::string& self, const std::string& mode, const std::string& path)
{
    Peak peak;
    const std::string command = "'" + self + "' " + mode + " '" + path + "'";
    std::FILE* child = popen(command.c_str(), "r");
    if (child == nullptr || std::fscanf(child, "%ld %ld %zu", &peak.beforeKib, &peak.peakKib, &peak.events) != 3) {
        std::fprintf(stderr, "peak measurement failed: %s\n", command.c_str());
    }
    if (child != nullptr) {
        pclose(child);
    }
    return peak;
}

double pythonSeconds(const std::string& path)
{
    const std::string command = "python3 '" LR_SOURCE_DIR "/bench/script_load_python.py' '" + path + "' 3";
    std::FILE* child = popen(command.c_str(), "r");
    double seconds = 0;
    size_t count = 0;
    if (child == nullptr || std::fscanf(child, "%lf %zu", &seconds, &count) != 2) {
        std::fprintf(stderr, "python3 yardstick failed: %s\n", command.c_str());
    }
    if (child != nullptr) {
        pclose(child);
    }
    return seconds;
}

std::string selfPath()
{
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--peak-load") == 0) {
        return peakLoad(argv[2], false);
    }
    if (argc == 3 && std::strcmp(argv[1], "--peak-rapidjson") == 0) {
        return peakLoad(argv[2], true);
    }
    const size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
    const std::string folder = "/tmp/lr_script_bench_" + std::to_string(getpid());
    const std::string scriptPath = folder + "/recording.json";
    const std::string numbersPath = folder + "/numbers.json";
    if (std::system(("mkdir -p '" + folder + "'").c_str()) != 0) {
        return 1;
    }

    const std::vector<MacroEvent> events = makeRecording(count);
    const std::string text = formatScriptText(events);
    writeFile(scriptPath, text);
    std::printf("script: %zu events, %zu bytes (%.1f bytes per event)\n\n", events.size(), text.size(),
                static_cast<double>(text.size()) / static_cast<double>(events.size()));

    size_t loadedCount = 0;
    const double load = bestSeconds([&] {
        std::vector<MacroEvent> loaded;
        std::wstring error;
        parseScriptText(text, loaded, error);
        loadedCount = loaded.size();
    });
    const double rapidParse = bestSeconds([&] {
        rapidjson::Document document;
        document.Parse(text.c_str(), text.size());
    });
    const double python = pythonSeconds(scriptPath);

    size_t savedBytes = 0;
    const double save = bestSeconds([&] { savedBytes = formatScriptText(events).size(); });
    rapidjson::Document document;
    document.Parse(text.c_str(), text.size());
    const double rapidWrite = bestSeconds([&] {
        rapidjson::StringBuffer buffer;
        rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
        document.Accept(writer);
    });

    std::printf("load  parseScriptText            %8.1f ms  (%zu events)\n", load * 1e3, loadedCount);
    std::printf("      RapidJSON DOM parse        %8.1f ms  ratio %.2f (target <= 2)\n", rapidParse * 1e3,
                load / rapidParse);
    std::printf("      Python json.loads + tuples %8.1f ms  ratio %.2f (target <= 0.5)\n", python * 1e3,
                python > 0 ? load / python : 0.0);
    std::printf("save  formatScriptText           %8.1f ms  (%zu bytes)\n", save * 1e3, savedBytes);
    std::printf("      RapidJSON Writer           %8.1f ms  ratio %.2f (target <= 1.5)\n\n", rapidWrite * 1e3,
                save / rapidWrite);

    // 256 MiB of "[0,0,0,...,0] ": the largest file a load accepts, all of it small numbers.
    {
        std::string numbers = "[";
        numbers.reserve(0x10000000);
        while (numbers.size() + 4 <= 0x10000000) {
            numbers += "0,";
        }
        numbers += "0]";
        numbers.resize(0x10000000, ' ');
        writeFile(numbersPath, numbers);
    }
    const std::string self = selfPath();
    const struct {
        const char* what;
        const char* mode;
        const std::string& path;
    } peaks[] = {
        {"loadScript, recording  ", "--peak-load", scriptPath},
        {"RapidJSON, recording   ", "--peak-rapidjson", scriptPath},
        {"loadScript, 256 MiB [0,0,...]", "--peak-load", numbersPath},
    };
    const double eventBytes = static_cast<double>(sizeof(MacroEvent));
    for (const auto& p : peaks) {
        const Peak peak = measurePeak(self, p.mode, p.path);
        const double fileMb = p.path == scriptPath ? static_cast<double>(text.size()) / 1e6 : 268.435456;
        std::printf("peak  %-30s %8.1f MB (process before: %.1f MB; file %.1f MB; %zu events = %.1f MB)\n", p.what,
                    static_cast<double>(peak.peakKib) * 1024 / 1e6, static_cast<double>(peak.beforeKib) * 1024 / 1e6,
                    fileMb, peak.events, static_cast<double>(peak.events) * eventBytes / 1e6);
    }
    std::remove(scriptPath.c_str());
    std::remove(numbersPath.c_str());
    rmdir(folder.c_str());
    return 0;
}
