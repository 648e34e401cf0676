// The voice-setting dialog on the library's voice: its lists and trackbars,
// changes heard at once, what OK stores and Cancel keeps, the failure paths
// (no voice, no voices, settings that cannot be written), the link, and the
// exports that run it. Offscreen, with the null or capture audio output.
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "engine/data_folders.h"
#include "engine/ini_file.h"
#include "engine_state.h"
#include "interface_language.h"
#include "lenvoro.h"
#include "lenvoro_audio/wave_file.h"
#include "settings_dialog.h"
#include "speech_engine.h"
#include "voice_support.h"

using namespace lenvoro;

namespace {

void chooseLocale(const char* locale) {
    setenv("LANG", locale, 1);  // the voice names follow the same locale
    ChooseInterfaceLanguage(
        [locale](const char* name) -> const char* {
            return std::string_view(name) == "LANG" ? locale : nullptr;
        },
        HelpFolder());
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

void writeFile(const std::filesystem::path& path, const std::string& content) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

std::optional<std::string> storedSetting(const char* key) {
    return engine::IniFile::load(engine::engineSettingsPath()).value("Voices", key);
}

// Kept out of line: GCC misreads the buffer bounds when a short literal is
// copied in place.
[[gnu::noinline]] void setMoreVoicesPage(std::u16string_view page) {
    engineState().moreVoicesPage.assign(page);
}

template <typename T>
T* child(QDialog* dialog, const char* name) {
    return dialog->findChild<T*>(QString::fromLatin1(name));
}

// Runs action on the next modal dialog once it is open (from inside its loop).
void onNextModal(std::function<void(QDialog*)> action) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(dialog);
        }
    });
    timer->start();
}

// Receives what QDesktopServices::openUrl is asked to open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

std::u16string longEnglish() {
    std::u16string text;
    for (int i = 0; i < 4; ++i)
        text += u"The quick brown fox jumps over the lazy dog near the quiet river bank. ";
    return text;
}

}  // namespace

class SettingsDialogTest : public QObject {
    Q_OBJECT

private:
    std::filesystem::path settingsFile_;

    std::shared_ptr<engine::Voice> startVoice() {
        auto voice = test::makeVoice(8.0);
        engineState().voice = voice;
        return voice;
    }

private slots:
    void init() {
        const auto config = test::makeTemporaryFolder("settings-config");
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        setenv("LENVORO_DATA_DIR", LENVORO_TEST_DATA_DIR, 1);
        settingsFile_ = config / "lenvoro" / "engine.ini";
        QCOMPARE(engine::engineSettingsPath(), settingsFile_);
        engineState().usable = true;
        engineState().voice.reset();
        engineState().settingsAudioOutput.reset();
        engineState().moreVoicesPage.clear();
        chooseLocale("en_US.UTF-8");
    }

    void cleanup() {
        engineState().voice.reset();
        engineState().settingsAudioOutput.reset();
    }

    void formatListCarriesTheEngineNumbers() {
        startVoice();
        const auto dialog = CreateSettingsDialog();
        QVERIFY(dialog);
        auto* formats = child<QComboBox>(dialog.get(), kFormatListName);
        QCOMPARE(formats->count(), 36);
        const struct {
            int index;
            const char* name;
        } named[] = {{0, "8kHz 8 Bit Mono"},     {1, "8kHz 8 Bit Stereo"},
                     {7, "11kHz 16 Bit Stereo"}, {18, "22kHz 16 Bit Mono"},
                     {30, "44kHz 16 Bit Mono"},  {35, "48kHz 16 Bit Stereo"}};
        for (const auto& entry : named)
            QCOMPARE(formats->itemText(entry.index), QString::fromLatin1(entry.name));
        for (int i = 0; i < formats->count(); ++i) {
            const int number = formats->itemData(i).toInt();
            QCOMPARE(number, i + 4);
            // The number is the one the format's own wave record maps back to.
            QCOMPARE(StreamFormatNumber(engine::streamFormatFromId(number)->waveFormat()), number);
        }
        // The voice plays in the engine's own format until told otherwise.
        QCOMPARE(formats->currentText(), QStringLiteral("22kHz 16 Bit Mono"));
    }

    void recordsOutsideTheListHaveNoNumber() {
        engine::WaveFormat wave = engine::streamFormatFromId(4)->waveFormat();
        wave.formatTag = 6;  // A-law
        QCOMPARE(StreamFormatNumber(wave), std::nullopt);
        for (auto change : std::initializer_list<std::function<void(engine::WaveFormat&)>>{
                 [](engine::WaveFormat& w) { w.channels = 3; },
                 [](engine::WaveFormat& w) { w.channels = 0; },
                 [](engine::WaveFormat& w) { w.bitsPerSample = 24; },
                 [](engine::WaveFormat& w) { w.samplesPerSecond = 44000; },
                 [](engine::WaveFormat& w) { w.samplesPerSecond = 0; }}) {
            wave = engine::streamFormatFromId(22)->waveFormat();
            change(wave);
            QCOMPARE(StreamFormatNumber(wave), std::nullopt);
        }
        QCOMPARE(StreamFormatName(3), std::u16string());
        QCOMPARE(StreamFormatName(40), std::u16string());
    }

    void trackbarsShowTheVoicesRateAndVolume() {
        auto voice = startVoice();
        voice->setRate(-3);
        voice->setVolume(40);
        const auto dialog = CreateSettingsDialog();
        auto* rate = child<QSlider>(dialog.get(), kRateTrackbarName);
        auto* volume = child<QSlider>(dialog.get(), kVolumeTrackbarName);
        QCOMPARE(rate->minimum(), -10);
        QCOMPARE(rate->maximum(), 10);
        QCOMPARE(rate->pageStep(), 5);
        QCOMPARE(rate->value(), -3);
        QCOMPARE(volume->minimum(), 0);
        QCOMPARE(volume->maximum(), 100);
        QCOMPARE(volume->pageStep(), 10);
        QCOMPARE(volume->value(), 40);
        // Moves act on the voice at once.
        rate->setValue(6);
        volume->triggerAction(QAbstractSlider::SliderPageStepSub);
        int32_t value = 0;
        voice->getRate(&value);
        QCOMPARE(value, 6);
        voice->getVolume(&value);
        QCOMPARE(value, 30);
    }

    void voiceNamesFollowTheUserInterfaceLanguage_data() {
        QTest::addColumn<QByteArray>("locale");
        QTest::addColumn<QString>("femaleName");
        QTest::newRow("simplified") << QByteArray("zh_CN.UTF-8") << QStringLiteral("中文女声");
        QTest::newRow("traditional") << QByteArray("zh_TW.UTF-8") << QStringLiteral("中文女聲");
        QTest::newRow("english") << QByteArray("en_US.UTF-8")
                                 << QStringLiteral("Chinese Female Voice");
        // A language the voice has no name for: its default name.
        QTest::newRow("french") << QByteArray("fr_FR.UTF-8")
                                << QStringLiteral("Chinese Female Voice");
    }

    void voiceNamesFollowTheUserInterfaceLanguage() {
        QFETCH(QByteArray, locale);
        QFETCH(QString, femaleName);
        chooseLocale(locale.constData());
        startVoice();
        const auto dialog = CreateSettingsDialog();
        auto* voices = child<QComboBox>(dialog.get(), kVoiceListName);
        QCOMPARE(voices->count(), 5);
        QVERIFY2(voices->findText(femaleName) >= 0, qPrintable(voices->itemText(1)));
    }

    void voicesWithoutAnyNameAreLeftOut() {
        const auto data = test::makeTemporaryFolder("named-voices");
        writeFile(data / "voices" / "a.ini",
                  "[Token]\nDefault=Plain A\n804=甲\n[Attributes]\nName=A\n[Espeak]\nVoice=en\n");
        writeFile(data / "voices" / "b.ini",
                  "[Token]\nDefault=Plain B\n[Attributes]\nName=B\n[Espeak]\nVoice=en\n");
        writeFile(data / "voices" / "c.ini", "[Attributes]\nName=C\n[Espeak]\nVoice=en\n");
        setenv("LENVORO_DATA_DIR", data.c_str(), 1);
        chooseLocale("zh_CN.UTF-8");
        startVoice();
        const auto dialog = CreateSettingsDialog();
        auto* voices = child<QComboBox>(dialog.get(), kVoiceListName);
        QCOMPARE(voices->count(), 2);
        QCOMPARE(voices->itemText(0), QStringLiteral("甲"));
        QCOMPARE(voices->itemText(1), QStringLiteral("Plain B"));
    }

    void theVoiceInUseIsPreselectedAndOkKeepsIt() {
        auto voice = startVoice();
        const auto mary = test::voiceNamed(u"Microsoft Mary");
        voice->setVoice(mary);
        auto dialog = CreateSettingsDialog();
        auto* voices = child<QComboBox>(dialog.get(), kVoiceListName);
        QCOMPARE(voices->currentText(), QStringLiteral("Microsoft Mary"));
        QTest::mouseClick(child<QPushButton>(dialog.get(), kOkButtonName), Qt::LeftButton);
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(storedSetting("DefaultTokenId"), mary->id());

        // A voice on the engine's default: the default voice, listed first.
        engineState().voice = test::makeVoice(8.0);
        dialog = CreateSettingsDialog();
        voices = child<QComboBox>(dialog.get(), kVoiceListName);
        QCOMPARE(voices->currentIndex(), 0);
        QCOMPARE(voices->currentText(), QStringLiteral("Microsoft Mary"));
    }

    void choosingAVoiceSetsItAndStopsTheReading() {
        auto voice = startVoice();
        auto dialog = CreateSettingsDialog();
        auto* voices = child<QComboBox>(dialog.get(), kVoiceListName);
        voice->speak(longEnglish(), engine::kSpeakAsync);
        voices->setCurrentIndex(voices->findText(QStringLiteral("Microsoft Mike")));
        std::shared_ptr<const engine::ObjectToken> current;
        voice->getVoice(&current);
        QVERIFY(current);
        QCOMPARE(current->id(), test::voiceNamed(u"Microsoft Mike")->id());
        QCOMPARE(voice->status().runningState, engine::kRunningStateDone);
    }

    void volumeTrackbarIsHeardDuringTheReading() {
        const auto folder = test::makeTemporaryFolder("settings-volume");
        const std::string capture = (folder / "heard.wav").string();
        auto voice = startVoice();
        voice->setOutputFactory([&](const audio::AudioFormat& format) {
            return audio::openCaptureOutput(format, capture, nullptr, 4.0);
        });
        std::mutex mutex;
        std::vector<engine::VoiceEvent> words;
        voice->setInterest(engine::kAllSpeechEvents, engine::kAllSpeechEvents);
        voice->setNotifyCallback([&] {
            engine::VoiceEvent event;
            while (voice->getEvent(&event) == engine::kOk) {
                std::lock_guard lock(mutex);
                if (event.id == engine::kEventWordBoundary)
                    words.push_back(event);
            }
        });
        const auto dialog = CreateSettingsDialog();
        auto* volume = child<QSlider>(dialog.get(), kVolumeTrackbarName);
        voice->speak(longEnglish(), engine::kSpeakAsync);
        uint64_t quietFrom = 0;
        QVERIFY(test::waitFor([&] {
            std::lock_guard lock(mutex);
            if (words.size() >= 6)
                quietFrom = words.back().audioStreamOffset / 2;
            return quietFrom > 0;
        }));
        // Dragged down to nothing, as a user would: every step acts.
        volume->setSliderDown(true);
        for (int value = volume->value(); value >= 0; value -= 25)
            volume->setSliderPosition(value);
        volume->setSliderPosition(0);
        volume->setSliderDown(false);
        voice->waitUntilDone();
        voice->setNotifyCallback(nullptr);
        engineState().voice.reset();
        voice.reset();
        const auto heard = audio::readWaveFile(capture);
        QVERIFY(heard);
        const size_t margin = 22050 / 5;  // what the output had taken before the change
        QVERIFY(heard->samples.size() > quietFrom + 2 * margin);
        QVERIFY(test::rmsLevel(heard->samples, 0, quietFrom) > 300.0);
        QVERIFY(test::rmsLevel(heard->samples, quietFrom + margin) < 1.0);
    }

    void aFormatChoiceIsHeardInThatFormat() {
        const auto folder = test::makeTemporaryFolder("settings-format");
        const std::string capture = (folder / "heard.wav").string();
        auto voice = startVoice();
        voice->setOutputFactory([&](const audio::AudioFormat& format) {
            return audio::openCaptureOutput(format, capture, nullptr, 16.0);
        });
        const auto dialog = CreateSettingsDialog();
        auto* formats = child<QComboBox>(dialog.get(), kFormatListName);
        formats->setCurrentIndex(formats->findText(QStringLiteral("44kHz 16 Bit Stereo")));
        std::shared_ptr<engine::OutputTarget> output;
        voice->getOutputStream(&output);
        QVERIFY(output);
        QCOMPARE(output.get(), engineState().settingsAudioOutput.get());
        QCOMPARE(output->format().id, 35);
        voice->speak(u"Format.", engine::kSpeakSync);
        engineState().voice.reset();
        voice.reset();
        const auto heard = audio::readWaveFile(capture);
        QVERIFY(heard);
        QCOMPARE(heard->format.sampleRate, 44100);
        QCOMPARE(heard->format.channels, 2);
        QVERIFY(test::rmsLevel(heard->samples) > 100.0);
    }

    void okStoresTheVoiceAndRateForTheNextVoice() {
        writeFile(settingsFile_, "[Other]\nKept=yes\n");
        startVoice();
        const auto dialog = CreateSettingsDialog();
        auto* voices = child<QComboBox>(dialog.get(), kVoiceListName);
        voices->setCurrentIndex(voices->findText(QStringLiteral("Microsoft Mike")));
        child<QSlider>(dialog.get(), kRateTrackbarName)->setValue(-4);
        child<QSlider>(dialog.get(), kVolumeTrackbarName)->setValue(20);
        QTest::mouseClick(child<QPushButton>(dialog.get(), kOkButtonName), Qt::LeftButton);
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(storedSetting("DefaultTTSRate"), std::string("-4"));
        QCOMPARE(engine::IniFile::load(settingsFile_).value("Other", "Kept"), std::string("yes"));
        // What the next program's voice starts with; volume is not kept.
        std::shared_ptr<engine::Voice> next;
        QCOMPARE(CreateVoice(&next), engine::kOk);
        std::shared_ptr<const engine::ObjectToken> token;
        int32_t rate = 0, volume = 0;
        next->getVoice(&token);
        next->getRate(&rate);
        next->getVolume(&volume);
        QVERIFY(token);
        QCOMPARE(token->id(), test::voiceNamed(u"Microsoft Mike")->id());
        QCOMPARE(rate, -4);
        QCOMPARE(volume, 100);
    }

    void cancelAndTheCloseBoxStoreNothing() {
        const std::string before =
            "[voices]\ndefaulttokenid=" + test::voiceNamed(u"Microsoft Sam")->id() +
            "\ndefaultttsrate=2\n";
        writeFile(settingsFile_, before);
        auto voice = startVoice();
        for (bool closeBox : {false, true}) {
            const auto dialog = CreateSettingsDialog();
            QCOMPARE(child<QSlider>(dialog.get(), kRateTrackbarName)->value(), 2);
            auto* voices = child<QComboBox>(dialog.get(), kVoiceListName);
            voices->setCurrentIndex(voices->findText(QStringLiteral("Microsoft Mary")));
            child<QSlider>(dialog.get(), kRateTrackbarName)->setValue(7);
            dialog->show();
            if (closeBox)
                dialog->close();
            else
                QTest::mouseClick(child<QPushButton>(dialog.get(), kCancelButtonName),
                                  Qt::LeftButton);
            QVERIFY(!dialog->isVisible());
            QCOMPARE(dialog->result(), int(QDialog::Rejected));
            QCOMPARE(readFile(settingsFile_), before);
            // What was changed stays in effect on the voice.
            int32_t rate = 0;
            voice->getRate(&rate);
            QCOMPARE(rate, 7);
            voice->setRate(2);
        }
    }

    void withoutAVoiceOnlyTheRateIsStored() {
        writeFile(settingsFile_, "[voices]\ndefaultttsrate=3\n");
        QVERIFY(!engineState().voice);
        const auto dialog = CreateSettingsDialog();
        QVERIFY(dialog);
        auto* formats = child<QComboBox>(dialog.get(), kFormatListName);
        auto* rate = child<QSlider>(dialog.get(), kRateTrackbarName);
        QCOMPARE(child<QComboBox>(dialog.get(), kVoiceListName)->count(), 0);
        QCOMPARE(formats->count(), 36);
        QCOMPARE(formats->currentIndex(), -1);
        // What OK would keep: the stored rate, not a reset to normal.
        QCOMPARE(rate->value(), 3);
        QCOMPARE(child<QSlider>(dialog.get(), kVolumeTrackbarName)->value(), 100);
        formats->setCurrentIndex(3);
        child<QSlider>(dialog.get(), kVolumeTrackbarName)->setValue(10);
        rate->setValue(-9);
        QTest::mouseClick(child<QPushButton>(dialog.get(), kOkButtonName), Qt::LeftButton);
        QCOMPARE(storedSetting("DefaultTTSRate"), std::string("-9"));
        QCOMPARE(storedSetting("DefaultTokenId"), std::nullopt);
    }

    void withNoVoicesInstalledTheListStaysEmpty() {
        setenv("LENVORO_DATA_DIR", test::makeTemporaryFolder("no-voices").c_str(), 1);
        auto voice = startVoice();
        voice->setRate(5);
        const auto dialog = CreateSettingsDialog();
        QCOMPARE(child<QComboBox>(dialog.get(), kVoiceListName)->count(), 0);
        QCOMPARE(child<QSlider>(dialog.get(), kRateTrackbarName)->value(), 0);
        QCOMPARE(child<QSlider>(dialog.get(), kVolumeTrackbarName)->value(), 100);
        QVERIFY(!engineState().settingsAudioOutput);
        QTest::mouseClick(child<QPushButton>(dialog.get(), kOkButtonName), Qt::LeftButton);
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(storedSetting("DefaultTTSRate"), std::string("0"));
        QCOMPARE(storedSetting("DefaultTokenId"), std::nullopt);
    }

    void settingsThatCannotBeWrittenStayAsTheyWere_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("read-only folder") << QStringLiteral("read-only");
        QTest::newRow("full disk") << QStringLiteral("full");
        QTest::newRow("unreadable file") << QStringLiteral("oversized");
    }

    void settingsThatCannotBeWrittenStayAsTheyWere() {
        QFETCH(QString, how);
        std::string before = "[voices]\ndefaultttsrate=2\n";
        if (how == QLatin1String("oversized"))
            before += "; " + std::string(70 * 1024, 'x') + "\n";
        writeFile(settingsFile_, before);
        const auto folder = settingsFile_.parent_path();
        if (how == QLatin1String("read-only")) {
            if (geteuid() == 0)
                QSKIP("permissions do not hold back the superuser");
            std::filesystem::permissions(
                folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        }
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        startVoice();
        const auto dialog = CreateSettingsDialog();
        auto* voices = child<QComboBox>(dialog.get(), kVoiceListName);
        voices->setCurrentIndex(voices->findText(QStringLiteral("Microsoft Mike")));
        child<QSlider>(dialog.get(), kRateTrackbarName)->setValue(-6);
        if (how == QLatin1String("full")) {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit tiny = saved;
            tiny.rlim_cur = 8;  // a disk with a few bytes left
            setrlimit(RLIMIT_FSIZE, &tiny);
        }
        QTest::mouseClick(child<QPushButton>(dialog.get(), kOkButtonName), Qt::LeftButton);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QVERIFY(readFile(settingsFile_) == before);
        // No half-written file is left beside it.
        int files = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
            ++files;
        QCOMPARE(files, 1);
    }

    void linkOpensTheMoreVoicesPage() {
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
        setMoreVoicesPage(u"https://example.org/more-voices");
        auto dialog = CreateSettingsDialog();
        dialog->show();
        auto* link = child<QLabel>(dialog.get(), kLinkName);
        QCOMPARE(link->text(), QStringLiteral("Get More Voices..."));
        QCOMPARE(link->cursor().shape(), Qt::BitmapCursor);  // the library's own hand
        QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QVERIFY(link->font().underline());
        QCOMPARE(link->font().pixelSize(), 15);
        QTest::mouseClick(link, Qt::RightButton);
        QVERIFY(recorder.opened.isEmpty());
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(recorder.opened,
                 QList<QUrl>{QUrl(QStringLiteral("https://example.org/more-voices"))});
        QVERIFY(dialog->isVisible());

        // No page given: the voices help page of the interface language.
        engineState().moreVoicesPage.clear();
        chooseLocale("zh_TW.UTF-8");
        dialog = CreateSettingsDialog();
        dialog->show();
        QTest::mouseClick(child<QLabel>(dialog.get(), kLinkName), Qt::LeftButton);
        QCOMPARE(recorder.opened.size(), 2);
        QVERIFY(
            recorder.opened.last().toString().endsWith(QStringLiteral("/help/zh-TW/voices.html")));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    }

    void everyControlFitsInEachLanguage_data() {
        QTest::addColumn<QByteArray>("locale");
        QTest::addColumn<QString>("caption");
        QTest::newRow("CN") << QByteArray("zh_CN.UTF-8") << QStringLiteral("语音设置");
        QTest::newRow("TW") << QByteArray("zh_TW.UTF-8") << QStringLiteral("語音設置");
        QTest::newRow("ENG") << QByteArray("en_US.UTF-8") << QStringLiteral("Voice Setting");
    }

    void everyControlFitsInEachLanguage() {
        QFETCH(QByteArray, locale);
        QFETCH(QString, caption);
        chooseLocale(locale.constData());
        startVoice();
        const auto dialog = CreateSettingsDialog();
        QCOMPARE(dialog->windowTitle(), caption);
        const QRect client = dialog->rect();
        QCOMPARE(child<QComboBox>(dialog.get(), kVoiceListName)->geometry().topLeft(),
                 QPoint(30, 20));
        QCOMPARE(child<QSlider>(dialog.get(), kVolumeTrackbarName)->geometry(),
                 QRect(27, 135, client.width() - 57, 22));
        QCOMPARE(child<QComboBox>(dialog.get(), kFormatListName)->width(), client.width() - 70);
        QList<QWidget*> controls;
        for (QWidget* widget : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            controls.append(widget);
        for (QWidget* control : controls) {
            const QString name = control->objectName();
            QVERIFY2(client.contains(control->geometry()), qPrintable(name));
            for (QWidget* other : controls) {
                if (other != control)
                    QVERIFY2(!control->geometry().intersects(other->geometry()),
                             qPrintable(name + QStringLiteral(" overlaps ") + other->objectName()));
            }
            if (auto* label = qobject_cast<QLabel*>(control)) {
                const QFontMetrics metrics(label->font());
                QVERIFY2(metrics.height() <= label->height() &&
                             metrics.horizontalAdvance(label->text()) <= label->width(),
                         qPrintable(name));
            }
        }
    }

    // --- The exports -------------------------------------------------------

    void exportsRunTheDialogAndKeepThePageWithinItsBuffer() {
        startVoice();
        auto closeWithCancel = [] {
            onNextModal([](QDialog* dialog) {
                QCOMPARE(dialog->objectName(), QStringLiteral("IDD_SETDIALOG_ENG"));
                dialog->reject();
            });
        };
        closeWithCancel();
        QCOMPARE(Lenvoro_SetDialog(0, "https://example.org/a"), LENVORO_RESULT_OK);
        QCOMPARE(MoreVoicesAddress(), QStringLiteral("https://example.org/a"));

        // Too long: cut at 255 units.
        const std::string longAnsi = "https://example.org/" + std::string(300, 'v');
        closeWithCancel();
        QCOMPARE(Dll_Lenvoro_SetDialogA(0, longAnsi.c_str()), LENVORO_RESULT_OK);
        QCOMPARE(engineState().moreVoicesPage.size(), size_t(255));
        QVERIFY(MoreVoicesAddress().startsWith(QStringLiteral("https://example.org/vvv")));

        // Never between the halves of a surrogate pair.
        std::u16string wide = u"https://example.org/" + std::u16string(234, u'w') + u"😀tail";
        closeWithCancel();
        QCOMPARE(Dll_Lenvoro_SetDialogW(0, wide.c_str()), LENVORO_RESULT_OK);
        QCOMPARE(engineState().moreVoicesPage.view(), std::u16string_view(wide).substr(0, 254));

        // No page: the last one stays.
        closeWithCancel();
        QCOMPARE(Dll_Lenvoro_SetDialogW(0, nullptr), LENVORO_RESULT_OK);
        QCOMPARE(engineState().moreVoicesPage.size(), size_t(254));

        // Owned by the caller's window.
        QWidget owner;
        owner.show();
        onNextModal([&owner](QDialog* dialog) {
            QCOMPARE(dialog->parentWidget(), &owner);
            dialog->accept();
        });
        QCOMPARE(Lenvoro_SetDialog(reinterpret_cast<intptr_t>(&owner), nullptr), LENVORO_RESULT_OK);
    }

    void retiredLibraryShowsTheInformationInstead() {
        onNextModal([](QDialog* dialog) { dialog->accept(); });
        QCOMPARE(Lenvoro_Initial(0, 0, 0, 0, 0, 0), LENVORO_RESULT_DONE);
        onNextModal([](QDialog* dialog) {
            QCOMPARE(dialog->objectName(), QStringLiteral("IDD_INITIALINFO_ENG"));
            dialog->accept();
        });
        setMoreVoicesPage(u"https://example.org/kept");
        QCOMPARE(Dll_Lenvoro_SetDialogW(0, u"https://example.org/ignored"), LENVORO_RESULT_REFUSED);
        QCOMPARE(MoreVoicesAddress(), QStringLiteral("https://example.org/kept"));
        engineState().usable = true;
    }
};

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("LENVORO_AUDIO", "null", 1);
    QApplication application(argc, argv);
    SettingsDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "settings_dialog_test.moc"
