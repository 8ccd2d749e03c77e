#include "QtServices.h"

#include "Text.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <QWidget>

namespace platform {

QWidget* dialogParent() {
    return QApplication::activeWindow();
}

QString qtFilter(const std::string& filter) {
    // "All Files (*.*)|*.*" -> "All Files (*)"; the descriptions already name
    // their patterns, so only every other part is kept.
    QStringList parts = toQ(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        patterns.replace("*.*", "*");
        out << parts[i].section('(', 0, 0).trimmed() + " (" + patterns + ")";
    }
    return out.join(";;");
}

Answer QtServices::messageBox(const std::string& text, const std::string& caption, Icon icon,
                              Buttons buttons) {
    QMessageBox box(dialogParent());
    box.setWindowTitle(toQ(caption));
    box.setText(toQ(text));
    switch (icon) {
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::None:
        break;
    }
    if (buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return Answer::Ok;
}

std::optional<std::string> QtServices::inputQuery(const std::string& caption,
                                                  const std::string& prompt,
                                                  const std::string& preset) {
    bool ok = false;
    QString answer = QInputDialog::getText(dialogParent(), toQ(caption), toQ(prompt),
                                           QLineEdit::Normal, toQ(preset), &ok);
    if (!ok)
        return std::nullopt;
    return fromQ(answer);
}

void QtServices::showError(const std::string& text) {
    QMessageBox box(dialogParent());
    box.setWindowTitle(QApplication::applicationDisplayName());
    box.setIcon(QMessageBox::Critical);
    box.setText(toQ(text));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

namespace {

void prepare(QFileDialog& dialog, const FileDialogOptions& options) {
    dialog.setWindowTitle(toQ(options.title));
    dialog.setNameFilter(qtFilter(options.filter));
    if (!options.initialFolder.empty())
        dialog.setDirectory(toQ(options.initialFolder));
    if (!options.fileName.empty())
        dialog.selectFile(toQ(options.fileName));
    if (options.showHidden)
        dialog.setFilter(dialog.filter() | QDir::Hidden | QDir::System);
}

} // namespace

std::vector<std::string> QtServices::openFiles(const FileDialogOptions& options) {
    QFileDialog dialog(dialogParent());
    prepare(dialog, options);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(options.multiSelect ? QFileDialog::ExistingFiles
                                           : QFileDialog::ExistingFile);
    std::vector<std::string> out;
    if (dialog.exec() == QDialog::Accepted)
        for (const QString& f : dialog.selectedFiles())
            out.push_back(fromQ(QDir::toNativeSeparators(f)));
    return out;
}

std::optional<std::string> QtServices::saveFile(const FileDialogOptions& options) {
    QFileDialog dialog(dialogParent());
    prepare(dialog, options);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return fromQ(QDir::toNativeSeparators(dialog.selectedFiles().first()));
}

std::optional<std::string> QtServices::selectFolder(const std::string& title,
                                                    const std::string& initialFolder,
                                                    bool showHidden) {
    QFileDialog dialog(dialogParent());
    dialog.setWindowTitle(toQ(title));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (!initialFolder.empty())
        dialog.setDirectory(toQ(initialFolder));
    if (showHidden)
        dialog.setFilter(dialog.filter() | QDir::Hidden | QDir::System);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return fromQ(QDir::toNativeSeparators(dialog.selectedFiles().first()));
}

std::optional<std::uint32_t> QtServices::chooseColor(std::uint32_t initial) {
    QColor start(initial & 0xFF, (initial >> 8) & 0xFF, (initial >> 16) & 0xFF);
    QColor c = QColorDialog::getColor(start, dialogParent());
    if (!c.isValid())
        return std::nullopt;
    return static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8) |
           (static_cast<std::uint32_t>(c.blue()) << 16);
}

void QtServices::openDocument(const std::string& target) {
    QString t = toQ(target);
    QUrl url;
    if (QFileInfo::exists(t))
        url = QUrl::fromLocalFile(QFileInfo(t).absoluteFilePath());
    else
        url = QUrl::fromUserInput(t);
    QDesktopServices::openUrl(url);
}

void QtServices::startProgram(const std::string& path, const std::vector<std::string>& args) {
    QStringList list;
    for (const auto& a : args)
        list << toQ(a);
    QProcess::startDetached(toQ(path), list);
}

void QtServices::playSound(const std::string& fileName) {
    // No sound library is linked; hand the wave file to the system's player.
    QString player = QStandardPaths::findExecutable("aplay");
    if (!player.isEmpty())
        QProcess::startDetached(player, {"-q", toQ(fileName)});
}

void QtServices::minimizeApplication() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            w->showMinimized();
}

void QtServices::processEvents() {
    // Long loops (loading or saving a large INI file) call this once per line.
    // Handing control to the event loop costs microseconds each time, so it
    // happens at most every 10 ms: the window keeps painting and answering
    // while a million-line loop is not slowed down by a million event passes.
    // The user's clicks and keys wait until the loop has ended: delivered
    // now, a second click could start a second write inside the first.
    static QElapsedTimer sinceLast;
    if (sinceLast.isValid() && sinceLast.elapsed() < 10)
        return;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    // The input held back is delivered by the event loop's next pass; wake
    // it, or the input would wait for the next event from elsewhere.
    if (QAbstractEventDispatcher* dispatcher = QCoreApplication::eventDispatcher())
        dispatcher->wakeUp();
    sinceLast.start();
}

} // namespace platform
