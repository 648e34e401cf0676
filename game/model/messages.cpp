#include "messages.h"

#include <initializer_list>

#include "picture_texts.h"

namespace tukomi {
namespace {

// One text in the three languages, as UTF-8 literals.
struct Text {
    const char* cn;
    const char* tw;
    const char* eng;

    QString in(InterfaceLanguage language) const {
        switch (language) {
            case InterfaceLanguage::CN:
                return QString::fromUtf8(cn);
            case InterfaceLanguage::TW:
                return QString::fromUtf8(tw);
            case InterfaceLanguage::ENG:
                break;
        }
        return QString::fromUtf8(eng);
    }
};

// Puts args[n - 1] in place of each "%n" (n from 1 to 9) in one pass, so
// that a file name holding "%2" stays as it is, and a text may use any of the
// arguments in any order.
QString fill(const QString& text, std::initializer_list<QString> args) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'%' && i + 1 < text.size() && text[i + 1] >= u'1' && text[i + 1] <= u'9') {
            const auto n = static_cast<std::size_t>(text[i + 1].unicode() - u'1');
            if (n < args.size()) {
                out += *(args.begin() + n);
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

constexpr Text kOk{"确定", "確定", "OK"};
constexpr Text kCannotStart{"游戏无法启动。", "遊戲無法啟動。", "The game cannot start."};
constexpr Text kReadingUnavailable{"机器朗读现在不能用。", "機器朗讀現在不能用。",
                                   "Reading aloud is not available now."};

// The Chinese sentences about a file (in English, LoadError::message() says
// it): %1 is the file, %2 the subject.
constexpr Text kFileMissing{"找不到文件 %1。", "找不到檔案 %1。", ""};
constexpr Text kFileUnreadable{"文件 %1 无法读取。", "檔案 %1 無法讀取。", ""};
constexpr Text kFileTooLarge{"文件 %1 太大（超过 %2 字节）。", "檔案 %1 太大（超過 %2 位元組）。",
                             ""};
constexpr Text kDamagedCharacter{"角色文件 %1 已损坏，不能使用。", "角色檔案 %1 已損壞，無法使用。",
                                 ""};
constexpr Text kOtherFault{"文件 %1 不能使用：%2", "檔案 %1 無法使用：%2", ""};

// The Chinese sentences about a line of a file: %1 is the file, %2 the line,
// %3 the subject.
constexpr Text kAtLine{"文件 %1 第 %2 行：", "檔案 %1 第 %2 行：", ""};
constexpr Text kNotInEncoding{"文字不是有效的 %3 编码，请把文件存为 GBK 或 UTF-8。",
                              "文字不是有效的 %3 編碼，請把檔案存為 GBK 或 UTF-8。", ""};
constexpr Text kNoClosingBracket{"记录以“[”开头，后面却没有“]”。",
                                 "記錄以「[」開頭，後面卻沒有「]」。", ""};
constexpr Text kNoDot{"记录“[%3]”的图片编号后面没有“.”。", "記錄「[%3]」的圖片編號後面沒有「.」。",
                      ""};
constexpr Text kNotAPictureNumber{"记录编号“%3”不是 1 到 %4 的图片编号。",
                                  "記錄編號「%3」不是 1 到 %4 的圖片編號。", ""};

constexpr Text kLibraryMissing{"找不到语音库 %1。", "找不到語音庫 %1。",
                               "The speech library %1 cannot be loaded: %3"};
constexpr Text kFunctionMissing{"语音库 %1 缺少函数 %2。", "語音庫 %1 缺少函式 %2。",
                                "The speech library %1 has no function %2."};

}  // namespace

QString okButtonText(InterfaceLanguage language) {
    return kOk.in(language);
}

QString loadErrorText(const LoadError& error, InterfaceLanguage language) {
    if (language == InterfaceLanguage::ENG)
        return error.message();
    const QString& file = error.file;
    const QString line = QString::number(error.line);
    const QString capacity = QString::number(pictureCapacity);
    const auto atLine = [&](const Text& sentence) {
        return fill(kAtLine.in(language) + sentence.in(language),
                    {file, line, error.subject, capacity});
    };
    switch (error.problem) {
        case LoadProblem::FileMissing:
            return fill(kFileMissing.in(language), {file});
        case LoadProblem::FileUnreadable:
            return fill(kFileUnreadable.in(language), {file});
        case LoadProblem::FileTooLarge:
            return fill(kFileTooLarge.in(language), {file, error.subject});
        case LoadProblem::DamagedCharacter:
            return fill(kDamagedCharacter.in(language), {file});
        case LoadProblem::NotInEncoding:
            return atLine(kNotInEncoding);
        case LoadProblem::NoClosingBracket:
            return atLine(kNoClosingBracket);
        case LoadProblem::NoDot:
            return atLine(kNoDot);
        case LoadProblem::NotAPictureNumber:
            return atLine(kNotAPictureNumber);
        case LoadProblem::Other:
            break;
    }
    return fill(kOtherFault.in(language), {file, error.what});
}

QString startupFailureText(const LoadError& error, InterfaceLanguage language) {
    return kCannotStart.in(language) + u'\n' + loadErrorText(error, language);
}

QString speechProblemText(SpeechProblem problem, const QString& libraryFile,
                          const QString& function, const QString& detail,
                          InterfaceLanguage language) {
    const Text& text =
        problem == SpeechProblem::LibraryMissing ? kLibraryMissing : kFunctionMissing;
    return fill(text.in(language), {libraryFile, function, detail});
}

QString readingUnavailableText(const QString& reason, InterfaceLanguage language) {
    return kReadingUnavailable.in(language) + u'\n' + reason;
}

}  // namespace tukomi
