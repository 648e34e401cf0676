#pragma once

#include <QLabel>

class QMouseEvent;

namespace tukomi {

// A picture shown at its own size, the way the game's pieces and picture
// buttons are: no frame, no stretching. A press and release of any mouse
// button over it counts as a click.
class PictureControl : public QLabel {
    Q_OBJECT
public:
    explicit PictureControl(QWidget* parent = nullptr);

    // Shows `picture` and takes its size; the position stays.
    void setPicture(const QPixmap& picture);

signals:
    void clicked(Qt::MouseButton button);
    // Raw mouse events, with the pointer in the parent widget's coordinates.
    void mousePressed(Qt::MouseButton button, QPointF parentPos);
    void mouseMoved(QPointF parentPos);
    void mouseReleased(Qt::MouseButton button, QPointF parentPos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPointF toParent(const QMouseEvent* event) const;

    Qt::MouseButtons pressed_ = Qt::NoButton;
};

}  // namespace tukomi
