// The window host: handles resolved only to live widgets, the text-box test,
// the take-over and the engine's notification, selections and message boxes.
#include "window_host_test.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QThread>
#include <QTimer>

#include <memory>
#include <thread>

#include "interface_language.h"
#include "prompt_dialogs.h"
#include "window_host.h"

using namespace lenvoro;

namespace {

// A text box that counts the engine notifications its own handling receives.
class CountingLineEdit : public QLineEdit {
public:
    int notificationsSeen = 0;
    bool event(QEvent* event) override {
        if (event->type() == kEngineNotificationEvent)
            ++notificationsSeen;
        return QLineEdit::event(event);
    }
};

intptr_t handleOf(QWidget* widget) {
    return reinterpret_cast<intptr_t>(widget);
}

}  // namespace

void WindowHostTest::handlesResolveOnlyToLiveWidgets() {
    auto box = std::make_unique<QLineEdit>();
    QCOMPARE(ResolveWindow(handleOf(box.get())), box.get());

    // A native window id of a widget of this process is a handle too, as
    // long as the widget lives.
    auto native = std::make_unique<QWidget>();
    const intptr_t id = static_cast<intptr_t>(native->winId());
    QCOMPARE(ResolveWindow(id), native.get());
    native.reset();
    QCOMPARE(ResolveWindow(id), nullptr);

    const intptr_t dangling = handleOf(box.get());
    box.reset();
    for (intptr_t handle : {intptr_t{0}, dangling, intptr_t{1}, intptr_t{-1}, intptr_t{0x7fff1234},
                            static_cast<intptr_t>(0xdeadbeefcafe)}) {
        QVERIFY2(ResolveWindow(handle) == nullptr, qPrintable(QString::number(handle)));
        QVERIFY(!TakeOverWindow(handle, HandlerFamily::Wide, [](QWidget*) {}));
        PostEngineNotification(handle);  // must neither crash nor deliver anything
    }
    QCoreApplication::processEvents();
}

void WindowHostTest::textBoxesAreRecognisedByTypeOrClassName() {
    for (const char16_t* name :
         {u"Edit", u"edit", u"ThunderTextBox", u"TEdit", u"THUNDERRT6TEXTBOX", u"thunderRT6textbox",
          u"RICHEDIT", u"RichEdit", u"TRichEdit"}) {
        QVERIFY(IsTextBoxClassName(name));
    }
    for (const char16_t* name :
         {u"", u"Button", u"Edit2", u"RichEdit20W", u"ThunderRT6CommandButton"}) {
        QVERIFY(!IsTextBoxClassName(name));
    }

    QLineEdit line;
    QTextEdit rich;
    QPlainTextEdit plain;
    QPushButton button;
    QWidget named;
    named.setObjectName(QStringLiteral("thunderrt6textbox"));
    QVERIFY(IsTextBox(&line));
    QVERIFY(IsTextBox(&rich));
    QVERIFY(IsTextBox(&plain));
    QVERIFY(IsTextBox(&named));
    QVERIFY(!IsTextBox(&button));
    QVERIFY(!IsTextBox(nullptr));
}

void WindowHostTest::takeOverInstallsOnceAndPassesNotificationsOn() {
    CountingLineEdit box;
    int wideCalls = 0;
    int ansiCalls = 0;
    QWidget* seenWindow = nullptr;
    QVERIFY(TakeOverWindow(handleOf(&box), HandlerFamily::Wide, [&](QWidget* w) {
        ++wideCalls;
        seenWindow = w;
    }));
    // A second take-over replaces the handler but never stacks a second one.
    QVERIFY(TakeOverWindow(handleOf(&box), HandlerFamily::Wide, [&](QWidget* w) {
        wideCalls += 10;
        seenWindow = w;
    }));
    QVERIFY(TakeOverWindow(handleOf(&box), HandlerFamily::Ansi, [&](QWidget*) { ++ansiCalls; }));
    QVERIFY(IsTakenOver(handleOf(&box), HandlerFamily::Wide));
    QVERIFY(IsTakenOver(handleOf(&box), HandlerFamily::Ansi));

    PostEngineNotification(handleOf(&box));
    QCOMPARE(wideCalls, 0);  // posted: handled only when the event loop runs
    QTRY_COMPARE(box.notificationsSeen, 1);
    QCOMPARE(wideCalls, 10);
    QCOMPARE(ansiCalls, 1);
    QCOMPARE(seenWindow, &box);

    // A window that is not a text box is not taken over; it still receives
    // the notification, unprocessed.
    struct CountingButton : QPushButton {
        int seen = 0;
        bool event(QEvent* e) override {
            if (e->type() == kEngineNotificationEvent)
                ++seen;
            return QPushButton::event(e);
        }
    } button;
    QVERIFY(!TakeOverWindow(handleOf(&button), HandlerFamily::Wide, [](QWidget*) {}));
    QVERIFY(!IsTakenOver(handleOf(&button), HandlerFamily::Wide));
    PostEngineNotification(handleOf(&button));
    QTRY_COMPARE(button.seen, 1);
}

void WindowHostTest::notificationsFromEngineThreadsArriveOnTheGuiThread() {
    CountingLineEdit box;
    QThread* handledOn = nullptr;
    QVERIFY(TakeOverWindow(handleOf(&box), HandlerFamily::Wide,
                           [&](QWidget*) { handledOn = QThread::currentThread(); }));
    std::thread engine([handle = handleOf(&box)] {
        for (int i = 0; i < 5; ++i)
            PostEngineNotification(handle);
    });
    engine.join();
    QTRY_COMPARE(box.notificationsSeen, 5);
    QCOMPARE(handledOn, QCoreApplication::instance()->thread());

    // A window destroyed before its notification is delivered receives nothing.
    auto doomed = std::make_unique<CountingLineEdit>();
    PostEngineNotification(handleOf(doomed.get()));
    doomed.reset();
    QCoreApplication::processEvents();
}

void WindowHostTest::selectionIsClampedToTheText() {
    struct Case {
        int start, end;
        QString selected;
    };
    const Case cases[] = {
        {2, 5, QStringLiteral("abc")},
        {0, 2, QStringLiteral("你好")},
        {3, 100, QStringLiteral("bc")},
        {-4, 1, QStringLiteral("你")},
        {4, 4, QString()},
        {9, 12, QString()},
    };
    QLineEdit line(QStringLiteral("你好abc"));
    QPlainTextEdit plain(QStringLiteral("你好abc"));
    QTextEdit rich;
    rich.setPlainText(QStringLiteral("你好abc"));
    for (const Case& c : cases) {
        SetTextBoxSelection(&line, c.start, c.end);
        SetTextBoxSelection(&plain, c.start, c.end);
        SetTextBoxSelection(&rich, c.start, c.end);
        QCOMPARE(line.selectedText(), c.selected);
        QCOMPARE(plain.textCursor().selectedText(), c.selected);
        QCOMPARE(rich.textCursor().selectedText(), c.selected);
    }
    QPushButton button(QStringLiteral("x"));
    SetTextBoxSelection(&button, 0, 1);  // not a text box: nothing happens
    SetTextBoxSelection(nullptr, 0, 1);
}

void WindowHostTest::messageBoxIsModalAndOwned() {
    QLineEdit owner;
    owner.show();
    ChooseInterfaceLanguage(
        [](const char* name) -> const char* {
            return std::string_view(name) == "LANG" ? "zh_CN.UTF-8" : nullptr;
        },
        HelpFolder());
    QString seenText, seenTitle;
    QWidget* seenParent = nullptr;
    QMessageBox::Icon seenIcon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        seenText = box->text();
        seenTitle = box->windowTitle();
        seenParent = box->parentWidget();
        seenIcon = box->icon();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    ShowParameterError(handleOf(&owner));
    QCOMPARE(seenText, QStringLiteral("传入的参数不正确, 不能执行此命令 !"));
    QCOMPARE(seenTitle, QStringLiteral("错误提示"));
    QCOMPARE(seenParent, &owner);
    QCOMPARE(seenIcon, QMessageBox::Warning);

    // A dangling owner is no owner; markup in the text stays text.
    auto gone = std::make_unique<QWidget>();
    const intptr_t dangling = handleOf(gone.get());
    gone.reset();
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        seenParent = box->parentWidget();
        seenText = box->text();
        QCOMPARE(box->textFormat(), Qt::PlainText);
        box->button(QMessageBox::Ok)->click();
    });
    ShowMessageBox(dangling, u"<b>bold</b>", u"t", MessageBoxIcon::None);
    QCOMPARE(seenParent, nullptr);
    QCOMPARE(seenText, QStringLiteral("<b>bold</b>"));
}

void WindowHostTest::messageBoxButtonFollowsTheInterfaceLanguage_data() {
    QTest::addColumn<QByteArray>("locale");
    QTest::addColumn<QString>("button");
    QTest::newRow("CN") << QByteArray("zh_CN.GBK") << QStringLiteral("确定");
    QTest::newRow("TW") << QByteArray("zh_TW.UTF-8") << QStringLiteral("確定");
    QTest::newRow("TW for Singapore") << QByteArray("zh_SG") << QStringLiteral("確定");
    QTest::newRow("ENG") << QByteArray("en_US.UTF-8") << QStringLiteral("OK");
    QTest::newRow("ENG for Macao") << QByteArray("zh_MO") << QStringLiteral("OK");
}

void WindowHostTest::messageBoxButtonFollowsTheInterfaceLanguage() {
    QFETCH(QByteArray, locale);
    QFETCH(QString, button);
    ChooseInterfaceLanguage(
        [&locale](const char* name) -> const char* {
            return std::string_view(name) == "LANG" ? locale.constData() : nullptr;
        },
        HelpFolder());
    // The parameter-error box and a caller's own start-failure message alike.
    QStringList seen;
    auto readButtonAndClose = [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        seen << box->button(QMessageBox::Ok)->text();
        box->button(QMessageBox::Ok)->click();
    };
    QTimer::singleShot(0, readButtonAndClose);
    ShowParameterError(0);
    QTimer::singleShot(0, readButtonAndClose);
    ShowMessageBox(0, u"Speech is not available", u"My program", MessageBoxIcon::None);
    QCOMPARE(seen, QStringList({button, button}));
}
