#include "MainForm.h"

#include <map>

TMainForm* MainForm = nullptr;

namespace {
std::map<TMainForm::Module, TMainForm::ModuleFactory>& factories() {
    static std::map<TMainForm::Module, TMainForm::ModuleFactory> f;
    return f;
}
} // namespace

TMainForm::TMainForm(QWidget* parent) : QWidget(parent) {
    MainForm = this;
    setWindowTitle("MainForm");
    resize(752, 552);
}

void TMainForm::setModuleFactory(Module module, ModuleFactory factory) {
    factories()[module] = std::move(factory);
}
