#include "update/update_seams.h"

#include <shellapi.h>

#include "update/download_job.h"
#include "update/signature_verify.h"

UpdateSystemSeam updateSystemSeam = {&ShellExecuteW, &sha256FileHex, &verifyReleaseSignature};
DWORD checkDeadlineSeam = 30000;
