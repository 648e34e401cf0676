// The yardstick for the game's start-up: the smallest Qt Widgets window of
// the same size, which quits as soon as it has painted itself once.

#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>

namespace {

class MinimalWindow : public QWidget {
public:
    MinimalWindow() { setFixedSize(598, 360); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), QColor(255, 202, 202));
        if (!painted_) {
            painted_ = true;
            QTimer::singleShot(0, qApp, &QApplication::quit);
        }
    }

private:
    bool painted_ = false;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    MinimalWindow window;
    window.show();
    return QApplication::exec();
}
