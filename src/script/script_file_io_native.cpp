#include "script/script_file_io.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "base/text_encoding.h"

FILE* openScriptFile(const std::wstring& path, const wchar_t* mode)
{
    return std::fopen(wideToUtf8(path).c_str(), wideToUtf8(mode).c_str());
}

FILE* createNewScriptFile(const std::wstring& path, bool& alreadyExists)
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

bool replaceScriptFile(const std::wstring& source, const std::wstring& target)
{
    return std::rename(wideToUtf8(source).c_str(), wideToUtf8(target).c_str()) == 0;
}

void removeScriptFile(const std::wstring& path)
{
    std::remove(wideToUtf8(path).c_str());
}
