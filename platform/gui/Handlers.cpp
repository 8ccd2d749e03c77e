#include "Handlers.h"

#include "../Services.h"

namespace platform {

void reportFailure(std::exception_ptr error) noexcept {
    try {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            showError(e.what());
        } catch (...) {
            showError("Unknown error");
        }
    } catch (...) {
        // The report itself failed (no memory left for the box): the
        // command has ended either way.
    }
}

} // namespace platform
