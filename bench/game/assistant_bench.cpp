// How quickly the assistant character is ready and shows up:
//
//   assistant_bench [CHARACTER_FILE] [RECORDING]
//
// times loading the character file, the AssistantSpeak call itself, the
// time from AssistantSpeak to the character's first frame painted, and the
// longest the event loop waits during one whole speech. Run it under the
// platform to measure (offscreen, or a real X server or Xvfb).

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "art.h"
#include "assistant.h"
#include "lenvoro_audio/audio_output.h"

using namespace tukomi;

namespace {

constexpr int kRuns = 30;

struct Figures {
    std::vector<double> ms;
    void add(qint64 ns) { ms.push_back(ns / 1e6); }
    void print(const char* what) {
        std::sort(ms.begin(), ms.end());
        std::printf("%-44s median %8.3f ms   min %8.3f ms   max %8.3f ms   (%zu runs)\n", what,
                    ms[ms.size() / 2], ms.front(), ms.back(), ms.size());
    }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    installFontSubstitutions();
    const QStringList args = app.arguments();
    const QString characterFile =
        args.size() > 1 ? args[1] : QStringLiteral(TUKOMI_SOURCE_DATA_DIR "/merlin.acs");
    const QString recording =
        args.size() > 2 ? args[2] : QStringLiteral(TUKOMI_SOURCE_DATA_DIR "/999/1.wav");

    QWidget host;
    host.setFixedSize(598, 360);
    host.show();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 200)
        QApplication::processEvents();

    Figures load;
    Figures call;
    Figures firstFrame;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer clock;
        clock.start();
        LoadError error;
        std::unique_ptr<Assistant> assistant = Assistant::Load(characterFile, &host, &error);
        load.add(clock.nsecsElapsed());
        if (!assistant) {
            std::fprintf(stderr, "%s\n", qPrintable(error.message()));
            return 1;
        }
        bool painted = false;
        qint64 paintedAt = 0;
        QObject::connect(assistant.get(), &Assistant::framePainted, [&] {
            if (!painted)
                paintedAt = clock.nsecsElapsed();
            painted = true;
        });
        clock.restart();
        assistant->AssistantSpeak(QStringLiteral("红红的苹果"), recording);
        call.add(clock.nsecsElapsed());
        while (!painted && clock.elapsed() < 5000) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
        if (!painted) {
            std::fprintf(stderr, "the character was never painted\n");
            return 1;
        }
        firstFrame.add(paintedAt);
    }

    // One whole speech at normal speed on a fast null output, watching how
    // long the event loop is ever held up.
    auto assistant = Assistant::Load(characterFile, &host);
    assistant->setOutputFactory([](const lenvoro::audio::AudioFormat& format) {
        return lenvoro::audio::openNullOutput(format, 4.0);
    });
    QElapsedTimer gap;
    qint64 longestGapNs = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longestGapNs = std::max(longestGapNs, gap.nsecsElapsed());
        gap.restart();
    });
    bool idle = false;
    QObject::connect(assistant.get(), &Assistant::idle, [&] { idle = true; });
    gap.start();
    tick.start();
    assistant->AssistantSpeak(QStringLiteral("红红的苹果"), recording);
    while (!idle)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);

    std::printf("platform: %s\n", qPrintable(QGuiApplication::platformName()));
    load.print("load character file");
    call.print("AssistantSpeak call");
    firstFrame.print("AssistantSpeak to first frame painted");
    std::printf("%-44s %8.3f ms\n", "longest event-loop gap during a speech", longestGapNs / 1e6);
    return 0;
}
