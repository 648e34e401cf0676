#include "explanation_window.h"

#include <QLabel>
#include <QLineEdit>
#include <algorithm>
#include <cmath>

#include "art.h"
#include "assistant.h"
#include "fitting_label.h"
#include "interface_language.h"
#include "layout_scale.h"
#include "message_box.h"
#include "messages.h"
#include "picture_control.h"
#include "pinyin_label.h"
#include "pinyin_line.h"
#include "pinyin_table.h"
#include "speech_library.h"
#include "text_codec.h"
#include "twips.h"

namespace tukomi {
namespace {

const QColor kBackColour(255, 192, 192);

constexpr RectTwips kPinyinLabel{0, 0, 9255, 615};
constexpr RectTwips kTextLabel{0, 675, 9135, 855};
// The two pictures stand one above the other at the window's right edge,
// whole and without overlapping: 56 x 48 and 56 x 56 pixels in a client area
// 672 x 106 pixels.
constexpr RectTwips kRecordingPicture{9240, 0, 840, 720};
constexpr RectTwips kReadingPicture{9240, 720, 840, 840};
constexpr RectTwips kNotificationBox{-3960, 480, 375, 270};

// The library's calls: no particular voice, rate or volume at the start; the
// simplified-Chinese voice, read asynchronously with the word marked, for
// the machine reading; punctuation stays in the text.
constexpr std::int32_t kEngineDefaultVoice = -1;
constexpr std::int32_t kSimplifiedChineseVoice = 0;
constexpr std::int32_t kUnchanged = -1;
constexpr std::int32_t kSpeakOneVoiceAsynchronously = 11;
constexpr std::int32_t kKeepPunctuation = 1;
const char* const kCallerName = "tukomi";
const char* const kCallerVersion = "1.0";

QRect pixelRect(const LayoutScale& scale, const RectTwips& r) {
    const PixelRect p = scale.rect(r);
    return QRect(p.x, p.y, p.width, p.height);
}

template <typename Label>
Label* makeLabel(QWidget* parent, const LayoutScale& scale, const char* name,
                 const RectTwips& place, const char* family, double points, const QColor& colour) {
    auto* label = new Label(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(pixelRect(scale, place));
    label->setAlignment(Qt::AlignCenter);
    QFont font(QString::fromUtf8(family));
    font.setPointSizeF(scale.points(points));
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, kBackColour);
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setAutoFillBackground(true);
    return label;
}

PictureControl* makePicture(QWidget* parent, const LayoutScale& scale, const char* name,
                            const char* art, const RectTwips& place, const char* toolTip) {
    auto* picture = new PictureControl(parent);
    picture->setObjectName(QString::fromLatin1(name));
    picture->setPicture(buttonPicture(QString::fromLatin1(art), QString(),
                                      pixelRect(LayoutScale(), place).size(),
                                      scale.factor() * parent->devicePixelRatioF()));
    picture->setScaledContents(true);
    picture->setGeometry(pixelRect(scale, place));
    picture->setToolTip(QString::fromUtf8(toolTip));
    picture->setCursor(handCursor(std::max(1, static_cast<int>(std::lround(scale.factor())))));
    return picture;
}

}  // namespace

ExplanationWindow::ExplanationWindow(Setup setup, QWidget* parent)
    : QDialog(parent), setup_(std::move(setup)) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(caption());
    setModal(true);
    const LayoutScale scale(setup_.scale, 0, 0);
    setFixedSize(scale.width(kClientWidthTwips), scale.height(kClientHeightTwips));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kBackColour);
    setPalette(palette);
    setAutoFillBackground(true);

    label2_ = makeLabel<PinyinLabel>(this, scale, "Label2", kPinyinLabel, "宋体", 26.25,
                                     QColor(255, 0, 0));
    label1_ =
        makeLabel<FittingLabel>(this, scale, "Label1", kTextLabel, "黑体", 42, QColor(0, 0, 255));
    image1_ = makePicture(this, scale, "Image1", "recording", kRecordingPicture, "真人录音朗读");
    image2_ = makePicture(this, scale, "Image2", "reading", kReadingPicture, "机器朗读");
    text1_ = new QLineEdit(this);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setGeometry(pixelRect(scale, kNotificationBox));
    connect(image1_, &PictureControl::clicked, this, [this] { playRecording(); });
    connect(image2_, &PictureControl::clicked, this, [this] { readAloud(); });

    fillLabelsAndStartLibrary();
}

ExplanationWindow::~ExplanationWindow() {
    shutDownSpeech();
}

void ExplanationWindow::fillLabelsAndStartLibrary() {
    // The notification box takes the text label's caption, which is still empty.
    text1_->setText(label1_->text());
    label1_->setText(setup_.text + QStringLiteral("  "));
    // The syllables' positions are those of the text, which starts Label1's caption.
    static const PinyinTable noTable{QString()};
    label2_->setSyllables(label1_,
                          PinyinSyllables(setup_.text, setup_.pinyin ? *setup_.pinyin : noTable));
    if (setup_.speech)
        setup_.speech->InitialAuth(
            reinterpret_cast<std::intptr_t>(text1_), kEngineDefaultVoice, kUnchanged, kUnchanged,
            encodeForLocale(missingVoiceMessage() + setup_.downloadPage),
            encodeForLocale(QStringLiteral("语音下载")), kCallerName, kCallerVersion);
}

void ExplanationWindow::playRecording() {
    // Clicks faster than the character speaks wait as one reading, not a pile.
    if (setup_.merlin)
        setup_.merlin->AssistantSpeakLatest(setup_.text, setup_.soundPath);
}

void ExplanationWindow::readAloud() {
    if (!setup_.speech)
        return;
    const std::int32_t result = setup_.speech->Speak(
        encodeForLocale(label1_->text()), kSpeakOneVoiceAsynchronously, kSimplifiedChineseVoice,
        kUnchanged, kUnchanged, kKeepPunctuation, encodeForLocale(setup_.downloadPage));
    // The library reports its own problems; only a library that cannot be
    // reached at all is ours to tell, and only once.
    if (result == SpeechLibrary::kUnavailable && setup_.speechProblemShown &&
        !*setup_.speechProblemShown) {
        *setup_.speechProblemShown = true;
        const InterfaceLanguage language = userInterfaceLanguage();
        showMessage(this, QMessageBox::Information, caption(),
                    readingUnavailableText(setup_.speech->errorMessage(language), language),
                    language);
    }
}

void ExplanationWindow::shutDownSpeech() {
    if (shutDown_)
        return;
    shutDown_ = true;
    if (setup_.speech)
        setup_.speech->Close();
    // The reading being heard ends by itself; one still waiting would speak
    // to a child who has moved on.
    if (setup_.merlin)
        setup_.merlin->dropWaitingRequests();
}

void ExplanationWindow::done(int result) {
    shutDownSpeech();
    QDialog::done(result);
}

}  // namespace tukomi
