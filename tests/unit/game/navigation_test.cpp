#include "navigation.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace tukomi {
namespace {

// Controls that remember what was done to them.
class FakeControls : public NavigationControls {
public:
    int count = 32;
    int listSelection = -1;
    QString number = QStringLiteral("1");
    QString caption = QStringLiteral("Mibaro 1.0版");
    bool clockRunning = false;
    std::vector<int> shown;

    int pictureCount() const override { return count; }
    QString pictureText(int n) const override {
        return n >= 1 && n <= 32 ? QStringLiteral("text%1").arg(n) : QString();
    }
    void selectListEntry(int index) override { listSelection = index; }
    QString numberText() const override { return number; }
    void setNumberText(const QString& text) override { number = text; }
    void setCaption(const QString& text) override { caption = text; }
    void stopClock() override { clockRunning = false; }
    void ShowCurrentPicture(int start) override { shown.push_back(start); }
};

class NavigationTest : public ::testing::Test {
protected:
    // The child types `text` into the number box.
    void type(const QString& text) {
        controls.number = text;
        navigation.ChooseByNumber(text);
    }
    QString captionOf(int n) const {
        return Navigation::captionFor(QStringLiteral("text%1").arg(n));
    }

    FakeControls controls;
    int start = 1;
    Navigation navigation{controls, start};
};

TEST_F(NavigationTest, NextAndPreviousWrapAroundAndStopTheClock) {
    start = 32;
    controls.number = "32";
    controls.clockRunning = true;
    navigation.NextPicture();
    EXPECT_EQ(start, 1);
    EXPECT_EQ(controls.listSelection, 0);
    EXPECT_EQ(controls.caption, captionOf(1));
    EXPECT_EQ(controls.number, "1");
    EXPECT_FALSE(controls.clockRunning);
    EXPECT_EQ(controls.shown.back(), 1);

    navigation.PreviousPicture();
    EXPECT_EQ(start, 32);
    EXPECT_EQ(controls.listSelection, 31);
    EXPECT_EQ(controls.caption, captionOf(32));
    EXPECT_EQ(controls.number, "32");
    EXPECT_EQ(controls.shown.back(), 32);

    navigation.PreviousPicture();
    EXPECT_EQ(start, 31);
}

TEST_F(NavigationTest, ListClickKeepsTheClockAndSetsTheCaption) {
    controls.clockRunning = true;
    navigation.ChooseFromList(11);
    EXPECT_EQ(start, 12);
    EXPECT_EQ(controls.number, "12");
    EXPECT_EQ(controls.caption, captionOf(12));
    EXPECT_TRUE(controls.clockRunning);
    EXPECT_EQ(controls.shown.back(), 12);

    // The entry already shown: shown again, the box keeps its number.
    controls.shown.clear();
    navigation.ChooseFromList(11);
    EXPECT_EQ(controls.shown, std::vector<int>{12});
    EXPECT_EQ(controls.number, "12");
}

struct TypedCase {
    const char* typed;
    int start;           // picture shown afterwards
    const char* number;  // what the box shows afterwards
};

// The test's name: what is typed and the picture shown after it, with
// characters outside ASCII as code points.
void PrintTo(const TypedCase& c, std::ostream* os) {
    *os << "typed '";
    for (const QChar ch : QString::fromUtf8(c.typed)) {
        if (ch.unicode() < 0x80)
            *os << ch.toLatin1();
        else
            *os << "U+" << QString::number(ch.unicode(), 16).toUpper().toStdString();
    }
    *os << "' shows " << c.start;
}

class TypedNumber : public NavigationTest, public ::testing::WithParamInterface<TypedCase> {};

TEST_P(TypedNumber, ShowsThePictureOrWrapsIntoRange) {
    start = 7;
    controls.number = "7";
    controls.clockRunning = true;
    controls.caption = captionOf(7);
    const TypedCase& c = GetParam();
    type(QString::fromUtf8(c.typed));
    EXPECT_EQ(start, c.start);
    EXPECT_EQ(controls.number, QString::fromUtf8(c.number));
    EXPECT_EQ(controls.caption, captionOf(7)) << "typing leaves the caption alone";
    EXPECT_TRUE(controls.clockRunning) << "typing leaves the clock alone";
    EXPECT_EQ(controls.listSelection, -1);
}

INSTANTIATE_TEST_SUITE_P(Numbers, TypedNumber,
                         ::testing::Values(TypedCase{"12", 12, "12"}, TypedCase{" 5 ", 5, " 5 "},
                                           TypedCase{"0", 32, "32"}, TypedCase{"-5", 32, "32"},
                                           TypedCase{"40", 1, "1"}, TypedCase{"2.5", 2, "2.5"},
                                           TypedCase{"3.5", 4, "3.5"}, TypedCase{"+3", 3, "+3"},
                                           // Not a whole number: the picture stays.
                                           TypedCase{"", 7, ""}, TypedCase{"-", 7, "-"},
                                           TypedCase{"abc", 7, "abc"}, TypedCase{"1e3", 7, "1e3"},
                                           TypedCase{"99999999999", 7, "99999999999"},
                                           TypedCase{"１２", 7, "１２"}));

TEST_F(NavigationTest, TypingDigitByDigitShowsEachNumberInTurn) {
    type("1");
    EXPECT_EQ(controls.shown.back(), 1);
    type("12");
    EXPECT_EQ(controls.shown.back(), 12);
    EXPECT_EQ(start, 12);
}

TEST_F(NavigationTest, WithoutPictureFoldersNothingIsChosen) {
    controls.count = 0;
    controls.clockRunning = true;
    navigation.NextPicture();
    navigation.PreviousPicture();
    type("3");
    EXPECT_EQ(start, 1);
    EXPECT_TRUE(controls.shown.empty());
    EXPECT_TRUE(controls.clockRunning);
}

TEST_F(NavigationTest, PicturesBeyondTheListAreReachableWithoutAnEntry) {
    controls.count = 40;
    start = 32;
    controls.number = "32";
    navigation.NextPicture();
    EXPECT_EQ(start, 33);
    EXPECT_EQ(controls.listSelection, -1);
    EXPECT_EQ(controls.caption, Navigation::captionFor(QString()));
    EXPECT_EQ(controls.number, "33");
    type("40");
    EXPECT_EQ(start, 40);
    navigation.NextPicture();
    EXPECT_EQ(start, 1);
    EXPECT_EQ(controls.listSelection, 0);
}

TEST_F(NavigationTest, AListEntryWithoutAFolderEndsOnTheFirstPicture) {
    // Picture 32 is chosen, its number does not exist, and the box takes it back to 1.
    controls.count = 10;
    navigation.ChooseFromList(31);
    EXPECT_EQ(start, 1);
    EXPECT_EQ(controls.number, "1");
    EXPECT_EQ(controls.caption, captionOf(32));
    EXPECT_EQ(controls.shown.back(), 1);
}

TEST_F(NavigationTest, ListIndicesOutsideTheListAreIgnored) {
    navigation.ChooseFromList(-1);
    navigation.ChooseFromList(32);
    EXPECT_TRUE(controls.shown.empty());
    EXPECT_EQ(start, 1);
}

}  // namespace
}  // namespace tukomi
