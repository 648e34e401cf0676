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

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Qt::MouseButtons pressed_ = Qt::NoButton;
};

}  // namespace tukomi
