// What a buyer would notice on the published page, listed before publishing:
// the wizard's Finish and "quillmere-compile --check" show it.
#pragma once

#include "SalesLetter.h"

#include <string>
#include <vector>

// One line per finding, each naming the wizard page and the field: an empty
// page title or description, a field still holding the wizard's sample text,
// an order headline or button without an order link, a web address that is
// not https://, a picture that is missing or no picture (relative names
// resolved against `baseFolder`, as the export does). Empty when clean.
std::vector<std::string> CheckPage(const TSalesLetter& letter, const std::string& baseFolder);

// The caption of the wizard page at tab index `page` ("Page Settings").
const char* WizardPageCaption(int page);

struct ExportPlan;

// Caption of Finish's confirmation.
inline constexpr const char* kFinishCaption = "Finish Sales Letter";

// The text of Finish's confirmation before the page is written to `target`:
// the findings of CheckPage, then each picture to copy into "images" with its
// size, then the question; "" when there is nothing to confirm.
std::string FinishConfirmation(const std::vector<std::string>& findings, const ExportPlan& plan,
                               const std::string& target);
