#pragma once
// How the Player starts its playback thread. Tests replace it to see how the Player copes when
// the system has no thread to give (std::thread throws std::system_error then).

#include <functional>
#include <thread>

using PlaybackThreadLauncher = void (*)(std::thread& thread, std::function<void()> body);
extern PlaybackThreadLauncher launchPlaybackThread;
