// The library's window host: what a caller's window handle means, how the
// library finds out whether it is a text box, how it takes a text box over to
// receive the engine's notifications there, and how it shows modal message
// boxes and dialogs owned by that window.
//
// A window handle is a QWidget* passed as intptr_t, or the native window id of
// a widget of this process. A handle is only ever compared against the live
// widgets of the application; one that names none (0, a freed widget, a
// random number) is "no window" and is never dereferenced.
//
// Everything here must run on the thread of the QApplication, except
// PostEngineNotification, which the engine calls from its own threads.
// Without a QApplication nothing is shown: message boxes go to stderr and
// dialogs report that they were not shown.
#pragma once

#include <QEvent>
#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <functional>
#include <string_view>

#include "engine_state.h"

class QDialog;
class QWidget;

namespace lenvoro {

// The engine's notification as it reaches the caller's window (the stand-in
// for WM_USER).
constexpr QEvent::Type kEngineNotificationEvent = static_cast<QEvent::Type>(QEvent::User + 0x400);

// The library keeps its texts as UTF-16, as Qt does: a copy, no conversion.
QString ToQString(std::u16string_view text);

// True when widgets can be shown: a QApplication exists and this is its thread.
bool CanShowWindows();

// The live widget that handle names, or nullptr. Never dereferences handle.
QWidget* ResolveWindow(intptr_t handle);

// The class names that count as text boxes, compared ignoring case.
bool IsTextBoxClassName(std::u16string_view name);

// A text box is a QLineEdit, QTextEdit or QPlainTextEdit, or a widget whose
// objectName or class name (or a base class's name) is one of the text-box
// class names.
bool IsTextBox(const QWidget* widget);

// Called on the GUI thread with the taken-over window for every engine
// notification; the notification then goes on to the window's own handling.
using NotificationHandler = std::function<void(QWidget* window)>;

// Takes a text box over for one family of entry points: installs that
// family's notification handler as an event filter, once per window and
// family (a second call only replaces the handler). Returns false and does
// nothing when handle is no live widget or not a text box.
bool TakeOverWindow(intptr_t handle, HandlerFamily family, NotificationHandler handler);
bool IsTakenOver(intptr_t handle, HandlerFamily family);

// Posts the engine's notification to the window handle names; safe from any
// thread. The handle is resolved on the GUI thread when the notification is
// delivered, so a window that is gone by then receives nothing.
void PostEngineNotification(intptr_t handle);

// Delivers the engine notification to window again after a short while.
void RepeatEngineNotificationSoon(QWidget* window);

// Selects [start, end) in a text box, in its UTF-16 positions, clamped to its
// text; start == end clears the selection. Other widgets are left alone.
void SetTextBoxSelection(QWidget* textBox, int32_t start, int32_t end);

enum class MessageBoxIcon { None, Exclamation };

// A modal message box with an OK button labelled in the interface language,
// owned by the window handle names (or by none). Without a QApplication, "caption: text" goes to
// stderr instead.
void ShowMessageBox(intptr_t owner, std::u16string_view text, std::u16string_view caption,
                    MessageBoxIcon icon);

enum class DialogOutcome {
    Closed,    // the dialog ran and was closed
    NotShown,  // it could not be created or shown; the caller goes on as if closed
};

// Runs dialog modally, owned by the window handle names (or by none), centred
// on the screen. The dialog is deleted afterwards, also when its owner goes
// away while it runs.
DialogOutcome RunOwnedDialog(QDialog* dialog, intptr_t owner);

// Left = (screen width - width) / 2, top = (screen height - height) / 2.
void CentreOnScreen(QWidget* window);

}  // namespace lenvoro
