#include "main_window.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

#include "art.h"
#include "assistant.h"
#include "explanation_window.h"
#include "picture_control.h"
#include "speech_library.h"

namespace tukomi {
namespace {

const QColor kBackColour(255, 192, 192);
const QColor kBackgroundPictureColour(255, 202, 202);
constexpr int kBackgroundPicturePixels = 600;
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

constexpr int kBannerIntervalMs = 2000;
constexpr int kSecondsIntervalMs = 1000;

const char* const kBannerCaptions[] = {"识字拼图", "看图识字", "快乐学习",
                                       "听一听",   "拼一拼",   "关于我们"};

QRect pixelRect(const RectTwips& r) {
    return QRect(twipsToPixels(r.left), twipsToPixels(r.top), twipsToPixels(r.width),
                 twipsToPixels(r.height));
}

QSize pixelSize(const RectTwips& r) {
    return pixelRect(r).size();
}

float toTwips(qreal pixels) {
    return static_cast<float>(pixels * kTwipsPerPixel);
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
    setFixedSize(twipsToPixels(kClientWidthTwips), twipsToPixels(kClientHeightTwips));
    dragging_.setVisibleArea(kClientWidthTwips, kClientHeightTwips);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kBackColour);
    setPalette(palette);
    createControls();
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
        image1_[static_cast<std::size_t>(i - 1)] = piece;
        connect(piece, &PictureControl::mousePressed, this,
                [this, i](Qt::MouseButton, QPointF pointer) { onPiecePressed(i, pointer); });
        connect(piece, &PictureControl::mouseMoved, this, &MainWindow::onPieceMoved);
        connect(piece, &PictureControl::mouseReleased, this, [this] { onPieceReleased(); });
    }
    createPictureButtons();
    createInfoControls();

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(kBannerIntervalMs);
    timer2_ = new QTimer(this);
    timer2_->setObjectName(QStringLiteral("Timer2"));
    timer2_->setInterval(kSecondsIntervalMs);
    connect(timer1_, &QTimer::timeout, this, &MainWindow::Timer1_Timer);
    connect(timer2_, &QTimer::timeout, this, &MainWindow::Timer2_Timer);
}

void MainWindow::createPictureButtons() {
    const QCursor hand = handCursor();
    auto makeButton = [&](const char* name, const char* art, const char* caption,
                          const RectTwips& place) {
        auto* button = new PictureControl(this);
        button->setObjectName(QString::fromLatin1(name));
        button->setPicture(
            buttonPicture(QString::fromLatin1(art), QString::fromUtf8(caption), pixelSize(place)));
        button->setGeometry(pixelRect(place));
        button->setScaledContents(true);
        button->setCursor(hand);
        return button;
    };
    image6_ = makeButton("Image6", "start", "开始", kStartButton);
    image4_ = makeButton("Image4", "next", "下一张", kNextButton);
    image5_ = makeButton("Image5", "previous", "上一张", kPreviousButton);
    for (int i = 0; i < 6; ++i) {
        const QByteArray name = "Image7_" + QByteArray::number(i);
        const QByteArray art = "banner" + QByteArray::number(i);
        image7_[static_cast<std::size_t>(i)] =
            makeButton(name.constData(), art.constData(), kBannerCaptions[i], kBanner);
    }
    // The first frame of the banner starts in front.
    image7_[0]->raise();
    connect(image6_, &PictureControl::clicked, this, [this] { StartPuzzle(); });
    connect(image4_, &PictureControl::clicked, this, [this] { NextPicture(); });
    connect(image5_, &PictureControl::clicked, this, [this] { PreviousPicture(); });
    for (PictureControl* frame : image7_)
        connect(frame, &PictureControl::clicked, this, &MainWindow::openProductPage);
}

void MainWindow::createInfoControls() {
    list1_ = new QListWidget(this);
    list1_->setObjectName(QStringLiteral("List1"));
    list1_->setGeometry(pixelRect(kPictureList));
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
        label->setGeometry(pixelRect(place));
        label->setFont(font);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        paintOnPink(label, colour);
        return label;
    };
    label1_ = makeLabel("Label1", "第", kLabel1, chineseFont("新宋体", 15.75), kCaptionRed);
    label2_ = makeLabel("Label2", "张", kLabel2, chineseFont("新宋体", 15.75), kCaptionRed);
    label3_ = makeLabel("Label3", "0秒", kLabel3, chineseFont("宋体", 15),
                        palette().color(QPalette::WindowText));

    text2_ = new QLineEdit(this);
    text2_->setObjectName(QStringLiteral("Text2"));
    text2_->setGeometry(pixelRect(kText2));
    text2_->setFont(chineseFont("宋体", 12));
    text2_->setFrame(true);
    text2_->setTextMargins(0, 0, 0, 0);
    paintOnPink(text2_, kCaptionRed);
    // Only the child's typing counts as a change; the game sets the text itself
    // where it must.
    connect(text2_, &QLineEdit::textEdited, this,
            [this](const QString& text) { ChooseByNumber(text); });
}

std::optional<LoadError> MainWindow::Form_Load() {
    LoadPinyinTable();
    start = 1;
    // The window starts with the pieces of picture 1, laid out as the whole
    // picture; the grid lines are parked out of sight and stay there.
    LoadPieceImages(start);
    board_.AssembleBoard(/*hideGrid=*/false);
    board_.ComputeCellTargets();
    pointFolderLister();
    if (auto error = LoadAssistant())
        return error;
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
    timer1_->start();
    return std::nullopt;
}

void MainWindow::LoadPinyinTable() {
    Text3_ = PinyinTable::LoadPinyinParts();
    PinYinStr1.clear();
    qsizetype length = 0;
    for (const QString& part : Text3_)
        length += part.size();
    PinYinStr1.reserve(length);
    for (const QString& part : Text3_)
        PinYinStr1 += part;
}

std::optional<LoadError> MainWindow::LoadAssistant() {
    LoadError error;
    merlin =
        Assistant::Load(library_.programFolder() + QStringLiteral("/merlin.acs"), this, &error);
    if (!merlin)
        return error;
    return std::nullopt;
}

void MainWindow::pointFolderLister() {
    Dir1_ = library_.pictureFolder();
}

void MainWindow::LoadPieceImages(int n) {
    for (int i = 1; i <= Board::kPieceCount; ++i) {
        QPixmap picture(library_.piecePath(n, i));
        if (picture.isNull())
            picture = missingPiecePicture(i, kCellPixels);
        Image1(i)->setPicture(picture);
        const QSize size = Image1(i)->size();
        board_.setPieceSize(i, pixelsToTwips(size.width()), pixelsToTwips(size.height()));
    }
}

void MainWindow::AssembleBoard() {
    board_.AssembleBoard();
    mirrorBoard();
}

void MainWindow::StartPuzzle() {
    secCount_ = 0;
    timer2_->start();
    board_.StartPuzzle(pileLeft(), pileTop());
    mirrorBoard();
}

float MainWindow::pileLeft() const {
    return pixelsToTwips(image6_->x());
}

float MainWindow::pileTop() const {
    return pixelsToTwips(image6_->y()) + 3 * pixelsToTwips(image6_->height());
}

void MainWindow::onPiecePressed(int piece, QPointF pointer) {
    dragging_.press(piece, toTwips(pointer.x()), toTwips(pointer.y()));
    Image1(piece)->raise();
}

void MainWindow::onPieceMoved(QPointF pointer) {
    const int held = dragging_.dragIndex();
    if (held == 0)
        return;
    dragging_.move(toTwips(pointer.x()), toTwips(pointer.y()));
    const RectTwips& piece = board_.piece(held);
    Image1(held)->move(twipsToPixels(piece.left), twipsToPixels(piece.top));
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
    form2str = picText_.text(start);
    // Not waited for: the character speaks while the game goes on.
    if (merlin)
        merlin->AssistantSpeakLatest(form2str, library_.soundPath(start));
    timer2_->stop();
    if (played)
        rememberCompletion();
    emit puzzleCompleted();
}

void MainWindow::rememberCompletion() {
    if (!progress_.record(start, secCount_))
        return;
    if (QListWidgetItem* entry = list1_->item(start - 1))
        entry->setText(PictureLibrary::ListEntry(start, picText_, progress_));
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
        pinyinTable_ = std::make_unique<PinyinTable>(PinYinStr1);
    if (!speech_) {
        ownSpeech_ = std::make_unique<SpeechLibrary>(QCoreApplication::applicationDirPath());
        speech_ = ownSpeech_.get();
    }
    const QString helpPage =
        QDir::cleanPath(QCoreApplication::applicationDirPath() +
                        QStringLiteral("/../share/lenvoro/help/zh-CN/voices.html"));
    ExplanationWindow window(
        ExplanationWindow::Setup{form2str, pinyinTable_.get(), speech_, merlin.get(),
                                 library_.soundPath(start),
                                 QUrl::fromLocalFile(helpPage).toString(), &speechProblemShown_},
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
    text2_->setText(QString::number(start));
}

void MainWindow::Timer2_Timer() {
    ++secCount_;
    label3_->setText(QString::number(secCount_) + QStringLiteral("秒"));
}

void MainWindow::Timer1_Timer() {
    ++bannerFrame_;
    Image7(bannerFrame_)->raise();
    if (bannerFrame_ == static_cast<int>(image7_.size()) - 1)
        bannerFrame_ = -1;
}

int MainWindow::frontBannerFrame() const {
    // Siblings are listed back to front; the last banner frame among them is on top.
    int front = -1;
    for (QObject* child : children())
        for (std::size_t i = 0; i < image7_.size(); ++i)
            if (child == image7_[i])
                front = static_cast<int>(i);
    return front;
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
    timer2_->stop();
}

void MainWindow::ShowCurrentPicture(int picture) {
    LoadPieceImages(picture);
    AssembleBoard();
}

void MainWindow::mirrorBoard() {
    for (int i = 1; i <= Board::kPieceCount; ++i) {
        const RectTwips& piece = board_.piece(i);
        Image1(i)->move(twipsToPixels(piece.left), twipsToPixels(piece.top));
    }
    for (int i : board_.stackingOrder())
        Image1(i)->raise();
    for (int n = 1; n <= Board::kLineCount; ++n) {
        const GridLine& l = board_.line(n);
        QFrame* line = Line(n);
        if (!l.visible()) {
            line->hide();
            continue;
        }
        const PixelRect pixels = board_.gridLinePixels(n);
        line->setGeometry(pixels.x, pixels.y, pixels.width, pixels.height);
        line->show();
        line->lower();
    }
}

void MainWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kBackColour);
    painter.fillRect(0, 0, kBackgroundPicturePixels, kBackgroundPicturePixels,
                     kBackgroundPictureColour);
    if (!painted_) {
        painted_ = true;
        QTimer::singleShot(0, this, &MainWindow::firstFramePainted);
    }
}

}  // namespace tukomi
