// At the start of the session's window: the unsaved events of an instance that ended without
// closing (a crash, a kill, a power cut) are offered back, then this instance journals its own.
#include "ui/main_window.h"

#include <cwchar>

#include "base/error_log.h"
#include "base/message_box.h"
#include "recovery/journal_folder_win.h"
#include "recovery/journal_records.h"

void MainWindow::recoverUnsavedWork()
{
    const std::wstring folder = recoveryFolder();
    journal_.enable(folder, newJournalStem());
    // Newest first. After a 是 the others wait for the next start: one script is shown at a time.
    for (const OrphanJournal& orphan : findOrphanJournals(folder)) {
        std::string bytes;
        if (!readJournalBytes(orphan.path, bytes)) {
            continue;
        }
        JournalReading reading = readJournal(bytes);
        if (reading.end != JournalEnd::Clean) {
            ErrorLog::write(L"[恢复] 恢复日志在第 %u 字节后不完整，之前的 %u 条事件已找回：%ls",
                            static_cast<unsigned>(reading.goodBytes),
                            static_cast<unsigned>(reading.contents.events.size()), orphan.path.c_str());
        }
        const size_t count = reading.contents.events.size();
        if (count == 0) {
            discardJournal(folder, orphan);  // nothing to ask about; kept with the discarded ones
            continue;
        }
        wchar_t question[96];
        std::swprintf(question, 96, L"上次未保存的 %u 条事件已找回。是否恢复？", static_cast<unsigned>(count));
        if (showMessageBox(window_, question, L"确认", MB_YESNO | MB_ICONQUESTION) != IDYES) {
            discardJournal(folder, orphan);
            continue;
        }
        // The box let hotkeys through: a recording may have started meanwhile. The journal then
        // stays for the next start.
        if (!mayRun(WindowCommand::Load)) {
            break;
        }
        document_.restoreUnsaved(std::move(reading.contents), std::move(reading.sourceFile));
        showScriptRows(true);
        journal_.adoptRecovered(orphan.path);
        wchar_t status[64];
        std::swprintf(status, 64, L"已恢复 %u 条未保存的事件", static_cast<unsigned>(count));
        setStatus(status);
        break;
    }
    refreshControls();
}
