// The interactive and shell services the program asks of the desktop:
// message and input boxes, file, folder and colour dialogs, opening a page in
// the default browser, starting a program copy, sounds, minimising the whole
// application and processing pending events.
//
// Every caller goes through platform::services(). The program installs the
// Qt implementation (platform/gui); tests install ScriptedServices, which
// answers from queues filled in advance and records everything it was asked,
// so no test ever blocks on a modal box. When nothing is installed a headless
// fallback answers OK / No / Cancel and writes messages to standard error.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class Icon { None, Information, Warning, Error, Question };
enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

struct FileDialogOptions {
    std::string title;
    std::string filter;        // "Description (*.ext)|*.ext" pairs, '|' separated
    std::string initialFolder; // empty: the dialog's own choice
    std::string fileName;      // preset name, may be empty
    bool multiSelect = false;  // open dialogs only
    bool showHidden = false;
};

class Services {
public:
    virtual ~Services() = default;

    // Modal message box; returns the button pressed (Ok for an OK box).
    virtual Answer messageBox(const std::string& text, const std::string& caption, Icon icon,
                              Buttons buttons) = 0;

    // Input dialog with OK / Cancel. Returns the typed text on OK, nothing on Cancel.
    virtual std::optional<std::string> inputQuery(const std::string& caption,
                                                  const std::string& prompt,
                                                  const std::string& preset) = 0;

    // The application's standard error report: a message box with the error's text.
    virtual void showError(const std::string& text) = 0;

    // File dialogs: chosen full paths; empty / nothing on Cancel.
    virtual std::vector<std::string> openFiles(const FileDialogOptions& options) = 0;
    virtual std::optional<std::string> saveFile(const FileDialogOptions& options) = 0;
    virtual std::optional<std::string>
    selectFolder(const std::string& title, const std::string& initialFolder, bool showHidden) = 0;

    // Colour dialog, opened on `initial`. Colours use the Windows layout:
    // red in the lowest byte, then green, then blue, top byte 0.
    virtual std::optional<std::uint32_t> chooseColor(std::uint32_t initial) = 0;

    // Shell "open": show a file or web address in the user's default browser.
    // Does not wait and does not report whether it worked.
    virtual void openDocument(const std::string& target) = 0;

    // Shell "open" of a program copy with its arguments; does not wait.
    virtual void startProgram(const std::string& path, const std::vector<std::string>& args) = 0;

    // Play a wave file without waiting for it. Never called with an empty name.
    virtual void playSound(const std::string& fileName) = 0;

    // Minimise every window of the program to its task bar button.
    virtual void minimizeApplication() = 0;

    // Let the user interface handle pending events (long loops call this).
    virtual void processEvents() = 0;
};

// The installed services; never null (a headless fallback when none is installed).
Services& services();

// Installs `s` (not owned) and returns the previously installed one; nullptr
// restores the headless fallback.
Services* setServices(Services* s);

// Installs services for the lifetime of the object, restoring the previous ones after.
class ScopedServices {
public:
    explicit ScopedServices(Services& s) : previous_(setServices(&s)) {}
    ~ScopedServices() { setServices(previous_); }
    ScopedServices(const ScopedServices&) = delete;
    ScopedServices& operator=(const ScopedServices&) = delete;

private:
    Services* previous_;
};

// Shorthands used throughout the program.
inline Answer messageBox(const std::string& text, const std::string& caption, Icon icon,
                         Buttons buttons) {
    return services().messageBox(text, caption, icon, buttons);
}
inline void showError(const std::string& text) {
    services().showError(text);
}
inline void processEvents() {
    services().processEvents();
}

// InputBox: like inputQuery, but Cancel gives the preset text.
std::string inputBox(const std::string& caption, const std::string& prompt,
                     const std::string& preset);

} // namespace platform
