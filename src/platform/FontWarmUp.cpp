#include "platform/FontWarmUp.h"

#include <dlfcn.h>

FontWarmUp::FontWarmUp() {
    // Looked up rather than linked: the font library comes with Qt's own
    // libraries, and a build without it simply skips the warm-up. Loading the
    // default configuration is safe to race with Qt's own first use: the
    // library installs the first one made.
    using InitFunction = int (*)();
    if (auto init = reinterpret_cast<InitFunction>(dlsym(RTLD_DEFAULT, "FcInit")))
        FThread = std::thread([init] { init(); });
}

FontWarmUp::~FontWarmUp() {
    if (FThread.joinable())
        FThread.join();
}
