#include "reader_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <lenvoro.h>

namespace {

constexpr int kProgressPollMs = 50;

const char16_t kSampleText[] =
    u"小猫在花园里玩球。The kitten plays with a red ball in the garden. "
    u"它跑得很快，跳得很高。Then it sleeps in the sun.";

// The library reads UTF-16 through its wide entry points.
const char16_t* wide(const QString& text) {
    return reinterpret_cast<const char16_t*>(text.utf16());
}

}  // namespace

ReaderWindow::ReaderWindow(QWidget* parent)
    : QWidget(parent),
      text_(new QTextEdit(this)),
      voice_(new QComboBox(this)),
      mixed_(new QCheckBox(tr("Chinese and English voices"), this)),
      speak_(new QPushButton(tr("Speak"), this)),
      pause_(new QPushButton(tr("Pause"), this)),
      stop_(new QPushButton(tr("Stop"), this)),
      progress_(new QProgressBar(this)),
      status_(new QLabel(this)),
      poll_(new QTimer(this)) {
    setWindowTitle(tr("lenvoro reader"));
    text_->setObjectName(QStringLiteral("text"));
    speak_->setObjectName(QStringLiteral("speakButton"));
    pause_->setObjectName(QStringLiteral("pauseButton"));
    stop_->setObjectName(QStringLiteral("stopButton"));
    status_->setObjectName(QStringLiteral("status"));
    text_->setAcceptRichText(false);
    text_->setPlainText(QString::fromUtf16(kSampleText));
    QFont font = text_->font();
    font.setPointSize(15);
    text_->setFont(font);

    voice_->addItem(tr("Default voice"), LENVORO_VOICE_DEFAULT);
    voice_->addItem(QStringLiteral("Microsoft Simplified Chinese"),
                    LENVORO_VOICE_SIMPLIFIED_CHINESE);
    voice_->addItem(QStringLiteral("Chinese Female Voice"), LENVORO_VOICE_CHINESE_FEMALE);
    voice_->addItem(QStringLiteral("Microsoft Sam"), LENVORO_VOICE_SAM);
    voice_->addItem(QStringLiteral("Microsoft Mary"), LENVORO_VOICE_MARY);
    voice_->addItem(QStringLiteral("Microsoft Mike"), LENVORO_VOICE_MIKE);
    voice_->setCurrentIndex(1);
    mixed_->setToolTip(
        tr("Chinese runs in the Chinese voice, English runs in Microsoft Sam. "
           "The library marks words only when one voice reads."));
    progress_->setRange(0, 100);

    auto* controls = new QHBoxLayout;
    controls->addWidget(voice_);
    controls->addWidget(mixed_);
    controls->addStretch();
    controls->addWidget(speak_);
    controls->addWidget(pause_);
    controls->addWidget(stop_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addLayout(controls);
    layout->addWidget(progress_);
    layout->addWidget(status_);
    resize(560, 300);

    connect(speak_, &QPushButton::clicked, this, &ReaderWindow::speak);
    connect(pause_, &QPushButton::clicked, this, &ReaderWindow::pauseOrContinue);
    connect(stop_, &QPushButton::clicked, this, &ReaderWindow::stop);
    connect(poll_, &QTimer::timeout, this, &ReaderWindow::showProgress);
    poll_->start(kProgressPollMs);
    setReading(Reading::Idle);
}

ReaderWindow::~ReaderWindow() {
    if (started_)
        Dll_Lenvoro_Close();
}

bool ReaderWindow::startEngine() {
    // Handing the text box over lets the library mark the word being read in it.
    const int32_t result =
        Dll_Lenvoro_InitialAuthW(reinterpret_cast<intptr_t>(text_), LENVORO_VOICE_DEFAULT,
                                 LENVORO_KEEP_SETTING, LENVORO_KEEP_SETTING, u"", u"", u"", u"");
    started_ = result == LENVORO_RESULT_DONE;
    if (!started_)
        status_->setText(tr("The speech engine cannot start (result %1).").arg(result));
    speak_->setEnabled(started_);
    setReading(Reading::Idle);
    return started_;
}

void ReaderWindow::speak() {
    const bool mixed = mixed_->isChecked();
    const int32_t mode = mixed ? LENVORO_MODE_MIXED_ASYNC : LENVORO_MODE_ASYNC;
    const int32_t voice =
        mixed ? LENVORO_PAIR_SIMPLIFIED_CHINESE_SAM : voice_->currentData().toInt();
    const QString text = text_->toPlainText();
    const int32_t result =
        Dll_Lenvoro_SpeakW(wide(text), mode, voice, LENVORO_KEEP_SETTING, LENVORO_KEEP_SETTING,
                           LENVORO_PUNCTUATION_KEEP, nullptr);
    if (result != LENVORO_RESULT_DONE) {
        status_->setText(tr("The text cannot be read (result %1).").arg(result));
        setReading(Reading::Idle);
    } else if (text.trimmed().isEmpty()) {
        status_->setText(tr("There is nothing to read."));
        setReading(Reading::Idle);  // the library reads nothing and reports nothing
    } else {
        status_->setText(tr("Reading…"));
        positionMoved_ = false;
        percentAtSpeak_ = Dll_Lenvoro_GetLocationInfo();
        setReading(Reading::Reading);
    }
}

void ReaderWindow::pauseOrContinue() {
    // The library pauses only a reading it has seen start; so does the button.
    if (!canPause())
        return;
    Dll_Lenvoro_PauseORContinue();
    setReading(reading_ == Reading::Paused ? Reading::Reading : Reading::Paused);
}

void ReaderWindow::stop() {
    Dll_Lenvoro_Stop();
    if (reading_ != Reading::Idle)
        status_->setText(tr("Stopped."));
    setReading(Reading::Idle);
}

void ReaderWindow::showProgress() {
    const int32_t percent = Dll_Lenvoro_GetLocationInfo();
    progress_->setValue(percent);
    if (reading_ != Reading::Reading)
        return;
    // The reading has begun once the progress leaves the value it had when
    // it was asked for (the end of the last reading, or 0 before the first):
    // only then does the library pause it.
    if (percent < 100 && percent != percentAtSpeak_ && !positionMoved_) {
        positionMoved_ = true;
        setReading(Reading::Reading);  // now it can be paused
    } else if (percent == 100 && positionMoved_) {
        status_->setText(tr("Done."));
        setReading(Reading::Idle);
    }
}

bool ReaderWindow::canPause() const {
    return reading_ == Reading::Paused || (reading_ == Reading::Reading && positionMoved_);
}

void ReaderWindow::setReading(Reading reading) {
    reading_ = reading;
    pause_->setEnabled(started_ && canPause());
    pause_->setText(reading == Reading::Paused ? tr("Continue") : tr("Pause"));
    stop_->setEnabled(started_ && reading != Reading::Idle);
}
