#include "messages.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "interface_language.h"

namespace tukomi {
namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

TEST(InterfaceLanguage, FollowsTheLocaleAsTheSpeechLibraryDoes) {
    const struct {
        const char* locale;
        InterfaceLanguage expected;
    } cases[] = {
        {"zh_CN.UTF-8", InterfaceLanguage::CN},  {"zh_CN.GBK", InterfaceLanguage::CN},
        {"zh", InterfaceLanguage::CN},           {"zh_US", InterfaceLanguage::CN},
        {"zh_TW.Big5", InterfaceLanguage::TW},   {"zh-hk", InterfaceLanguage::TW},
        {"zh_SG@euro", InterfaceLanguage::TW},   {"zh_MO.UTF-8", InterfaceLanguage::ENG},
        {"zh_Hant", InterfaceLanguage::ENG},     {"zho_CN", InterfaceLanguage::ENG},
        {"en_US.UTF-8", InterfaceLanguage::ENG}, {"ja_JP", InterfaceLanguage::ENG},
        {"C.UTF-8", InterfaceLanguage::ENG},     {"", InterfaceLanguage::ENG},
    };
    for (const auto& c : cases)
        EXPECT_EQ(interfaceLanguageForLocale(c.locale), c.expected) << c.locale;

    // The locale is the first of LC_ALL, LC_CTYPE and LANG that is set and not empty.
    const std::map<std::string, const char*> environment{
        {"LC_ALL", ""}, {"LC_CTYPE", "zh_TW.UTF-8"}, {"LANG", "zh_CN.UTF-8"}};
    EXPECT_EQ(userLocaleName([&](const char* name) -> const char* {
                  const auto it = environment.find(name);
                  return it == environment.end() ? nullptr : it->second;
              }),
              "zh_TW.UTF-8");
}

TEST(Messages, StartUpFailuresAreToldInTheUsersLanguage) {
    const QString file = QStringLiteral("/home/老师/100%2/pictext.ini");
    const struct {
        LoadError error;
        InterfaceLanguage language;
        const char* expected;
    } cases[] = {
        {{file, 0, "cannot be read (No such file)", LoadProblem::FileMissing, {}},
         InterfaceLanguage::CN,
         "游戏无法启动。\n找不到文件 /home/老师/100%2/pictext.ini。"},
        {{file, 3, "…", LoadProblem::NoClosingBracket, {}},
         InterfaceLanguage::TW,
         "遊戲無法啟動。\n檔案 /home/老师/100%2/pictext.ini 第 3 "
         "行：記錄以「[」開頭，後面卻沒有「]」。"},
        {{file, 2, "…", LoadProblem::NotAPictureNumber, QStringLiteral("33")},
         InterfaceLanguage::CN,
         "游戏无法启动。\n文件 /home/老师/100%2/pictext.ini 第 2 行：记录编号“33”不是 1 到 32 "
         "的图片编号。"},
        {{file, 7, "…", LoadProblem::NotInEncoding, QStringLiteral("GBK")},
         InterfaceLanguage::CN,
         "游戏无法启动。\n文件 /home/老师/100%2/pictext.ini 第 7 行：文字不是有效的 GBK "
         "编码，请把文件存为 GBK 或 UTF-8。"},
        {{QStringLiteral("/x/merlin.acs"),
          0,
          "resource tree has a loop",
          LoadProblem::DamagedCharacter,
          {}},
         InterfaceLanguage::TW,
         "遊戲無法啟動。\n角色檔案 /x/merlin.acs 已損壞，無法使用。"},
        // English keeps the technical details.
        {{QStringLiteral("/x/merlin.acs"),
          0,
          "resource tree has a loop",
          LoadProblem::DamagedCharacter,
          {}},
         InterfaceLanguage::ENG,
         "The game cannot start.\n/x/merlin.acs: resource tree has a loop"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(startupFailureText(c.error, c.language), u(c.expected));
}

TEST(Messages, AnUnreachableSpeechLibraryIsToldInTheUsersLanguage) {
    const QString file = QStringLiteral("liblenvoro.so.2");
    const QString report = QStringLiteral("cannot open shared object file");
    EXPECT_EQ(readingUnavailableText(speechProblemText(SpeechProblem::LibraryMissing, file, {},
                                                       report, InterfaceLanguage::CN),
                                     InterfaceLanguage::CN),
              u("机器朗读现在不能用。\n找不到语音库 liblenvoro.so.2。"));
    EXPECT_EQ(speechProblemText(SpeechProblem::FunctionMissing, file, "Lenvoro_Speak", report,
                                InterfaceLanguage::TW),
              u("語音庫 liblenvoro.so.2 缺少函式 Lenvoro_Speak。"));
    EXPECT_EQ(
        speechProblemText(SpeechProblem::LibraryMissing, file, {}, report, InterfaceLanguage::ENG),
        u("The speech library liblenvoro.so.2 cannot be loaded: cannot open shared object "
          "file"));
    EXPECT_EQ(okButtonText(InterfaceLanguage::TW), u("確定"));
}

}  // namespace
}  // namespace tukomi
