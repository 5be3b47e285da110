#include "update/update_check.h"

// Stand-in until the update check exists: shows nothing and returns.
void CheckForUpdates(HWND owner)
{
    (void)owner;
}
