#include "settings/apply_settings.h"

#include "recorder/recorder.h"
#include "settings/user_settings.h"

void applyUserSettings(Recorder& recorder, const UserSettings& settings)
{
    recorder.setChords(hotkeyChordsOf(settings));
    recorder.setStopOnUserInput(settings.stopOnUserInput);
}
