#include "character_file.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <optional>
#include <vector>

#include "image_choice.h"

namespace tukomi {
namespace {

constexpr int kManifestFormat = 1;
constexpr qint64 kMaxManifestBytes = 64 * 1024;
constexpr int kMaxNameLength = 64;
constexpr int kMaxImagePathLength = 200;
// The largest of the larger frame sizes a file may offer.
constexpr int kMaxFrameScale = 4;

// The container (see character_file.h): the mark, the version and the
// number of entries, then an index record per entry of a name length, the
// name, an offset and a size.
constexpr char kContainerMark[8] = {'T', 'K', 'C', 'H', 'A', 'R', '\x1a', '\n'};
constexpr quint32 kContainerVersion = 1;
constexpr quint64 kHeaderBytes = 16;
constexpr quint64 kRecordBytesBesideName = 2 + 4 + 4;
constexpr int kMaxEntryNameBytes = kMaxImagePathLength;

const char* const kManifestName = "manifest.json";

// PNG bytes held in memory, read through Qt's PNG reader without guessing
// the format from the content. The bytes are shared, not copied.
class PngReader {
public:
    explicit PngReader(const QByteArray& png) : png_(png), buffer_(&png_) {
        buffer_.open(QIODevice::ReadOnly);
        reader_.setDevice(&buffer_);
        reader_.setFormat("png");
        reader_.setDecideFormatFromContent(false);
    }
    QImageReader* operator->() { return &reader_; }

private:
    QByteArray png_;
    QBuffer buffer_;
    QImageReader reader_;
};

// Reads a member of a JSON object, naming the member in the message when it
// is missing or of the wrong kind.
class ManifestReader {
public:
    QString problem;

    bool failed() const { return !problem.isEmpty(); }

    std::optional<QJsonObject> object(const QJsonObject& parent, const QString& key,
                                      const QString& where) {
        const QJsonValue value = parent.value(key);
        if (value.isUndefined())
            return fail(where, QStringLiteral("is missing")), std::nullopt;
        if (!value.isObject())
            return fail(where, QStringLiteral("must be an object")), std::nullopt;
        return value.toObject();
    }

    std::optional<QJsonArray> array(const QJsonObject& parent, const QString& key,
                                    const QString& where) {
        const QJsonValue value = parent.value(key);
        if (value.isUndefined())
            return fail(where, QStringLiteral("is missing")), std::nullopt;
        if (!value.isArray())
            return fail(where, QStringLiteral("must be a list")), std::nullopt;
        return value.toArray();
    }

    std::optional<QString> string(const QJsonObject& parent, const QString& key,
                                  const QString& where, int maxLength) {
        const QJsonValue value = parent.value(key);
        if (value.isUndefined())
            return fail(where, QStringLiteral("is missing")), std::nullopt;
        const QString text = value.toString();
        if (!value.isString() || text.isEmpty() || text.size() > maxLength) {
            fail(where, QStringLiteral("must be a text of 1 to %1 characters").arg(maxLength));
            return std::nullopt;
        }
        return text;
    }

    std::optional<int> integer(const QJsonObject& parent, const QString& key, const QString& where,
                               int min, int max) {
        const QJsonValue value = parent.value(key);
        if (value.isUndefined())
            return fail(where, QStringLiteral("is missing")), std::nullopt;
        const double number = value.toDouble();
        if (!value.isDouble() || number != static_cast<double>(static_cast<qint64>(number)) ||
            number < min || number > max) {
            fail(where, QStringLiteral("must be a whole number from %1 to %2").arg(min).arg(max));
            return std::nullopt;
        }
        return static_cast<int>(number);
    }

    std::optional<QColor> colour(const QJsonObject& parent, const QString& key,
                                 const QString& where) {
        const auto text = string(parent, key, where, 32);
        if (!text)
            return std::nullopt;
        const QColor colour = QColor::fromString(*text);
        if (!colour.isValid())
            return fail(where, QStringLiteral("is not a colour")), std::nullopt;
        return colour;
    }

    void fail(const QString& where, const QString& what) {
        if (problem.isEmpty())
            problem = QStringLiteral("manifest: %1 %2").arg(where, what);
    }
};

// libpng sets aside a text chunk's declared length before it reads the
// chunk, so a frame of a few hundred bytes could ask for gigabytes. A frame
// whose every chunk, up to IEND, lies inside its bytes asks for no more than
// it holds.
bool pngChunksFit(const QByteArray& png) {
    constexpr char kSignature[8] = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
    constexpr qsizetype kChunkFrameBytes = 12;  // length, type, CRC
    if (png.size() < qsizetype(sizeof kSignature) ||
        std::memcmp(png.constData(), kSignature, sizeof kSignature) != 0)
        return false;
    const auto* bytes = reinterpret_cast<const uchar*>(png.constData());
    qsizetype at = sizeof kSignature;
    while (png.size() - at >= kChunkFrameBytes) {
        const quint32 length = qFromBigEndian<quint32>(bytes + at);
        if (length > quint64(png.size() - at - kChunkFrameBytes))
            return false;
        const bool end = std::memcmp(bytes + at + 4, "IEND", 4) == 0;
        at += kChunkFrameBytes + qsizetype(length);
        if (end)
            return true;
    }
    return false;
}

bool isSafeImagePath(const QString& path) {
    if (path.startsWith(u'/') || path.contains(u'\\') || path.contains(u':'))
        return false;
    const QStringList parts = path.split(u'/');
    for (const QString& part : parts) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..")) {
            return false;
        }
    }
    return true;
}

// An index entry's name: printable ASCII that isSafeImagePath accepts.
bool isEntryName(const QByteArray& name) {
    if (name.isEmpty() || name.size() > kMaxEntryNameBytes)
        return false;
    for (const char c : name)
        if (c < '!' || c > '~')
            return false;
    return isSafeImagePath(QString::fromLatin1(name));
}

}  // namespace

const char* characterAnimationName(CharacterAnimation animation) {
    switch (animation) {
        case CharacterAnimation::Appear:
            return "appear";
        case CharacterAnimation::Idle:
            return "idle";
        case CharacterAnimation::Speak:
            return "speak";
        case CharacterAnimation::Disappear:
            return "disappear";
    }
    return "";
}

// Does the work of CharacterFile::Load; a friend so that the file's members
// stay private.
class CharacterFileReader {
public:
    explicit CharacterFileReader(CharacterFile& file) : file_(file) {}

    QString read() {
        QFile input(file_.path_);
        if (!input.open(QIODevice::ReadOnly)) {
            return QStringLiteral("cannot open the character file: %1").arg(input.errorString());
        }
        const qint64 size = input.size();
        if (size <= 0)
            return QStringLiteral("the character file is empty");
        if (size > CharacterFile::kMaxFileBytes) {
            return QStringLiteral("the character file is larger than %1 bytes")
                .arg(CharacterFile::kMaxFileBytes);
        }
        file_.bytes_ = input.readAll();
        if (file_.bytes_.size() != size) {
            return QStringLiteral("cannot read the character file: %1").arg(input.errorString());
        }
        if (QString problem = readIndex(); !problem.isEmpty())
            return problem;
        return readManifest();
    }

private:
    // Reads the header and the whole index, and checks every entry's place
    // against the file's size before any entry is read.
    QString readIndex() {
        const auto* data = reinterpret_cast<const uchar*>(file_.bytes_.constData());
        const auto size = static_cast<quint64>(file_.bytes_.size());
        if (size < sizeof kContainerMark ||
            std::memcmp(data, kContainerMark, sizeof kContainerMark) != 0) {
            return QStringLiteral("not a character file (no character file mark at its start)");
        }
        if (size < kHeaderBytes)
            return QStringLiteral("truncated character file header");
        const auto version = qFromLittleEndian<quint32>(data + 8);
        if (version != kContainerVersion)
            return QStringLiteral("unsupported character file version %1").arg(version);
        const auto count = qFromLittleEndian<quint32>(data + 12);
        if (count < 1 || count > quint32{CharacterFile::kMaxEntries}) {
            return QStringLiteral("the character file's index lists %1 entries, not 1 to %2")
                .arg(count)
                .arg(CharacterFile::kMaxEntries);
        }

        struct Record {
            QString name;
            quint64 offset;
            quint64 size;
        };
        std::vector<Record> records;
        quint64 at = kHeaderBytes;
        for (quint32 i = 0; i < count; ++i) {
            if (size - at < 2)
                return QStringLiteral("the character file's index runs past the end of the file");
            const quint64 nameBytes = qFromLittleEndian<quint16>(data + at);
            if (size - at < kRecordBytesBesideName + nameBytes)
                return QStringLiteral("the character file's index runs past the end of the file");
            const QByteArray name(reinterpret_cast<const char*>(data + at + 2),
                                  static_cast<qsizetype>(nameBytes));
            if (!isEntryName(name))
                return QStringLiteral("the character file's index holds an entry with a bad name");
            records.push_back({QString::fromLatin1(name),
                               qFromLittleEndian<quint32>(data + at + 2 + nameBytes),
                               qFromLittleEndian<quint32>(data + at + 6 + nameBytes)});
            at += kRecordBytesBesideName + nameBytes;
        }
        const quint64 indexEnd = at;

        for (const Record& record : records) {
            if (record.offset > size || record.size > size - record.offset) {
                return QStringLiteral("entry \"%1\" points past the end of the file")
                    .arg(record.name);
            }
            if (record.offset < indexEnd) {
                return QStringLiteral("entry \"%1\" lies inside the character file's index")
                    .arg(record.name);
            }
            const CharacterFile::Span span{static_cast<qsizetype>(record.offset),
                                           static_cast<qsizetype>(record.size)};
            if (!file_.entries_.emplace(record.name, span).second) {
                return QStringLiteral("the character file's index names \"%1\" twice")
                    .arg(record.name);
            }
        }
        return {};
    }

    QString readManifest() {
        const std::optional<QByteArray> manifest = file_.view(QLatin1String(kManifestName));
        if (!manifest)
            return QStringLiteral("the character file holds no manifest.json");
        if (manifest->size() > kMaxManifestBytes) {
            return QStringLiteral("manifest.json is larger than %1 bytes").arg(kMaxManifestBytes);
        }
        QJsonParseError parseError;
        const QJsonDocument document = QJsonDocument::fromJson(*manifest, &parseError);
        if (parseError.error != QJsonParseError::NoError) {
            return QStringLiteral("manifest.json is not valid JSON at offset %1: %2")
                .arg(parseError.offset)
                .arg(parseError.errorString());
        }
        if (!document.isObject())
            return QStringLiteral("manifest.json must hold an object");
        const QJsonObject root = document.object();

        ManifestReader m;
        const auto format = m.integer(root, QStringLiteral("format"), QStringLiteral("format"),
                                      kManifestFormat, kManifestFormat);
        if (!format)
            return m.problem;
        const auto name =
            m.string(root, QStringLiteral("name"), QStringLiteral("name"), kMaxNameLength);
        if (!name)
            return m.problem;
        file_.name_ = *name;

        const auto frameSize =
            m.object(root, QStringLiteral("frameSize"), QStringLiteral("frameSize"));
        if (!frameSize)
            return m.problem;
        const auto width =
            m.integer(*frameSize, QStringLiteral("width"), QStringLiteral("frameSize.width"),
                      CharacterFile::kMinFramePixels, CharacterFile::kMaxFramePixels);
        const auto height =
            m.integer(*frameSize, QStringLiteral("height"), QStringLiteral("frameSize.height"),
                      CharacterFile::kMinFramePixels, CharacterFile::kMaxFramePixels);
        if (m.failed())
            return m.problem;
        file_.frameSize_ = QSize(*width, *height);

        if (QString problem = readBalloon(m, root); !problem.isEmpty())
            return problem;

        const auto animations =
            m.object(root, QStringLiteral("animations"), QStringLiteral("animations"));
        if (!animations)
            return m.problem;
        for (int i = 0; i < kCharacterAnimationCount; ++i) {
            const auto which = static_cast<CharacterAnimation>(i);
            if (QString problem = readAnimation(m, *animations, which); !problem.isEmpty()) {
                return problem;
            }
        }
        return readScales(root);
    }

    // The larger sizes the frames come in: each must be there, of its size.
    QString readScales(const QJsonObject& root) {
        const QJsonValue value = root.value(QStringLiteral("scales"));
        if (value.isUndefined())
            return {};
        if (!value.isArray())
            return QStringLiteral("manifest: scales must be a list");
        for (const QJsonValue& entry : value.toArray()) {
            const double number = entry.toDouble();
            if (!entry.isDouble() || number != std::floor(number) || number < 2 ||
                number > kMaxFrameScale) {
                return QStringLiteral("manifest: scales must hold whole numbers from 2 to %1")
                    .arg(kMaxFrameScale);
            }
            const int scale = static_cast<int>(number);
            if (std::find(file_.scales_.begin(), file_.scales_.end(), scale) != file_.scales_.end())
                continue;
            for (const auto& [image, decoded] : decoded_) {
                const QString larger = scaledImagePath(image, scale);
                const std::optional<QByteArray> encoded = file_.view(larger);
                std::optional<PngReader> reader;
                if (encoded)
                    reader.emplace(*encoded);
                if (!reader || !(*reader)->canRead()) {
                    return QStringLiteral("frame \"%1\" is missing from the character file")
                        .arg(larger);
                }
                // Checked as the frames are, before libpng reads its header;
                // drawing it later reads the same bytes.
                if (!pngChunksFit(*encoded)) {
                    return QStringLiteral(
                               "frame \"%1\" cannot be decoded: a chunk runs past its end")
                        .arg(larger);
                }
                if ((*reader)->size() != file_.frameSize_ * scale) {
                    return QStringLiteral("frame \"%1\" is not %2 times the frame size")
                        .arg(larger)
                        .arg(scale);
                }
            }
            file_.scales_.push_back(scale);
        }
        std::sort(file_.scales_.begin(), file_.scales_.end());
        return {};
    }

    QString readBalloon(ManifestReader& m, const QJsonObject& root) {
        const auto balloon = m.object(root, QStringLiteral("balloon"), QStringLiteral("balloon"));
        if (!balloon)
            return m.problem;
        BalloonStyle& style = file_.balloon_;
        const auto background =
            m.colour(*balloon, QStringLiteral("background"), QStringLiteral("balloon.background"));
        const auto border =
            m.colour(*balloon, QStringLiteral("border"), QStringLiteral("balloon.border"));
        const auto text =
            m.colour(*balloon, QStringLiteral("text"), QStringLiteral("balloon.text"));
        const auto family = m.string(*balloon, QStringLiteral("fontFamily"),
                                     QStringLiteral("balloon.fontFamily"), kMaxNameLength);
        const auto fontSize =
            m.integer(*balloon, QStringLiteral("fontSize"), QStringLiteral("balloon.fontSize"),
                      CharacterFile::kMinFontPixels, CharacterFile::kMaxFontPixels);
        if (m.failed())
            return m.problem;
        style = {*background, *border, *text, *family, *fontSize};
        return {};
    }

    QString readAnimation(ManifestReader& m, const QJsonObject& animations,
                          CharacterAnimation which) {
        const QString name = QString::fromLatin1(characterAnimationName(which));
        const QString where = QStringLiteral("animations.") + name;
        const auto animation = m.object(animations, name, where);
        if (!animation)
            return m.problem;
        const auto frames =
            m.array(*animation, QStringLiteral("frames"), where + QStringLiteral(".frames"));
        if (!frames)
            return m.problem;
        if (frames->isEmpty() || frames->size() > CharacterFile::kMaxFramesPerAnimation) {
            return QStringLiteral("manifest: %1.frames must hold 1 to %2 frames")
                .arg(where)
                .arg(CharacterFile::kMaxFramesPerAnimation);
        }
        auto& out = file_.animations_[static_cast<std::size_t>(which)];
        for (qsizetype i = 0; i < frames->size(); ++i) {
            const QString frameWhere = QStringLiteral("%1.frames[%2]").arg(where).arg(i);
            const QJsonValue value = frames->at(i);
            if (!value.isObject()) {
                return QStringLiteral("manifest: %1 must be an object").arg(frameWhere);
            }
            const QJsonObject frame = value.toObject();
            const auto image = m.string(frame, QStringLiteral("image"),
                                        frameWhere + QStringLiteral(".image"), kMaxImagePathLength);
            const auto duration = m.integer(frame, QStringLiteral("duration"),
                                            frameWhere + QStringLiteral(".duration"), 1,
                                            CharacterFile::kMaxFrameDurationMs);
            if (m.failed())
                return m.problem;
            if (!isSafeImagePath(*image)) {
                return QStringLiteral("manifest: %1.image \"%2\" is not a path inside the file")
                    .arg(frameWhere, *image);
            }
            QImage picture;
            if (QString problem = decodeFrame(*image, &picture); !problem.isEmpty()) {
                return problem;
            }
            out.push_back(CharacterFrame{picture, *duration, *image});
        }
        return {};
    }

    // Decodes a frame once, however many animations use it; the size is
    // checked before decoding so that a hostile image cannot ask for a huge
    // buffer.
    QString decodeFrame(const QString& image, QImage* picture) {
        if (auto known = decoded_.find(image); known != decoded_.end()) {
            *picture = known->second;
            return {};
        }
        const std::optional<QByteArray> encoded = file_.view(image);
        if (!encoded) {
            return QStringLiteral("frame \"%1\" is missing from the character file").arg(image);
        }
        PngReader reader(*encoded);
        if (!reader->canRead())
            return QStringLiteral("frame \"%1\" is not a PNG image").arg(image);
        // Before libpng reads a single chunk, also those of the header.
        if (!pngChunksFit(*encoded)) {
            return QStringLiteral("frame \"%1\" cannot be decoded: a chunk runs past its end")
                .arg(image);
        }
        if (reader->size() != file_.frameSize_) {
            return QStringLiteral("frame \"%1\" is %2 x %3 pixels, not %4 x %5")
                .arg(image)
                .arg(reader->size().width())
                .arg(reader->size().height())
                .arg(file_.frameSize_.width())
                .arg(file_.frameSize_.height());
        }
        QImage decodedImage = reader->read();
        if (decodedImage.isNull() || decodedImage.size() != file_.frameSize_) {
            return QStringLiteral("frame \"%1\" cannot be decoded: %2")
                .arg(image, reader->errorString());
        }
        decodedImage = decodedImage.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        decoded_.emplace(image, decodedImage);
        *picture = decodedImage;
        return {};
    }

    CharacterFile& file_;
    std::map<QString, QImage> decoded_;
};

std::unique_ptr<CharacterFile> CharacterFile::Load(const QString& path, LoadError* error) {
    std::unique_ptr<CharacterFile> file(new CharacterFile);
    file->path_ = path;
    if (QString problem = CharacterFileReader(*file).read(); !problem.isEmpty()) {
        if (error) {
            const QFileInfo info(path);
            const LoadProblem kind = !info.exists() ? LoadProblem::FileMissing
                                     : info.isDir() || !info.isReadable()
                                         ? LoadProblem::FileUnreadable
                                         : LoadProblem::DamagedCharacter;
            *error = LoadError{path, 0, problem, kind, {}};
        }
        return nullptr;
    }
    return file;
}

CharacterFile::~CharacterFile() = default;

QStringList CharacterFile::entryNames() const {
    QStringList names;
    for (const auto& [name, span] : entries_)
        names << name;
    return names;
}

std::optional<QByteArray> CharacterFile::entry(const QString& name) const {
    const std::optional<QByteArray> bytes = view(name);
    if (!bytes)
        return std::nullopt;
    return QByteArray(bytes->constData(), bytes->size());
}

std::optional<QByteArray> CharacterFile::view(const QString& name) const {
    const auto found = entries_.find(name);
    if (found == entries_.end())
        return std::nullopt;
    return QByteArray::fromRawData(bytes_.constData() + found->second.offset, found->second.size);
}

QImage CharacterFile::frameImage(CharacterAnimation animation, int index,
                                 double deviceScale) const {
    const CharacterFrame& frame = frames(animation).at(static_cast<std::size_t>(index));
    std::vector<int> available{1};
    available.insert(available.end(), scales_.begin(), scales_.end());
    const int scale = chooseImageScale(available, deviceScale);
    if (scale == 1)
        return frame.image;
    const auto key = std::make_pair(frame.source, scale);
    auto known = largerFrames_.find(key);
    if (known == largerFrames_.end()) {
        // The size was checked at loading; a version damaged past its
        // header decodes to nothing and the frame itself is drawn.
        QImage larger;
        if (const std::optional<QByteArray> encoded = view(scaledImagePath(frame.source, scale))) {
            PngReader reader(*encoded);
            if (reader->size() == frameSize_ * scale)
                larger = reader->read();
        }
        if (larger.size() != frameSize_ * scale)
            larger = QImage();
        else
            larger = larger.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        known = largerFrames_.emplace(key, larger).first;
    }
    return known->second.isNull() ? frame.image : known->second;
}

int CharacterFile::durationMs(CharacterAnimation animation) const {
    int total = 0;
    for (const CharacterFrame& frame : frames(animation))
        total += frame.durationMs;
    return total;
}

}  // namespace tukomi
