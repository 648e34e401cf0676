#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "picture_texts.h"
#include "progress.h"

namespace tukomi {

// A start-up failure worth a message box: which file, which line, what is wrong.
struct LoadError {
    QString file;
    int line = 0;
    QString what;  // in English, with the technical details
    // The kind of fault and what the sentence about it names (the record's
    // number, the encoding), so that it can be told in the user's language.
    LoadProblem problem = LoadProblem::Other;
    QString subject;

    // One line in English: "FILE, line N: WHAT".
    QString message() const;
};

// The game's content beside the program: the picture folder "999" with the
// nine pieces and the recording of each picture, and "pictext.ini" with the
// picture texts. Paths use "/" and plain decimal numbers.
class PictureLibrary {
public:
    // `programFolder` is the folder holding the content (no trailing "/").
    explicit PictureLibrary(QString programFolder);

    // The program's folder for the executable in `executableFolder`: that
    // folder itself when it holds "999", else the installed share folder
    // "../share/tukomi" beside it.
    static QString findProgramFolder(const QString& executableFolder);

    const QString& programFolder() const { return programFolder_; }
    QString pictureFolder() const;
    QString piecePath(int picture, int piece) const;
    QString soundPath(int picture) const;
    QString pictureTextPath() const;

    // Number of sub-folders of the picture folder, whatever their names,
    // leaving out hidden ones (names starting with "."); 0 when the folder is
    // missing. Asked afresh each time.
    int pictureCount() const;

    // The largest "pictext.ini" read; a larger one is an error, not a wait.
    static constexpr qint64 maxPictureTextBytes = qint64{1} << 20;

    // Reads "pictext.ini" into `texts`. On failure `texts` is untouched.
    std::optional<LoadError> ReadPictureTexts(PictureTexts& texts) const;

    // The 32 list entries "1." + text(1) ... "32." + text(32), each
    // completed picture's with its mark (see Progress::listMark).
    static QStringList FillPictureList(const PictureTexts& texts,
                                       const Progress& progress = Progress());
    // List entry n (1..32) alone.
    static QString ListEntry(int n, const PictureTexts& texts, const Progress& progress);

private:
    QString programFolder_;
};

}  // namespace tukomi
