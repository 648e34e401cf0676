#pragma once

#include <QString>

#include "interface_language.h"
#include "picture_library.h"

namespace tukomi {

// The texts of the game's message boxes, in each interface language. The
// English texts keep the technical details (the system's reason, the fault
// inside a damaged file); the Chinese ones say what is wrong and where, and
// leave those details to the terminal.

// The caption of the button that closes a message box.
QString okButtonText(InterfaceLanguage language);

// What is wrong with a file the game needs, naming the file and the line.
QString loadErrorText(const LoadError& error, InterfaceLanguage language);

// The message box shown when start-up fails: a headline and the error.
QString startupFailureText(const LoadError& error, InterfaceLanguage language);

// The reasons the speech library cannot be reached.
enum class SpeechProblem { LibraryMissing, FunctionMissing };

// One reason, naming the library file and the missing function; `detail` is
// the system loader's own report, given in English only.
QString speechProblemText(SpeechProblem problem, const QString& libraryFile,
                          const QString& function, const QString& detail,
                          InterfaceLanguage language);

// The message box shown when the machine reading cannot start: a headline
// and the reason.
QString readingUnavailableText(const QString& reason, InterfaceLanguage language);

}  // namespace tukomi
