// Runs a window's handler and turns an error that escapes it into the
// application's standard error report, so the command stops and the program
// goes on.
#pragma once

#include "platform/Services.h"

#include <exception>

namespace workspace {

template <class Handler> void guarded(Handler&& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        platform::showError(e.what());
    }
}

} // namespace workspace
