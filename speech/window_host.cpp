#include "window_host.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTextCursor>
#include <QTextEdit>
#include <QThread>
#include <QTimer>

#include <array>
#include <cstdio>
#include <utility>

#include "engine/text.h"
#include "interface_language.h"

namespace lenvoro {

namespace {

// Window classes of text boxes in the toolkits the library's callers used.
constexpr std::array<std::u16string_view, 6> kTextBoxClassNames = {
    u"Edit", u"ThunderTextBox", u"TEdit", u"ThunderRT6TextBox", u"RICHEDIT", u"TRichEdit",
};

std::u16string_view viewOf(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())};
}

const char* filterName(HandlerFamily family) {
    return family == HandlerFamily::Ansi ? "lenvoro-notification-ansi"
                                         : "lenvoro-notification-wide";
}

// The notification handler of one family on one window. A child of the
// window, so it goes when the window goes.
class NotificationFilter : public QObject {
public:
    NotificationFilter(QWidget* window, HandlerFamily family, NotificationHandler handler)
        : QObject(window), window_(window), handler_(std::move(handler)) {
        setObjectName(QString::fromLatin1(filterName(family)));
    }

    void setHandler(NotificationHandler handler) { handler_ = std::move(handler); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == kEngineNotificationEvent && handler_) {
            handler_(window_);
        }
        // Whatever it is, the window's own handling sees it too.
        return false;
    }

private:
    QWidget* window_;
    NotificationHandler handler_;
};

NotificationFilter* filterOf(QWidget* window, HandlerFamily family) {
    for (QObject* child : window->children()) {
        if (child->objectName() == QLatin1String(filterName(family))) {
            return dynamic_cast<NotificationFilter*>(child);
        }
    }
    return nullptr;
}

}  // namespace

QString ToQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

bool CanShowWindows() {
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    return application != nullptr && QThread::currentThread() == application->thread();
}

QWidget* ResolveWindow(intptr_t handle) {
    if (handle == 0 || !CanShowWindows())
        return nullptr;
    // Compare the value against the live widgets; it is a pointer only if it
    // is one of them.
    const QWidgetList widgets = QApplication::allWidgets();
    for (QWidget* widget : widgets) {
        if (reinterpret_cast<intptr_t>(widget) == handle)
            return widget;
    }
    // A native window id: looked up in the toolkit's own table of windows.
    return QWidget::find(static_cast<WId>(handle));
}

bool IsTextBoxClassName(std::u16string_view name) {
    for (std::u16string_view known : kTextBoxClassNames) {
        if (engine::equalsIgnoringAsciiCase(name, known))
            return true;
    }
    return false;
}

bool IsTextBox(const QWidget* widget) {
    if (widget == nullptr)
        return false;
    if (qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QTextEdit*>(widget) ||
        qobject_cast<const QPlainTextEdit*>(widget)) {
        return true;
    }
    if (IsTextBoxClassName(viewOf(widget->objectName())))
        return true;
    for (const QMetaObject* meta = widget->metaObject(); meta != nullptr;
         meta = meta->superClass()) {
        if (IsTextBoxClassName(viewOf(QString::fromLatin1(meta->className()))))
            return true;
    }
    return false;
}

bool TakeOverWindow(intptr_t handle, HandlerFamily family, NotificationHandler handler) {
    QWidget* window = ResolveWindow(handle);
    if (window == nullptr || !IsTextBox(window))
        return false;
    if (NotificationFilter* installed = filterOf(window, family)) {
        installed->setHandler(std::move(handler));
        return true;
    }
    window->installEventFilter(new NotificationFilter(window, family, std::move(handler)));
    return true;
}

bool IsTakenOver(intptr_t handle, HandlerFamily family) {
    QWidget* window = ResolveWindow(handle);
    return window != nullptr && filterOf(window, family) != nullptr;
}

void PostEngineNotification(intptr_t handle) {
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr || handle == 0)
        return;
    // Resolving must happen on the GUI thread, where the widgets live; the
    // queued call is itself the posted message.
    QMetaObject::invokeMethod(
        application,
        [handle] {
            if (QWidget* window = ResolveWindow(handle)) {
                QEvent notification(kEngineNotificationEvent);
                QCoreApplication::sendEvent(window, &notification);
            }
        },
        Qt::QueuedConnection);
}

void RepeatEngineNotificationSoon(QWidget* window) {
    QTimer::singleShot(10, window, [window] {
        QEvent notification(kEngineNotificationEvent);
        QCoreApplication::sendEvent(window, &notification);
    });
}

void SetTextBoxSelection(QWidget* textBox, int32_t start, int32_t end) {
    if (textBox == nullptr)
        return;
    auto clamp = [](int32_t value, qsizetype length) {
        return static_cast<int>(std::max<qsizetype>(0, std::min<qsizetype>(value, length)));
    };
    if (auto* line = qobject_cast<QLineEdit*>(textBox)) {
        const int from = clamp(start, line->text().size());
        const int to = clamp(end, line->text().size());
        if (from == to)
            line->deselect();
        else
            line->setSelection(from, to - from);
        return;
    }
    auto selectIn = [&](QTextDocument* document, auto* editor) {
        const qsizetype length = std::max<qsizetype>(0, document->characterCount() - 1);
        QTextCursor cursor(document);
        cursor.setPosition(clamp(start, length));
        cursor.setPosition(clamp(end, length), QTextCursor::KeepAnchor);
        editor->setTextCursor(cursor);
    };
    if (auto* rich = qobject_cast<QTextEdit*>(textBox))
        selectIn(rich->document(), rich);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(textBox))
        selectIn(plain->document(), plain);
}

void ShowMessageBox(intptr_t owner, std::u16string_view text, std::u16string_view caption,
                    MessageBoxIcon icon) {
    if (!CanShowWindows()) {
        const QByteArray line =
            (ToQString(caption) + QStringLiteral(": ") + ToQString(text)).toUtf8();
        std::fprintf(stderr, "%s\n", line.constData());
        std::fflush(stderr);
        return;
    }
    QPointer<QMessageBox> box = new QMessageBox(
        icon == MessageBoxIcon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon,
        ToQString(caption), ToQString(text), QMessageBox::Ok, ResolveWindow(owner));
    box->setTextFormat(Qt::PlainText);  // the caller's text is text, never markup
    // Qt labels the button in English unless the program installs a
    // translation; the library's boxes speak the interface language.
    EnsureInterfaceTexts();
    box->button(QMessageBox::Ok)->setText(ToQString(TextsFor(CurrentInterfaceLanguage()).okButton));
    box->exec();
    delete box.data();
}

void CentreOnScreen(QWidget* window) {
    QScreen* screen = window->parentWidget() != nullptr ? window->parentWidget()->screen()
                                                        : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect area = screen->geometry();
    window->move(area.left() + (area.width() - window->width()) / 2,
                 area.top() + (area.height() - window->height()) / 2);
}

DialogOutcome RunOwnedDialog(QDialog* dialog, intptr_t owner) {
    if (dialog == nullptr)
        return DialogOutcome::NotShown;
    QPointer<QDialog> guard = dialog;
    if (QWidget* window = ResolveWindow(owner)) {
        dialog->setParent(window, dialog->windowFlags() | Qt::Dialog);
    }
    dialog->setWindowModality(Qt::ApplicationModal);
    CentreOnScreen(dialog);
    dialog->exec();
    delete guard.data();  // already gone if its owner was destroyed meanwhile
    return DialogOutcome::Closed;
}

}  // namespace lenvoro
