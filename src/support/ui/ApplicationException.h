#pragma once
// The application-wide handler for errors that escape a command or event
// handler: an error box with the error's message, then the program runs on.
//
// Exceptions must not unwind through Qt's event loop.  Slots that can fail
// are connected through Guarded(); the application object catches whatever
// still reaches QApplication::notify.
#include <exception>
#include <utility>

// Shows the error box for the exception currently handled or given.
void ApplicationException(std::exception_ptr error);
void ApplicationException(const std::exception& error);

namespace qb {

// Runs `handler` and hands any exception to ApplicationException.
template <class Handler> void RunGuarded(Handler&& handler) noexcept {
    try {
        std::forward<Handler>(handler)();
    } catch (...) {
        ApplicationException(std::current_exception());
    }
}

// Wraps a slot without arguments:
//   connect(button, &QAbstractButton::clicked, this, Guarded([this] { Foo(); }));
// Slots that take the signal's arguments call RunGuarded themselves.
template <class Handler> auto Guarded(Handler handler) {
    return [handler = std::move(handler)]() noexcept { RunGuarded(handler); };
}

} // namespace qb
