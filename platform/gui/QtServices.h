// The desktop services on Qt Widgets: the implementation the program installs
// at start (tests install ScriptedServices instead).
#pragma once

#include "../Services.h"

#include <QString>

class QWidget;

namespace platform {

class QtServices final : public Services {
public:
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
};

// Converts a filter of "Description (*.ext)|*.ext" pairs to Qt's ";;" form.
QString qtFilter(const std::string& filter);

// The window dialogs should be modal to: the active window, if any.
QWidget* dialogParent();

} // namespace platform
