// A plain program without a QApplication (a C caller of the library): nothing
// is shown, message boxes go to stderr and dialogs report that they were not
// shown, and no window handle resolves to anything.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "interface_language.h"
#include "prompt_dialogs.h"
#include "window_host.h"

namespace lenvoro {
namespace {

TEST(WithoutAnApplication, MessageBoxTextGoesToStderr) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    testing::internal::CaptureStderr();
    ShowMessageBox(0, u"The parameter is not correct, Can not execute !", u"Wrong",
                   MessageBoxIcon::Exclamation);
    ShowMessageBox(12345, u"传入的参数不正确", u"错误提示", MessageBoxIcon::None);
    const std::string written = testing::internal::GetCapturedStderr();
    EXPECT_EQ(written,
              "Wrong: The parameter is not correct, Can not execute !\n"
              "错误提示: 传入的参数不正确\n");
}

TEST(WithoutAnApplication, DialogsAreNotShownAndSayWhyOnStderr) {
    ChooseInterfaceLanguage([](const char*) -> const char* { return nullptr; }, "/opt/help");
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunVoicePrompt(0, 11), DialogOutcome::NotShown);
    EXPECT_EQ(ShowInitialInfo(0), DialogOutcome::NotShown);
    const std::string written = testing::internal::GetCapturedStderr();
    EXPECT_NE(written.find("\"Microsoft Simplified Chinese\", an English voice"), std::string::npos)
        << written;
    EXPECT_NE(written.find("file:///opt/help/en/voices.html"), std::string::npos) << written;
    EXPECT_NE(written.find("Lenvoro_InitialAuth"), std::string::npos) << written;
}

TEST(WithoutAnApplication, NoHandleResolvesAndNothingIsTakenOver) {
    int local = 0;
    for (intptr_t handle : {intptr_t{0}, intptr_t{1}, reinterpret_cast<intptr_t>(&local)}) {
        EXPECT_EQ(ResolveWindow(handle), nullptr);
        EXPECT_FALSE(TakeOverWindow(handle, HandlerFamily::Wide, [](QWidget*) {}));
        PostEngineNotification(handle);
    }
    EXPECT_FALSE(CanShowWindows());
}

}  // namespace
}  // namespace lenvoro
