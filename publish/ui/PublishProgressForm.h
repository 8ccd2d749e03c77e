// The progress window of one publish: a bar by bytes, the file on its way and
// Cancel. The transfer runs on a worker thread; questions about unknown hosts
// come back to this window's thread and are asked through the platform
// services.
#pragma once

#include "publish/Publisher.h"

#include <QDialog>

#include <atomic>
#include <optional>
#include <string>
#include <thread>

class QLabel;
class QProgressBar;
class QPushButton;

class TPublishProgressForm : public QDialog {
    Q_OBJECT
public:
    TPublishProgressForm(QWidget* owner, publish::Target target, std::string pageFolder);
    ~TPublishProgressForm() override;

    QProgressBar* ProgressBar = nullptr;
    QLabel* lblFile = nullptr;
    QPushButton* btnCancel = nullptr;

    void btnCancelClick();

    // After the window closed: the report, or the failure.
    std::optional<publish::Report> report;
    std::optional<publish::PublishError> error;

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override; // Escape and the close box cancel

private:
    void start();
    void showProgress(const publish::Progress& p);
    publish::Target target_;
    std::string pageFolder_;
    std::thread worker_;
    std::atomic<bool> cancelled_{false};
    bool started_ = false;
    bool done_ = false;
};
