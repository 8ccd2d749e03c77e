// The "Publish" window: where a project group's pages go (protocol, host,
// port, user, remote folder, public web address, password or key file), the
// button that publishes the page with a progress window, and "Save as ZIP…"
// for hosts whose only upload is a web panel. The target is kept per group in
// the data folder, the password in the desktop's key store.
#pragma once

#include "publish/Target.h"
#include "salesletter/SalesLetter.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <string>

class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

class TPublishForm : public QDialog {
    Q_OBJECT
public:
    // `group`: the project group whose target is shown and kept.
    // `letterSource`: the record to publish, asked for at each Publish or
    // Save as ZIP (nothing: the user cancelled).
    TPublishForm(QWidget* owner, std::string group,
                 std::function<std::optional<TSalesLetter>()> letterSource);

    // The target the fields describe (with the typed password).
    publish::Target TargetFromFields() const;

    QComboBox* cbProtocol = nullptr;
    QLineEdit* edHost = nullptr;
    QSpinBox* sePort = nullptr;
    QLineEdit* edUser = nullptr;
    QLineEdit* edFolder = nullptr;
    QLineEdit* edWebAddress = nullptr;
    QLineEdit* edPassword = nullptr;
    QLineEdit* edKeyFile = nullptr;
    QPushButton* btnKeyFile = nullptr;
    QPushButton* btnPublish = nullptr;
    QPushButton* btnSaveZip = nullptr;
    QPushButton* btnClose = nullptr;

    void btnPublishClick();
    void btnSaveZipClick();
    void btnKeyFileClick();
    void cbProtocolChange();

private:
    void ShowTarget(const publish::Target& target);
    std::string group_;
    std::function<std::optional<TSalesLetter>()> letterSource_;
};
