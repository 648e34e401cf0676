#include "picture_library.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "text_codec.h"

namespace tukomi {
namespace {

constexpr auto kPictureFolderName = "999";
constexpr auto kPictureTextFileName = "pictext.ini";
constexpr auto kInstalledDataFolder = "/../share/tukomi";

}  // namespace

QString LoadError::message() const {
    if (line > 0) return QStringLiteral("%1, line %2: %3").arg(file).arg(line).arg(what);
    return QStringLiteral("%1: %2").arg(file, what);
}

PictureLibrary::PictureLibrary(QString programFolder) : programFolder_(std::move(programFolder)) {
    while (programFolder_.size() > 1 && programFolder_.endsWith(u'/')) programFolder_.chop(1);
}

QString PictureLibrary::findProgramFolder(const QString& executableFolder) {
    if (QFileInfo(executableFolder + u'/' + kPictureFolderName).isDir()) return executableFolder;
    const QString installed = QDir::cleanPath(executableFolder + kInstalledDataFolder);
    if (QFileInfo(installed + u'/' + kPictureFolderName).isDir()) return installed;
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
    if (!dir.exists()) return 0;
    return static_cast<int>(dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden).size());
}

std::optional<LoadError> PictureLibrary::ReadPictureTexts(PictureTexts& texts) const {
    const QString path = pictureTextPath();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return LoadError{path, 0, QStringLiteral("cannot be read (%1)").arg(file.errorString())};
    // One byte more than allowed tells a file that is too large, whatever
    // size it claims.
    const QByteArray bytes = file.read(maxPictureTextBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return LoadError{path, 0, QStringLiteral("cannot be read (%1)").arg(file.errorString())};
    if (bytes.size() > maxPictureTextBytes)
        return LoadError{
            path, 0, QStringLiteral("is too large (more than %1 bytes)").arg(maxPictureTextBytes)};
    const QString content =
        decodeGameText(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (auto error = PictureTexts::parse(content, texts)) return LoadError{path, error->line, error->what};
    return std::nullopt;
}

QStringList PictureLibrary::FillPictureList(const PictureTexts& texts) {
    QStringList entries;
    entries.reserve(pictureCapacity);
    for (int i = 1; i <= pictureCapacity; ++i) entries << QString::number(i) + u'.' + texts.text(i);
    return entries;
}

}  // namespace tukomi
