// The start call's take-over of the caller's text box, in a program with a
// QApplication: which windows are taken over, that it happens once per window
// and family, and that the engine's notifications then keep the reading state
// and mark the word being heard.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>

#include <cstdlib>
#include <set>
#include <string>

#include "engine_state.h"
#include "lenvoro.h"
#include "voice_support.h"
#include "window_host.h"

namespace lenvoro {
namespace {

intptr_t handleOf(QWidget& widget) {
    return reinterpret_cast<intptr_t>(&widget);
}

int filtersOn(QWidget& widget, const char* name) {
    return static_cast<int>(widget.findChildren<QObject*>(QString::fromLatin1(name)).size());
}

class TakeOver : public ::testing::Test {
protected:
    void TearDown() override {
        Lenvoro_Close();
        engineState().window = 0;
    }
};

TEST_F(TakeOver, TextBoxesAreTakenOverOncePerWindowAndFamily) {
    QLineEdit edit;
    QPushButton button;
    QWidget namedTextBox;
    namedTextBox.setObjectName(QStringLiteral("thunderRT6TEXTBOX"));

    ASSERT_EQ(Lenvoro_InitialAuth(handleOf(edit), -1, -1, -1, "", "", "", ""), LENVORO_RESULT_DONE);
    ASSERT_EQ(Dll_Lenvoro_InitialAuthA(handleOf(edit), -1, -1, -1, "", "", "", ""),
              LENVORO_RESULT_DONE);
    EXPECT_TRUE(IsTakenOver(handleOf(edit), HandlerFamily::Ansi));
    EXPECT_FALSE(IsTakenOver(handleOf(edit), HandlerFamily::Wide));
    EXPECT_EQ(filtersOn(edit, "lenvoro-notification-ansi"), 1) << "never installed twice";

    ASSERT_EQ(Dll_Lenvoro_InitialAuthW(handleOf(edit), -1, -1, -1, u"", u"", u"", u""),
              LENVORO_RESULT_DONE);
    EXPECT_TRUE(IsTakenOver(handleOf(edit), HandlerFamily::Wide));
    EXPECT_EQ(filtersOn(edit, "lenvoro-notification-wide"), 1);

    ASSERT_EQ(Lenvoro_InitialAuth(handleOf(button), -1, -1, -1, "", "", "", ""),
              LENVORO_RESULT_DONE);
    EXPECT_FALSE(IsTakenOver(handleOf(button), HandlerFamily::Ansi));
    ASSERT_EQ(Lenvoro_InitialAuth(handleOf(namedTextBox), -1, -1, -1, "", "", "", ""),
              LENVORO_RESULT_DONE);
    EXPECT_TRUE(IsTakenOver(handleOf(namedTextBox), HandlerFamily::Ansi));

    // A handle that names no widget is no window: started, nothing taken over.
    int notAWidget = 0;
    EXPECT_EQ(
        Lenvoro_InitialAuth(reinterpret_cast<intptr_t>(&notAWidget), -1, -1, -1, "", "", "", ""),
        LENVORO_RESULT_DONE);
}

TEST_F(TakeOver, NotificationsFollowTheReadingAndMarkTheWordHeard) {
    const std::u16string text = u"one two three four";
    QLineEdit edit(QString::fromStdU16String(text));
    const intptr_t window = handleOf(edit);
    ASSERT_EQ(Dll_Lenvoro_InitialAuthW(window, 1, -1, -1, u"", u"", u"", u""), LENVORO_RESULT_DONE);

    // What a speaking call sets up: a voice that notifies the window, the text
    // it reads, highlighting on. Its output runs faster than real time.
    EngineState& state = engineState();
    state.voice = test::makeVoice(4.0);
    state.voice->setInterest(engine::kAllSpeechEvents, engine::kAllSpeechEvents);
    state.voice->setNotifyCallback([window] { PostEngineNotification(window); });
    state.spokenText = text;
    state.highlight = true;
    state.progress = 0;
    ASSERT_EQ(state.voice->speak(text, engine::kSpeakAsync), engine::kOk);

    std::set<QString> marked;
    bool sawReading = false;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (!state.idle)
            sawReading = true;
        if (edit.hasSelectedText())
            marked.insert(edit.selectedText());
        if (sawReading && state.idle)
            break;
    }
    EXPECT_TRUE(sawReading);
    EXPECT_TRUE(state.idle);
    EXPECT_EQ(Lenvoro_GetLocationInfo(), 100);
    EXPECT_FALSE(edit.hasSelectedText()) << "the end of the reading clears the selection";
    EXPECT_GE(marked.size(), 2u);
    for (const QString& word : marked) {
        EXPECT_TRUE(QString::fromStdU16String(text).split(' ').contains(word))
            << word.toStdString();
    }

    // After close the handler finds no voice: a late notification changes nothing.
    EXPECT_EQ(Lenvoro_Close(), LENVORO_RESULT_OK);
    state.progress = 7;
    PostEngineNotification(window);
    QCoreApplication::processEvents();
    EXPECT_EQ(Lenvoro_GetLocationInfo(), 7);
}

}  // namespace
}  // namespace lenvoro

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    setenv("LENVORO_AUDIO", "null", 1);
    setenv("LENVORO_DATA_DIR", LENVORO_TEST_DATA_DIR, 0);
    setenv("LC_ALL", "en_US.UTF-8", 1);
    std::string config = "/tmp/lenvoro-config-XXXXXX";
    if (mkdtemp(config.data()) != nullptr)
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
