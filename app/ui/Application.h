// The application object: the standard error report for every event handler.
#pragma once

#include <QApplication>

#include <exception>

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    // Delivers the event; an error escaping its handler is shown in a message
    // box with the error's text, and the program goes on.
    bool notify(QObject* receiver, QEvent* event) override;

    // The standard error report of one escaped error.
    static void ShowException(std::exception_ptr error);
};
