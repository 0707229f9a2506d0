#pragma once

#include <QtGlobal>

#include <cstdlib>
#include <string_view>

// Ends the run as a crash when a property of the runtime does not hold.
inline void Check(bool ok) {
    if (!ok)
        std::abort();
}

// Reads every byte of s, so that a view pointing outside the catalogue is caught.
inline unsigned Touch(std::string_view s) {
    unsigned h = 0;
    for (char c : s)
        h = h * 31 + uchar(c);
    return h;
}
