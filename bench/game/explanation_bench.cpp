// How long the explanation window takes to open over a completed picture:
// building it (pinyin line, starting the speech library) and painting it
// once. The speech library is replaced by a stand-in that returns at once, so
// the figure is the window's own cost.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>

#include "art.h"
#include "explanation_window.h"
#include "pinyin_table.h"
#include "speech_library.h"

using namespace tukomi;

namespace {

class QuietSpeech : public SpeechLibraryApi {
public:
    std::int32_t InitialAuth(std::intptr_t, std::int32_t, std::int32_t, std::int32_t,
                             const std::string&, const std::string&, const std::string&,
                             const std::string&) override {
        return 10;
    }
    std::int32_t Speak(const std::string&, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                       std::int32_t, const std::string&) override {
        return 10;
    }
    std::int32_t Close() override { return 1; }
    QString errorMessage(InterfaceLanguage) const override { return {}; }
};

QString joinedTable() {
    QString table;
    for (const QString& part : PinyinTable::LoadPinyinParts())
        table += part;
    return table;
}

void OpenExplanationWindow(benchmark::State& state) {
    const PinyinTable table(joinedTable());
    QuietSpeech speech;
    bool shown = false;
    for (auto _ : state) {
        ExplanationWindow window(ExplanationWindow::Setup{QStringLiteral("池塘里的青蛙"), &table,
                                                          &speech, nullptr, QString(), QString(),
                                                          &shown});
        window.show();
        window.repaint();
        benchmark::DoNotOptimize(window.Label2()->text());
    }
}
BENCHMARK(OpenExplanationWindow)->Unit(benchmark::kMillisecond);

// The first opening also builds the pinyin map from the joined table.
void FirstOpeningWithPinyinMap(benchmark::State& state) {
    const QString text = joinedTable();
    QuietSpeech speech;
    bool shown = false;
    for (auto _ : state) {
        const PinyinTable table(text);
        ExplanationWindow window(ExplanationWindow::Setup{QStringLiteral("池塘里的青蛙"), &table,
                                                          &speech, nullptr, QString(), QString(),
                                                          &shown});
        window.show();
        window.repaint();
    }
}
BENCHMARK(FirstOpeningWithPinyinMap)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
