#include "base/atomic_file.h"

#include <cerrno>
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

FILE* createNewFile(const std::wstring& path, bool& alreadyExists)
{
    // _O_EXCL is CreateFileW's CREATE_NEW: the runtime's "x" mode of fopen is not in every C
    // runtime the program may run on, the descriptor calls are.
    const int descriptor = _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    // A folder of that name answers "access denied" rather than "exists".
    alreadyExists = descriptor < 0 && (errno == EEXIST || GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES);
    if (descriptor < 0) {
        return nullptr;
    }
    FILE* file = _fdopen(descriptor, "wb");
    if (file == nullptr) {
        _close(descriptor);
        DeleteFileW(path.c_str());
    }
    return file;
}

bool placeFile(const std::wstring& temporary, const std::wstring& target, FinalName mode, unsigned long& systemError)
{
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (mode == FinalName::Replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (MoveFileExW(temporary.c_str(), target.c_str(), flags)) {
        return true;
    }
    systemError = GetLastError();
    return false;
}

void removeFile(const std::wstring& path)
{
    DeleteFileW(path.c_str());
}

unsigned long lastSystemError()
{
    return GetLastError();
}

bool commitFile(FILE* file)
{
    return _commit(_fileno(file)) == 0;
}
