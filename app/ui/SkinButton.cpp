#include "SkinButton.h"

#include "Application.h"
#include "platform/Services.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

TSkinButton::TSkinButton(QWidget* parent)
    : QWidget(parent), down_(blankBitmap()), default_(blankBitmap()), highlight_(blankBitmap()),
      pressed_(blankBitmap()) {
    // Drawn over whatever the parent painted; never fills its own background.
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::NoFocus);
    applyAutoSize();
}

QImage TSkinButton::blankBitmap() {
    QImage image(100, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

void TSkinButton::SetAutoSize(bool on) {
    autoSize_ = on;
    applyAutoSize();
}

void TSkinButton::applyAutoSize() {
    if (autoSize_ && size() != default_.size())
        resize(default_.size());
}

void TSkinButton::setBitmap(QImage& own, const QImage& image) {
    own = image.isNull() ? blankBitmap() : image.convertToFormat(QImage::Format_RGB32);
    applyAutoSize();
}

void TSkinButton::SetDownBitmap(const QImage& image) {
    setBitmap(down_, image);
}
void TSkinButton::SetDefaultBitmap(const QImage& image) {
    setBitmap(default_, image);
}
void TSkinButton::SetHighlightBitmap(const QImage& image) {
    setBitmap(highlight_, image);
}
void TSkinButton::SetPressedBitmap(const QImage& image) {
    setBitmap(pressed_, image);
}

void TSkinButton::SetTransparent(bool on) {
    if (on == transparent_)
        return;
    transparent_ = on;
    Repaint();
}

void TSkinButton::SetTransparentColor(const QColor& color) {
    if (color == transparentColor_)
        return;
    transparentColor_ = color;
    Repaint();
}

void TSkinButton::Repaint() {
    draw(downState_ ? Image::Down : Image::Default);
    applyAutoSize();
}

const QImage& TSkinButton::ShownBitmap() const {
    switch (shown_) {
    case Image::Highlight:
        return highlight_;
    case Image::Pressed:
        return pressed_;
    case Image::Down:
        return down_;
    case Image::Default:
        break;
    }
    return default_;
}

void TSkinButton::draw(Image image) {
    shown_ = image;
    update();
}

QImage TSkinButton::MaskedImage(const QImage& image, QColor key) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb k = key.rgb() & 0xFFFFFF;
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            line[x] = (line[x] & 0xFFFFFF) == k ? 0u : (line[x] | 0xFF000000u);
    }
    return out;
}

void TSkinButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QImage& image = ShownBitmap();
    // DrawTransparentBitmap: key-colour pixels stay unpainted, so the parent's
    // pixels beneath show; the button's own image is left as it is.
    if (transparent_)
        painter.drawImage(0, 0, MaskedImage(image, transparentColor_));
    else
        painter.drawImage(0, 0, image);
    // A size set by hand does not survive a repaint while AutoSize is on.
    if (autoSize_ && size() != default_.size())
        QMetaObject::invokeMethod(
            this, [this] { applyAutoSize(); }, Qt::QueuedConnection);
}

void TSkinButton::showEvent(QShowEvent*) {
    ++visibilityChanges_;
    Repaint();
}

void TSkinButton::hideEvent(QHideEvent*) {
    ++visibilityChanges_;
    pointerInside_ = false;
}

void TSkinButton::pointerEnters() {
    pointerInside_ = true;
    if (!SoundMouseOver.empty())
        platform::services().playSound(SoundMouseOver);
    draw(pressed_state_ ? Image::Pressed : Image::Highlight);
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TSkinButton::pointerLeaves() {
    pointerInside_ = false;
    draw(downState_ ? Image::Down : Image::Default);
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TSkinButton::enterEvent(QEnterEvent*) {
    if (!pointerInside_)
        pointerEnters();
}

void TSkinButton::leaveEvent(QEvent*) {
    if (pointerInside_)
        pointerLeaves();
}

void TSkinButton::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    pressed_state_ = true;
    draw(Image::Pressed);
}

void TSkinButton::mouseDoubleClickEvent(QMouseEvent* event) {
    // A second press in quick succession is a press like any other.
    mousePressEvent(event);
}

void TSkinButton::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    // While the left button is held the toolkit sends no enter or leave
    // events, but leaving and re-entering must still show.
    bool inside = rect().contains(event->position().toPoint());
    if (inside && !pointerInside_)
        pointerEnters();
    else if (!inside && pointerInside_)
        pointerLeaves();
}

void TSkinButton::click() {
    pressed_state_ = false;
    draw(Image::Highlight);
    if (!SoundClick.empty())
        platform::services().playSound(SoundClick);
    if (OnClick)
        OnClick(this);
}

void TSkinButton::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    QPoint pos = event->position().toPoint();
    QPointer<TSkinButton> alive(this);
    const int changes = visibilityChanges_;
    // The click comes first; its handler may run a modal window, so the
    // release handling below may only run much later.
    if (pressed_state_ && rect().contains(pos)) {
        try {
            click();
        } catch (...) {
            // The click's handler failed: report it here rather than unwind
            // through the toolkit's event delivery. The release handling is
            // skipped, as it would be after any failed handler.
            TApplication::ShowException(std::current_exception());
            return;
        }
    }
    if (!alive)
        return;
    pressed_state_ = false;
    if (changes != visibilityChanges_)
        pos = mapFromGlobal(QCursor::pos());
    bool inside = pos.x() >= 0 && pos.y() >= 0 && pos.x() <= width() && pos.y() <= height();
    draw(inside ? Image::Highlight : Image::Default);
}
