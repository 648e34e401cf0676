// QtTest classes of the library's window host and its own dialogs; run by
// dialogs_test_main.cpp in one QApplication.
#pragma once

#include <QObject>

class WindowHostTest : public QObject {
    Q_OBJECT
private slots:
    void handlesResolveOnlyToLiveWidgets();
    void textBoxesAreRecognisedByTypeOrClassName();
    void takeOverInstallsOnceAndPassesNotificationsOn();
    void notificationsFromEngineThreadsArriveOnTheGuiThread();
    void selectionIsClampedToTheText();
    void messageBoxIsModalAndOwned();
    void messageBoxButtonFollowsTheInterfaceLanguage_data();
    void messageBoxButtonFollowsTheInterfaceLanguage();
};

class PromptDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void eachCodeShowsExactlyItsMessage_data();
    void eachCodeShowsExactlyItsMessage();
    void codesWithoutAMessageShowNothing();
    void everyMessageFitsItsLabel();
    void linkShowsVoicePageOrTheDefaultPage();
    void linkClickOpensThePageAndTheDialogStaysOpen();
    void escOkAndCloseBoxCloseThePromptCentredAndOwned();
    void initialInfoInEachLanguage_data();
    void initialInfoInEachLanguage();
    void unknownTemplatesAreNotShown();
    void iconsAndHandCursorAreDrawn();
};
