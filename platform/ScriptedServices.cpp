#include "ScriptedServices.h"

namespace platform {
namespace {

template <typename T> bool take(std::deque<T>& queue, T& out) {
    if (queue.empty())
        return false;
    out = std::move(queue.front());
    queue.pop_front();
    return true;
}

} // namespace

Answer ScriptedServices::messageBox(const std::string& text, const std::string& caption, Icon icon,
                                    Buttons buttons) {
    messages.push_back({text, caption, icon, buttons});
    if (onMessage)
        onMessage(messages.back());
    Answer answer{};
    if (take(answers, answer))
        return answer;
    ++unscripted;
    return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
}

std::optional<std::string> ScriptedServices::inputQuery(const std::string& caption,
                                                        const std::string& prompt,
                                                        const std::string& preset) {
    inputRequests.push_back({caption, prompt, preset});
    std::optional<std::string> answer;
    if (take(inputs, answer))
        return answer;
    ++unscripted;
    return std::nullopt;
}

void ScriptedServices::showError(const std::string& text) {
    errors.push_back(text);
    if (onMessage)
        onMessage({text, "", Icon::Error, Buttons::Ok});
}

std::vector<std::string> ScriptedServices::openFiles(const FileDialogOptions& options) {
    openFileRequests.push_back(options);
    std::vector<std::string> answer;
    if (take(openFileAnswers, answer))
        return answer;
    ++unscripted;
    return {};
}

std::optional<std::string> ScriptedServices::saveFile(const FileDialogOptions& options) {
    saveFileRequests.push_back(options);
    std::optional<std::string> answer;
    if (take(saveFileAnswers, answer))
        return answer;
    ++unscripted;
    return std::nullopt;
}

std::optional<std::string> ScriptedServices::selectFolder(const std::string&,
                                                          const std::string& initialFolder, bool) {
    folderRequests.push_back(initialFolder);
    std::optional<std::string> answer;
    if (take(folderAnswers, answer))
        return answer;
    ++unscripted;
    return std::nullopt;
}

std::optional<std::uint32_t> ScriptedServices::chooseColor(std::uint32_t initial) {
    colorRequests.push_back(initial);
    std::optional<std::uint32_t> answer;
    if (take(colorAnswers, answer))
        return answer;
    ++unscripted;
    return std::nullopt;
}

void ScriptedServices::openDocument(const std::string& target) {
    openedDocuments.push_back(target);
}

void ScriptedServices::startProgram(const std::string& path, const std::vector<std::string>& args) {
    startedPrograms.push_back({path, args});
}

void ScriptedServices::playSound(const std::string& fileName) {
    soundsPlayed.push_back(fileName);
}

void ScriptedServices::minimizeApplication() {
    ++minimizeCount;
}

void ScriptedServices::processEvents() {
    ++processEventsCount;
}

} // namespace platform
