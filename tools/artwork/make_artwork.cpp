// Draws the main menu's background and the four images of each of its eleven
// buttons. Each button image carries the part of the background beneath it, so
// the opaque buttons sit seamlessly on the picture.
//
//   make_artwork <output folder>
#include <QDir>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

enum class State { Default, Highlight, Pressed, Down };
const char* stateName(State s) {
    switch (s) {
    case State::Default:
        return "default";
    case State::Highlight:
        return "highlight";
    case State::Pressed:
        return "pressed";
    case State::Down:
        return "down";
    }
    return "";
}

const QColor kGold(232, 184, 74);
const QColor kGoldLight(250, 214, 120);
const QColor kInk(9, 26, 46);
const QColor kText(242, 245, 248);

QString sansBold, sans, serifBold;

QFont font(const QString& family, int pixels, bool bold = false) {
    QFont f(family);
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

using Icon = std::function<void(QPainter&, QRectF, QColor)>;

QPen iconPen(QColor c, qreal w) {
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void folderIcon(QPainter& p, QRectF r, QColor c) {
    QPainterPath path;
    qreal x = r.left(), y = r.top() + r.height() * 0.15, w = r.width(), h = r.height() * 0.7;
    path.moveTo(x, y + h);
    path.lineTo(x, y);
    path.lineTo(x + w * 0.38, y);
    path.lineTo(x + w * 0.46, y + h * 0.16);
    path.lineTo(x + w, y + h * 0.16);
    path.lineTo(x + w, y + h);
    path.closeSubpath();
    p.setPen(iconPen(c, 2.2));
    p.setBrush(QColor(c.red(), c.green(), c.blue(), 60));
    p.drawPath(path);
    p.drawLine(QPointF(x, y + h * 0.34), QPointF(x + w, y + h * 0.34));
}

void quillPageIcon(QPainter& p, QRectF r, QColor c) {
    QRectF page(r.left() + r.width() * 0.08, r.top(), r.width() * 0.62, r.height());
    p.setPen(iconPen(c, 2.0));
    p.setBrush(QColor(c.red(), c.green(), c.blue(), 50));
    p.drawRoundedRect(page, 2, 2);
    for (int i = 0; i < 4; ++i) {
        qreal y = page.top() + page.height() * (0.25 + i * 0.17);
        p.drawLine(QPointF(page.left() + 5, y), QPointF(page.right() - (i == 3 ? 14 : 5), y));
    }
    // The quill, crossing the page's corner.
    QPainterPath feather;
    QPointF tip(r.left() + r.width() * 0.55, r.bottom() - r.height() * 0.12);
    QPointF top(r.right(), r.top());
    feather.moveTo(tip);
    feather.cubicTo(QPointF(tip.x() + 4, tip.y() - 18), QPointF(top.x() - 16, top.y() + 6), top);
    feather.cubicTo(QPointF(top.x() - 2, top.y() + 16), QPointF(tip.x() + 14, tip.y() - 6), tip);
    p.setBrush(c);
    p.setPen(iconPen(c, 1.2));
    p.drawPath(feather);
}

void bookIcon(QPainter& p, QRectF r, QColor c) {
    p.setPen(iconPen(c, 2.2));
    p.setBrush(QColor(c.red(), c.green(), c.blue(), 55));
    qreal mx = r.center().x(), top = r.top() + r.height() * 0.12, bottom = r.bottom();
    QPainterPath left, right;
    left.moveTo(mx, top + 4);
    left.cubicTo(QPointF(mx - r.width() * 0.2, top - 3), QPointF(r.left() + 6, top),
                 QPointF(r.left(), top + 2));
    left.lineTo(r.left(), bottom - 4);
    left.cubicTo(QPointF(r.left() + 8, bottom - 7), QPointF(mx - 10, bottom - 6),
                 QPointF(mx, bottom));
    left.closeSubpath();
    QTransform mirror;
    mirror.translate(2 * mx, 0);
    mirror.scale(-1, 1);
    right = mirror.map(left);
    p.drawPath(left);
    p.drawPath(right);
    for (int i = 0; i < 3; ++i) {
        qreal y = top + 10 + i * (bottom - top - 18) / 3.0;
        p.drawLine(QPointF(r.left() + 6, y + 1), QPointF(mx - 6, y + 3));
        p.drawLine(QPointF(mx + 6, y + 3), QPointF(r.right() - 6, y + 1));
    }
}

void magnifierIcon(QPainter& p, QRectF r, QColor c) {
    qreal d = r.width() * 0.64;
    QRectF lens(r.left() + 2, r.top() + 2, d, d);
    p.setPen(iconPen(c, 3.0));
    p.setBrush(QColor(c.red(), c.green(), c.blue(), 45));
    p.drawEllipse(lens);
    p.setPen(iconPen(c, 6.0));
    QPointF from = lens.center() + QPointF(d * 0.36, d * 0.36);
    p.drawLine(from, QPointF(r.right() - 2, r.bottom() - 2));
    p.setPen(iconPen(QColor(255, 255, 255, 150), 2.0));
    p.drawArc(lens.adjusted(6, 6, -6, -6), 100 * 16, 70 * 16);
}

void layersIcon(QPainter& p, QRectF r, QColor c) {
    p.setPen(iconPen(c, 2.0));
    for (int i = 2; i >= 0; --i) {
        QRectF sheet(r.left() + i * r.width() * 0.14, r.top() + (2 - i) * r.height() * 0.14,
                     r.width() * 0.7, r.height() * 0.72);
        p.setBrush(i == 0 ? QColor(c.red(), c.green(), c.blue(), 90)
                          : QColor(c.red(), c.green(), c.blue(), 35));
        p.drawRoundedRect(sheet, 3, 3);
    }
    // A small sparkle: something new made from the old.
    QPointF s(r.right() - 4, r.top() + 4);
    p.drawLine(s - QPointF(5, 0), s + QPointF(5, 0));
    p.drawLine(s - QPointF(0, 5), s + QPointF(0, 5));
}

void cartIcon(QPainter& p, QRectF r, QColor c) {
    p.setPen(iconPen(c, 2.4));
    p.setBrush(QColor(c.red(), c.green(), c.blue(), 55));
    QPainterPath basket;
    qreal x = r.left(), y = r.top(), w = r.width(), h = r.height();
    basket.moveTo(x + w * 0.2, y + h * 0.22);
    basket.lineTo(x + w, y + h * 0.22);
    basket.lineTo(x + w * 0.88, y + h * 0.62);
    basket.lineTo(x + w * 0.3, y + h * 0.62);
    basket.closeSubpath();
    p.drawPath(basket);
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(
        QPolygonF({QPointF(x, y + h * 0.05), QPointF(x + w * 0.15, y + h * 0.05),
                   QPointF(x + w * 0.3, y + h * 0.62), QPointF(x + w * 0.26, y + h * 0.76),
                   QPointF(x + w * 0.9, y + h * 0.76)}));
    p.setBrush(c);
    p.drawEllipse(QPointF(x + w * 0.36, y + h * 0.9), 3.5, 3.5);
    p.drawEllipse(QPointF(x + w * 0.82, y + h * 0.9), 3.5, 3.5);
}

void scalesIcon(QPainter& p, QRectF r, QColor c) {
    p.setPen(iconPen(c, 2.2));
    qreal mx = r.center().x(), top = r.top() + 4;
    p.drawLine(QPointF(mx, top - 2), QPointF(mx, r.bottom() - 4));
    p.drawLine(QPointF(mx - 12, r.bottom() - 2), QPointF(mx + 12, r.bottom() - 2));
    p.drawLine(QPointF(r.left() + 4, top + 6), QPointF(r.right() - 4, top + 6));
    p.setBrush(c);
    p.drawEllipse(QPointF(mx, top - 2), 3, 3);
    for (qreal side : {r.left() + 10, r.right() - 10}) {
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(side - 6, top + 6), QPointF(side - 10, top + 22));
        p.drawLine(QPointF(side + 6, top + 6), QPointF(side + 10, top + 22));
        p.drawLine(QPointF(side - 6, top + 6), QPointF(side + 6, top + 6));
        p.setBrush(QColor(c.red(), c.green(), c.blue(), 90));
        p.drawChord(QRectF(side - 11, top + 14, 22, 16), 180 * 16, 180 * 16);
    }
}

void emblemIcon(QPainter& p, QRectF r, QColor c, const QString& letter) {
    p.setPen(iconPen(c, 2.0));
    p.setBrush(QColor(c.red(), c.green(), c.blue(), 50));
    p.drawEllipse(r);
    p.setFont(font(serifBold, int(r.height() * 0.62), true));
    p.drawText(r, Qt::AlignCenter, letter);
}

void powerIcon(QPainter& p, QRectF r, QColor c) {
    p.setPen(iconPen(c, 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawArc(r.adjusted(1, 2, -1, 0), 120 * 16, 300 * 16);
    p.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.center().y() + 1));
}

// --- The background ---------------------------------------------------------

void drawQuill(QPainter& p, QPointF tip, qreal length, qreal angleDeg, QColor c) {
    p.save();
    p.translate(tip);
    p.rotate(angleDeg);
    QPainterPath vane;
    vane.moveTo(0, 0);
    vane.cubicTo(QPointF(length * 0.25, -length * 0.10), QPointF(length * 0.7, -length * 0.22),
                 QPointF(length, -length * 0.02));
    vane.cubicTo(QPointF(length * 0.7, length * 0.06), QPointF(length * 0.3, length * 0.06),
                 QPointF(0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(vane);
    p.setPen(QPen(QColor(255, 255, 255, c.alpha() / 2), 1.0));
    p.drawLine(QPointF(0, 0), QPointF(length * 0.98, -length * 0.03));
    p.restore();
}

QImage background() {
    QImage img(752, 552, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 552);
    sky.setColorAt(0, QColor(18, 52, 86));
    sky.setColorAt(0.5, QColor(11, 36, 62));
    sky.setColorAt(1, QColor(6, 20, 37));
    p.fillRect(img.rect(), sky);

    // A soft light behind the central column.
    QRadialGradient glow(QPointF(372, 300), 330);
    glow.setColorAt(0, QColor(60, 140, 190, 90));
    glow.setColorAt(0.6, QColor(40, 100, 150, 25));
    glow.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(img.rect(), glow);

    // Fine diagonal hatching, like laid paper.
    p.setPen(QPen(QColor(255, 255, 255, 9), 1));
    for (int x = -552; x < 752; x += 7)
        p.drawLine(x, 552, x + 552, 0);

    // Rings around the hub of the menu.
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        p.setPen(QPen(QColor(232, 184, 74, 38 - i * 10), 1.5));
        p.drawEllipse(QPointF(370, 312), 175 + i * 38, 175 + i * 38);
    }

    // A large, faint quill as a watermark.
    drawQuill(p, QPointF(470, 540), 330, -58, QColor(255, 255, 255, 10));

    // Header: emblem, name and line.
    QLinearGradient header(0, 0, 0, 118);
    header.setColorAt(0, QColor(7, 22, 40, 220));
    header.setColorAt(1, QColor(7, 22, 40, 120));
    p.fillRect(QRect(0, 0, 752, 118), header);
    QLinearGradient rule(0, 0, 752, 0);
    rule.setColorAt(0, QColor(232, 184, 74, 0));
    rule.setColorAt(0.5, kGold);
    rule.setColorAt(1, QColor(232, 184, 74, 0));
    p.fillRect(QRectF(0, 117, 752, 2), rule);

    QRectF emblem(26, 24, 70, 70);
    QRadialGradient disc(emblem.center(), 35);
    disc.setColorAt(0, QColor(34, 86, 130));
    disc.setColorAt(1, QColor(14, 42, 70));
    p.setBrush(disc);
    p.setPen(QPen(kGold, 2.5));
    p.drawEllipse(emblem);
    drawQuill(p, QPointF(44, 82), 58, -52, kGoldLight);

    QLinearGradient gold(0, 30, 0, 80);
    gold.setColorAt(0, kGoldLight);
    gold.setColorAt(1, QColor(198, 142, 40));
    QPainterPath title;
    QFont titleFont = font(serifBold, 46, true);
    titleFont.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    title.addText(QPointF(112, 72), titleFont, "Quillmere");
    p.setPen(QPen(QColor(0, 0, 0, 120), 3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(title.translated(1.5, 2));
    p.setPen(Qt::NoPen);
    p.setBrush(gold);
    p.drawPath(title);

    QFont tag = font(sans, 13);
    tag.setLetterSpacing(QFont::AbsoluteSpacing, 3.2);
    p.setFont(tag);
    p.setPen(QColor(196, 214, 230));
    p.drawText(QPointF(115, 97), "PUBLIC-DOMAIN PUBLISHING TOOLKIT");

    // Captions of the two affiliate networks.
    QFont caption = font(sans, 10);
    caption.setLetterSpacing(QFont::AbsoluteSpacing, 1.6);
    p.setFont(caption);
    p.setPen(QColor(170, 192, 212));
    p.drawText(QRectF(16, 184, 165, 14), Qt::AlignCenter, "AFFILIATE NETWORK");
    p.drawText(QRectF(576, 178, 154, 14), Qt::AlignCenter, "AFFILIATE NETWORK");

    // Footer band.
    QLinearGradient foot(0, 496, 0, 552);
    foot.setColorAt(0, QColor(4, 14, 27, 120));
    foot.setColorAt(1, QColor(4, 14, 27, 230));
    p.fillRect(QRect(0, 496, 752, 56), foot);
    p.fillRect(QRectF(0, 496, 752, 1), rule);
    p.setFont(font(sans, 11));
    p.setPen(QColor(150, 172, 194));
    p.drawText(QPointF(18, 524), "Version 2.0");
    p.setPen(QColor(110, 134, 158));
    p.drawText(QPointF(18, 540), "Build, publish and sell products made from public-domain works.");
    return img;
}

// The program's icon: the emblem of the header on its own.
// The program's icon, drawn at `size` pixels square (the drawing is made for 64).
QImage icon(int size = 64) {
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    QRectF emblem(2, 2, 60, 60);
    QRadialGradient disc(emblem.center(), 30);
    disc.setColorAt(0, QColor(34, 86, 130));
    disc.setColorAt(1, QColor(14, 42, 70));
    p.setBrush(disc);
    p.setPen(QPen(kGold, 3));
    p.drawEllipse(emblem.adjusted(1, 1, -1, -1));
    drawQuill(p, QPointF(17, 52), 50, -52, kGoldLight);
    return img;
}

// --- Buttons -----------------------------------------------------------------

struct Look {
    QColor top, bottom, border, icon, text;
    qreal borderWidth;
    bool glow, inset;
};

Look look(State s) {
    switch (s) {
    case State::Highlight:
        return {QColor(46, 118, 176),
                QColor(26, 80, 132),
                kGoldLight,
                kGoldLight,
                QColor(255, 255, 255),
                2.0,
                true,
                false};
    case State::Pressed:
        return {QColor(10, 34, 58),
                QColor(22, 62, 100),
                kGold,
                QColor(214, 166, 60),
                QColor(214, 224, 234),
                2.0,
                false,
                true};
    case State::Down:
        return {QColor(236, 194, 96),
                QColor(186, 134, 36),
                QColor(255, 232, 170),
                kInk,
                kInk,
                1.6,
                false,
                false};
    case State::Default:
        break;
    }
    return {QColor(32, 84, 128),
            QColor(19, 56, 92),
            QColor(255, 255, 255, 70),
            kGold,
            kText,
            1.2,
            false,
            false};
}

// Paints the button's body (a rounded tile) into `p` over the background crop.
void tile(QPainter& p, QRectF body, qreal radius, State s) {
    Look l = look(s);
    if (l.glow)
        for (int i = 4; i >= 1; --i) {
            p.setPen(QPen(QColor(250, 214, 120, 26), i * 2.0));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(body, radius, radius);
        }
    else {
        // A drop shadow gives the tile some lift.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, l.inset ? 40 : 90));
        p.drawRoundedRect(body.translated(0, 2.5), radius, radius);
    }
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0, l.top);
    fill.setColorAt(1, l.bottom);
    p.setBrush(fill);
    p.setPen(QPen(l.border, l.borderWidth));
    p.drawRoundedRect(body, radius, radius);
    // Gloss on the upper half, or an inner shadow when pressed.
    QPainterPath clip;
    clip.addRoundedRect(body.adjusted(1.5, 1.5, -1.5, -1.5), radius - 1, radius - 1);
    p.save();
    p.setClipPath(clip);
    QLinearGradient sheen(body.topLeft(), QPointF(body.left(), body.center().y()));
    if (l.inset) {
        sheen.setColorAt(0, QColor(0, 0, 0, 110));
        sheen.setColorAt(0.3, QColor(0, 0, 0, 0));
    } else {
        sheen.setColorAt(0, QColor(255, 255, 255, s == State::Down ? 90 : 48));
        sheen.setColorAt(1, QColor(255, 255, 255, 0));
    }
    p.fillRect(QRectF(body.left(), body.top(), body.width(), body.height() / 2 + 2), sheen);
    p.restore();
}

struct Button {
    const char* file;
    int left, top, width, height;
    QString label;
    Icon icon;
    enum Kind { Tile, Pill, Small } kind;
};

QImage drawButton(const QImage& back, const Button& b, State s) {
    QImage img = back.copy(b.left, b.top, b.width, b.height);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    Look l = look(s);
    const qreal shift = l.inset ? 1.0 : 0.0;
    const QRectF all(0, 0, b.width, b.height);

    if (b.kind == Button::Tile) {
        QRectF body = all.adjusted(5, 4, -5, -6);
        tile(p, body, 14, s);
        QRectF content = body.adjusted(8, 8, -8, -6).translated(shift, shift);
        qreal iconSize = std::min(content.height() * 0.46, 46.0);
        QRectF iconRect(content.center().x() - iconSize / 2, content.top() + 2, iconSize, iconSize);
        b.icon(p, iconRect, l.icon);
        QRectF textRect(content.left(), iconRect.bottom() + 4, content.width(),
                        content.bottom() - iconRect.bottom() - 4);
        int size = b.width < 140 ? 13 : 15;
        p.setFont(font(sansBold, size, true));
        if (s != State::Down) {
            p.setPen(QColor(0, 0, 0, 140));
            p.drawText(textRect.translated(1, 1), Qt::AlignCenter | Qt::TextWordWrap, b.label);
        }
        p.setPen(l.text);
        p.drawText(textRect, Qt::AlignCenter | Qt::TextWordWrap, b.label);
    } else {
        QRectF body =
            b.kind == Button::Small ? all.adjusted(1, 1, -1, -1) : all.adjusted(3, 3, -3, -4);
        tile(p, body, body.height() / 2, s);
        QRectF content = body.adjusted(body.height() * 0.22, 0, -body.height() * 0.22, 0)
                             .translated(shift, shift);
        qreal iconSize = b.kind == Button::Small ? 9 : body.height() * 0.6;
        QRectF iconRect(content.left(), content.center().y() - iconSize / 2, iconSize, iconSize);
        b.icon(p, iconRect, l.icon);
        QRectF textRect(iconRect.right() + 4, content.top(), content.right() - iconRect.right() - 4,
                        content.height());
        int size =
            b.kind == Button::Small ? 10 : (b.kind == Button::Pill && b.height < 30 ? 13 : 16);
        QFont f = font(b.kind == Button::Small ? sans : sansBold, size, b.kind != Button::Small);
        // The label must fit beside its icon.
        while (QFontMetricsF(f).horizontalAdvance(b.label) > textRect.width() - 4 &&
               f.pixelSize() > 9)
            f.setPixelSize(f.pixelSize() - 1);
        p.setFont(f);
        p.setPen(l.text);
        p.drawText(textRect, Qt::AlignCenter, b.label);
    }
    return img;
}

void minimizeMark(QPainter& p, QRectF r, QColor c) {
    p.setPen(iconPen(c, 2.0));
    p.drawLine(QPointF(r.left(), r.bottom() - 1), QPointF(r.right(), r.bottom() - 1));
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_artwork <output folder>\n");
        return 2;
    }
    auto load = [](const char* file) {
        int id = QFontDatabase::addApplicationFont(file);
        return id < 0 ? QString("Sans") : QFontDatabase::applicationFontFamilies(id).value(0);
    };
    sansBold = load("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf");
    sans = load("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    serifBold = load("/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf");

    QDir out(QString::fromLocal8Bit(argv[1]));
    out.mkpath(".");
    QImage back = background();
    const Button buttons[] = {
        {"derivativeworks", 288, 384, 176, 101, "Derivative Works", layersIcon, Button::Tile},
        {"manageprojects", 280, 141, 181, 102, "Manage Projects", folderIcon, Button::Tile},
        {"legalinformation", 91, 314, 184, 124, "Legal Information", scalesIcon, Button::Tile},
        {"projectgutenberg", 465, 202, 187, 101, "Project Gutenberg", bookIcon, Button::Tile},
        {"research", 500, 325, 114, 112, "Research", magnifierIcon, Button::Tile},
        {"ecommerce", 123, 204, 130, 95, "eCommerce", cartIcon, Button::Tile},
        {"exit", 635, 506, 103, 27, "Exit", powerIcon, Button::Pill},
        {"createsalesletters", 274, 258, 187, 110, "Create Salesletters", quillPageIcon,
         Button::Tile},
        {"fernwick", 576, 133, 154, 42, "Fernwick",
         [](QPainter& p, QRectF r, QColor c) { emblemIcon(p, r, c, "F"); }, Button::Pill},
        {"hollowmark", 16, 129, 165, 52, "Hollowmark",
         [](QPainter& p, QRectF r, QColor c) { emblemIcon(p, r, c, "H"); }, Button::Pill},
        {"minimize", 664, 5, 81, 17, "Minimize", minimizeMark, Button::Small},
    };
    bool ok = icon().save(out.filePath("icon.png"));
    // The desktop's icon sizes, for the installed program's menu entry.
    out.mkpath("../icons");
    for (int size : {48, 128, 256})
        ok = icon(size).save(out.filePath(QString("../icons/quillmere-%1.png").arg(size))) && ok;
    ok = back.convertToFormat(QImage::Format_RGB888).save(out.filePath("background.png")) && ok;
    for (const Button& b : buttons)
        for (State s : {State::Default, State::Highlight, State::Pressed, State::Down}) {
            QImage img = drawButton(back, b, s).convertToFormat(QImage::Format_RGB888);
            QString name = QString("%1_%2.png").arg(b.file, stateName(s));
            ok = img.save(out.filePath(name)) && ok;
        }
    return ok ? 0 : 1;
}
