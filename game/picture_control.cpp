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

void PictureControl::mousePressEvent(QMouseEvent* event) {
    pressed_ |= event->button();
    event->accept();
}

void PictureControl::mouseReleaseEvent(QMouseEvent* event) {
    const bool wasPressed = pressed_.testFlag(event->button());
    pressed_ &= ~event->button();
    if (wasPressed && rect().contains(event->position().toPoint())) emit clicked(event->button());
    event->accept();
}

}  // namespace tukomi
