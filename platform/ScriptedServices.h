// A stand-in for the desktop services that answers from queues filled in
// advance and records every request, for tests and batch tools.
//
// When a queue is empty the stand-in answers as a user who cancels would:
// No for questions, OK for OK boxes, Cancel for every dialog. Each such
// unscripted answer is counted in `unscripted` so tests can insist on full scripts.
#pragma once

#include "Services.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace platform {

class ScriptedServices : public Services {
public:
    struct Message {
        std::string text;
        std::string caption;
        Icon icon;
        Buttons buttons;
    };
    struct Input {
        std::string caption;
        std::string prompt;
        std::string preset;
    };
    struct Started {
        std::string path;
        std::vector<std::string> args;
    };

    // Answers, consumed front first.
    std::deque<Answer> answers;
    std::deque<std::optional<std::string>> inputs;
    std::deque<std::vector<std::string>> openFileAnswers;
    std::deque<std::optional<std::string>> saveFileAnswers;
    std::deque<std::optional<std::string>> folderAnswers;
    std::deque<std::optional<std::uint32_t>> colorAnswers;

    // What was asked and done, in order.
    std::vector<Message> messages;
    std::vector<Input> inputRequests;
    std::vector<std::string> errors;
    std::vector<FileDialogOptions> openFileRequests;
    std::vector<FileDialogOptions> saveFileRequests;
    std::vector<std::string> folderRequests;  // initial folders
    std::vector<std::uint32_t> colorRequests; // initial colours
    std::vector<std::string> openedDocuments;
    std::vector<Started> startedPrograms;
    std::vector<std::string> soundsPlayed;
    int minimizeCount = 0;
    long processEventsCount = 0;
    int unscripted = 0;

    Answer messageBox(const std::string& text, const std::string& caption, Icon icon,
                      Buttons buttons) override;
    std::optional<std::string> inputQuery(const std::string& caption, const std::string& prompt,
                                          const std::string& preset) override;
    void showError(const std::string& text) override;
    std::vector<std::string> openFiles(const FileDialogOptions& options) override;
    std::optional<std::string> saveFile(const FileDialogOptions& options) override;
    std::optional<std::string> selectFolder(const std::string& title,
                                            const std::string& initialFolder,
                                            bool showHidden) override;
    std::optional<std::uint32_t> chooseColor(std::uint32_t initial) override;
    void openDocument(const std::string& target) override;
    void startProgram(const std::string& path, const std::vector<std::string>& args) override;
    void playSound(const std::string& fileName) override;
    void minimizeApplication() override;
    void processEvents() override;

    // Called from messageBox/showError after recording, e.g. to close a window
    // from inside a modal question. Optional.
    std::function<void(const Message&)> onMessage;
};

} // namespace platform
