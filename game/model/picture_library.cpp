#include "picture_library.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "text_codec.h"

namespace tukomi {
namespace {

constexpr auto kPictureFolderName = "999";
constexpr auto kPictureTextFileName = "pictext.ini";
constexpr auto kInstalledDataFolder = "/../share/tukomi";

}  // namespace

QString LoadError::message() const {
    if (line > 0)
        return QStringLiteral("%1, line %2: %3").arg(file).arg(line).arg(what);
    return QStringLiteral("%1: %2").arg(file, what);
}

PictureLibrary::PictureLibrary(QString programFolder) : programFolder_(std::move(programFolder)) {
    while (programFolder_.size() > 1 && programFolder_.endsWith(u'/'))
        programFolder_.chop(1);
}

QString PictureLibrary::findProgramFolder(const QString& executableFolder) {
    if (QFileInfo(executableFolder + u'/' + kPictureFolderName).isDir())
        return executableFolder;
    const QString installed = QDir::cleanPath(executableFolder + kInstalledDataFolder);
    if (QFileInfo(installed + u'/' + kPictureFolderName).isDir())
        return installed;
    // Neither has pictures; the folder beside the program is where the user
    // will be told "pictext.ini" is missing.
    return QFileInfo(installed).isDir() ? installed : executableFolder;
}

QString PictureLibrary::pictureFolder() const {
    return programFolder_ + u'/' + kPictureFolderName;
}

QString PictureLibrary::piecePath(int picture, int piece) const {
    return QStringLiteral("%1/%2/%3.gif").arg(pictureFolder()).arg(picture).arg(piece);
}

QString PictureLibrary::soundPath(int picture) const {
    return QStringLiteral("%1/%2.wav").arg(pictureFolder()).arg(picture);
}

QString PictureLibrary::pictureTextPath() const {
    return programFolder_ + u'/' + kPictureTextFileName;
}

int PictureLibrary::pictureCount() const {
    const QDir dir(pictureFolder());
    if (!dir.exists())
        return 0;
    // Folders whose names start with a dot are the system's and other
    // programs' (thumbnail caches, version control), never pictures.
    const QStringList folders = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    return static_cast<int>(std::count_if(folders.begin(), folders.end(), [](const QString& name) {
        return !name.startsWith(u'.');
    }));
}

std::optional<LoadError> PictureLibrary::ReadPictureTexts(PictureTexts& texts) const {
    const QString path = pictureTextPath();
    QFile file(path);
    const auto unreadable = [&] {
        return LoadError{
            path,
            0,
            QStringLiteral("cannot be read (%1)").arg(file.errorString()),
            QFileInfo::exists(path) ? LoadProblem::FileUnreadable : LoadProblem::FileMissing,
            {}};
    };
    if (!file.open(QIODevice::ReadOnly))
        return unreadable();
    // One byte more than allowed tells a file that is too large, whatever
    // size it claims.
    const QByteArray bytes = file.read(maxPictureTextBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return unreadable();
    if (bytes.size() > maxPictureTextBytes)
        return LoadError{
            path, 0, QStringLiteral("is too large (more than %1 bytes)").arg(maxPictureTextBytes),
            LoadProblem::FileTooLarge, QString::number(maxPictureTextBytes)};
    const GameText content =
        readGameText(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    // Records read from a misread file would be garbage, or fail for a reason
    // that is not the real one.
    if (content.firstInvalidByte >= 0) {
        const QString encoding = QString::fromLatin1(content.encoding);
        return LoadError{path, content.firstInvalidLine,
                         QStringLiteral("the text is not valid %1 (save the file as GBK or UTF-8)")
                             .arg(encoding),
                         LoadProblem::NotInEncoding, encoding};
    }
    if (auto error = PictureTexts::parse(content.text, texts))
        return LoadError{path, error->line, error->what, error->problem, error->subject};
    return std::nullopt;
}

QStringList PictureLibrary::FillPictureList(const PictureTexts& texts, const Progress& progress) {
    QStringList entries;
    entries.reserve(pictureCapacity);
    for (int i = 1; i <= pictureCapacity; ++i)
        entries << ListEntry(i, texts, progress);
    return entries;
}

QString PictureLibrary::ListEntry(int n, const PictureTexts& texts, const Progress& progress) {
    return QString::number(n) + u'.' + texts.text(n) + progress.listMark(n);
}

}  // namespace tukomi
