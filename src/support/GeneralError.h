#pragma once

#include <QString>

// The application's general error box, for errors that escape a handler: a
// stop icon, the error's message and one OK button. The program runs on.
void ShowGeneralError(const QString& message);

#include "support/Exception.h"

#include <exception>
#include <type_traits>
#include <utility>

// Wraps a handler for a Qt connection: an error it lets out reaches the
// general error box instead of the event loop.
template <class F> auto Guarded(F handler) {
    return [handler = std::move(handler)](auto&&... args) {
        try {
            // Signals with private tags (QTimer::timeout) reach argument-less handlers.
            if constexpr (std::is_invocable_v<const F&, decltype(args)...>)
                handler(std::forward<decltype(args)>(args)...);
            else
                handler();
        } catch (const std::exception& e) {
            ShowGeneralError(ExceptionMessage(e));
        }
    };
}
