// The Qt example's window as its user sees it: Pause and Stop follow the
// reading (idle, reading, paused, ended, stopped), offscreen and without
// sound.
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

#include "reader_window.h"

class ReaderWindowTest : public QObject {
    Q_OBJECT
private slots:
    void pauseAndStopFollowTheReading();
};

void ReaderWindowTest::pauseAndStopFollowTheReading() {
    ReaderWindow window;
    window.show();
    QVERIFY(window.startEngine());
    auto* text = window.findChild<QTextEdit*>(QStringLiteral("text"));
    auto* pause = window.findChild<QPushButton*>(QStringLiteral("pauseButton"));
    auto* stop = window.findChild<QPushButton*>(QStringLiteral("stopButton"));
    QVERIFY(text && pause && stop);
    auto buttons = [&] {
        return QStringLiteral("%1 %2, stop %3")
            .arg(pause->text(), pause->isEnabled() ? "on" : "off",
                 stop->isEnabled() ? "on" : "off");
    };
    const QString idle = QStringLiteral("Pause off, stop off");
    const QString reading = QStringLiteral("Pause on, stop on");
    const QString paused = QStringLiteral("Continue on, stop on");

    QCOMPARE(buttons(), idle);
    window.pauseOrContinue();  // nothing is read: nothing to pause
    QCOMPARE(buttons(), idle);

    text->setPlainText(QStringLiteral("One, two, three, four, five, six."));
    window.speak();
    QTRY_COMPARE(buttons(), reading);
    window.pauseOrContinue();
    QCOMPARE(buttons(), paused);
    QTest::qWait(300);  // a paused reading does not end
    QCOMPARE(buttons(), paused);
    window.pauseOrContinue();
    QCOMPARE(buttons(), reading);
    QTRY_COMPARE_WITH_TIMEOUT(buttons(), idle, 20000);  // the reading ended

    window.speak();
    QTRY_COMPARE(buttons(), reading);
    window.stop();
    QCOMPARE(buttons(), idle);

    text->setPlainText(QStringLiteral("  "));
    window.speak();
    QCOMPARE(buttons(), idle);
}

QTEST_MAIN(ReaderWindowTest)
#include "reader_window_test.moc"
