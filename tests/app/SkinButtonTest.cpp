#include "app/ui/SkinButton.h"
#include "platform/ScriptedServices.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QMouseEvent>

#include <memory>
#include <stdexcept>
#include <vector>

namespace {

using Image = TSkinButton::Image;

QImage solid(int w, int h, QColor c) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

void mouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
           Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
void press(QWidget* w, QPoint pos, Qt::MouseButton b = Qt::LeftButton) {
    mouse(w, QEvent::MouseButtonPress, pos, b, b);
}
void release(QWidget* w, QPoint pos, Qt::MouseButton b = Qt::LeftButton) {
    mouse(w, QEvent::MouseButtonRelease, pos, b, Qt::NoButton);
}
void dragTo(QWidget* w, QPoint pos) {
    mouse(w, QEvent::MouseMove, pos, Qt::NoButton, Qt::LeftButton);
}
void enter(QWidget* w) {
    QEnterEvent e(QPointF(1, 1), QPointF(1, 1), QPointF(w->mapToGlobal(QPoint(1, 1))));
    QApplication::sendEvent(w, &e);
}
void leave(QWidget* w) {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}

// A button of 40 x 30 with four distinct images on a shown parent, with its
// events recorded.
class SkinButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent.resize(200, 200);
        button = new TSkinButton(&parent);
        button->move(10, 10);
        button->SetDefaultBitmap(solid(40, 30, Qt::darkBlue));
        button->SetHighlightBitmap(solid(40, 30, Qt::blue));
        button->SetPressedBitmap(solid(40, 30, Qt::darkGreen));
        button->SetDownBitmap(solid(40, 30, Qt::yellow));
        button->OnClick = [this](QObject* s) {
            events.push_back("click");
            EXPECT_EQ(s, button);
        };
        button->OnMouseEnter = [this](QObject*) { events.push_back("enter"); };
        button->OnMouseLeave = [this](QObject*) { events.push_back("leave"); };
        parent.show();
    }

    platform::ScriptedServices services;
    platform::ScopedServices scoped{services};
    QWidget parent;
    TSkinButton* button = nullptr;
    std::vector<std::string> events;
};

TEST(SkinButtonDefaults, NewButtonIsBlankHundredSquareWithTheDocumentedProperties) {
    TSkinButton b;
    EXPECT_TRUE(b.AutoSize());
    EXPECT_FALSE(b.Transparent());
    EXPECT_EQ(b.TransparentColor(), QColor(255, 255, 255));
    EXPECT_FALSE(b.Down());
    EXPECT_FALSE(b.Pressed());
    EXPECT_TRUE(b.SoundClick.empty());
    EXPECT_TRUE(b.SoundMouseOver.empty());
    EXPECT_EQ(b.size(), QSize(100, 100));
    for (const QImage* img :
         {&b.DefaultBitmap(), &b.HighlightBitmap(), &b.PressedBitmap(), &b.DownBitmap()})
        EXPECT_EQ(img->size(), QSize(100, 100));
    EXPECT_EQ(b.ShownImage(), Image::Default);

    // The button keeps its own copy of an image it is given.
    QImage source = solid(8, 8, Qt::red);
    b.SetDefaultBitmap(source);
    source.fill(Qt::green);
    EXPECT_EQ(b.DefaultBitmap().pixelColor(0, 0), QColor(Qt::red));
}

TEST(SkinButtonDefaults, AutoSizeFollowsTheDefaultImageAndUndoesManualSizes) {
    TSkinButton b;
    b.SetDefaultBitmap(solid(30, 20, Qt::red));
    EXPECT_EQ(b.size(), QSize(30, 20));
    b.SetHighlightBitmap(solid(70, 70, Qt::red)); // only the default image sizes the button
    EXPECT_EQ(b.size(), QSize(30, 20));
    b.resize(55, 44);
    b.Repaint();
    EXPECT_EQ(b.size(), QSize(30, 20));

    b.SetAutoSize(false);
    b.resize(55, 44);
    b.SetDefaultBitmap(solid(12, 12, Qt::red));
    b.Repaint();
    EXPECT_EQ(b.size(), QSize(55, 44));
    b.SetAutoSize(true);
    EXPECT_EQ(b.size(), QSize(12, 12));
}

TEST_F(SkinButtonTest, EachEventShowsTheImageOfTheStateTable) {
    enter(button);
    EXPECT_EQ(button->ShownImage(), Image::Highlight);
    press(button, {5, 5});
    EXPECT_EQ(button->ShownImage(), Image::Pressed);
    EXPECT_TRUE(button->Pressed());
    release(button, {5, 5});
    EXPECT_EQ(button->ShownImage(), Image::Highlight);
    EXPECT_FALSE(button->Pressed());
    leave(button);
    EXPECT_EQ(button->ShownImage(), Image::Default);
    EXPECT_EQ(events, (std::vector<std::string>{"enter", "click", "leave"}));

    enter(button);
    button->Repaint();
    EXPECT_EQ(button->ShownImage(), Image::Default);
}

TEST_F(SkinButtonTest, TheShownImageIsWhatIsPainted) {
    auto painted = [&] { return parent.grab().toImage().pixelColor(12, 12); };
    EXPECT_EQ(painted(), QColor(Qt::darkBlue));
    enter(button);
    EXPECT_EQ(painted(), QColor(Qt::blue));
    press(button, {5, 5});
    EXPECT_EQ(painted(), QColor(Qt::darkGreen));
    button->SetDown(true);
    button->Repaint();
    EXPECT_EQ(painted(), QColor(Qt::yellow));
}

TEST_F(SkinButtonTest, DownShowsOnlyAtTheNextRepaintOrLeave) {
    button->SetDown(true);
    EXPECT_EQ(button->ShownImage(), Image::Default);
    button->Repaint();
    EXPECT_EQ(button->ShownImage(), Image::Down);

    // While down, entering, clicking and releasing still show highlight or default.
    enter(button);
    EXPECT_EQ(button->ShownImage(), Image::Highlight);
    press(button, {5, 5});
    release(button, {5, 5});
    EXPECT_EQ(button->ShownImage(), Image::Highlight);
    press(button, {5, 5});
    release(button, {80, 5});
    EXPECT_EQ(button->ShownImage(), Image::Default);
    enter(button);
    leave(button);
    EXPECT_EQ(button->ShownImage(), Image::Down);

    button->SetDown(false);
    EXPECT_EQ(button->ShownImage(), Image::Down);
    enter(button);
    leave(button);
    EXPECT_EQ(button->ShownImage(), Image::Default);
}

TEST_F(SkinButtonTest, PressedSurvivesLeavingAndShowsAgainOnReentry) {
    enter(button);
    press(button, {5, 5});
    dragTo(button, {60, 5});
    EXPECT_EQ(button->ShownImage(), Image::Default);
    EXPECT_TRUE(button->Pressed());
    dragTo(button, {6, 6});
    EXPECT_EQ(button->ShownImage(), Image::Pressed);
    release(button, {6, 6});
    EXPECT_EQ(button->ShownImage(), Image::Highlight);
    EXPECT_EQ(events, (std::vector<std::string>{"enter", "leave", "enter", "click"}));
}

TEST_F(SkinButtonTest, ReleasingOutsideShowsDefaultAndRaisesNoClick) {
    enter(button);
    press(button, {5, 5});
    dragTo(button, {60, 50});
    release(button, {60, 50});
    EXPECT_EQ(button->ShownImage(), Image::Default);
    EXPECT_FALSE(button->Pressed());
    EXPECT_EQ(events, (std::vector<std::string>{"enter", "leave"}));
}

TEST_F(SkinButtonTest, RightAndBottomEdgesCountForTheReleaseButNotForTheClick) {
    press(button, {5, 5});
    release(button, {40, 30}); // the corner just outside the click rectangle
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(button->ShownImage(), Image::Highlight);
    press(button, {5, 5});
    release(button, {39, 29});
    EXPECT_EQ(events, (std::vector<std::string>{"click"}));
}

TEST_F(SkinButtonTest, RightAndMiddleButtonsChangeNothing) {
    enter(button);
    events.clear();
    for (Qt::MouseButton b : {Qt::RightButton, Qt::MiddleButton}) {
        press(button, {5, 5}, b);
        EXPECT_EQ(button->ShownImage(), Image::Highlight);
        EXPECT_FALSE(button->Pressed());
        release(button, {5, 5}, b);
        EXPECT_EQ(button->ShownImage(), Image::Highlight);
    }
    EXPECT_TRUE(events.empty());
}

TEST_F(SkinButtonTest, ClickIsHandledBeforeTheRelease) {
    // The click handler sees the highlight already drawn and Pressed cleared;
    // when it ran a window (the menu hidden and shown again), the release
    // handling afterwards draws for where the pointer is then.
    button->OnClick = [this](QObject*) {
        events.push_back("click");
        EXPECT_EQ(button->ShownImage(), Image::Highlight);
        EXPECT_FALSE(button->Pressed());
        parent.hide();
        QCursor::setPos(parent.mapToGlobal(QPoint(150, 150)));
        parent.show();
        EXPECT_EQ(button->ShownImage(), Image::Default);
    };
    press(button, {5, 5});
    release(button, {5, 5});
    EXPECT_EQ(events, (std::vector<std::string>{"click"}));
    EXPECT_EQ(button->ShownImage(), Image::Default);
}

TEST_F(SkinButtonTest, AFailingClickHandlerIsReportedAndTheButtonStaysUsable) {
    button->OnClick = [](QObject*) { throw std::runtime_error("List index out of bounds (3)"); };
    press(button, {5, 5});
    release(button, {5, 5});
    EXPECT_EQ(services.errors, (std::vector<std::string>{"List index out of bounds (3)"}));
    EXPECT_FALSE(button->Pressed());
    EXPECT_EQ(button->ShownImage(), Image::Highlight);
    press(button, {5, 5});
    EXPECT_EQ(button->ShownImage(), Image::Pressed);
}

TEST_F(SkinButtonTest, SoundsPlayOnlyWhenNamed) {
    enter(button);
    press(button, {5, 5});
    release(button, {5, 5});
    leave(button);
    EXPECT_TRUE(services.soundsPlayed.empty());

    button->SoundMouseOver = "over.wav";
    button->SoundClick = "click.wav";
    button->OnClick = [this](QObject*) {
        // The sound was started before the click handler and is not waited for.
        EXPECT_EQ(services.soundsPlayed.back(), "click.wav");
    };
    enter(button);
    press(button, {5, 5});
    release(button, {5, 5});
    EXPECT_EQ(services.soundsPlayed, (std::vector<std::string>{"over.wav", "click.wav"}));
}

TEST_F(SkinButtonTest, TransparentLeavesExactlyTheKeyColourUnpainted) {
    parent.setAutoFillBackground(true);
    QPalette pal = parent.palette();
    pal.setColor(QPalette::Window, QColor(200, 20, 20));
    parent.setPalette(pal);

    // Left half pure white, right half near-white, one light grey pixel.
    QImage img = solid(40, 30, QColor(255, 255, 255));
    for (int y = 0; y < 30; ++y)
        for (int x = 20; x < 40; ++x)
            img.setPixelColor(x, y, QColor(254, 255, 255));
    img.setPixelColor(5, 5, QColor(250, 250, 250));
    button->SetDefaultBitmap(img);
    button->Repaint();

    auto shown = [&](int x, int y) { return parent.grab().toImage().pixelColor(10 + x, 10 + y); };
    EXPECT_EQ(shown(2, 2), QColor(255, 255, 255)); // opaque while Transparent is off

    button->SetTransparent(true);
    QImage grabbed = parent.grab().toImage();
    EXPECT_EQ(grabbed.pixelColor(12, 12), QColor(200, 20, 20));
    EXPECT_EQ(grabbed.pixelColor(10 + 19, 10 + 29), QColor(200, 20, 20));
    EXPECT_EQ(grabbed.pixelColor(10 + 20, 10 + 2), QColor(254, 255, 255));
    EXPECT_EQ(grabbed.pixelColor(15, 15), QColor(250, 250, 250));
    EXPECT_EQ(button->DefaultBitmap().pixelColor(2, 2), QColor(255, 255, 255));

    // Another key colour: now white is drawn and the near-white shows through.
    button->SetTransparentColor(QColor(254, 255, 255));
    grabbed = parent.grab().toImage();
    EXPECT_EQ(grabbed.pixelColor(12, 12), QColor(255, 255, 255));
    EXPECT_EQ(grabbed.pixelColor(10 + 30, 10 + 2), QColor(200, 20, 20));
}

TEST_F(SkinButtonTest, TransparencyChangesRepaintOnlyWhenTheValueChanges) {
    enter(button);
    button->SetTransparent(false);
    button->SetTransparentColor(QColor(255, 255, 255));
    EXPECT_EQ(button->ShownImage(), Image::Highlight);
    button->SetTransparent(true);
    EXPECT_EQ(button->ShownImage(), Image::Default);
    leave(button);
    enter(button);
    EXPECT_EQ(button->ShownImage(), Image::Highlight);
    button->SetTransparentColor(Qt::black);
    EXPECT_EQ(button->ShownImage(), Image::Default);
}

} // namespace
