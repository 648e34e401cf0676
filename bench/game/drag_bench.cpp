// How long the game takes to handle one mouse move while a piece is carried:
// the event alone, and the event followed by repainting what moved.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>

#include "main_window.h"
#include "picture_control.h"

using namespace tukomi;

namespace {

// The window with a piece held, ready to be carried around.
struct HeldPiece {
    QTemporaryDir dir;
    MainWindow window{PictureLibrary(dir.path())};
    PictureControl* piece = nullptr;

    HeldPiece() {
        QDir(dir.path()).mkpath(QStringLiteral("999/1"));
        for (int k = 1; k <= 9; ++k) {
            QImage image(109, 120, QImage::Format_RGB32);
            image.fill(QColor::fromHsv(k * 36, 200, 200));
            image.save(QStringLiteral("%1/999/1/%2.gif").arg(dir.path()).arg(k), "PNG");
        }
        QFile texts(dir.path() + QStringLiteral("/pictext.ini"));
        texts.open(QIODevice::WriteOnly);
        texts.write("[1.a]");
        texts.close();
        window.loadStartingState();
        window.show();
        QApplication::processEvents();
        window.StartPuzzle();
        piece = window.Image1(window.board().frontPiece());
        send(QEvent::MouseButtonPress, QPointF(10, 10), Qt::LeftButton);
    }

    void send(QEvent::Type type, QPointF local, Qt::MouseButtons buttons) {
        QMouseEvent event(type, local, piece->mapToGlobal(local), Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(piece, &event);
    }
};

void DragMoveEvent(benchmark::State& state) {
    HeldPiece held;
    int step = 0;
    for (auto _ : state) {
        // Jiggle by a few pixels, as a hand does; positions are relative to the piece.
        held.send(QEvent::MouseMove, QPointF(10 + (step++ % 2 ? 3 : -3), 10), Qt::LeftButton);
    }
}
BENCHMARK(DragMoveEvent);

void DragMoveEventAndRepaint(benchmark::State& state) {
    HeldPiece held;
    int step = 0;
    for (auto _ : state) {
        held.send(QEvent::MouseMove, QPointF(10 + (step++ % 2 ? 3 : -3), 10), Qt::LeftButton);
        QApplication::processEvents();
    }
}
BENCHMARK(DragMoveEventAndRepaint);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
