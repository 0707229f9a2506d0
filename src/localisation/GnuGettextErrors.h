#pragma once

#include "support/Exception.h"

// Errors of the translation service; each carries its message text.
namespace GnuGettext {

class EGnuGettext : public Exception {
public:
    using Exception::Exception;
};

// The API was misused.
class EGGProgrammingError : public EGnuGettext {
public:
    using EGnuGettext::EGnuGettext;
};

// A property of a window element could not be translated.
class EGGComponentError : public EGnuGettext {
public:
    using EGnuGettext::EGnuGettext;
};

// A catalogue could not be opened or is not an MO catalogue.
class EGGIOError : public EGnuGettext {
public:
    using EGnuGettext::EGnuGettext;
};

} // namespace GnuGettext
