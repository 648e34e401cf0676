#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <iterator>
#include <memory>
#include <optional>
#include <vector>

#include "art.h"
#include "assistant.h"
#include "explanation_window.h"
#include "picture_control.h"
#include "pinyin_label.h"
#include "pinyin_table.h"
#include "speech_library.h"
#include "test_support.h"
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
        calls.push_back(
            {"InitialAuth", window, {voice, rate, volume}, {message, caption, id1, id2}});
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
    QString errorMessage(InterfaceLanguage) const override {
        return QStringLiteral("no library here");
    }
};

const QString kPage = QStringLiteral("file:///usr/share/lenvoro/help/zh-CN/voices.html");

bool isBlueInk(const QColor& c) {
    return c.blue() - c.red() > 100;
}
bool isRedInk(const QColor& c) {
    return c.red() > 150 && c.green() < 100;
}

// The window columns in which a label draws ink of one kind.
std::vector<int> inkColumns(QLabel* label, bool (*isInk)(const QColor&)) {
    const QImage image = label->grab().toImage();
    std::vector<int> columns;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (isInk(image.pixelColor(x, y))) {
                columns.push_back(label->x() + x);
                break;
            }
    return columns;
}

// The middles of the runs of ink columns; runs with a gap of up to two
// columns are one. An ideograph of a 42-point font is one run, with a clear
// gap to its neighbours.
std::vector<double> inkRunMiddles(const std::vector<int>& columns) {
    std::vector<std::pair<int, int>> runs;
    for (const int x : columns) {
        if (!runs.empty() && x - runs.back().second <= 3)
            runs.back().second = x;
        else
            runs.push_back({x, x});
    }
    std::vector<double> middles;
    for (const auto& [first, last] : runs)
        middles.push_back((first + last + 1) / 2.0);
    return middles;
}

// The middle of the ink columns between two window positions, -1 for none.
double inkMiddleBetween(const std::vector<int>& columns, double from, double to) {
    std::vector<int> inside;
    std::copy_if(columns.begin(), columns.end(), std::back_inserter(inside),
                 [&](int x) { return x + 0.5 >= from && x + 0.5 < to; });
    return inside.empty() ? -1 : (inside.front() + inside.back() + 1) / 2.0;
}

}  // namespace

class ExplanationWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        installFontSubstitutions();
        table = std::make_unique<PinyinTable>(
            QStringLiteral("妈 ma1\r\n的 de5\r\n女 nü3\r\n虐 nüe4\r\n六 liu4\r\n"));
    }

    void init() { locale.emplace("LC_ALL", "zh_CN.UTF-8"); }
    void cleanup() { locale.reset(); }

    void loadStartsTheLibraryAndFillsBothLabels() {
        FakeSpeech speech;
        {
            ExplanationWindow window(setupFor(QStringLiteral("妈妈的A1，"), &speech));
            QCOMPARE(window.windowTitle(), QStringLiteral("图片解释"));
            QCOMPARE(window.size(), QSize(672, 106));
            QCOMPARE(window.Label2()->text(), QStringLiteral("mā ma de "));
            QCOMPARE(window.Label1()->text(), QStringLiteral("妈妈的A1，  "));
            QCOMPARE(window.Text1()->text(), QString());
            QVERIFY(window.Text1()->geometry().right() < 0);
            QCOMPARE(window.Image1()->toolTip(), QStringLiteral("真人录音朗读"));
            QCOMPARE(window.Image2()->toolTip(), QStringLiteral("机器朗读"));
            // Both pictures whole inside the window, one above the other.
            const QRect recording = window.Image1()->geometry();
            const QRect reading = window.Image2()->geometry();
            QCOMPARE(recording.size(), QSize(56, 48));
            QCOMPARE(reading.size(), QSize(56, 56));
            QVERIFY(window.rect().contains(recording));
            QVERIFY(window.rect().contains(reading));
            QVERIFY(!recording.intersects(reading));
            QCOMPARE(speech.calls.size(), std::size_t{1});
            const auto& start = speech.calls[0];
            QCOMPARE(start.name, std::string("InitialAuth"));
            QCOMPARE(start.window, reinterpret_cast<std::intptr_t>(window.Text1()));
            QCOMPARE(start.numbers, (std::vector<std::int32_t>{-1, -1, -1}));
            QCOMPARE(
                QString::fromStdString(start.texts[0]),
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
        const lenvoro::test::EnvironmentGuard gbk("LC_ALL", "zh_CN.GBK");
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
        auto merlin =
            Assistant::Load(QStringLiteral(TUKOMI_SOURCE_DATA_DIR "/merlin.acs"), &host, &error);
        QVERIFY2(merlin, qPrintable(error.message()));
        merlin->setTimeScale(0.05);
        FakeSpeech speech;
        auto setup = setupFor(QStringLiteral("妈"), &speech);
        setup.merlin = merlin.get();
        setup.soundPath = QStringLiteral("/nonexistent/999/1.wav");
        auto window = std::make_unique<ExplanationWindow>(setup);
        QSignalSpy started(merlin.get(), &Assistant::requestStarted);
        // Clicks faster than the character speaks: one reading waits, not five.
        for (int click = 0; click < 6; ++click)
            QTest::mouseClick(window->Image1(), Qt::LeftButton);
        QVERIFY(merlin->isBusy());
        QCOMPARE(merlin->pendingRequests(), 1);
        QVERIFY(started.count() >= 1);
        QCOMPARE(started.first().first().toString(), QStringLiteral("妈"));
        QCOMPARE(speech.calls.size(), std::size_t{1});  // the library is not asked
        // Closing the window drops the waiting reading; the one heard goes on.
        window->reject();
        QCOMPARE(merlin->pendingRequests(), 0);
        QVERIFY(merlin->isBusy());
        QSignalSpy idle(merlin.get(), &Assistant::idle);
        QVERIFY(idle.wait(5000));
        QCOMPARE(started.count(), 1);
    }

    // Measured on the drawn pixels: the ink of each syllable is centred on
    // the ink of its character. Characters without a syllable (digits,
    // Latin letters) keep their place.
    void syllablesSitCentredOverTheirCharacters() {
        const struct {
            const char* text;
            std::vector<int> readCharacters;  // the ink runs of Label1 that have a syllable
        } cases[] = {
            {"我爱爸爸妈妈", {0, 1, 2, 3, 4, 5}},
            {"一个苹果", {0, 1, 2, 3}},
            {"我有3个apple", {0, 1, 3}},
            {"装床光窗双", {0, 1, 2, 3, 4}},
        };
        FakeSpeech speech;
        // Also in a window drawn larger, as over a game filling a big screen.
        for (const double scale : {1.0, 2.5})
            for (const auto& c : cases) {
                ExplanationWindow::Setup setup = setupFor(QString::fromUtf8(c.text), &speech);
                setup.scale = scale;
                ExplanationWindow window(setup);
                const std::vector<double> runs =
                    inkRunMiddles(inkColumns(window.Label1(), isBlueInk));
                const std::vector<int> pinyin = inkColumns(window.Label2(), isRedInk);
                std::vector<double> characters;
                for (int run : c.readCharacters)
                    characters.push_back(runs.at(std::size_t(run)));
                // Each syllable is looked for between the midpoints to its
                // neighbours' characters.
                for (std::size_t i = 0; i < characters.size(); ++i) {
                    const double from = i == 0 ? 0 : (characters[i - 1] + characters[i]) / 2;
                    const double to = i + 1 == characters.size()
                                          ? window.width()
                                          : (characters[i] + characters[i + 1]) / 2;
                    const double syllable = inkMiddleBetween(pinyin, from, to);
                    QVERIFY2(
                        std::abs(syllable - characters[i]) <= 2.0 * scale,
                        qPrintable(QStringLiteral(
                                       "%1 at %5, character %2: syllable at %3, character at %4")
                                       .arg(QString::fromUtf8(c.text))
                                       .arg(i)
                                       .arg(syllable)
                                       .arg(characters[i])
                                       .arg(scale)));
                }
            }
    }

    // Over a game drawn larger the window is drawn larger too, every control
    // in its place and every font in proportion.
    void drawnLargerEverythingGrowsAlike() {
        FakeSpeech speech;
        ExplanationWindow::Setup setup = setupFor(QStringLiteral("妈妈"), &speech);
        setup.scale = 2.5;
        ExplanationWindow window(setup);
        QCOMPARE(window.size(), QSize(1680, 265));
        QCOMPARE(window.Image1()->geometry(), QRect(1540, 0, 140, 120));
        QCOMPARE(window.Image2()->geometry(), QRect(1540, 120, 140, 140));
        QCOMPARE(window.Label1()->font().pointSizeF(), 42 * 2.5);
        QCOMPARE(window.Label2()->font().pointSizeF(), 26.25 * 2.5);
        // Its pictures are drawn from their larger versions.
        QCOMPARE(window.Image2()->pixmap().devicePixelRatio(), 3.0);
    }

    // Long syllables and long texts make the pinyin smaller, never overlap or leave the label.
    void pinyinShrinksRatherThanOverlap() {
        FakeSpeech speech;
        for (const char* text :
             {"妈妈妈妈妈妈妈妈妈妈妈妈妈妈", "装床光窗双", "小朋友们一起去公园里看花"}) {
            ExplanationWindow window(setupFor(QString::fromUtf8(text), &speech));
            auto* label = qobject_cast<PinyinLabel*>(window.Label2());
            QVERIFY(label);
            QVERIFY(label->fittedFont().pointSizeF() < label->font().pointSizeF());
            const std::vector<QRectF> inks = label->syllableInk();
            QCOMPARE(qsizetype(inks.size()), QString::fromUtf8(text).size());
            for (std::size_t i = 0; i < inks.size(); ++i) {
                QVERIFY2(QRectF(label->rect()).contains(inks[i]), text);
                if (i > 0)
                    QVERIFY2(inks[i - 1].right() < inks[i].left(), text);
            }
        }
    }

private:
    ExplanationWindow::Setup setupFor(const QString& text, FakeSpeech* speech,
                                      bool* shown = nullptr) {
        return ExplanationWindow::Setup{text,      table.get(), speech, nullptr,
                                        QString(), kPage,       shown};
    }

    std::unique_ptr<PinyinTable> table;
    std::optional<lenvoro::test::EnvironmentGuard> locale;
};

QTEST_MAIN(ExplanationWindowTest)
#include "explanation_window_test.moc"
