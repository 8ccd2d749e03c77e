// Where the Publish window is reached: the wizard's last page, beside Finish,
// publishing the record as the pages hold it; Manage Projects, for the
// selected group.
#include "platform/DataFolder.h"
#include "platform/FileSystem.h"
#include "platform/ScriptedServices.h"
#include "publish/ui/PublishForm.h"
#include "salesletter/ui/CreateSaleslettersForm.h"
#include "salesletter/ui/PageControl.h"
#include "tests/support/TempDir.h"
#include "workspace/ui/ManageProjectsForm.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdlib>

namespace {

class PublishEntry : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setProgramPathForTesting(dir.path() + "/quillmere");
        platform::setDataFolderForTesting(dir.folder());
    }
    void TearDown() override {
        platform::setDataFolderForTesting("");
        platform::setProgramPathForTesting("");
    }

    platform::ScriptedServices services;
    platform::ScopedServices scoped{services};
    testsupport::TempDir dir;
};

} // namespace

TEST_F(PublishEntry, TheWizardsLastPageOpensItBesideFinish) {
    TCreateSaleslettersForm form;
    ASSERT_NE(form.btnPublish, nullptr);
    EXPECT_EQ(form.btnPublish->text(), "Publish…");
    EXPECT_EQ(form.btnPublish->parentWidget(), form.btnFinish->parentWidget());
    if (const char* folder = std::getenv("QM_SHOT_DIR")) { // a look under Xvfb
        form.show();
        for (int i = 0; i < form.PageControl->PageCount(); ++i)
            if (form.PageControl->Page(i)->isAncestorOf(form.btnFinish))
                form.PageControl->SetActivePageIndex(i);
        QApplication::processEvents();
        form.grab().save(QString(folder) + "/i25-wizard-last-page.png");
    }
    QString title;
    QTimer::singleShot(0, [&] {
        if (auto* w = qobject_cast<TPublishForm*>(QApplication::activeModalWidget())) {
            title = w->windowTitle();
            w->accept();
        }
    });
    form.btnPublish->click();
    EXPECT_EQ(title, "Publish - Default"); // no group chosen yet
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(PublishEntry, ManageProjectsAsksForAGroupFirst) {
    TManageProjectsForm form(nullptr);
    ASSERT_NE(form.btnPublish, nullptr);
    if (const char* folder = std::getenv("QM_SHOT_DIR")) {
        form.show();
        QApplication::processEvents();
        form.grab().save(QString(folder) + "/i25-manage-projects.png");
    }
    form.btnPublish->click();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].caption, "Warning");
}
