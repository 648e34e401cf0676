#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>
#include <vector>

#include "art.h"
#include "assistant.h"
#include "explanation_window.h"
#include "fitting_label.h"
#include "picture_control.h"
#include "pinyin_table.h"
#include "speech_library.h"
#include "text_codec.h"

using namespace tukomi;

namespace {

// Records the library calls instead of making them.
class FakeSpeech : public SpeechLibraryApi {
public:
    struct Call {
        std::string name;
        std::intptr_t window = 0;
        std::vector<std::int32_t> numbers;
        std::vector<std::string> texts;
    };
    std::vector<Call> calls;
    std::int32_t result = 10;

    std::int32_t InitialAuth(std::intptr_t window, std::int32_t voice, std::int32_t rate,
                             std::int32_t volume, const std::string& message,
                             const std::string& caption, const std::string& id1,
                             const std::string& id2) override {
        calls.push_back({"InitialAuth", window, {voice, rate, volume}, {message, caption, id1, id2}});
        return result;
    }
    std::int32_t Speak(const std::string& text, std::int32_t mode, std::int32_t voice,
                       std::int32_t rate, std::int32_t volume, std::int32_t punctuation,
                       const std::string& page) override {
        calls.push_back({"Speak", 0, {mode, voice, rate, volume, punctuation}, {text, page}});
        return result;
    }
    std::int32_t Close() override {
        calls.push_back({"Close", 0, {}, {}});
        return 1;
    }
    QString errorMessage() const override { return QStringLiteral("no library here"); }
};

const QString kPage = QStringLiteral("file:///usr/share/lenvoro/help/zh-CN/voices.html");

}  // namespace

class ExplanationWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        installFontSubstitutions();
        table = std::make_unique<PinyinTable>(
            QStringLiteral("妈 ma1\r\n的 de5\r\n女 nü3\r\n虐 nüe4\r\n六 liu4\r\n"));
    }

    void init() { qputenv("LC_ALL", "zh_CN.UTF-8"); }

    void loadStartsTheLibraryAndFillsBothLabels() {
        FakeSpeech speech;
        {
            ExplanationWindow window(setupFor(QStringLiteral("妈妈的A1，"), &speech));
            QCOMPARE(window.windowTitle(), QStringLiteral("图片解释"));
            QCOMPARE(window.size(), QSize(672, 106));
            QCOMPARE(window.Label2()->text(), QStringLiteral("mā mā de "));
            QCOMPARE(window.Label1()->text(), QStringLiteral("妈妈的A1，  "));
            QCOMPARE(window.Text1()->text(), QString());
            QVERIFY(window.Text1()->geometry().right() < 0);
            QCOMPARE(window.Image1()->toolTip(), QStringLiteral("真人录音朗读"));
            QCOMPARE(window.Image2()->toolTip(), QStringLiteral("机器朗读"));
            QCOMPARE(window.Image2()->geometry(), QRect(616, 45, 56, 56));
            QCOMPARE(speech.calls.size(), std::size_t{1});
            const auto& start = speech.calls[0];
            QCOMPARE(start.name, std::string("InitialAuth"));
            QCOMPARE(start.window, reinterpret_cast<std::intptr_t>(window.Text1()));
            QCOMPARE(start.numbers, (std::vector<std::int32_t>{-1, -1, -1}));
            QCOMPARE(QString::fromStdString(start.texts[0]),
                     QStringLiteral("提醒您系统未安装语音库，请到作者网站下载最新语音库：") + kPage);
            QCOMPARE(QString::fromStdString(start.texts[1]), QStringLiteral("语音下载"));
        }
        QCOMPARE(speech.calls.back().name, std::string("Close"));
    }

    void machineReadingSpeaksTheLabelEachClick() {
        FakeSpeech speech;
        ExplanationWindow window(setupFor(QStringLiteral("六"), &speech));
        QTest::mouseClick(window.Image2(), Qt::LeftButton);
        QTest::mouseClick(window.Image2(), Qt::LeftButton);
        QCOMPARE(speech.calls.size(), std::size_t{3});
        for (int i : {1, 2}) {
            const auto& speak = speech.calls[static_cast<std::size_t>(i)];
            QCOMPARE(speak.name, std::string("Speak"));
            QCOMPARE(QString::fromStdString(speak.texts[0]), QStringLiteral("六  "));
            QCOMPARE(speak.numbers, (std::vector<std::int32_t>{11, 0, -1, -1, 1}));
            QCOMPARE(QString::fromStdString(speak.texts[1]), kPage);
        }
        // The mark of iu goes on the u.
        QCOMPARE(window.Label2()->text(), QStringLiteral("liù "));
        window.reject();
        QCOMPARE(speech.calls.back().name, std::string("Close"));
    }

    void closingShutsTheLibraryDownOnce() {
        FakeSpeech speech;
        {
            ExplanationWindow window(setupFor(QString(), &speech));
            QCOMPARE(window.Label2()->text(), QString());
            QCOMPARE(window.Label1()->text(), QStringLiteral("  "));
            window.accept();
        }
        QCOMPARE(speech.calls.size(), std::size_t{2});
        QCOMPARE(speech.calls[1].name, std::string("Close"));
    }

    void textsGoToTheLibraryInTheLocalesCodeSet() {
        qputenv("LC_ALL", "zh_CN.GBK");
        FakeSpeech speech;
        ExplanationWindow window(setupFor(QStringLiteral("女"), &speech));
        QTest::mouseClick(window.Image2(), Qt::LeftButton);
        QCOMPARE(speech.calls[0].texts[1], encodeGbk(QStringLiteral("语音下载")));
        QCOMPARE(speech.calls[1].texts[0], encodeGbk(QStringLiteral("女  ")));
        QCOMPARE(window.Label2()->text(), QStringLiteral("nǚ "));
    }

    void anUnreachableLibraryIsReportedOnceAndNothingElseBreaks() {
        FakeSpeech speech;
        speech.result = SpeechLibrary::kUnavailable;
        bool shown = false;
        ExplanationWindow window(setupFor(QStringLiteral("虐"), &speech, &shown));
        int boxes = 0;
        for (int click = 0; click < 2; ++click) {
            QTimer::singleShot(0, this, [&] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    ++boxes;
                    QVERIFY(box->text().contains(QStringLiteral("no library here")));
                    box->accept();
                }
            });
            QTest::mouseClick(window.Image2(), Qt::LeftButton);
            QApplication::processEvents();
        }
        QCOMPARE(boxes, 1);
        QVERIFY(shown);
        QCOMPARE(window.Label2()->text(), QStringLiteral("nüè "));
    }

    void recordingButtonLetsTheAssistantSpeak() {
        QWidget host;
        host.resize(600, 400);
        LoadError error;
        auto merlin = Assistant::Load(QStringLiteral(TUKOMI_SOURCE_DATA_DIR "/merlin.acs"), &host, &error);
        QVERIFY2(merlin, qPrintable(error.message()));
        merlin->setTimeScale(0.05);
        FakeSpeech speech;
        auto setup = setupFor(QStringLiteral("妈"), &speech);
        setup.merlin = merlin.get();
        setup.soundPath = QStringLiteral("/nonexistent/999/1.wav");
        ExplanationWindow window(setup);
        QSignalSpy started(merlin.get(), &Assistant::requestStarted);
        QTest::mouseClick(window.Image1(), Qt::LeftButton);
        QTest::mouseClick(window.Image1(), Qt::LeftButton);
        QVERIFY(merlin->isBusy());
        QVERIFY(started.count() >= 1);
        QCOMPARE(started.first().first().toString(), QStringLiteral("妈"));
        QCOMPARE(speech.calls.size(), std::size_t{1});  // the library is not asked
    }

    void longPinyinShrinksToFitItsLabel() {
        FakeSpeech speech;
        ExplanationWindow window(setupFor(QStringLiteral("妈妈妈妈妈妈妈妈妈妈妈妈妈妈"), &speech));
        auto* label = qobject_cast<FittingLabel*>(window.Label2());
        QVERIFY(label);
        const QRectF ink = QFontMetricsF(label->fittedFont()).tightBoundingRect(label->text());
        QVERIFY(ink.width() <= label->width());
        QVERIFY(ink.height() <= label->height());
    }

private:
    ExplanationWindow::Setup setupFor(const QString& text, FakeSpeech* speech, bool* shown = nullptr) {
        return ExplanationWindow::Setup{text, table.get(), speech, nullptr, QString(), kPage, shown};
    }

    std::unique_ptr<PinyinTable> table;
};

QTEST_MAIN(ExplanationWindowTest)
#include "explanation_window_test.moc"
