#include "art.h"

#include <QFile>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "sharp_image.h"

// The art lives in a static library, whose resources are registered by hand.
static void registerArtResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(art);
        return true;
    }();
    (void)registered;
}

namespace tukomi {
namespace {

// Where the open hand points: the tip of its middle finger.
constexpr int kHandHotspotX = 7;
constexpr int kHandHotspotY = 0;

QString artPath(const QString& name) {
    registerArtResources();
    return QStringLiteral(":/art/%1.png").arg(name);
}

}  // namespace

QPixmap buttonPicture(const QString& name, const QString& caption, QSize size, double deviceScale) {
    QPixmap picture = loadSharpestImage(artPath(name), deviceScale, VersionCheck::Trusted);
    if (!picture.isNull())
        return picture;

    // Drawn at the screen's pixels, then taken as `size` device-independent ones.
    const qreal ratio = std::max(1.0, deviceScale);
    picture = QPixmap(QSize(static_cast<int>(std::ceil(size.width() * ratio)),
                            static_cast<int>(std::ceil(size.height() * ratio))));
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, size.height());
    fill.setColorAt(0, QColor(255, 236, 150));
    fill.setColorAt(1, QColor(250, 170, 60));
    QPainterPath outline;
    outline.addRoundedRect(QRectF(1, 1, size.width() - 2, size.height() - 2), 10, 10);
    painter.fillPath(outline, fill);
    painter.setPen(QPen(QColor(200, 90, 30), 2));
    painter.drawPath(outline);
    QFont font(QStringLiteral("黑体"));
    font.setPixelSize(size.height() / 2);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(150, 40, 20));
    painter.drawText(QRect(QPoint(), size), Qt::AlignCenter, caption);
    return picture;
}

QPixmap missingPiecePicture(int piece, QSize size, double deviceScale) {
    const int ratio = std::max(1, static_cast<int>(std::ceil(deviceScale - 0.02)));
    QPixmap picture(size * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(QColor(235, 235, 235));
    QPainter painter(&picture);
    painter.setPen(QColor(150, 150, 150));
    painter.drawRect(QRect(QPoint(), size).adjusted(0, 0, -1, -1));
    QFont font;
    font.setPixelSize(size.height() / 3);
    painter.setFont(font);
    painter.drawText(QRect(QPoint(), size), Qt::AlignCenter, QString::number(piece));
    return picture;
}

QCursor handCursor(int scale) {
    scale = std::max(1, scale);
    QPixmap hand = loadSharpestImage(artPath(QStringLiteral("hand")), scale, VersionCheck::Trusted);
    if (hand.isNull())
        return QCursor(Qt::PointingHandCursor);
    // The cursor is as large as its pixels: the version's factor is not a
    // screen density here.
    const QSize size(16 * scale, 16 * scale);
    if (hand.size() != size)
        hand = hand.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    hand.setDevicePixelRatio(1.0);
    return QCursor(hand, kHandHotspotX * scale, kHandHotspotY * scale);
}

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 256}) {
        const QString path = artPath(QStringLiteral("tukomi-%1").arg(size));
        if (QFile::exists(path))
            icon.addFile(path, QSize(size, size));
    }
    registerArtResources();
    if (QFile::exists(QStringLiteral(":/art/tukomi.svg")))
        icon.addFile(QStringLiteral(":/art/tukomi.svg"));
    return icon;
}

void installFontSubstitutions() {
    const QString serif = QStringLiteral("Noto Serif CJK SC");
    const QString sans = QStringLiteral("Noto Sans CJK SC");
    QFont::insertSubstitutions(QStringLiteral("宋体"), {serif, sans});
    QFont::insertSubstitutions(QStringLiteral("新宋体"), {serif, sans});
    QFont::insertSubstitutions(QStringLiteral("黑体"), {sans, serif});
}

}  // namespace tukomi
