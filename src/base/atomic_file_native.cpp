#include "base/atomic_file.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "base/text_encoding.h"

FILE* createNewFile(const std::wstring& path, bool& alreadyExists)
{
    const std::string name = wideToUtf8(path);
    const int descriptor = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    alreadyExists = descriptor < 0 && errno == EEXIST;
    if (descriptor < 0) {
        return nullptr;
    }
    FILE* file = ::fdopen(descriptor, "wb");
    if (file == nullptr) {
        ::close(descriptor);
        std::remove(name.c_str());
    }
    return file;
}

bool placeFile(const std::wstring& temporary, const std::wstring& target, FinalName mode, unsigned long& systemError)
{
    const std::string from = wideToUtf8(temporary);
    const std::string to = wideToUtf8(target);
    if (mode == FinalName::Replace) {
        if (std::rename(from.c_str(), to.c_str()) == 0) {
            return true;
        }
    } else if (::link(from.c_str(), to.c_str()) == 0) {
        // A hard link fails on an existing name; the temporary name then goes.
        ::unlink(from.c_str());
        return true;
    }
    systemError = static_cast<unsigned long>(errno);
    return false;
}

void removeFile(const std::wstring& path)
{
    std::remove(wideToUtf8(path).c_str());
}

unsigned long lastSystemError()
{
    return static_cast<unsigned long>(errno);
}

bool commitFile(FILE*)
{
    // The native build serves tests and benchmarks only; the program's saves commit on Windows.
    return true;
}
