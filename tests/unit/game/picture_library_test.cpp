#include "picture_library.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "text_codec.h"

namespace tukomi {
namespace {

void writeFile(const QString& path, const std::string& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

class PictureLibraryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(root.isValid()); }
    QString path(const QString& relative) const { return root.path() + u'/' + relative; }
    QTemporaryDir root;
};

TEST_F(PictureLibraryTest, PathsFollowThePictureFolderLayout) {
    const PictureLibrary library(root.path() + "/");
    EXPECT_EQ(library.programFolder(), root.path());
    EXPECT_EQ(library.piecePath(12, 3), path("999/12/3.gif"));
    EXPECT_EQ(library.soundPath(7), path("999/7.wav"));
    EXPECT_EQ(library.pictureTextPath(), path("pictext.ini"));
}

TEST_F(PictureLibraryTest, ProgramFolderFallsBackToTheInstalledShareFolder) {
    QDir(root.path()).mkpath("bin");
    QDir(root.path()).mkpath("share/tukomi/999/1");
    EXPECT_EQ(PictureLibrary::findProgramFolder(path("bin")), path("share/tukomi"));

    // Pictures beside the program win.
    QDir(root.path()).mkpath("bin/999");
    EXPECT_EQ(PictureLibrary::findProgramFolder(path("bin")), path("bin"));
}

TEST_F(PictureLibraryTest, CountsEverySubFolderWhateverItsNameButHiddenOnes) {
    const PictureLibrary library(root.path());
    EXPECT_EQ(library.pictureCount(), 0) << "no picture folder at all";
    for (const char* name : {"999/1", "999/2", "999/extra", "999/.hidden", "999/.thumbnails"})
        QDir(root.path()).mkpath(name);
    writeFile(path("999/1.wav"), "not a folder");
    EXPECT_EQ(library.pictureCount(), 3);
}

TEST_F(PictureLibraryTest, ReadsTheTextsAndFillsThirtyTwoEntries) {
    writeFile(
        path("pictext.ini"),
        encodeGbk(QString::fromUtf8("[1.小猫]\r\n[2.小狗]\r\n[3.鸭子]\r\n[4.太阳]\r\n[5.花]\r\n")));
    const PictureLibrary library(root.path());
    PictureTexts texts;
    ASSERT_FALSE(library.ReadPictureTexts(texts).has_value());
    const QStringList entries = PictureLibrary::FillPictureList(texts);
    ASSERT_EQ(entries.size(), 32);
    EXPECT_EQ(entries[0], QString::fromUtf8("1.小猫"));
    EXPECT_EQ(entries[4], QString::fromUtf8("5.花"));
    EXPECT_EQ(entries[5], "6.");
    EXPECT_EQ(entries[31], "32.");
}

TEST_F(PictureLibraryTest, FailuresNameTheFileAndTheLine) {
    const PictureLibrary library(root.path());
    PictureTexts texts;
    auto missing = library.ReadPictureTexts(texts);
    ASSERT_TRUE(missing.has_value());
    EXPECT_TRUE(missing->message().startsWith(path("pictext.ini") + ": cannot be read"))
        << missing->message().toStdString();

    writeFile(path("pictext.ini"), "[1.a]\r\n[40.b]\r\n");
    auto bad = library.ReadPictureTexts(texts);
    ASSERT_TRUE(bad.has_value());
    EXPECT_TRUE(bad->message().startsWith(path("pictext.ini") + ", line 2: "))
        << bad->message().toStdString();
    EXPECT_TRUE(texts.text(1).isEmpty()) << "nothing is read from a faulty file";
}

TEST_F(PictureLibraryTest, AFolderInPlaceOfTheTextFileIsAnError) {
    QDir(root.path()).mkpath("pictext.ini");
    PictureTexts texts;
    EXPECT_TRUE(PictureLibrary(root.path()).ReadPictureTexts(texts).has_value());
}

}  // namespace
}  // namespace tukomi
