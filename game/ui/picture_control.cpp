#include "picture_control.h"

#include <QMouseEvent>

namespace tukomi {

PictureControl::PictureControl(QWidget* parent) : QLabel(parent) {
    setFrameShape(QFrame::NoFrame);
    setContentsMargins(0, 0, 0, 0);
    setScaledContents(false);
}

void PictureControl::setPicture(const QPixmap& picture) {
    setPixmap(picture);
    // The pixmap's size in device-independent pixels, so a high-density
    // picture still takes the size of its cell.
    resize(picture.deviceIndependentSize().toSize());
}

QPointF PictureControl::toParent(const QMouseEvent* event) const {
    return event->position() + QPointF(pos());
}

void PictureControl::mousePressEvent(QMouseEvent* event) {
    pressed_ |= event->button();
    event->accept();
    emit mousePressed(event->button(), toParent(event));
}

void PictureControl::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    emit mouseMoved(toParent(event));
}

void PictureControl::mouseReleaseEvent(QMouseEvent* event) {
    const bool wasPressed = pressed_.testFlag(event->button());
    pressed_ &= ~event->button();
    event->accept();
    // The position is taken before any handler moves this control.
    const QPointF parentPos = toParent(event);
    const bool inside = rect().contains(event->position().toPoint());
    emit mouseReleased(event->button(), parentPos);
    if (wasPressed && inside)
        emit clicked(event->button());
}

}  // namespace tukomi
