// The example's one window: a text box that liblenvoro takes over, the voice
// to read with, Speak / Pause / Stop, and a progress bar that follows the
// reading. The library marks the word being read in the text box itself.
//
// Pause and Stop follow the reading: both are off while nothing is read;
// Pause comes on once the library reports that the reading started, pauses
// it and then reads "Continue" until it goes on.
#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTextEdit;
class QTimer;

class ReaderWindow : public QWidget {
    Q_OBJECT

public:
    explicit ReaderWindow(QWidget* parent = nullptr);
    ~ReaderWindow() override;

    // Starts the library on the text box; false (with the reason shown in the
    // window) when it cannot speak.
    bool startEngine();

public slots:
    void speak();
    void pauseOrContinue();
    void stop();

private:
    enum class Reading { Idle, Reading, Paused };

    void showProgress();
    void setReading(Reading reading);
    bool canPause() const;

    QTextEdit* text_;
    QComboBox* voice_;
    QCheckBox* mixed_;
    QPushButton* speak_;
    QPushButton* pause_;
    QPushButton* stop_;
    QProgressBar* progress_;
    QLabel* status_;
    QTimer* poll_;
    bool started_ = false;
    Reading reading_ = Reading::Idle;
    // The position keeps the last reading's 100 until the engine reports that
    // the new one started; only a 100 after that ends it.
    bool positionMoved_ = false;
    int32_t percentAtSpeak_ = 0;  // what the progress said when the reading was asked for
};
