#include "main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "art.h"
#include "assistant.h"
#include "clock_banner.h"
#include "explanation_window.h"
#include "image_choice.h"
#include "picture_control.h"
#include "sharp_image.h"
#include "speech_library.h"
#include "zoom.h"

namespace tukomi {
namespace {

const QColor kBackColour(255, 192, 192);
// The background picture, a plain square of this colour, covers the whole
// client area; where a larger window leaves room around the layout it
// covers that too.
const QColor kBackgroundPictureColour(255, 202, 202);
const QColor kCaptionRed(255, 0, 0);

// Pieces of the game's pictures are 109 x 120 pixels; a missing piece is
// shown as a tile of that size.
constexpr QSize kCellPixels(109, 120);

constexpr RectTwips kStartButton{5040, 120, 1710, 705};
constexpr RectTwips kNextButton{5040, 840, 1710, 705};
constexpr RectTwips kPreviousButton{5040, 1560, 1710, 735};
constexpr RectTwips kBanner{5040, 4560, 1755, 720};
constexpr RectTwips kPictureList{6840, 120, 2055, 4560};
constexpr RectTwips kLabel1{5160, 4080, 615, 375};
constexpr RectTwips kText2{5640, 4080, 615, 375};
constexpr RectTwips kLabel2{6240, 4080, 615, 375};
constexpr RectTwips kLabel3{6840, 4800, 2055, 375};

// How long a window manager is given to carry out "full screen" or
// "maximised" before the window does it itself.
constexpr int kWindowManagerGraceMs = 300;

// What a window frame may add to the explanation window's width, when this
// window has none to go by (full screen).
constexpr int kExplanationFrameAllowancePixels = 16;

const char* const kBannerCaptions[TurningBanner::kFrameCount] = {
    "识字拼图", "看图识字", "快乐学习", "听一听", "拼一拼", "关于我们"};

QRect toQRect(const PixelRect& r) {
    return QRect(r.x, r.y, r.width, r.height);
}

// The versions the game's own pictures come in.
std::vector<int> bundledImageScales() {
    std::vector<int> scales{1};
    scales.insert(scales.end(), kSharperImageScales.begin(), kSharperImageScales.end());
    return scales;
}

bool fillsTheScreen(Qt::WindowStates state) {
    return state & (Qt::WindowMaximized | Qt::WindowFullScreen);
}

QFont chineseFont(const char* family, double points) {
    QFont font(QString::fromUtf8(family));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

void paintOnPink(QWidget* w, const QColor& text) {
    QPalette palette = w->palette();
    palette.setColor(QPalette::Window, kBackColour);
    palette.setColor(QPalette::Base, kBackColour);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    w->setPalette(palette);
    w->setAutoFillBackground(true);
}

}  // namespace

MainWindow::MainWindow(PictureLibrary library, Board::UniformSource shuffleSource, QWidget* parent)
    : QWidget(parent), library_(std::move(library)), board_(std::move(shuffleSource)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(caption());
    setWindowIcon(programIcon());
    // Never smaller than the layout's own size; larger windows draw it larger.
    setMinimumSize(clientSizeFor(kMinZoom));
    resize(clientSizeFor(zoom_));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kBackColour);
    setPalette(palette);
    createControls();
    createShortcuts();
    relayout();
}

MainWindow::~MainWindow() = default;

QString MainWindow::caption() {
    return QStringLiteral("Mibaro 1.0版");
}

void MainWindow::createControls() {
    // The grid lines come first so that the pieces are drawn over them.
    for (int n = 1; n <= Board::kLineCount; ++n) {
        auto* line = new QFrame(this);
        line->setObjectName(QStringLiteral("Line%1").arg(n));
        line->setFrameShape(QFrame::NoFrame);
        line->setAutoFillBackground(true);
        QPalette p = line->palette();
        p.setColor(QPalette::Window, p.color(QPalette::WindowText));
        line->setPalette(p);
        line->hide();
        lines_[static_cast<std::size_t>(n - 1)] = line;
    }
    for (int i = 1; i <= Board::kPieceCount; ++i) {
        auto* piece = new PictureControl(this);
        piece->setObjectName(QStringLiteral("Image1_%1").arg(i));
        // Drawn at the size the layout's factor gives the piece.
        piece->setScaledContents(true);
        image1_[static_cast<std::size_t>(i - 1)] = piece;
        connect(piece, &PictureControl::mousePressed, this,
                [this, i](Qt::MouseButton, QPointF pointer) { onPiecePressed(i, pointer); });
        connect(piece, &PictureControl::mouseMoved, this, &MainWindow::onPieceMoved);
        connect(piece, &PictureControl::mouseReleased, this, [this] { onPieceReleased(); });
    }
    createPictureButtons();
    createInfoControls();
}

void MainWindow::createPictureButtons() {
    // Pictures and the hand pointer come with the first layout.
    auto makeButton = [&](const char* name, const char* art, const char* caption,
                          const RectTwips& place) {
        auto* button = new PictureControl(this);
        button->setObjectName(QString::fromLatin1(name));
        button->setScaledContents(true);
        buttonArt_.push_back({button, QString::fromLatin1(art), QString::fromUtf8(caption), place});
        this->place(button, place);
        return button;
    };
    image6_ = makeButton("Image6", "start", "开始", kStartButton);
    image4_ = makeButton("Image4", "next", "下一张", kNextButton);
    image5_ = makeButton("Image5", "previous", "上一张", kPreviousButton);
    std::array<PictureControl*, TurningBanner::kFrameCount> bannerFrames{};
    for (int i = 0; i < TurningBanner::kFrameCount; ++i) {
        const QByteArray name = "Image7_" + QByteArray::number(i);
        const QByteArray art = "banner" + QByteArray::number(i);
        bannerFrames[static_cast<std::size_t>(i)] =
            makeButton(name.constData(), art.constData(), kBannerCaptions[i], kBanner);
    }
    banner_ = new TurningBanner(bannerFrames, this);
    connect(image6_, &PictureControl::clicked, this, [this] { StartPuzzle(); });
    connect(image4_, &PictureControl::clicked, this, [this] { NextPicture(); });
    connect(image5_, &PictureControl::clicked, this, [this] { PreviousPicture(); });
    for (PictureControl* frame : bannerFrames)
        connect(frame, &PictureControl::clicked, this, &MainWindow::openProductPage);
}

void MainWindow::createInfoControls() {
    list1_ = new QListWidget(this);
    list1_->setObjectName(QStringLiteral("List1"));
    place(list1_, kPictureList, list1_->font());
    list1_->setSelectionMode(QAbstractItemView::SingleSelection);
    // The entry of a completed picture carries its mark on a second line when
    // the list is too narrow for both.
    list1_->setWordWrap(true);
    list1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    paintOnPink(list1_, palette().color(QPalette::Text));
    // A click chooses the entry, also when it is already selected; Enter and
    // a double click choose it too.
    connect(list1_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { ChooseFromList(list1_->row(item)); });
    connect(list1_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { ChooseFromList(list1_->row(item)); });

    auto makeLabel = [&](const char* name, const char* text, const RectTwips& place,
                         const QFont& font, const QColor& colour) {
        auto* label = new QLabel(QString::fromUtf8(text), this);
        label->setObjectName(QString::fromLatin1(name));
        this->place(label, place, font);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        paintOnPink(label, colour);
        return label;
    };
    label1_ = makeLabel("Label1", "第", kLabel1, chineseFont("新宋体", 15.75), kCaptionRed);
    label2_ = makeLabel("Label2", "张", kLabel2, chineseFont("新宋体", 15.75), kCaptionRed);
    label3_ = makeLabel("Label3", "0秒", kLabel3, chineseFont("宋体", 15),
                        palette().color(QPalette::WindowText));
    clock_ = new SecondsClock(label3_, this);

    text2_ = new QLineEdit(this);
    text2_->setObjectName(QStringLiteral("Text2"));
    place(text2_, kText2, chineseFont("宋体", 12));
    text2_->setFrame(true);
    text2_->setTextMargins(0, 0, 0, 0);
    paintOnPink(text2_, kCaptionRed);
    // Only the child's typing counts as a change; the game sets the text itself
    // where it must.
    connect(text2_, &QLineEdit::textEdited, this,
            [this](const QString& text) { ChooseByNumber(text); });
}

void MainWindow::createShortcuts() {
    // Ctrl + on keyboards where + is the shifted = key is also Ctrl =.
    const auto add = [this](const QKeySequence& keys, void (MainWindow::*action)()) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, action);
        return shortcut;
    };
    add(QKeySequence::ZoomIn, &MainWindow::zoomIn);
    add(QKeySequence(Qt::CTRL | Qt::Key_Equal), &MainWindow::zoomIn);
    add(QKeySequence::ZoomOut, &MainWindow::zoomOut);
    add(QKeySequence(Qt::CTRL | Qt::Key_0), &MainWindow::resetZoom);
    add(QKeySequence(Qt::Key_F11), &MainWindow::toggleFullScreen);
    // Escape is the way out of full screen a child's teacher tries first;
    // otherwise the key is left alone.
    leaveFullScreen_ = add(QKeySequence(Qt::Key_Escape), &MainWindow::toggleFullScreen);
    leaveFullScreen_->setEnabled(false);
}

void MainWindow::place(QWidget* widget, const RectTwips& place, std::optional<QFont> font) {
    placements_.push_back({widget, place, std::move(font)});
}

QSize MainWindow::clientSizeFor(double zoom) const {
    const LayoutScale scale(zoom, 0, 0);
    return QSize(scale.width(kClientWidthTwips), scale.height(kClientHeightTwips));
}

double MainWindow::deviceScale() const {
    return scale_.factor() * devicePixelRatioF();
}

void MainWindow::relayout() {
    scale_ = LayoutScale::fitting(kClientWidthTwips, kClientHeightTwips, width(), height());
    dragging_.setView(scale_, width(), height());
    // A new picture takes its own size; the layout then gives it its place.
    choosePicturesForScale();
    for (const Placement& p : placements_) {
        p.widget->setGeometry(toQRect(scale_.rect(p.place)));
        if (p.font) {
            QFont font = *p.font;
            font.setPointSizeF(scale_.points(p.font->pointSizeF()));
            p.widget->setFont(font);
        }
    }
    // The list's scroll bar grows with its text, so that a finger finds it.
    const int scrollBarWidth = static_cast<int>(
        std::lround(scale_.factor() * style()->pixelMetric(QStyle::PM_ScrollBarExtent)));
    const QString scrollBarStyle =
        QStringLiteral("QScrollBar:vertical { width: %1px; }").arg(scrollBarWidth);
    if (list1_->verticalScrollBar()->styleSheet() != scrollBarStyle)
        list1_->verticalScrollBar()->setStyleSheet(scrollBarStyle);
    mirrorBoard();
    if (merlin_) {
        merlin_->setScale(scale_.factor(), QPoint(scale_.originX(), scale_.originY()));
        // The pieces just put in their stacking order must not cover it.
        if (merlin_->isVisible())
            merlin_->raise();
    }
    update();
}

void MainWindow::choosePicturesForScale() {
    const int imageScale = chooseImageScale(bundledImageScales(), deviceScale());
    if (imageScale != artImageScale_) {
        artImageScale_ = imageScale;
        for (const ButtonArt& b : buttonArt_) {
            const QSize size(LayoutScale().width(b.place.width),
                             LayoutScale().height(b.place.height));
            b.button->setPicture(buttonPicture(b.art, b.caption, size, deviceScale()));
        }
    }
    // Pieces of the picture shown come again from the versions that suit.
    if (shownPicture_ > 0 && imageScale != pieceImageScale_)
        LoadPieceImages(shownPicture_);
    // The pointer grows in whole steps, as pointers do.
    const int cursorScale = std::max(1, static_cast<int>(std::lround(scale_.factor())));
    if (cursorScale != cursorScale_) {
        cursorScale_ = cursorScale;
        const QCursor hand = handCursor(cursorScale);
        for (const ButtonArt& b : buttonArt_)
            b.button->setCursor(hand);
    }
}

double MainWindow::largestZoom() const {
    const QScreen* screen = this->screen();
    if (!screen)
        return kMinZoom;
    const QRect room = screen->availableGeometry();
    const QSize frame = frameGeometry().size() - size();
    return LayoutScale::fitting(kClientWidthTwips, kClientHeightTwips, room.width() - frame.width(),
                                room.height() - frame.height())
        .factor();
}

void MainWindow::setZoom(double zoom) {
    const QScopedValueRollback<bool> ours(changingWindowState_, true);
    zoom_ = clampZoom(zoom, largestZoom());
    if (fillsTheScreen(windowState()))
        showNormal();
    // Grown or shrunk about its middle, and kept on the screen.
    const QPoint middle = geometry().center();
    QRect client(QPoint(), clientSizeFor(zoom_));
    client.moveCenter(middle);
    if (const QScreen* screen = this->screen()) {
        const QRect room = screen->availableGeometry();
        const QPoint frameTopLeft = geometry().topLeft() - frameGeometry().topLeft();
        const QSize frame = frameGeometry().size() - size();
        QRect outer(client.topLeft() - frameTopLeft, client.size() + frame);
        outer.moveLeft(std::clamp(outer.left(), room.left(),
                                  std::max(room.left(), room.right() + 1 - outer.width())));
        outer.moveTop(std::clamp(outer.top(), room.top(),
                                 std::max(room.top(), room.bottom() + 1 - outer.height())));
        client.moveTopLeft(outer.topLeft() + frameTopLeft);
    }
    setGeometry(client);
    rememberWindow();
}

void MainWindow::zoomIn() {
    const double now = fillsTheScreen(windowState()) ? scale_.factor() : zoom_;
    const double larger = tukomi::zoomIn(now, largestZoom());
    // Filling the screen, the window is as large as it can be already.
    if (larger > scale_.factor() + 0.005 || !fillsTheScreen(windowState()))
        setZoom(larger);
}

void MainWindow::zoomOut() {
    const double now = fillsTheScreen(windowState()) ? scale_.factor() : zoom_;
    setZoom(tukomi::zoomOut(now));
}

void MainWindow::resetZoom() {
    setZoom(kMinZoom);
}

void MainWindow::toggleFullScreen() {
    if (isFullScreen()) {
        if (maximizedBeforeFullScreen_)
            showFillingTheScreen(WindowMode::Maximized);
        else
            setZoom(zoom_);
    } else {
        maximizedBeforeFullScreen_ = isMaximized();
        showFillingTheScreen(WindowMode::FullScreen);
    }
    rememberWindow();
}

void MainWindow::showFillingTheScreen(WindowMode mode) {
    // The size it returns to stays the one it had.
    const QScopedValueRollback<bool> ours(changingWindowState_, true);
    if (mode == WindowMode::FullScreen) {
        // Laid out for the whole screen before it shows, so that its first
        // frame is already full screen, with or without a window manager.
        if (const QScreen* screen = this->screen())
            setGeometry(screen->geometry());
        showFullScreen();
    } else {
        showMaximized();
    }
    QTimer::singleShot(kWindowManagerGraceMs, this, &MainWindow::fillScreenIfNobodyDid);
}

void MainWindow::fillScreenIfNobodyDid() {
    // Without a window manager (a kiosk, a test display) nobody carries the
    // request out; the window then takes the room itself.
    const QScreen* screen = this->screen();
    if (!screen)
        return;
    const QRect room = isFullScreen()  ? screen->geometry()
                       : isMaximized() ? screen->availableGeometry()
                                       : QRect();
    if (room.isValid() && frameGeometry().size() != room.size())
        setGeometry(room);
}

void MainWindow::setWindowSettingsFile(const QString& path) {
    windowSettingsFile_ = path;
    remembered_ = path.isEmpty() ? WindowSettings{} : WindowSettings::load(path);
    // A window left larger on a larger screen opens as large as this one holds.
    zoom_ = clampZoom(remembered_.zoom, largestZoom());
    const QScreen* screen = this->screen();
    if (remembered_.mode == WindowMode::FullScreen && screen)
        setGeometry(screen->geometry());
    else
        resize(clientSizeFor(zoom_));
    // Hidden, the window hears of its new size only when it shows.
    relayout();
}

void MainWindow::showAsRemembered() {
    if (remembered_.mode != WindowMode::Normal) {
        showFillingTheScreen(remembered_.mode);
        return;
    }
    resize(clientSizeFor(zoom_));
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    show();
}

void MainWindow::rememberWindow() const {
    if (windowSettingsFile_.isEmpty())
        return;
    WindowSettings settings;
    settings.zoom = zoom_;
    const Qt::WindowStates state = windowState();
    settings.mode = state & Qt::WindowFullScreen  ? WindowMode::FullScreen
                    : state & Qt::WindowMaximized ? WindowMode::Maximized
                                                  : WindowMode::Normal;
    QString error;
    // Like the progress, not worth troubling the child with.
    if (!settings.save(windowSettingsFile_, &error))
        qWarning("tukomi: the window's size cannot be saved in %s: %s",
                 qPrintable(windowSettingsFile_), qPrintable(error));
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
    // A window the user drags to another size keeps that size; one that
    // fills the screen keeps the size it will return to.
    if (!changingWindowState_ && !fillsTheScreen(windowState()) && size() != clientSizeFor(zoom_))
        zoom_ = clampZoom(scale_.factor(), kMaxZoom);
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    leaveFullScreen_->setEnabled(isFullScreen());
    if (changingWindowState_)
        return;
    // The window manager may have resized the window before telling it was
    // maximised; the size it returns to is the one to keep.
    if (fillsTheScreen(windowState()) && normalGeometry().isValid() &&
        normalGeometry().size() != clientSizeFor(zoom_))
        zoom_ = clampZoom(LayoutScale::fitting(kClientWidthTwips, kClientHeightTwips,
                                               normalGeometry().width(), normalGeometry().height())
                              .factor(),
                          kMaxZoom);
    if (isVisible())
        rememberWindow();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    rememberWindow();
    QWidget::closeEvent(event);
}

std::optional<LoadError> MainWindow::loadStartingState() {
    LoadPinyinTable();
    start_ = 1;
    // The window starts with the pieces of picture 1, laid out as the whole
    // picture; the grid lines are parked out of sight and stay there.
    LoadPieceImages(start_);
    board_.AssembleBoard(/*hideGrid=*/false);
    board_.ComputeCellTargets();
    if (auto error = LoadAssistant())
        return error;
    merlin_->setScale(scale_.factor(), QPoint(scale_.originX(), scale_.originY()));
    if (auto error = library_.ReadPictureTexts(picText_))
        return error;
    if (!progressFile_.isEmpty())
        progress_ = Progress::load(progressFile_);
    list1_->clear();
    list1_->addItems(PictureLibrary::FillPictureList(picText_, progress_));
    list1_->setCurrentRow(-1);
    // The number box takes the keyboard, so that the list does not make its
    // first entry current when the window gets the focus.
    text2_->setFocus();
    showPictureNumber();
    mirrorBoard();
    banner_->start();
    return std::nullopt;
}

void MainWindow::LoadPinyinTable() {
    Text3_ = PinyinTable::LoadPinyinParts();
    PinYinStr1_.clear();
    qsizetype length = 0;
    for (const QString& part : Text3_)
        length += part.size();
    PinYinStr1_.reserve(length);
    for (const QString& part : Text3_)
        PinYinStr1_ += part;
}

std::optional<LoadError> MainWindow::LoadAssistant() {
    LoadError error;
    merlin_ =
        Assistant::Load(library_.programFolder() + QStringLiteral("/merlin.acs"), this, &error);
    if (!merlin_)
        return error;
    return std::nullopt;
}

void MainWindow::LoadPieceImages(int n) {
    shownPicture_ = n;
    pieceImageScale_ = chooseImageScale(bundledImageScales(), deviceScale());
    for (int i = 1; i <= Board::kPieceCount; ++i) {
        QPixmap picture = loadSharpestImage(library_.piecePath(n, i), deviceScale());
        if (picture.isNull())
            picture = missingPiecePicture(i, kCellPixels, deviceScale());
        Image1(i)->setPicture(picture);
        // The piece's size in the layout is its picture's at factor 1,
        // whichever version is drawn.
        const QSizeF size = picture.deviceIndependentSize();
        board_.setPieceSize(i, pixelsToTwips(qRound(size.width())),
                            pixelsToTwips(qRound(size.height())));
    }
    mirrorBoard();
}

void MainWindow::AssembleBoard() {
    board_.AssembleBoard();
    mirrorBoard();
}

void MainWindow::StartPuzzle() {
    clock_->restart();
    board_.StartPuzzle(pileLeft(), pileTop());
    mirrorBoard();
}

float MainWindow::pileLeft() const {
    return kStartButton.left;
}

float MainWindow::pileTop() const {
    return kStartButton.top + 3 * kStartButton.height;
}

void MainWindow::onPiecePressed(int piece, QPointF pointer) {
    dragging_.press(piece, scale_.twipsX(pointer.x()), scale_.twipsY(pointer.y()));
    Image1(piece)->raise();
}

void MainWindow::onPieceMoved(QPointF pointer) {
    const int held = dragging_.dragIndex();
    if (held == 0)
        return;
    dragging_.move(scale_.twipsX(pointer.x()), scale_.twipsY(pointer.y()));
    Image1(held)->setGeometry(toQRect(scale_.rect(board_.piece(held))));
}

void MainWindow::onPieceReleased() {
    if (dragging_.dragIndex() == 0)
        return;
    const DropResult drop = dragging_.release(pileLeft(), pileTop());
    mirrorBoard();
    if (drop.complete)
        CompletePuzzle();
}

void MainWindow::CompletePuzzle() {
    // The grid shows only in a game begun with Start: a click on a piece of
    // a picture shown whole also completes it, but the child did nothing.
    const bool played = board_.gridVisible();
    board_.hideGrid();
    mirrorBoard();
    // Pictures beyond the list have no text.
    form2str_ = picText_.text(start_);
    // Not waited for: the character speaks while the game goes on.
    if (merlin_)
        merlin_->AssistantSpeakLatest(form2str_, library_.soundPath(start_));
    clock_->stop();
    if (played)
        rememberCompletion();
    emit puzzleCompleted();
}

void MainWindow::rememberCompletion() {
    if (!progress_.record(start_, clock_->seconds()))
        return;
    if (QListWidgetItem* entry = list1_->item(start_ - 1))
        entry->setText(PictureLibrary::ListEntry(start_, picText_, progress_));
    if (progressFile_.isEmpty())
        return;
    QString error;
    // Not worth troubling the child with: the game goes on without it.
    if (!progress_.save(progressFile_, &error))
        qWarning("tukomi: the progress cannot be saved in %s: %s", qPrintable(progressFile_),
                 qPrintable(error));
}

void MainWindow::ShowExplanation() {
    if (!pinyinTable_)
        pinyinTable_ = std::make_unique<PinyinTable>(PinYinStr1_);
    if (!speech_) {
        ownSpeech_ = std::make_unique<SpeechLibrary>(QCoreApplication::applicationDirPath());
        speech_ = ownSpeech_.get();
    }
    const QString helpPage =
        QDir::cleanPath(QCoreApplication::applicationDirPath() +
                        QStringLiteral("/../share/lenvoro/help/zh-CN/voices.html"));
    // As large as the game is drawn, as long as the screen is wide enough.
    double scale = scale_.factor();
    if (const QScreen* screen = this->screen()) {
        const QRect room = screen->availableGeometry();
        const int frame =
            std::max(kExplanationFrameAllowancePixels, frameGeometry().width() - width());
        scale = std::min(scale, LayoutScale::fitting(ExplanationWindow::kClientWidthTwips,
                                                     ExplanationWindow::kClientHeightTwips,
                                                     room.width() - frame, room.height())
                                    .factor());
    }
    ExplanationWindow window(
        ExplanationWindow::Setup{form2str_, pinyinTable_.get(), speech_, merlin_.get(),
                                 library_.soundPath(start_),
                                 QUrl::fromLocalFile(helpPage).toString(), &speechProblemShown_,
                                 std::max(kMinZoom, scale)},
        this);
    // Directly above this window, centred over it, never above the screen's top.
    const QRect main = frameGeometry();
    const QSize frame = main.size() - size();
    const QSize outer = window.size() + frame;
    int top = main.top() - outer.height();
    const int left = main.left() - (outer.width() - main.width()) / 2;
    if (top < 0)
        top = 0;
    window.move(left, top);
    form2_ = &window;
    window.exec();
    form2_ = nullptr;
}

void MainWindow::showPictureNumber() {
    text2_->setText(QString::number(start_));
}

void MainWindow::advanceClock() {
    clock_->advance();
}

int MainWindow::secCount() const {
    return clock_->seconds();
}

QTimer* MainWindow::Timer2() const {
    return clock_->timer();
}

void MainWindow::turnBanner() {
    banner_->turn();
}

int MainWindow::frontBannerFrame() const {
    return banner_->frontFrame();
}

PictureControl* MainWindow::Image7(int i) const {
    return banner_->frame(i);
}

QTimer* MainWindow::Timer1() const {
    return banner_->timer();
}

QUrl MainWindow::productPageUrl() const {
    return QUrl::fromLocalFile(library_.programFolder() + QStringLiteral("/about/index.html"));
}

void MainWindow::openProductPage() {
    // Like a shell "open": when no browser is there, nothing is reported.
    QDesktopServices::openUrl(productPageUrl());
}

int MainWindow::pictureCount() const {
    return library_.pictureCount();
}

QString MainWindow::pictureText(int n) const {
    return picText_.text(n);
}

void MainWindow::selectListEntry(int index) {
    const QSignalBlocker quiet(list1_);
    if (index < 0 || index >= list1_->count()) {
        list1_->clearSelection();
        list1_->setCurrentRow(-1);
        return;
    }
    list1_->setCurrentRow(index);
}

QString MainWindow::numberText() const {
    return text2_->text();
}

void MainWindow::setNumberText(const QString& text) {
    text2_->setText(text);
}

void MainWindow::setCaption(const QString& caption) {
    setWindowTitle(caption);
}

void MainWindow::stopClock() {
    clock_->stop();
}

void MainWindow::ShowCurrentPicture(int picture) {
    LoadPieceImages(picture);
    AssembleBoard();
}

void MainWindow::mirrorBoard() {
    for (int i = 1; i <= Board::kPieceCount; ++i)
        Image1(i)->setGeometry(toQRect(scale_.rect(board_.piece(i))));
    for (int i : board_.stackingOrder())
        Image1(i)->raise();
    // Lines parked left of the layout stay out of sight also where a larger
    // window has room beside it.
    const bool gridShown = board_.gridVisible();
    for (int n = 1; n <= Board::kLineCount; ++n) {
        const GridLine& l = board_.line(n);
        QFrame* line = Line(n);
        if (!gridShown || !l.visible()) {
            line->hide();
            continue;
        }
        const PixelRect pixels = board_.gridLinePixels(n, scale_);
        line->setGeometry(pixels.x, pixels.y, pixels.width, pixels.height);
        line->show();
        line->lower();
    }
}

void MainWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kBackgroundPictureColour);
    if (!painted_) {
        painted_ = true;
        QTimer::singleShot(0, this, &MainWindow::firstFramePainted);
    }
}

}  // namespace tukomi
