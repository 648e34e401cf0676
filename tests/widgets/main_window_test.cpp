#include <QDesktopServices>
#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <memory>

#include "art.h"
#include "assistant.h"
#include "explanation_window.h"
#include "main_window.h"
#include "picture_control.h"
#include "speech_library.h"
#include "text_codec.h"
#include "window_settings.h"

using namespace tukomi;

namespace {

// A picture folder with `pictures` pictures of nine 109 x 120 pieces, each
// piece a different flat colour so a test can tell them apart.
void writePictures(const QString& root, int pictures) {
    for (int n = 1; n <= pictures; ++n) {
        QDir(root).mkpath(QStringLiteral("999/%1").arg(n));
        for (int k = 1; k <= 9; ++k) {
            QImage piece(109, 120, QImage::Format_RGB32);
            piece.fill(QColor::fromHsv((k * 40) % 360, 200, 100 + 15 * n));
            // Qt writes no GIF; it reads a piece by its content, whatever the name.
            QVERIFY(piece.save(QStringLiteral("%1/999/%2/%3.gif").arg(root).arg(n).arg(k), "PNG"));
        }
    }
}

void writeTexts(const QString& root, const QString& content) {
    QFile file(root + QStringLiteral("/pictext.ini"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    const std::string bytes = encodeGbk(content);
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

// Stands in for the speech library: counts the calls.
class CountingSpeech : public SpeechLibraryApi {
public:
    int started = 0, spoken = 0, closed = 0;
    std::int32_t InitialAuth(std::intptr_t, std::int32_t, std::int32_t, std::int32_t,
                             const std::string&, const std::string&, const std::string&,
                             const std::string&) override {
        return ++started, 10;
    }
    std::int32_t Speak(const std::string&, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                       std::int32_t, const std::string&) override {
        return ++spoken, 10;
    }
    std::int32_t Close() override { return ++closed, 1; }
    QString errorMessage(InterfaceLanguage) const override { return {}; }
};

// Stands in for the desktop's browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { installFontSubstitutions(); }

    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        QVERIFY(QFile::copy(QStringLiteral(TUKOMI_SOURCE_DATA_DIR "/merlin.acs"),
                            dir->path() + QStringLiteral("/merlin.acs")));
        writePictures(dir->path(), 3);
        writeTexts(dir->path(), QStringLiteral("; texts\r\n[1.小猫]\r\n[2.小狗]\r\n[3.太阳]\r\n"));
    }

    void startUpLeavesTheDocumentedState() {
        MainWindow window{PictureLibrary(dir->path())};
        QVERIFY(!window.loadStartingState().has_value());
        QCOMPARE(window.start(), 1);
        // The built-in pinyin table, joined from its parts without gaps.
        QVERIFY(window.PinYinStr1().startsWith(QStringLiteral("禬 gui4\r\n")));
        QVERIFY(window.PinYinStr1().endsWith(QStringLiteral("瑳 cuo1\r\n")));
        QCOMPARE(window.PinYinStr1().count(QStringLiteral("\r\n")), 27553);
        QCOMPARE(window.windowTitle(), QStringLiteral("Mibaro 1.0版"));
        QCOMPARE(window.size(), QSize(598, 360));
        // Larger windows draw the layout larger; smaller ones are not offered.
        QCOMPARE(window.minimumSize(), QSize(598, 360));
        QCOMPARE(window.layoutScale(), LayoutScale());
        QCOMPARE(window.Text2()->text(), QStringLiteral("1"));
        QCOMPARE(window.List1()->count(), 32);
        QCOMPARE(window.List1()->item(0)->text(), QStringLiteral("1.小猫"));
        QCOMPARE(window.List1()->item(31)->text(), QStringLiteral("32."));
        QVERIFY(window.List1()->selectedItems().isEmpty());
        QCOMPARE(window.List1()->currentRow(), -1);
        QCOMPARE(window.Label3()->text(), QStringLiteral("0秒"));
        QVERIFY(window.Timer1()->isActive());
        QCOMPARE(window.Timer1()->interval(), 2000);
        QVERIFY(!window.Timer2()->isActive());
        QCOMPARE(window.Timer2()->interval(), 1000);
        // Showing the window and giving it the focus selects nothing either.
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.List1()->currentRow(), -1);
        for (int n = 1; n <= 8; ++n) {
            const QFrame* line = window.Line(n);
            QVERIFY2(!line->isVisible() || line->geometry().right() < 0, "no grid after start-up");
        }
    }

    void controlsStandAtTheirPlaces() {
        MainWindow window{PictureLibrary(dir->path())};
        QVERIFY(!window.loadStartingState().has_value());
        QCOMPARE(window.Image6()->geometry(), twipsRect(5040, 120, 1710, 705));
        QCOMPARE(window.Image4()->geometry(), twipsRect(5040, 840, 1710, 705));
        QCOMPARE(window.Image5()->geometry(), twipsRect(5040, 1560, 1710, 735));
        for (int i = 0; i < 6; ++i)
            QCOMPARE(window.Image7(i)->geometry(), twipsRect(5040, 4560, 1755, 720));
        QCOMPARE(window.List1()->geometry(), twipsRect(6840, 120, 2055, 4560));
        QCOMPARE(window.Label1()->geometry(), twipsRect(5160, 4080, 615, 375));
        QCOMPARE(window.Text2()->geometry(), twipsRect(5640, 4080, 615, 375));
        QCOMPARE(window.Label2()->geometry(), twipsRect(6240, 4080, 615, 375));
        QCOMPARE(window.Label3()->geometry(), twipsRect(6840, 4800, 2055, 375));
        // The assembled picture: piece 5 in the middle cell, piece 9 bottom right.
        QCOMPARE(window.Image1(5)->geometry(), QRect(109, 120, 109, 120));
        QCOMPARE(window.Image1(9)->geometry(), QRect(218, 240, 109, 120));
        QCOMPARE(window.board().cellLeft(5), 1636);
        QCOMPARE(window.board().cellTop(9), 3601);
    }

    void captionsUseTheirFontsAndColours() {
        MainWindow window{PictureLibrary(dir->path())};
        QVERIFY(!window.loadStartingState().has_value());
        QCOMPARE(window.Label1()->text(), QStringLiteral("第"));
        QCOMPARE(window.Label2()->text(), QStringLiteral("张"));
        QCOMPARE(window.Label1()->font().pointSizeF(), 15.75);
        QVERIFY(window.Label1()->font().bold());
        QCOMPARE(window.Text2()->font().pointSizeF(), 12.0);
        QCOMPARE(window.Label3()->font().pointSizeF(), 15.0);
        QCOMPARE(window.Label1()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QCOMPARE(window.Text2()->palette().color(QPalette::Text), QColor(255, 0, 0));
        QCOMPARE(window.List1()->palette().color(QPalette::Base), QColor(255, 192, 192));
        // The Chinese font names resolve to installed CJK fonts.
        QVERIFY2(QFontInfo(window.Label1()->font()).family().contains(QStringLiteral("CJK")),
                 qPrintable(QFontInfo(window.Label1()->font()).family()));
        QVERIFY(QFontInfo(window.Text2()->font()).family().contains(QStringLiteral("CJK")));
    }

    void windowPaintsTheBackgroundPicture() {
        MainWindow window{PictureLibrary(dir->path())};
        QVERIFY(!window.loadStartingState().has_value());
        const QImage shot = window.grab().toImage();
        // Between the buttons and the list: the background picture's pink.
        QCOMPARE(QColor(shot.pixel(450, 250)), QColor(255, 202, 202));
        // Label backgrounds keep the window's own back colour.
        QCOMPARE(QColor(shot.pixel(twipsToPixels(6840) + 100, twipsToPixels(4800) + 2)),
                 QColor(255, 192, 192));
    }

    void startButtonPilesShufflesAndStartsTheClock() {
        QFETCH(Qt::MouseButton, button);
        MainWindow window{PictureLibrary(dir->path())};
        QVERIFY(!window.loadStartingState().has_value());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseClick(window.Image6(), button);
        const QPoint pile(twipsToPixels(5040), twipsToPixels(2235));
        for (int i = 1; i <= 9; ++i)
            QCOMPARE(window.Image1(i)->pos(), pile);
        QVERIFY(window.Timer2()->isActive());
        QCOMPARE(window.secCount(), 0);
        // The grid outlines the board from (1, 1) to (4906, 5401) twips, drawn
        // on the cells' own pixels: its right and bottom lines on their last
        // column and row.
        const QRect board(0, 0, 327, 360);
        QCOMPARE(window.Line(1)->geometry(), QRect(0, 0, 1, 360));
        QCOMPARE(window.Line(4)->geometry(), QRect(326, 0, 1, 360));
        QCOMPARE(window.Line(7)->geometry(), QRect(0, 240, 327, 1));
        QCOMPARE(window.Line(8)->geometry(), QRect(0, 359, 327, 1));
        for (int n = 1; n <= 8; ++n) {
            QVERIFY(window.Line(n)->isVisible());
            QVERIFY2(board.contains(window.Line(n)->geometry()), qPrintable(QString::number(n)));
        }
        // The piece drawn last lies on top of the pile.
        const int front = window.board().frontPiece();
        QCOMPARE(window.childAt(pile + QPoint(50, 50)), window.Image1(front));
    }
    void startButtonPilesShufflesAndStartsTheClock_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::newRow("left") << Qt::LeftButton;
        QTest::newRow("right") << Qt::RightButton;
    }

    void pressAndReleaseOutsideTheButtonIsNoClick() {
        MainWindow window{PictureLibrary(dir->path())};
        QVERIFY(!window.loadStartingState().has_value());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mousePress(window.Image6(), Qt::LeftButton);
        QTest::mouseRelease(window.Image6(), Qt::LeftButton, {}, QPoint(-20, -20));
        QVERIFY(!window.Timer2()->isActive());
    }

    void missingPieceShowsANumberedTileAndTheGameGoesOn() {
        QVERIFY(QFile::remove(dir->path() + QStringLiteral("/999/1/4.gif")));
        QFile broken(dir->path() + QStringLiteral("/999/1/6.gif"));
        QVERIFY(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
        broken.write("GIF89a not really");
        broken.close();
        MainWindow window{PictureLibrary(dir->path())};
        QVERIFY(!window.loadStartingState().has_value());
        QCOMPARE(window.Image1(4)->size(), QSize(109, 120));
        QCOMPARE(window.Image1(6)->size(), QSize(109, 120));
        QCOMPARE(window.Image1(6)->pos(), QPoint(218, 120));
        window.StartPuzzle();
        QVERIFY(window.Timer2()->isActive());
    }

    void loadingAnotherPictureKeepsTheCellTargets() {
        MainWindow window{PictureLibrary(dir->path())};
        QVERIFY(!window.loadStartingState().has_value());
        const QImage before = window.Image1(1)->pixmap().toImage();
        window.StartPuzzle();
        window.LoadPieceImages(2);
        window.AssembleBoard();
        QVERIFY(window.Image1(1)->pixmap().toImage() != before);
        QCOMPARE(window.Image1(9)->pos(), QPoint(218, 240));
        QCOMPARE(window.board().cellLeft(3), 3271);
        QVERIFY(!window.board().gridVisible());
    }

    void badTextFileStopsTheStartUp_data() {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("expected");
        QTest::newRow("record 33") << "[1.a]\r\n[33.马]"
                                   << ", line 2: ";
        QTest::newRow("no dot") << "[1 a]"
                                << ", line 1: ";
        QTest::newRow("no bracket") << "\r\n[1.a"
                                    << ", line 2: ";
    }
    void badTextFileStopsTheStartUp() {
        QFETCH(QString, content);
        QFETCH(QString, expected);
        writeTexts(dir->path(), content);
        MainWindow window{PictureLibrary(dir->path())};
        const auto error = window.loadStartingState();
        QVERIFY(error.has_value());
        QVERIFY2(
            error->message().startsWith(dir->path() + QStringLiteral("/pictext.ini") + expected),
            qPrintable(error->message()));
    }

    void missingTextFileStopsTheStartUp() {
        QVERIFY(QFile::remove(dir->path() + QStringLiteral("/pictext.ini")));
        MainWindow window{PictureLibrary(dir->path())};
        const auto error = window.loadStartingState();
        QVERIFY(error.has_value());
        QVERIFY(error->message().contains(QStringLiteral("pictext.ini")));
    }

    void buttonsShowTheHandPointer() {
        MainWindow window{PictureLibrary(dir->path())};
        QVERIFY(!window.loadStartingState().has_value());
        const Qt::CursorShape hand = handCursor().shape();
        QVERIFY(hand == Qt::BitmapCursor || hand == Qt::PointingHandCursor);
        for (QWidget* button :
             {static_cast<QWidget*>(window.Image4()), static_cast<QWidget*>(window.Image5()),
              static_cast<QWidget*>(window.Image6()), static_cast<QWidget*>(window.Image7(3))})
            QCOMPARE(button->cursor().shape(), hand);
        QCOMPARE(window.List1()->cursor().shape(), Qt::ArrowCursor);
    }

    void dragCarriesThePieceAndSnapsItIntoACell() {
        MainWindow window{PictureLibrary(dir->path())};
        QVERIFY(!window.loadStartingState().has_value());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.StartPuzzle();
        const int piece = window.board().frontPiece();
        PictureControl* control = window.Image1(piece);
        // Grab the piece 30 px right and 40 px down of its corner; drop it so
        // that its corner lands 20 px right of cell 5's corner (within a third
        // of a width, 36 px).
        const QPoint grab(30, 40);
        QTest::mousePress(control, Qt::LeftButton, {}, grab);
        QCOMPARE(window.dragIndex(), piece);
        const QPoint target = QPoint(109 + 20, 120) + grab;
        QTest::mouseMove(control, target - control->pos());
        QCOMPARE(control->pos(), QPoint(129, 120));
        QTest::mouseRelease(control, Qt::LeftButton, {}, target - control->pos());
        QCOMPARE(control->pos(), QPoint(109, 120));
        QCOMPARE(window.board().piece(piece).left, 1636.0f);
        QCOMPARE(window.dragIndex(), 0);
        QVERIFY2(window.Timer2()->isActive(), "one piece in a cell completes nothing");
    }

    // Carried beyond the window's edge and let go there, a piece goes back
    // to the pile; a piece still showing a little stays where it is.
    void aPieceLetGoOutOfSightGoesBackToThePile() {
        MainWindow window{PictureLibrary(dir->path())};
        QVERIFY(!window.loadStartingState().has_value());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.StartPuzzle();
        const QPoint pile(twipsToPixels(5040), twipsToPixels(2235));
        for (const QPoint& corner : {QPoint(598, 200), QPoint(100, -130), QPoint(590, 350)}) {
            const int piece = window.board().frontPiece();
            PictureControl* control = window.Image1(piece);
            // Grabbed one pixel into its corner (QPoint(0, 0) would mean its middle).
            const QPoint grab(1, 1);
            QTest::mousePress(control, Qt::LeftButton, {}, grab);
            QTest::mouseMove(control, corner + grab - control->pos());
            QTest::mouseRelease(control, Qt::LeftButton, {}, corner + grab - control->pos());
            const bool outOfSight = !window.rect().intersects(QRect(corner, control->size()));
            QCOMPARE(control->pos(), outOfSight ? pile : corner);
        }
    }

    // At twice the layout's size a piece is carried, by the mouse or by a
    // finger, and caught as at its own size: the positions are twips, the
    // catch radius a third of a piece (72 pixels here).
    void dragAtScaleTwoSnapsIntoACell_data() {
        QTest::addColumn<bool>("finger");
        QTest::addColumn<int>("right");  // the corner let go right of cell 5's
        QTest::newRow("mouse, caught") << false << 70;
        QTest::newRow("mouse, missed") << false << 74;
        QTest::newRow("finger, caught") << true << 30;
    }
    void dragAtScaleTwoSnapsIntoACell() {
        QFETCH(bool, finger);
        QFETCH(int, right);
        MainWindow window{PictureLibrary(dir->path())};
        QVERIFY(!window.loadStartingState().has_value());
        window.resize(1196, 720);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.layoutScale(), LayoutScale(2.0, 0, 0));
        window.StartPuzzle();
        const int piece = window.board().frontPiece();
        PictureControl* control = window.Image1(piece);
        QCOMPARE(control->geometry(), QRect(672, 298, 218, 240));
        const QPoint grab(60, 80);
        const QPoint corner(218 + right, 240);
        if (finger) {
            QPointingDevice* screen = QTest::createTouchDevice();
            QTest::touchEvent(&window, screen).press(0, control->pos() + grab, &window);
            QTest::touchEvent(&window, screen).move(0, corner + grab, &window);
            QTest::touchEvent(&window, screen).release(0, corner + grab, &window);
        } else {
            QTest::mousePress(control, Qt::LeftButton, {}, grab);
            QTest::mouseMove(control, corner + grab - control->pos());
            QCOMPARE(control->pos(), corner);
            QTest::mouseRelease(control, Qt::LeftButton, {}, corner + grab - control->pos());
        }
        const bool caught = right < 72;
        QTRY_COMPARE(control->geometry(),
                     QRect(caught ? QPoint(218, 240) : corner, QSize(218, 240)));
        QCOMPARE(window.board().piece(piece).left, caught ? 1636.0f : 7.5f * corner.x());
        QCOMPARE(window.dragIndex(), 0);
    }

    // A window larger than the layout draws all of it larger, keeping its
    // proportions, in the middle of the room.
    void aLargerWindowDrawsTheWholeLayoutLarger_data() {
        QTest::addColumn<QSize>("windowSize");
        QTest::addColumn<double>("factor");
        QTest::addColumn<QPoint>("origin");
        QTest::newRow("twice") << QSize(1196, 720) << 2.0 << QPoint(0, 0);
        QTest::newRow("full HD") << QSize(1920, 1080) << 3.0 << QPoint(63, 0);
        QTest::newRow("upright tablet") << QSize(800, 1280) << 800.0 / 598 << QPoint(0, 399);
    }
    void aLargerWindowDrawsTheWholeLayoutLarger() {
        QFETCH(QSize, windowSize);
        QFETCH(double, factor);
        QFETCH(QPoint, origin);
        MainWindow window{PictureLibrary(dir->path())};
        QVERIFY(!window.loadStartingState().has_value());
        window.resize(windowSize);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const LayoutScale scale(factor, origin.x(), origin.y());
        QCOMPARE(window.layoutScale(), scale);
        const auto at = [&](const RectTwips& r) {
            const PixelRect p = scale.rect(r);
            return QRect(p.x, p.y, p.width, p.height);
        };
        QCOMPARE(window.Image6()->geometry(), at({5040, 120, 1710, 705}));
        QCOMPARE(window.List1()->geometry(), at({6840, 120, 2055, 4560}));
        QCOMPARE(window.Image1(9)->geometry(), at({3271, 3601, 1635, 1800}));
        QCOMPARE(window.Label1()->font().pointSizeF(), 15.75 * factor);
        QCOMPARE(window.Text2()->font().pointSizeF(), 12 * factor);
        QCOMPARE(window.merlin()->scale(), factor);
        // The room left beside or below the layout shows the background.
        const QImage shot = window.grab().toImage();
        QCOMPARE(QColor(shot.pixel(windowSize.width() - 1, windowSize.height() - 1)),
                 QColor(255, 202, 202));
        // Start piles the pieces at the same place in the layout.
        window.StartPuzzle();
        QCOMPARE(window.Image1(1)->pos(), at({5040, 2235, 1, 1}).topLeft());
    }

    // Drawn larger, a piece comes from its larger version when there is one
    // that shows the same picture; a version left over from an older
    // picture, or of the wrong size, is passed over for the GIF.
    void piecesComeFromTheirSharpestFittingVersion() {
        const QString folder = dir->path() + QStringLiteral("/999/1/");
        const auto writeVersion = [&](int piece, int scale, const QColor& colour) {
            QImage larger(109 * scale, 120 * scale, QImage::Format_RGB32);
            larger.fill(colour);
            QVERIFY(larger.save(folder + QStringLiteral("%1@%2x.png").arg(piece).arg(scale)));
        };
        const auto gifColour = [&](int piece) {
            return QImage(folder + QStringLiteral("%1.gif").arg(piece)).pixelColor(0, 0);
        };
        writeVersion(1, 2, gifColour(1));
        writeVersion(2, 2, Qt::black);  // an older picture's
        QImage wrong(100, 100, QImage::Format_RGB32);
        wrong.fill(gifColour(3));
        QVERIFY(wrong.save(folder + QStringLiteral("3@3x.png")));
        writeVersion(4, 3, gifColour(4));

        MainWindow window{PictureLibrary(dir->path())};
        QVERIFY(!window.loadStartingState().has_value());
        const auto ratio = [&](int piece) {
            return window.Image1(piece)->pixmap().devicePixelRatio();
        };
        QCOMPARE(ratio(1), 1.0);
        QCOMPARE(window.Image6()->pixmap().devicePixelRatio(), 1.0);
        window.resize(1196, 720);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(ratio(1), 2.0);
        QCOMPARE(ratio(2), 1.0);
        QCOMPARE(ratio(3), 1.0);
        QCOMPARE(ratio(4), 3.0);  // no 2x version: the next larger
        QCOMPARE(window.Image6()->pixmap().devicePixelRatio(), 2.0);
        // Whatever version is drawn, the piece keeps its size in the layout.
        QCOMPARE(window.board().piece(1).width, 1635.0f);
        QCOMPARE(window.board().piece(4).height, 1800.0f);
    }

    // Ctrl + and Ctrl - step the window's size within what the screen holds,
    // F11 fills the screen, and the next start opens the window as it was left.
    void zoomKeysAndFullScreenAreRememberedForTheNextRun() {
        const QString settingsFile = dir->path() + QStringLiteral("/config/tukomi/window.ini");
        double largest = 0;
        {
            MainWindow window{PictureLibrary(dir->path())};
            window.setWindowSettingsFile(settingsFile);
            QVERIFY(!window.loadStartingState().has_value());
            window.showAsRemembered();
            QVERIFY(QTest::qWaitForWindowActive(&window));
            largest = window.largestZoom();
            QVERIFY2(largest > 1.25 && largest < 1.5, qPrintable(QString::number(largest)));
            const auto key = [&](Qt::Key k, Qt::KeyboardModifiers m, double zoom) {
                QTest::keyClick(&window, k, m);
                QCOMPARE(window.zoom(), zoom);
                QCOMPARE(window.size(), QSize(qRound(598 * zoom), qRound(360 * zoom)));
            };
            key(Qt::Key_Plus, Qt::ControlModifier, 1.25);
            key(Qt::Key_Equal, Qt::ControlModifier, largest);
            key(Qt::Key_Plus, Qt::ControlModifier, largest);  // the screen holds no more
            key(Qt::Key_Minus, Qt::ControlModifier, 1.25);
            key(Qt::Key_0, Qt::ControlModifier, 1.0);
            key(Qt::Key_Minus, Qt::ControlModifier, 1.0);
            QCOMPARE(WindowSettings::load(settingsFile), (WindowSettings{1.0, WindowMode::Normal}));
            key(Qt::Key_Plus, Qt::ControlModifier, 1.25);
            QTest::keyClick(&window, Qt::Key_F11);
            QTRY_VERIFY(window.isFullScreen());
            QTRY_COMPARE(window.size(), window.screen()->size());
            QVERIFY(window.layoutScale().factor() > largest);
        }
        QCOMPARE(WindowSettings::load(settingsFile),
                 (WindowSettings{1.25, WindowMode::FullScreen}));
        MainWindow again{PictureLibrary(dir->path())};
        again.setWindowSettingsFile(settingsFile);
        QVERIFY(!again.loadStartingState().has_value());
        again.showAsRemembered();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QTRY_VERIFY(again.isFullScreen());
        // Escape leaves full screen for the window it was; Ctrl - in full
        // screen gives a window a step smaller than the screen.
        QTest::keyClick(&again, Qt::Key_Escape);
        QTRY_VERIFY(!again.isFullScreen());
        QCOMPARE(again.size(), QSize(748, 450));
        QTest::keyClick(&again, Qt::Key_F11);
        QTRY_COMPARE(again.size(), again.screen()->size());
        QTest::keyClick(&again, Qt::Key_Minus, Qt::ControlModifier);
        QTRY_VERIFY(!again.isFullScreen());
        QCOMPARE(again.zoom(), 1.25);
    }

    void puttingEveryPieceRightCompletesThePicture() {
        MainWindow window{PictureLibrary(dir->path())};
        QVERIFY(!window.loadStartingState().has_value());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy completed(&window, &MainWindow::puzzleCompleted);
        window.StartPuzzle();
        for (int n = 0; n < 9; ++n) {
            // Always take the piece on top of the pile, as a child would.
            const auto& order = window.board().stackingOrder();
            const auto onPile = std::find_if(order.rbegin(), order.rend(), [&](int i) {
                return window.board().piece(i).left == window.pileLeft();
            });
            QVERIFY(onPile != order.rend());
            const int piece = *onPile;
            PictureControl* control = window.Image1(piece);
            const QPoint cell((piece - 1) % 3 * 109, (piece - 1) / 3 * 120);
            QTest::mousePress(control, Qt::LeftButton, {}, QPoint(5, 5));
            QTest::mouseMove(control, cell + QPoint(8, 2) - control->pos());
            QTest::mouseRelease(control, Qt::LeftButton, {}, cell + QPoint(8, 2) - control->pos());
            QCOMPARE(completed.count(), n == 8 ? 1 : 0);
        }
        QVERIFY(!window.Timer2()->isActive());
        QVERIFY(!window.board().gridVisible());
        for (int n = 1; n <= 8; ++n)
            QVERIFY(!window.Line(n)->isVisible());
        QCOMPARE(window.form2str(), QStringLiteral("小猫"));
        // The assistant says the text with the picture's recording, not waited for.
        QVERIFY(window.merlin());
        QVERIFY(window.merlin()->isBusy());
        QSignalSpy spoke(window.merlin(), &Assistant::speechStarted);
        QVERIFY(spoke.wait(5000));
        QCOMPARE(spoke.first().first().toString(), QStringLiteral("小猫"));
    }

    void completedPictureOpensItsExplanationAboveTheWindow() {
        MainWindow window{PictureLibrary(dir->path())};
        QVERIFY(!window.loadStartingState().has_value());
        CountingSpeech speech;
        window.setSpeechLibrary(&speech);
        connect(&window, &MainWindow::puzzleCompleted, &window, &MainWindow::ShowExplanation);
        window.move(300, 400);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QRect explanation;
        QString title, text;
        QTimer::singleShot(0, this, [&] {
            ExplanationWindow* form2 = window.explanationWindow();
            QVERIFY(form2);
            title = form2->windowTitle();
            text = form2->Label1()->text();
            explanation = form2->frameGeometry();
            form2->reject();
        });
        // A click on a piece of the assembled picture completes it.
        QTest::mouseClick(window.Image1(5), Qt::LeftButton);
        QCOMPARE(title, QStringLiteral("图片解释"));
        QCOMPARE(text, QStringLiteral("小猫  "));
        QCOMPARE(explanation.bottom() + 1, window.frameGeometry().top());
        QCOMPARE(explanation.center().x(), window.frameGeometry().center().x());
        QCOMPARE(speech.started, 1);
        QCOMPARE(speech.closed, 1);
        QCOMPARE(window.explanationWindow(), nullptr);
        QCOMPARE(window.dragIndex(), 0);
    }

    // A picture completed after Start is marked in the list with its best
    // time, and the mark is there again at the next start; a picture only
    // clicked while shown whole is not.
    void completedPicturesAreRememberedBetweenRuns() {
        // The entry as a reader sees it, without the characters that keep its
        // mark on one line.
        const auto shown = [](QListWidgetItem* entry) {
            return entry->text().replace(QChar(0x00A0), u' ').remove(QChar(0x2060));
        };
        const QString progressFile = dir->path() + QStringLiteral("/data/tukomi/progress.ini");
        QVERIFY(QDir().mkpath(dir->path() + QStringLiteral("/data/tukomi")));
        QFile foreign(progressFile);
        QVERIFY(foreign.open(QIODevice::WriteOnly));
        foreign.write("not ours\n1=1\n");
        foreign.close();
        {
            MainWindow window{PictureLibrary(dir->path())};
            window.setProgressFile(progressFile);
            QVERIFY(!window.loadStartingState().has_value());
            QCOMPARE(window.List1()->item(0)->text(), QStringLiteral("1.小猫"));
            window.CompletePuzzle();
            QCOMPARE(window.List1()->item(0)->text(), QStringLiteral("1.小猫"));
            for (int seconds : {40, 25, 30}) {
                window.StartPuzzle();
                for (int tick = 0; tick < seconds; ++tick)
                    window.advanceClock();
                window.CompletePuzzle();
            }
            QCOMPARE(shown(window.List1()->item(0)), QStringLiteral("1.小猫 ✓ 25秒"));
            QCOMPARE(window.List1()->item(1)->text(), QStringLiteral("2.小狗"));
        }
        MainWindow again{PictureLibrary(dir->path())};
        again.setProgressFile(progressFile);
        QVERIFY(!again.loadStartingState().has_value());
        QCOMPARE(shown(again.List1()->item(0)), QStringLiteral("1.小猫 ✓ 25秒"));
        QCOMPARE(again.progress().bestSeconds(1), std::optional<int>(25));
    }

    void missingCharacterStopsTheStartUpBeforeTheTexts() {
        QVERIFY(QFile::remove(dir->path() + QStringLiteral("/merlin.acs")));
        writeTexts(dir->path(), QStringLiteral("[99.x]"));
        MainWindow window{PictureLibrary(dir->path())};
        const auto error = window.loadStartingState();
        QVERIFY(error.has_value());
        QVERIFY2(error->message().contains(QStringLiteral("merlin.acs")),
                 qPrintable(error->message()));
        QCOMPARE(window.List1()->count(), 0);
    }

    void completingAPictureBeyondTheListUsesAnEmptyText() {
        // Forty picture folders, the last ones without pieces, and 40 typed.
        for (int n = 4; n <= 40; ++n)
            QVERIFY(QDir(dir->path()).mkpath(QStringLiteral("999/%1").arg(n)));
        MainWindow window{PictureLibrary(dir->path())};
        QVERIFY(!window.loadStartingState().has_value());
        window.ChooseByNumber(QStringLiteral("40"));
        QCOMPARE(window.start(), 40);
        window.CompletePuzzle();
        QCOMPARE(window.form2str(), QString());
    }

    void secondsClockCountsFromStart() {
        MainWindow window{PictureLibrary(dir->path())};
        QVERIFY(!window.loadStartingState().has_value());
        window.StartPuzzle();
        for (int i = 0; i < 40; ++i)
            window.advanceClock();
        QCOMPARE(window.Label3()->text(), QStringLiteral("40秒"));
        // Start again: the count restarts, the label keeps the old time until the next tick.
        window.StartPuzzle();
        QCOMPARE(window.secCount(), 0);
        QCOMPARE(window.Label3()->text(), QStringLiteral("40秒"));
        window.advanceClock();
        QCOMPARE(window.Label3()->text(), QStringLiteral("1秒"));
        for (int i = 0; i < 74; ++i)
            window.advanceClock();
        QCOMPARE(window.Label3()->text(), QStringLiteral("75秒"));
    }

    void bannerTurnsThroughItsSixFrames() {
        MainWindow window{PictureLibrary(dir->path())};
        QVERIFY(!window.loadStartingState().has_value());
        QCOMPARE(window.frontBannerFrame(), 0);
        QList<int> fronts;
        for (int tick = 0; tick < 7; ++tick) {
            window.turnBanner();
            fronts << window.frontBannerFrame();
        }
        QCOMPARE(fronts, (QList<int>{1, 2, 3, 4, 5, 0, 1}));
        // The frame in front is the one a click reaches.
        const QPoint banner = window.Image7(0)->geometry().center();
        QCOMPARE(window.childAt(banner), window.Image7(1));
    }

    void bannerClickOpensTheGamesPage() {
        MainWindow window{PictureLibrary(dir->path())};
        QVERIFY(!window.loadStartingState().has_value());
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        for (int frame : {0, 4})
            QTest::mouseClick(window.Image7(frame), Qt::RightButton);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(catcher.opened.size(), 2);
        QCOMPARE(catcher.opened[0], catcher.opened[1]);
        QCOMPARE(catcher.opened[0].toLocalFile(),
                 dir->path() + QStringLiteral("/about/index.html"));
    }

    void buttonsListAndNumberBoxChooseThePicture() {
        MainWindow window{PictureLibrary(dir->path())};
        QVERIFY(!window.loadStartingState().has_value());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto pieceOf = [&](int picture) {
            return QImage(QStringLiteral("%1/999/%2/1.gif").arg(dir->path()).arg(picture))
                .convertToFormat(QImage::Format_RGB32);
        };
        const auto shownPiece = [&] {
            return window.Image1(1)->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
        };
        window.StartPuzzle();
        QTest::mouseClick(window.Image4(), Qt::LeftButton);
        QCOMPARE(window.start(), 2);
        QCOMPARE(window.Text2()->text(), QStringLiteral("2"));
        QCOMPARE(window.List1()->currentRow(), 1);
        QCOMPARE(window.windowTitle(), QStringLiteral("Mibaro 1.0版  文字解释：小狗"));
        QVERIFY(!window.Timer2()->isActive());
        QVERIFY(!window.board().gridVisible());
        QCOMPARE(shownPiece(), pieceOf(2));

        // Three folders: previous from 1 wraps to 3.
        QTest::mouseClick(window.Image5(), Qt::LeftButton);
        QTest::mouseClick(window.Image5(), Qt::LeftButton);
        QCOMPARE(window.start(), 3);
        QCOMPARE(shownPiece(), pieceOf(3));

        // A list click during play keeps the clock running.
        window.StartPuzzle();
        QListWidgetItem* first = window.List1()->item(0);
        QTest::mouseClick(window.List1()->viewport(), Qt::LeftButton, {},
                          window.List1()->visualItemRect(first).center());
        QCOMPARE(window.start(), 1);
        QVERIFY(window.Timer2()->isActive());
        QCOMPARE(window.windowTitle(), QStringLiteral("Mibaro 1.0版  文字解释：小猫"));

        // Typing into the number box: the caption stays.
        window.Text2()->selectAll();
        QTest::keyClicks(window.Text2(), QStringLiteral("2"));
        QCOMPARE(window.start(), 2);
        QCOMPARE(shownPiece(), pieceOf(2));
        QTest::keyClick(window.Text2(), Qt::Key_Backspace);
        QCOMPARE(window.start(), 2);  // an empty box keeps the picture
        QTest::keyClicks(window.Text2(), QStringLiteral("9"));
        QCOMPARE(window.start(), 1);
        QCOMPARE(window.Text2()->text(), QStringLiteral("1"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Mibaro 1.0版  文字解释：小猫"));
    }

private:
    std::unique_ptr<QTemporaryDir> dir;
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
