// The one error boundary of the windows. Qt does not let an exception leave
// a slot, so every handler a window connects runs through connectGuarded:
// an error that escapes the handler is shown with the platform's error
// report, ends only that command, and the window stays open and usable.
#pragma once

#include <exception>
#include <QObject>
#include <type_traits>
#include <utility>

namespace platform {

// Shows the error report for a failed command; never throws.
void reportFailure(std::exception_ptr error) noexcept;

// Runs a handler inside the boundary.
template <class Handler> void guarded(Handler&& handler) noexcept {
    try {
        std::forward<Handler>(handler)();
    } catch (...) {
        reportFailure(std::current_exception());
    }
}

namespace detail {

template <class Receiver, class Owner, class R, class... Args>
auto guardedMethod(Receiver* receiver, R (Owner::*method)(Args...)) {
    return [receiver, method](Args... args) {
        guarded([&] { (receiver->*method)(std::forward<Args>(args)...); });
    };
}

template <class Functor, class Owner, class R, class... Args>
auto guardedFunctor(Functor functor, R (Owner::*)(Args...) const) {
    return [functor](Args... args) { guarded([&] { functor(std::forward<Args>(args)...); }); };
}

} // namespace detail

// QObject::connect(sender, signal, receiver, handler) with the handler run
// guarded. The handler is a member function of the receiver or a lambda; it
// takes the signal's first arguments, as with QObject::connect.
template <class Sender, class Signal, class Receiver, class Handler>
QMetaObject::Connection connectGuarded(Sender* sender, Signal signal, Receiver* receiver,
                                       Handler handler) {
    if constexpr (std::is_member_function_pointer_v<Handler>)
        return QObject::connect(sender, signal, receiver, detail::guardedMethod(receiver, handler));
    else
        return QObject::connect(sender, signal, receiver,
                                detail::guardedFunctor(std::move(handler), &Handler::operator()));
}

} // namespace platform
