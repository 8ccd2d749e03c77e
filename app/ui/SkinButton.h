// TSkinButton: a four-image button that draws itself on its parent's surface.
//
// It has no background of its own: with Transparent on, pixels of
// TransparentColor are not painted and the parent shows through. It shows the
// default, highlight (pointer over it), pressed (left button held on it) or down
// (latched by the program) image. The image changes at once on each mouse
// event; a repaint requested by the program (Repaint, showing the button, a
// change of Transparent or TransparentColor) goes back to the down or default
// image. Only the left mouse button does anything.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

#include <functional>
#include <string>

class TSkinButton : public QWidget {
    Q_OBJECT
public:
    explicit TSkinButton(QWidget* parent = nullptr);

    // The image the button currently shows.
    enum class Image { Default, Highlight, Pressed, Down };

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on);

    // Setting a bitmap copies it; the button keeps no reference to the argument.
    const QImage& DownBitmap() const { return down_; }
    const QImage& DefaultBitmap() const { return default_; }
    const QImage& HighlightBitmap() const { return highlight_; }
    const QImage& PressedBitmap() const { return pressed_; }
    void SetDownBitmap(const QImage& image);
    void SetDefaultBitmap(const QImage& image);
    void SetHighlightBitmap(const QImage& image);
    void SetPressedBitmap(const QImage& image);

    // Wave files played without waiting; empty means no sound.
    std::string SoundClick;
    std::string SoundMouseOver;

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool on);
    QColor TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(const QColor& color);

    // Stored only: it shows at the next repaint or when the pointer leaves.
    bool Down() const { return downState_; }
    void SetDown(bool on) { downState_ = on; }

    // Events; the argument is the button (the sender).
    std::function<void(QObject* Sender)> OnClick;
    std::function<void(QObject* Sender)> OnMouseEnter;
    std::function<void(QObject* Sender)> OnMouseLeave;

    // The repaint the toolkit requests: shows the down or default image and
    // applies AutoSize again.
    void Repaint();

    // What the button shows now, and whether the left button went down on it
    // and has not come up yet.
    Image ShownImage() const { return shown_; }
    const QImage& ShownBitmap() const;
    bool Pressed() const { return pressed_state_; }

    // `image` with every pixel of exactly `key` made fully transparent and all
    // others opaque: what DrawTransparentBitmap puts over the parent.
    static QImage MaskedImage(const QImage& image, QColor key);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void setBitmap(QImage& own, const QImage& image);
    void applyAutoSize();
    void draw(Image image);
    void pointerEnters();
    void pointerLeaves();
    void click();
    static QImage blankBitmap();

    bool autoSize_ = true;
    QImage down_, default_, highlight_, pressed_;
    bool transparent_ = false;
    QColor transparentColor_ = QColor(255, 255, 255);
    bool downState_ = false;
    bool pressed_state_ = false;
    bool pointerInside_ = false;
    Image shown_ = Image::Default;
    // Counts hidings and showings, so the release handling can tell that a
    // click handler ran a window in between and the pointer has moved on.
    int visibilityChanges_ = 0;
};
