#pragma once
// A per-user error log of the test process's own: LOCALAPPDATA points at a fresh folder while it
// lives, so a test can read back exactly the lines the program wrote.

#include <string>

class TestErrorLog {
public:
    TestErrorLog();
    ~TestErrorLog();
    TestErrorLog(const TestErrorLog&) = delete;
    TestErrorLog& operator=(const TestErrorLog&) = delete;

    const std::wstring& path() const { return path_; }
    // The whole file as it is on disk (byte-order mark and CR LF included); empty when missing.
    std::string bytes() const;
    // The lines written since the last call (or since the log was made), as one text.
    std::string newText();

private:
    std::wstring folder_;
    std::wstring path_;
    size_t seen_ = 0;
};
