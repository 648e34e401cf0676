// The missing-voice prompt and the initialisation information dialog in each
// interface language: which message shows, what the link shows and opens,
// how they close, and that their texts fit.
#include <QDesktopServices>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <string>

#include "dialog_templates.h"
#include "engine_state.h"
#include "interface_language.h"
#include "prompt_dialogs.h"
#include "window_host_test.h"

using namespace lenvoro;

namespace {

const int kMessageIds[] = {1017, 1018, 1019, 1004, 1005};

void chooseLocale(const char* locale) {
    ChooseInterfaceLanguage(
        [locale](const char* name) -> const char* {
            return std::string_view(name) == "LANG" ? locale : nullptr;
        },
        HelpFolder());
}

QLabel* label(QDialog* dialog, const QString& name) {
    return dialog->findChild<QLabel*>(name);
}

int visibleMessage(QDialog* dialog) {
    int shown = 0;
    for (int id : kMessageIds) {
        QLabel* message = label(dialog, QStringLiteral("message%1").arg(id));
        if (message != nullptr && message->isVisibleTo(dialog)) {
            if (shown != 0)
                return -1;  // more than one
            shown = id;
        }
    }
    return shown;
}

// Receives what QDesktopServices::openUrl is asked to open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

}  // namespace

void PromptDialogsTest::init() {
    engineState().voicePage.clear();
    chooseLocale("en_US.UTF-8");
}

void PromptDialogsTest::eachCodeShowsExactlyItsMessage_data() {
    QTest::addColumn<QByteArray>("locale");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("message");
    QTest::addColumn<QString>("caption");
    const struct {
        const char* locale;
        const char* caption;
    } languages[] = {{"zh_CN.UTF-8", "下载语音库"},
                     {"zh_TW.UTF-8", "下載語音庫"},
                     {"en_US.UTF-8", "Download Voices"}};
    const struct {
        int code, message;
    } codes[] = {{1, 1018},  {2, 1018},  {3, 1018},  {10, 1017}, {11, 1019},
                 {12, 1019}, {13, 1019}, {20, 1004}, {21, 1005}, {22, 1005},
                 {23, 1005}, {30, 1017}, {31, 1019}, {33, 1019}};
    for (const auto& language : languages) {
        for (const auto& c : codes) {
            QTest::addRow("%s code %d", language.locale, c.code)
                << QByteArray(language.locale) << c.code << c.message
                << QString::fromUtf8(language.caption);
        }
    }
}

void PromptDialogsTest::eachCodeShowsExactlyItsMessage() {
    QFETCH(QByteArray, locale);
    QFETCH(int, code);
    QFETCH(int, message);
    QFETCH(QString, caption);
    chooseLocale(locale.constData());
    std::unique_ptr<QDialog> prompt = CreateVoicePrompt(code);
    QVERIFY(prompt != nullptr);
    QCOMPARE(prompt->windowTitle(), caption);
    QCOMPARE(visibleMessage(prompt.get()), message);
}

void PromptDialogsTest::codesWithoutAMessageShowNothing() {
    for (int code : {0, -1, 4, 9, 14, 19, 24, 29, 34, 40, 1000, INT32_MIN, INT32_MAX}) {
        QCOMPARE(VoicePromptMessageId(code), 0);
        QVERIFY(CreateVoicePrompt(code) == nullptr);
        QCOMPARE(RunVoicePrompt(0, code), DialogOutcome::NotShown);
    }
    // On an English locale, code 20 names the Chinese female voice.
    std::unique_ptr<QDialog> prompt = CreateVoicePrompt(20);
    QCOMPARE(label(prompt.get(), QStringLiteral("message1004"))->text(),
             QStringLiteral("Chinese Female Voice is not installed in the computer, you must "
                            "download and install it."));
    // The traditional-Chinese message for both voices ends as its twin does.
    chooseLocale("zh_TW");
    prompt = CreateVoicePrompt(11);
    QCOMPARE(label(prompt.get(), QStringLiteral("message1019"))->text(),
             QStringLiteral("中文男聲簡体語音庫和英文語音庫都沒有安裝在你的電腦上, "
                            "必須從网上下載并成功地安裝在電腦上，才可以使用混讀功能 。"));
}

void PromptDialogsTest::everyMessageFitsItsLabel() {
    // Word-wrapped texts must not run past the bottom of their labels in any
    // language (the CJK fonts are taller than the Latin ones).
    for (const char16_t* name :
         {u"IDD_DOWNLOAD_VOICE_CN", u"IDD_DOWNLOAD_VOICE_TW", u"IDD_DOWNLOAD_VOICE_ENG",
          u"IDD_INITIALINFO_CN", u"IDD_INITIALINFO_TW", u"IDD_INITIALINFO_ENG"}) {
        std::unique_ptr<QDialog> dialog = CreateDialogFromTemplate(name);
        QVERIFY(dialog != nullptr);
        dialog->ensurePolished();
        for (QLabel* text : dialog->findChildren<QLabel*>()) {
            if (text->text().isEmpty())
                continue;
            const QFontMetrics metrics(text->font());
            const int flags = text->wordWrap() ? Qt::TextWordWrap : Qt::TextSingleLine;
            const QRect needed =
                metrics.boundingRect(QRect(0, 0, text->width(), 10000), flags, text->text());
            QVERIFY2(needed.height() <= text->height() && needed.width() <= text->width() + 1,
                     qPrintable(QStringLiteral("%1 in %2 needs %3x%4, has %5x%6")
                                    .arg(text->objectName(), dialog->objectName())
                                    .arg(needed.width())
                                    .arg(needed.height())
                                    .arg(text->width())
                                    .arg(text->height())));
        }
    }
}

void PromptDialogsTest::linkShowsVoicePageOrTheDefaultPage() {
    const QString defaultPage =
        QUrl::fromLocalFile(QString::fromStdString((HelpFolder() / "en" / "voices.html").string()))
            .toString(QUrl::FullyEncoded);
    std::unique_ptr<QDialog> prompt = CreateVoicePrompt(1);
    QLabel* link = label(prompt.get(), QStringLiteral("link1003"));
    QCOMPARE(link->toolTip(), defaultPage);
    QCOMPARE(link->textFormat(), Qt::PlainText);

    // A page given by a speak call; markup in it is shown as text.
    engineState().voicePage.assign(u"https://example.org/<b>voices</b>");
    prompt = CreateVoicePrompt(1);
    link = label(prompt.get(), QStringLiteral("link1003"));
    QCOMPARE(link->text(), QStringLiteral("https://example.org/<b>voices</b>"));

    // An empty voicePage falls back to the default page of the language.
    engineState().voicePage.clear();
    chooseLocale("zh_CN");
    engineState().voicePage.clear();
    prompt = CreateVoicePrompt(10);
    QVERIFY(label(prompt.get(), QStringLiteral("link1003"))
                ->toolTip()
                .endsWith(QStringLiteral("/help/zh-CN/voices.html")));

    // The next language choice resets a given page to the default.
    engineState().voicePage.assign(u"https://example.org/voices");
    chooseLocale("zh_TW");
    prompt = CreateVoicePrompt(10);
    QVERIFY(label(prompt.get(), QStringLiteral("link1003"))
                ->toolTip()
                .endsWith(QStringLiteral("/help/zh-TW/voices.html")));

    // A page as long as the buffer allows is elided for display, opened whole.
    const std::u16string longPage = u"https://example.org/" + std::u16string(235, u'v');
    engineState().voicePage.assign(longPage);
    prompt = CreateVoicePrompt(2);
    link = label(prompt.get(), QStringLiteral("link1003"));
    QCOMPARE(link->toolTip().size(), qsizetype(255));
    QVERIFY(link->text().startsWith(QStringLiteral("https://example.org/")));
    QVERIFY(QFontMetrics(link->font()).horizontalAdvance(link->text()) <= link->width());
}

void PromptDialogsTest::linkClickOpensThePageAndTheDialogStaysOpen() {
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");

    engineState().voicePage.assign(u"https://example.org/voices");
    std::unique_ptr<QDialog> prompt = CreateVoicePrompt(10);
    prompt->show();
    QLabel* link = label(prompt.get(), QStringLiteral("link1003"));
    QCOMPARE(link->cursor().shape(), Qt::BitmapCursor);  // the library's own hand
    QTest::mouseClick(link, Qt::RightButton);
    QVERIFY(recorder.opened.isEmpty());
    QTest::mouseClick(link, Qt::LeftButton);
    QCOMPARE(recorder.opened, QList<QUrl>{QUrl(QStringLiteral("https://example.org/voices"))});
    QVERIFY(prompt->isVisible());
    QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));

    // The default page is a local help page that exists.
    engineState().voicePage.clear();
    prompt = CreateVoicePrompt(1);
    prompt->show();
    QTest::mouseClick(label(prompt.get(), QStringLiteral("link1003")), Qt::LeftButton);
    QCOMPARE(recorder.opened.size(), 2);
    QVERIFY(recorder.opened.last().isLocalFile());
    QVERIFY(QFile::exists(recorder.opened.last().toLocalFile()));

    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

void PromptDialogsTest::escOkAndCloseBoxCloseThePromptCentredAndOwned() {
    QWidget owner;
    owner.show();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    enum Closing { Escape, OkButton, CloseBox };
    for (Closing closing : {Escape, OkButton, CloseBox}) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            ran = true;
            QCOMPARE(dialog->parentWidget(), &owner);
            QCOMPARE(dialog->x(), screen.left() + (screen.width() - dialog->width()) / 2);
            QCOMPARE(dialog->y(), screen.top() + (screen.height() - dialog->height()) / 2);
            if (closing == Escape)
                QTest::keyClick(dialog, Qt::Key_Escape);
            else if (closing == OkButton)
                dialog->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
            else
                dialog->close();
        });
        QCOMPARE(RunVoicePrompt(reinterpret_cast<intptr_t>(&owner), 12), DialogOutcome::Closed);
        QVERIFY(ran);
        QCOMPARE(engineState().voicePromptCase, 0);  // set by the raising caller, not here
    }
}

void PromptDialogsTest::initialInfoInEachLanguage_data() {
    QTest::addColumn<QByteArray>("locale");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("ok");
    QTest::addColumn<QString>("helpText");
    QTest::newRow("CN") << QByteArray("zh_CN") << QStringLiteral("初始化信息")
                        << QStringLiteral("确定")
                        << QStringLiteral("更加详细的信息请参见语音朗读开发包的帮助文档，谢谢。");
    QTest::newRow("TW") << QByteArray("zh_HK") << QStringLiteral("初始化資訊")
                        << QStringLiteral("确定")
                        << QStringLiteral("更加詳細的信息請參見語音朗讀開發包的幫助文檔，謝謝。");
    QTest::newRow("ENG") << QByteArray("zh_MO") << QStringLiteral("Initial Information")
                         << QStringLiteral("OK")
                         << QStringLiteral(
                                "Please view the help file to get more information,Thanks");
}

void PromptDialogsTest::initialInfoInEachLanguage() {
    QFETCH(QByteArray, locale);
    QFETCH(QString, caption);
    QFETCH(QString, ok);
    QFETCH(QString, helpText);
    chooseLocale(locale.constData());
    QWidget owner;
    bool ran = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        ran = true;
        QCOMPARE(dialog->windowTitle(), caption);
        QCOMPARE(dialog->findChild<QPushButton*>(QStringLiteral("okButton"))->text(), ok);
        QCOMPARE(label(static_cast<QDialog*>(dialog), QStringLiteral("helpText1003"))->text(),
                 helpText);
        QVERIFY(!label(static_cast<QDialog*>(dialog), QStringLiteral("productLabel"))->isEnabled());
        QVERIFY(dialog->findChild<QFrame*>(QStringLiteral("separatorLine")) != nullptr);
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    QCOMPARE(ShowInitialInfo(reinterpret_cast<intptr_t>(&owner)), DialogOutcome::Closed);
    QVERIFY(ran);
}

void PromptDialogsTest::unknownTemplatesAreNotShown() {
    QVERIFY(CreateDialogFromTemplate(u"IDD_NO_SUCH_DIALOG") == nullptr);
    QVERIFY(CreateDialogFromTemplate(u"") == nullptr);
    QVERIFY(CreateDialogFromTemplate(u"idd_download_voice_cn") == nullptr);
    QCOMPARE(RunOwnedDialog(nullptr, 0), DialogOutcome::NotShown);
    // A template name that the library lacks: the prompt is not shown and the
    // raising call goes on at once.
    engineState().texts.voicePromptTemplate.assign(u"IDD_DOWNLOAD_VOICE_XX");
    engineState().texts.initialInfoTemplate.assign(u"IDD_INITIALINFO_XX");
    QCOMPARE(RunVoicePrompt(0, 10), DialogOutcome::NotShown);
    QCOMPARE(ShowInitialInfo(0), DialogOutcome::NotShown);
}

void PromptDialogsTest::iconsAndHandCursorAreDrawn() {
    for (const char16_t* name : {u"IDI_REPAIR", u"IDI_LOCKKEY"}) {
        const QImage icon = LibraryIcon(name).toImage();
        QVERIFY(!icon.isNull());
        // Drawn, not blank: some pixels are opaque, the corners are not all.
        int opaque = 0;
        for (int y = 0; y < icon.height(); ++y)
            for (int x = 0; x < icon.width(); ++x)
                opaque += qAlpha(icon.pixel(x, y)) > 128;
        QVERIFY(opaque > icon.width() * icon.height() / 5);
    }
    QVERIFY(LibraryIcon(u"IDI_WORLDCONNECT").isNull());
    QCOMPARE(LibraryCursor(u"IDC_HAND").shape(), Qt::BitmapCursor);
    QCOMPARE(LibraryCursor(u"IDC_HAND").hotSpot(), QPoint(12, 2));

    std::unique_ptr<QDialog> prompt = CreateDialogFromTemplate(u"IDD_DOWNLOAD_VOICE_TW");
    QVERIFY(!label(prompt.get(), QStringLiteral("repairIcon"))->pixmap().isNull());
    QVERIFY(label(prompt.get(), QStringLiteral("worldConnectIcon"))->pixmap().isNull());
    std::unique_ptr<QDialog> info = CreateDialogFromTemplate(u"IDD_INITIALINFO_ENG");
    QVERIFY(!label(info.get(), QStringLiteral("lockKeyIcon"))->pixmap().isNull());
}

#include "prompt_dialogs_test.moc"
