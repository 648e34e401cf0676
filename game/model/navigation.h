#pragma once

#include <QString>
#include <optional>

namespace tukomi {

// The controls that choosing a picture touches. The main window implements
// it with its widgets; tests use fakes. Setting the list selection or the
// number box here never runs a handler: Navigation runs the follow-up steps
// itself, in the order the window's own handlers would.
class NavigationControls {
public:
    virtual ~NavigationControls() = default;
    // Number of picture folders, asked afresh each time.
    virtual int pictureCount() const = 0;
    // Text of picture n (empty beyond the list).
    virtual QString pictureText(int n) const = 0;
    // Selects list entry `index` (0-based), or none for -1.
    virtual void selectListEntry(int index) = 0;
    virtual QString numberText() const = 0;
    virtual void setNumberText(const QString& text) = 0;
    virtual void setCaption(const QString& caption) = 0;
    virtual void stopClock() = 0;
    // Loads picture `start` and lays it out whole, grid hidden.
    virtual void ShowCurrentPicture(int start) = 0;
};

// Choosing the picture to play: the next and previous buttons, a click on a
// list entry and typing a number. Each ends with `start` set, the picture
// shown assembled and its number in the number box.
class Navigation {
public:
    // Pictures the list offers.
    static constexpr int kListEntries = 32;

    Navigation(NavigationControls& controls, int& start) : controls_(controls), start_(start) {}

    void NextPicture();
    void PreviousPicture();
    // A click on list entry `index` (0-based).
    void ChooseFromList(int index);
    // The number box's text changed to `text`.
    void ChooseByNumber(const QString& text);

    // The caption shown after choosing picture n from the list.
    static QString captionFor(const QString& pictureText);

    // Reads the number box: a whole number with blanks around it; a
    // fractional number rounds to the nearest whole number (halves to even).
    // Anything else, or a value beyond 32 bits, is no number.
    static std::optional<int> readNumber(const QString& text);

private:
    void step(int delta);
    // Sets the number box from code; a change runs ChooseByNumber at once.
    void showNumber(int n);

    NavigationControls& controls_;
    int& start_;
};

}  // namespace tukomi
