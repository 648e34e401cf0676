// The yardstick for the game's start-up: the smallest Qt Widgets window of
// the same size, which quits as soon as it has painted itself once. With
// --with-text it also shows one line of Chinese text, so that it pays for
// loading the fonts as the game does.

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <cstring>

namespace {

class MinimalWindow : public QWidget {
public:
    explicit MinimalWindow(bool withText) {
        setFixedSize(598, 360);
        if (withText)
            (new QLabel(QStringLiteral("第 1 张"), this))->move(10, 10);
    }

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
    const bool withText = argc > 1 && std::strcmp(argv[1], "--with-text") == 0;
    MinimalWindow window(withText);
    window.show();
    return QApplication::exec();
}
