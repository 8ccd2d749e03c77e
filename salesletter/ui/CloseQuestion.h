// The question asked before the wizard closes, from the "Main Menu" tab, the
// close box or "&Exit": the changes to the current sales letter are lost.
#pragma once

#include "platform/Services.h"

// Whether the user answered Yes.
inline bool ConfirmClose() {
    return platform::messageBox("Are you sure you want to exit the salespage creator and lose "
                                "the changes in the current salesletter?",
                                "Confirm Close", platform::Icon::Question,
                                platform::Buttons::YesNo) == platform::Answer::Yes;
}
