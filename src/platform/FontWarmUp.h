#pragma once

#include <thread>

// Loads the system's font configuration on a thread of its own while the
// application connects to the display, so that the first window's texts do
// not wait for it. The configuration is the one Qt then uses (the library's
// process-wide default); where the library is not in the process nothing is
// done. The thread is joined when this object goes.
class FontWarmUp {
public:
    FontWarmUp();
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

    // Whether the configuration is being or has been loaded here.
    bool Started() const { return FThread.joinable(); }

private:
    std::thread FThread;
};
