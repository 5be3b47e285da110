// Loading a script into the window: small files at once, large ones on a worker thread while the
// window keeps answering and shows the progress in its status line.
#include "ui/main_window.h"

#include <cwchar>

#include "base/message_box.h"
#include "base/text_encoding.h"
#include "base/thread.h"
#include "script/script_file.h"

namespace {

// Below this a load takes a few milliseconds; above it the window would stop answering for as
// long as the load takes (about a second per 50 MB), so the work moves to a thread.
constexpr uint64_t kBackgroundLoadBytes = 4 * 1024 * 1024;

uint64_t fileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

struct MainWindow::LoadJob {
    std::wstring path;
    LoadOrigin origin = LoadOrigin::LoadCommand;
    size_t fileCount = 1;
    HWND window = nullptr;
    std::vector<MacroEvent> events;
    std::vector<WindowIdentity> windows;
    std::wstring error;
    bool loaded = false;
    int percentPosted = -1;  // written only by the worker

    void run() { loaded = loadScript(path, events, windows, error, LoadProgress{}); }

    // On the worker: the window hears of each new whole percent, a hundred messages at most.
    void runWithProgress()
    {
        LoadProgress progress;
        progress.context = this;
        progress.report = [](void* context, uint64_t done, uint64_t total) {
            auto* job = static_cast<LoadJob*>(context);
            const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 0;
            if (percent != job->percentPosted) {
                job->percentPosted = percent;
                PostMessageW(job->window, WM_APP_LOAD_PROGRESS, static_cast<WPARAM>(percent), 0);
            }
        };
        loaded = loadScript(path, events, windows, error, progress);
    }
};

void MainWindow::beginLoad(const std::wstring& path, LoadOrigin origin, size_t fileCount)
{
    auto job = std::make_shared<LoadJob>();
    job->path = path;
    job->origin = origin;
    job->fileCount = fileCount;
    job->window = window_;
    if (fileSize(path) < kBackgroundLoadBytes) {
        job->run();
        finishLoad(*job);
        return;
    }
    loadJob_ = job;
    setStatus(L"正在加载…");
    refreshControls();
    Thread worker;
    // The job is shared with the worker: a window closed during the load leaves the worker
    // writing into memory that is still alive.
    const bool started = worker.start([job] {
        job->runWithProgress();
        PostMessageW(job->window, WM_APP_LOAD_DONE, 0, 0);
    });
    worker.detach();
    if (!started) {
        loadJob_.reset();
        job->run();
        finishLoad(*job);
    }
}

void MainWindow::onLoadProgress(int percent)
{
    if (currentActivity() == Activity::Loading) {
        setStatus(L"正在加载… " + std::to_wstring(percent) + L"%");
    }
}

void MainWindow::onLoadDone()
{
    if (!loadJob_) {
        return;
    }
    const std::shared_ptr<LoadJob> job = std::move(loadJob_);
    finishLoad(*job);
}

void MainWindow::finishLoad(LoadJob& job)
{
    refreshControls();
    if (!job.loaded) {
        showMessageBox(window_, (L"加载失败: " + job.error).c_str(), L"错误", MB_OK | MB_ICONERROR);
        return;
    }
    const size_t count = job.events.size();
    showNewScript(ScriptContents{std::move(job.events), std::move(job.windows)}, true);
    document_.setSourceFile(wideToUtf8(job.path));
    refreshControls();
    if (job.origin == LoadOrigin::LoadCommand) {
        wchar_t message[64];
        std::swprintf(message, 64, L"加载 %u 条", static_cast<unsigned>(count));
        showMessageBox(window_, message, L"提示", MB_OK | MB_ICONINFORMATION);
    }
    // A recording started from the box's loop has replaced the script and says so itself.
    if (currentActivity() == Activity::Idle) {
        setStatus(job.fileCount > 1 ? L"已加载脚本（只加载了第一个文件）" : L"已加载脚本");
    }
    refreshControls();
}
