#include "Services.h"

#include <cstdio>

namespace platform {
namespace {

// Used when no services are installed (command-line tools, early start-up):
// messages go to standard error and every question is answered as cancelled.
class HeadlessServices final : public Services {
public:
    Answer messageBox(const std::string& text, const std::string& caption, Icon,
                      Buttons buttons) override {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
    std::optional<std::string> inputQuery(const std::string&, const std::string&,
                                          const std::string&) override {
        return std::nullopt;
    }
    void showError(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    std::vector<std::string> openFiles(const FileDialogOptions&) override { return {}; }
    std::optional<std::string> saveFile(const FileDialogOptions&) override { return std::nullopt; }
    std::optional<std::string> selectFolder(const std::string&, const std::string&, bool) override {
        return std::nullopt;
    }
    std::optional<std::uint32_t> chooseColor(std::uint32_t) override { return std::nullopt; }
    void openDocument(const std::string&) override {}
    void startProgram(const std::string&, const std::vector<std::string>&) override {}
    void playSound(const std::string&) override {}
    void minimizeApplication() override {}
    void processEvents() override {}
};

HeadlessServices headless;
Services* installed = nullptr;

} // namespace

Services& services() {
    return installed ? *installed : headless;
}

Services* setServices(Services* s) {
    Services* previous = installed;
    installed = s;
    return previous;
}

std::string inputBox(const std::string& caption, const std::string& prompt,
                     const std::string& preset) {
    auto answer = services().inputQuery(caption, prompt, preset);
    return answer ? *answer : preset;
}

} // namespace platform
