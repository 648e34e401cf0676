#pragma once

#include <QDialog>
#include <QString>

#include "fitting_label.h"
#include "pinyin_label.h"

class QLineEdit;

namespace tukomi {

class Assistant;
class PictureControl;
class PinyinTable;
class SpeechLibraryApi;

// The window that opens over a completed picture: the picture's text in
// large characters under its tone-marked pinyin, each syllable over its
// character, with two ways to hear it:
// the recording, said by the assistant character, and the speech library.
// The library is started when the window opens and shut down when it closes.
class ExplanationWindow : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidthTwips = 10080;
    static constexpr int kClientHeightTwips = 1590;

    struct Setup {
        QString text;               // the completed picture's text
        const PinyinTable* pinyin;  // reads what the readings in context leave; may be null
        SpeechLibraryApi* speech;   // the speech library (or a stand-in)
        Assistant* merlin;          // may be null
        QString soundPath;          // the picture's recording
        QString downloadPage;       // where voices are explained, for the library's prompts
        // Set once a problem with the speech library has been shown, so the
        // child is told only once per run.
        bool* speechProblemShown;
        // The factor the window and everything in it is drawn at, as the
        // main window draws the game.
        double scale = 1.0;
    };

    explicit ExplanationWindow(Setup setup, QWidget* parent = nullptr);
    ~ExplanationWindow() override;

    static QString caption() { return QStringLiteral("图片解释"); }
    // The message the library shows when it has no voice, with the page after it.
    static QString missingVoiceMessage() {
        return QStringLiteral("提醒您系统未安装语音库，请到作者网站下载最新语音库：");
    }

    // Plays the recording through the assistant character.
    void playRecording();
    // Has the speech library read the text.
    void readAloud();

    QLabel* Label1() const { return label1_; }
    QLabel* Label2() const { return label2_; }
    PictureControl* Image1() const { return image1_; }
    PictureControl* Image2() const { return image2_; }
    QLineEdit* Text1() const { return text1_; }

    void done(int result) override;

private:
    void fillLabelsAndStartLibrary();
    void shutDownSpeech();

    Setup setup_;
    bool shutDown_ = false;
    FittingLabel* label1_ = nullptr;
    PinyinLabel* label2_ = nullptr;
    PictureControl* image1_ = nullptr;
    PictureControl* image2_ = nullptr;
    QLineEdit* text1_ = nullptr;
};

}  // namespace tukomi
