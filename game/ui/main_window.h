#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "board.h"
#include "dragging.h"
#include "layout_scale.h"
#include "navigation.h"
#include "picture_library.h"
#include "pinyin_table.h"
#include "progress.h"
#include "twips.h"
#include "window_settings.h"

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QShortcut;
class QTimer;

namespace tukomi {

class Assistant;
class ExplanationWindow;
class PictureControl;
class SecondsClock;
class SpeechLibraryApi;
class TurningBanner;

// The game's main window. It owns the board, the picture texts and every
// control; its start-up (`loadStartingState`) prepares the whole game before
// the window is first shown.
//
// The layout is kept in twips and drawn at the size of the window: the
// largest factor of its own 598 x 360 pixels that fits, centred, with the
// board, pieces, controls, fonts and the assistant character all drawn at
// that factor (see LayoutScale). Ctrl + and Ctrl - step the window's size,
// Ctrl 0 returns to the layout's own size, F11 fills the screen and Escape
// leaves it; the size and mode are remembered between runs.
class MainWindow : public QWidget, private NavigationControls {
    Q_OBJECT
public:
    static constexpr int kClientWidthTwips = 8970;
    static constexpr int kClientHeightTwips = 5400;

    explicit MainWindow(PictureLibrary library, Board::UniformSource shuffleSource = {},
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    // Where the pictures the child has completed are remembered between runs;
    // read by loadStartingState, written at each better time. Without it nothing is
    // remembered.
    void setProgressFile(const QString& path) { progressFile_ = path; }
    const Progress& progress() const { return progress_; }

    // Where the window's size and mode are remembered between runs, written
    // when they change and at closing. The file is read at once and the
    // window takes the size it was left at, so that the pictures loaded by
    // loadStartingState are already those of that size. Without it nothing is
    // remembered.
    void setWindowSettingsFile(const QString& path);
    // Shows the window as it was left: its size, as far as the screen holds
    // it, centred on the screen; or maximised, or filling the screen.
    void showAsRemembered();

    // How the layout is drawn in the window now.
    const LayoutScale& layoutScale() const { return scale_; }
    // The window's size when it is neither maximised nor full screen, as a
    // factor of the layout's own size.
    double zoom() const { return zoom_; }
    // The largest zoom at which the window fits the free area of its screen.
    double largestZoom() const;
    // Ctrl +: one step larger, while the window still fits the screen.
    // Ctrl -: one step smaller than it is drawn now; a maximised or full
    // screen window becomes a window of that size. Ctrl 0: the layout's own
    // size.
    void zoomIn();
    void zoomOut();
    void resetZoom();
    // F11: fills the screen, or returns to the window it was.
    void toggleFullScreen();

    // Prepares the game before the window is first shown: the pinyin table,
    // picture 1 laid out whole, the assistant character, the picture texts
    // and the list with the pictures completed before, the number box, and
    // the banner turning. When the character or the texts cannot be read the
    // window must not be shown; the error names the file and the line at
    // fault.
    std::optional<LoadError> loadStartingState();

    // Puts the nine pieces of picture `n` on the board controls. A piece
    // image that is missing or unreadable shows as a numbered tile.
    void LoadPieceImages(int n);
    // Lays the pieces out as the whole picture and hides the grid.
    void AssembleBoard();
    // Draws the grid, piles and shuffles the pieces and restarts the clock.
    void StartPuzzle();
    // Choosing a picture: the next and previous buttons, a list entry (0-based)
    // and the number box's text.
    void NextPicture() { navigation_.NextPicture(); }
    void PreviousPicture() { navigation_.PreviousPicture(); }
    void ChooseFromList(int index) { navigation_.ChooseFromList(index); }
    void ChooseByNumber(const QString& text) { navigation_.ChooseByNumber(text); }

    // The two timers' ticks: a second more on the clock, and the next banner
    // frame to the front.
    void advanceClock();
    void turnBanner();
    // The banner frame drawn over the others.
    int frontBannerFrame() const;

    // The game's own page (about the game, how to play, credits), shipped
    // beside the pictures so that it opens without a network.
    QUrl productPageUrl() const;

    // Opens the explanation window of the completed picture above this
    // window and waits until it is closed.
    void ShowExplanation();
    // The explanation window while it is open, else null.
    ExplanationWindow* explanationWindow() const { return form2_; }
    // The speech library the explanation window uses; by default the real
    // one, bound at the first call. The window does not own `speech`.
    void setSpeechLibrary(SpeechLibraryApi* speech) { speech_ = speech; }

    // Runs when the last piece is put right: hides the grid, takes the
    // picture's text, lets the assistant say it, stops the clock and, for a
    // picture played from Start, remembers the time.
    void CompletePuzzle();

    // The picture on the board (1 at start-up).
    int start() const { return start_; }
    // The text of the picture completed last.
    const QString& form2str() const { return form2str_; }
    // The built-in pinyin table, its parts joined at start-up.
    const QString& PinYinStr1() const { return PinYinStr1_; }
    // The assistant character, loaded at start-up; it says a completed
    // picture's text with the picture's recording.
    Assistant* merlin() const { return merlin_.get(); }

    const Board& board() const { return board_; }
    const PictureLibrary& library() const { return library_; }
    const PictureTexts& pictureTexts() const { return picText_; }
    int secCount() const;
    int dragIndex() const { return dragging_.dragIndex(); }

    // The top-left point where pieces wait to be dragged, read from the
    // Start button's place in the layout each time.
    float pileLeft() const;
    float pileTop() const;

    // Controls, by their names.
    PictureControl* Image1(int i) const { return image1_.at(static_cast<std::size_t>(i - 1)); }
    QFrame* Line(int n) const { return lines_.at(static_cast<std::size_t>(n - 1)); }
    PictureControl* Image4() const { return image4_; }
    PictureControl* Image5() const { return image5_; }
    PictureControl* Image6() const { return image6_; }
    PictureControl* Image7(int i) const;
    QListWidget* List1() const { return list1_; }
    QLabel* Label1() const { return label1_; }
    QLineEdit* Text2() const { return text2_; }
    QLabel* Label2() const { return label2_; }
    QLabel* Label3() const { return label3_; }
    QTimer* Timer1() const;
    QTimer* Timer2() const;

    static QString caption();

signals:
    // Emitted once, after the window has painted itself for the first time.
    void firstFramePainted();
    // Emitted at the end of the completion sequence, with the clock stopped
    // and form2str() holding the picture's text. A slot may open a modal
    // window here: the release that completed the picture waits for it.
    void puzzleCompleted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // A control and where it stands in the layout; its font, if it has one
    // of its own, is `font` at factor 1.
    struct Placement {
        QWidget* widget;
        RectTwips place;
        std::optional<QFont> font;
    };

    // A picture button and what its picture is made of.
    struct ButtonArt {
        PictureControl* button;
        QString art;
        QString caption;
        RectTwips place;
    };

    void createControls();
    void createShortcuts();
    void place(QWidget* widget, const RectTwips& place, std::optional<QFont> font = std::nullopt);
    // Draws the layout at the factor the window's size gives.
    void relayout();
    // The pictures of the buttons and pieces, as sharp as the factor needs.
    void choosePicturesForScale();
    double deviceScale() const;
    QSize clientSizeFor(double zoom) const;
    void setZoom(double zoom);
    void showFillingTheScreen(WindowMode mode);
    void fillScreenIfNobodyDid();
    void rememberWindow() const;
    void createPictureButtons();
    void createInfoControls();
    void LoadPinyinTable();
    std::optional<LoadError> LoadAssistant();
    void showPictureNumber();
    void mirrorBoard();
    void openProductPage();
    void rememberCompletion();

    // NavigationControls
    int pictureCount() const override;
    QString pictureText(int n) const override;
    void selectListEntry(int index) override;
    QString numberText() const override;
    void setNumberText(const QString& text) override;
    void setCaption(const QString& caption) override;
    void stopClock() override;
    void ShowCurrentPicture(int picture) override;
    void onPiecePressed(int piece, QPointF pointer);
    void onPieceMoved(QPointF pointer);
    void onPieceReleased();

    int start_ = 0;
    QString form2str_;
    QString PinYinStr1_;
    std::unique_ptr<Assistant> merlin_;

    std::vector<Placement> placements_;
    std::vector<ButtonArt> buttonArt_;
    LayoutScale scale_;
    double zoom_ = 1.0;
    QString windowSettingsFile_;
    WindowSettings remembered_;
    // The maximised window F11 returns to.
    bool maximizedBeforeFullScreen_ = false;
    // Set while the window changes its own size or mode, so that the size
    // it passes through is not taken for one the user chose.
    bool changingWindowState_ = false;
    QShortcut* leaveFullScreen_ = nullptr;
    // The picture on the pieces, and the version factors the pictures of
    // the pieces and buttons and the hand pointer were chosen for.
    int shownPicture_ = 0;
    int pieceImageScale_ = 0;
    int artImageScale_ = 0;
    int cursorScale_ = 0;

    PictureLibrary library_;
    std::unique_ptr<PinyinTable> pinyinTable_;  // built when first needed
    std::unique_ptr<SpeechLibraryApi> ownSpeech_;
    SpeechLibraryApi* speech_ = nullptr;
    bool speechProblemShown_ = false;
    ExplanationWindow* form2_ = nullptr;
    Board board_;
    Dragging dragging_{board_};
    PictureTexts picText_;
    Progress progress_;
    QString progressFile_;
    Navigation navigation_{*this, start_};
    bool painted_ = false;

    // The built-in pinyin table in its thirteen parts; joined into
    // PinYinStr1 at start-up.
    std::array<QString, kPinyinPartCount> Text3_;

    std::array<PictureControl*, Board::kPieceCount> image1_{};
    std::array<QFrame*, Board::kLineCount> lines_{};
    PictureControl* image4_ = nullptr;
    PictureControl* image5_ = nullptr;
    PictureControl* image6_ = nullptr;
    QListWidget* list1_ = nullptr;
    QLabel* label1_ = nullptr;
    QLineEdit* text2_ = nullptr;
    QLabel* label2_ = nullptr;
    QLabel* label3_ = nullptr;
    // The turning banner (Image7, Timer1) and the seconds clock (Label3, Timer2).
    TurningBanner* banner_ = nullptr;
    SecondsClock* clock_ = nullptr;
};

}  // namespace tukomi
