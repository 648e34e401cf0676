#include <QBuffer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <functional>

#include "character_file.h"

using namespace tukomi;

namespace {

const QString kGoodFile = QStringLiteral(TUKOMI_SOURCE_DATA_DIR "/merlin.acs");
const QString kManifest = QStringLiteral("manifest.json");

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

void append16(QByteArray& bytes, quint16 value) {
    char le[2];
    qToLittleEndian(value, le);
    bytes.append(le, 2);
}

void append32(QByteArray& bytes, quint32 value) {
    char le[4];
    qToLittleEndian(value, le);
    bytes.append(le, 4);
}

// A character file of `entries` in this order, laid out as character_file.h
// describes it: mark, version, count, index records, then the bytes.
QByteArray packEntries(const QList<QPair<QString, QByteArray>>& entries) {
    QByteArray header("TKCHAR\x1a\n", 8);
    append32(header, 1);
    append32(header, quint32(entries.size()));
    qsizetype offset = header.size();
    for (const auto& [name, bytes] : entries)
        offset += 2 + name.size() + 8;
    QByteArray index;
    QByteArray data;
    for (const auto& [name, bytes] : entries) {
        append16(index, quint16(name.size()));
        index += name.toLatin1();
        append32(index, quint32(offset + data.size()));
        append32(index, quint32(bytes.size()));
        data += bytes;
    }
    return header + index + data;
}

// Where the index of a character file ends and the entries' bytes begin.
qsizetype indexEnd(const QByteArray& file) {
    const quint32 count = qFromLittleEndian<quint32>(file.constData() + 12);
    qsizetype at = 16;
    for (quint32 i = 0; i < count; ++i)
        at += 2 + qFromLittleEndian<quint16>(file.constData() + at) + 8;
    return at;
}

// Qt and libpng complain on stderr about the broken images the fuzzing feeds
// them; the test checks the loader's own error instead.
class QuietMessages {
public:
    QuietMessages() {
        previous_ =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    }
    ~QuietMessages() { qInstallMessageHandler(previous_); }

private:
    QtMessageHandler previous_;
};

}  // namespace

class CharacterFileTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QByteArray good_;
    QJsonObject manifest_;
    QMap<QString, QByteArray> frames_;  // the good file's frames by path
    int fileNumber_ = 0;

    QString nextPath() { return dir_.filePath(QStringLiteral("c%1.acs").arg(++fileNumber_)); }

    // Writes `bytes` to a new file of the test's folder.
    QString write(const QByteArray& bytes) {
        const QString path = nextPath();
        return writeAll(path, bytes) ? path : QString();
    }

    // A character file of `files` (entry name -> content), the manifest
    // first as the generator writes it.
    QString pack(const QMap<QString, QByteArray>& files) {
        QList<QPair<QString, QByteArray>> entries;
        if (files.contains(kManifest))
            entries.append({kManifest, files[kManifest]});
        for (auto it = files.begin(); it != files.end(); ++it)
            if (it.key() != kManifest)
                entries.append({it.key(), it.value()});
        return write(packEntries(entries));
    }

    // The good character with its manifest changed by `edit`.
    QString packManifest(const std::function<void(QJsonObject&)>& edit) {
        QJsonObject manifest = manifest_;
        edit(manifest);
        QMap<QString, QByteArray> files = frames_;
        files.insert(kManifest, QJsonDocument(manifest).toJson());
        return pack(files);
    }

    static QJsonObject frame0(const QJsonObject& manifest, const QString& animation) {
        return manifest["animations"][animation]["frames"][0].toObject();
    }

    // Replaces the first frame of `animation` in `manifest`.
    static void setFrame0(QJsonObject& manifest, const QString& animation,
                          const QJsonValue& frame) {
        QJsonObject animations = manifest["animations"].toObject();
        QJsonObject one = animations[animation].toObject();
        QJsonArray frames = one["frames"].toArray();
        frames[0] = frame;
        one["frames"] = frames;
        animations[animation] = one;
        manifest["animations"] = animations;
    }

    // Loading must fail with a message that names the file and contains `expected`.
    void expectError(const QString& path, const QString& expected) {
        QVERIFY2(!path.isEmpty(), "could not build the test file");
        LoadError error;
        auto character = CharacterFile::Load(path, &error);
        QVERIFY2(!character, qPrintable(QStringLiteral("loaded, expected: ") + expected));
        QCOMPARE(error.file, path);
        QVERIFY2(error.message().contains(expected),
                 qPrintable(error.message() + QStringLiteral(" | expected: ") + expected));
        QVERIFY(error.message().startsWith(path));
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        good_ = readAll(kGoodFile);
        QVERIFY2(!good_.isEmpty(), qPrintable(kGoodFile));
        LoadError error;
        auto character = CharacterFile::Load(kGoodFile, &error);
        QVERIFY2(character, qPrintable(error.message()));
        // Keep the good file's parts to build variants from.
        manifest_ =
            QJsonDocument::fromJson(character->entry(kManifest).value_or(QByteArray())).object();
        QVERIFY(!manifest_.isEmpty());
        for (const QString& name : character->entryNames())
            if (name.startsWith(QStringLiteral("frames/")))
                frames_.insert(name, *character->entry(name));
        QVERIFY(frames_.size() >= 4);
    }

    void shippedCharacterIsComplete() {
        LoadError error;
        auto character = CharacterFile::Load(kGoodFile, &error);
        QVERIFY2(character, qPrintable(error.message()));
        QCOMPARE(character->name(), QStringLiteral("merlin"));
        QCOMPARE(character->frameSize(), QSize(128, 128));
        QCOMPARE(character->balloon().fontFamily, QStringLiteral("黑体"));
        QVERIFY(character->balloon().fontPixelSize >= 20);
        for (int i = 0; i < kCharacterAnimationCount; ++i) {
            const auto which = static_cast<CharacterAnimation>(i);
            const auto& frames = character->frames(which);
            QVERIFY2(!frames.empty(), characterAnimationName(which));
            for (const CharacterFrame& frame : frames) {
                QCOMPARE(frame.image.size(), QSize(128, 128));
                QVERIFY(frame.durationMs > 0);
                QVERIFY(frame.image.hasAlphaChannel());
            }
        }
        // The character stands on a transparent frame: corners clear, middle drawn.
        const QImage& rest = character->frames(CharacterAnimation::Idle).front().image;
        QCOMPARE(qAlpha(rest.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(rest.pixel(64, 70)), 255);
        // The speaking frames move the mouth: they are not all the same picture.
        const auto& speak = character->frames(CharacterAnimation::Speak);
        QVERIFY(std::any_of(speak.begin(), speak.end(), [&](const CharacterFrame& f) {
            return f.image != speak.front().image;
        }));
        // Appearing grows from small: the first frame covers less than the last.
        const auto opaque = [](const QImage& image) {
            int count = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    count += qAlpha(image.pixel(x, y)) > 128;
            return count;
        };
        const auto& appear = character->frames(CharacterAnimation::Appear);
        QVERIFY(opaque(appear.front().image) * 4 < opaque(appear.back().image));
    }

    // The file is read once: a character keeps its content, also the larger
    // frames decoded only when first drawn, when the file changes or goes.
    void aLoadedCharacterKeepsItsContentWhenTheFileGoes() {
        const QString path = write(good_);
        auto character = CharacterFile::Load(path);
        QVERIFY(character);
        QVERIFY(writeAll(path, "gone"));
        QVERIFY(QFile::remove(path));
        QCOMPARE(
            QJsonDocument::fromJson(character->entry(kManifest).value_or(QByteArray())).object(),
            manifest_);
        QCOMPARE(character->frameImage(CharacterAnimation::Speak, 0, 3.0).size(),
                 character->frameSize() * 3);
        QCOMPARE(character->entry(QStringLiteral("frames/nowhere.png")), std::nullopt);
    }

    void unreadableFilesAreClearErrors() {
        expectError(dir_.filePath(QStringLiteral("absent.acs")), QStringLiteral("cannot open"));
        const QString empty = nextPath();
        QVERIFY(writeAll(empty, {}));
        expectError(empty, QStringLiteral("empty"));
        expectError(dir_.path(), QStringLiteral("cannot"));  // a folder
        const QString text = nextPath();
        QVERIFY(writeAll(text, "just some text, not a character"));
        expectError(text, QStringLiteral("not a character file"));
        expectError(write(frames_.first()), QStringLiteral("not a character file"));
    }

    // Hand-made damage to the header and the index, each named before any
    // entry is read.
    void hostileIndexesAreRejected() {
        const auto variant = [&](const std::function<void(QByteArray&)>& edit) {
            QByteArray bytes = good_;
            edit(bytes);
            return write(bytes);
        };
        const auto put32 = [](QByteArray& b, qsizetype at, quint32 v) {
            qToLittleEndian<quint32>(v, b.data() + at);
        };
        const auto put16 = [](QByteArray& b, qsizetype at, quint16 v) {
            qToLittleEndian<quint16>(v, b.data() + at);
        };
        // The first record: its name's length, name, offset and size.
        QCOMPARE(good_.mid(18, kManifest.size()), kManifest.toLatin1());
        const qsizetype offset = 18 + kManifest.size();
        const qsizetype size = offset + 4;
        expectError(variant([&](QByteArray& b) { put32(b, 8, 2); }),
                    QStringLiteral("unsupported character file version 2"));
        expectError(write(good_.left(12)), QStringLiteral("truncated character file header"));
        for (const quint32 count : {0u, 1025u, 0xffffffffu})
            expectError(variant([&](QByteArray& b) { put32(b, 12, count); }),
                        QStringLiteral("entries, not 1 to 1024"));
        // More records than the index holds: the frames' bytes are no records.
        expectError(variant([&](QByteArray& b) { put32(b, 12, 1024); }), QStringLiteral("index"));
        expectError(write(good_.left(offset + 2)),
                    QStringLiteral("the character file's index runs past the end of the file"));
        for (const quint16 length : {quint16(0), quint16(201), quint16(0xffff)})
            expectError(variant([&](QByteArray& b) { put16(b, 16, length); }),
                        QStringLiteral("an entry with a bad name"));
        for (const char* name :
             {"/anifest.json", "../ifest.json", "manifest\\json", "c:nifest.json", "manifest//son",
              "manifest json", "manifest.\x7fson"})
            expectError(variant([&](QByteArray& b) { b.replace(18, 13, name); }),
                        QStringLiteral("an entry with a bad name"));
        expectError(variant([&](QByteArray& b) { put32(b, offset, 0x7ffffff0); }),
                    QStringLiteral("entry \"manifest.json\" points past the end of the file"));
        expectError(variant([&](QByteArray& b) { put32(b, size, 0x7ffffff0); }),
                    QStringLiteral("points past the end of the file"));
        // Offset and size that wrap around in 32 bits.
        expectError(variant([&](QByteArray& b) {
                        put32(b, offset, 0xfffffff0u);
                        put32(b, size, 0x20);
                    }),
                    QStringLiteral("points past the end of the file"));
        expectError(
            variant([&](QByteArray& b) { put32(b, offset, 0); }),
            QStringLiteral("entry \"manifest.json\" lies inside the character file's index"));
        const QByteArray manifest = QJsonDocument(manifest_).toJson();
        expectError(write(packEntries({{kManifest, manifest}, {kManifest, manifest}})),
                    QStringLiteral("the character file's index names \"manifest.json\" twice"));
    }

    void truncatedFilesAreErrors() {
        QuietMessages quiet;
        auto* random = QRandomGenerator::global();
        for (int i = 0; i < 150; ++i) {
            const qsizetype length = i < 30 ? i : random->bounded(good_.size() - 1);
            const QString path = nextPath();
            QVERIFY(writeAll(path, good_.left(length)));
            LoadError error;
            auto character = CharacterFile::Load(path, &error);
            QVERIFY2(!character, qPrintable(QStringLiteral("loaded when cut at %1").arg(length)));
            QCOMPARE(error.file, path);
            QVERIFY(!error.what.isEmpty());
            QFile::remove(path);
        }
    }

    // Random damage either leaves a usable character or gives an error; it
    // never crashes (the sanitizer build runs this too).
    void corruptedFilesNeverCrash() {
        QuietMessages quiet;
        QRandomGenerator random(20240611);
        int rejected = 0;
        for (int i = 0; i < 250; ++i) {
            QByteArray bytes = good_;
            const int flips = 1 + random.bounded(8);
            for (int f = 0; f < flips; ++f) {
                // Half the damage goes to the header and index, where it matters most.
                const qsizetype at = random.bounded(2) == 0 ? random.bounded(indexEnd(good_))
                                                            : random.bounded(bytes.size());
                bytes[at] = static_cast<char>(random.bounded(256));
            }
            const QString path = nextPath();
            QVERIFY(writeAll(path, bytes));
            LoadError error;
            auto character = CharacterFile::Load(path, &error);
            if (character) {
                for (int a = 0; a < kCharacterAnimationCount; ++a) {
                    for (const auto& frame :
                         character->frames(static_cast<CharacterAnimation>(a))) {
                        QCOMPARE(frame.image.size(), character->frameSize());
                    }
                }
            } else {
                ++rejected;
                QCOMPARE(error.file, path);
                QVERIFY(!error.what.isEmpty());
            }
            QFile::remove(path);
        }
        QVERIFY2(rejected > 50, qPrintable(QString::number(rejected)));
    }

    void manifestProblemsAreNamed_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no name") << "no name"
                                 << "name is missing";
        QTest::newRow("name not text") << "name number"
                                       << "name must be a text";
        QTest::newRow("future format") << "format 2"
                                       << "format must be a whole number from 1 to 1";
        QTest::newRow("size as text") << "width text"
                                      << "frameSize.width must be a whole number";
        QTest::newRow("tiny frames") << "width 4"
                                     << "frameSize.width must be a whole number from 16";
        QTest::newRow("no speak") << "no speak"
                                  << "animations.speak is missing";
        QTest::newRow("animation list") << "appear list"
                                        << "animations.appear must be an object";
        QTest::newRow("no frames") << "idle empty"
                                   << "animations.idle.frames must hold 1 to 64";
        QTest::newRow("frame not object") << "frame number"
                                          << "animations.speak.frames[0] must be an object";
        QTest::newRow("zero duration")
            << "duration 0"
            << "frames[0].duration must be a whole number from 1 to 10000";
        QTest::newRow("fractional duration") << "duration 1.5"
                                             << "frames[0].duration must be a whole";
        QTest::newRow("huge duration") << "duration 100000"
                                       << "frames[0].duration must be a whole";
        QTest::newRow("duration text") << "duration text"
                                       << "frames[0].duration must be a whole";
        QTest::newRow("missing frame") << "image absent"
                                       << "frame \"frames/nowhere.png\" is missing";
        QTest::newRow("escaping path") << "image escape"
                                       << "is not a path inside the file";
        QTest::newRow("bad colour") << "colour"
                                    << "balloon.border is not a colour";
        QTest::newRow("no font size") << "no font size"
                                      << "balloon.fontSize is missing";
        QTest::newRow("no balloon") << "no balloon"
                                    << "balloon is missing";
    }

    void manifestProblemsAreNamed() {
        QFETCH(QString, key);
        QFETCH(QString, expected);
        const auto edit = [&](QJsonObject& m) {
            const auto sub = [&](const char* object, const char* member, const QJsonValue& value) {
                QJsonObject o = m[QLatin1String(object)].toObject();
                if (value.isUndefined()) {
                    o.remove(QLatin1String(member));
                } else {
                    o[QLatin1String(member)] = value;
                }
                m[QLatin1String(object)] = o;
            };
            QJsonObject speak0 = frame0(m, QStringLiteral("speak"));
            if (key == "no name")
                m.remove("name");
            if (key == "name number")
                m["name"] = 7;
            if (key == "format 2")
                m["format"] = 2;
            if (key == "width text")
                sub("frameSize", "width", "128");
            if (key == "width 4")
                sub("frameSize", "width", 4);
            if (key == "no speak")
                sub("animations", "speak", QJsonValue::Undefined);
            if (key == "appear list")
                sub("animations", "appear", QJsonArray{1, 2});
            if (key == "idle empty")
                sub("animations", "idle", QJsonObject{{"frames", QJsonArray{}}});
            if (key == "frame number")
                setFrame0(m, "speak", 3);
            if (key.startsWith("duration ")) {
                const QString v = key.mid(9);
                speak0["duration"] = v == "text" ? QJsonValue("fast") : QJsonValue(v.toDouble());
                setFrame0(m, "speak", speak0);
            }
            if (key == "image absent") {
                speak0["image"] = "frames/nowhere.png";
                setFrame0(m, "speak", speak0);
            }
            if (key == "image escape") {
                speak0["image"] = "../manifest.json";
                setFrame0(m, "speak", speak0);
            }
            if (key == "colour")
                sub("balloon", "border", "#12345z");
            if (key == "no font size")
                sub("balloon", "fontSize", QJsonValue::Undefined);
            if (key == "no balloon")
                m.remove("balloon");
        };
        expectError(packManifest(edit), expected);
    }

    void brokenPartsAreNamed() {
        // A frame of the wrong size, and one that is no picture at all.
        QMap<QString, QByteArray> files = frames_;
        QImage small(64, 64, QImage::Format_ARGB32);
        small.fill(Qt::transparent);
        QByteArray smallPng;
        QBuffer buffer(&smallPng);
        buffer.open(QIODevice::WriteOnly);
        small.save(&buffer, "PNG");
        const QString someFrame = frames_.firstKey();
        files[someFrame] = smallPng;
        files.insert(kManifest, QJsonDocument(manifest_).toJson());
        expectError(pack(files), QStringLiteral("is 64 x 64 pixels, not 128 x 128"));
        files[someFrame] = "not a picture";
        expectError(pack(files), QStringLiteral("is not a PNG image"));
        // A PNG cut short: its header promises the right size, the pixels are missing.
        files[someFrame] = frames_[someFrame].left(200);
        {
            QuietMessages quiet;
            expectError(pack(files), QStringLiteral("cannot be decoded"));
        }

        files = frames_;
        expectError(pack(files), QStringLiteral("holds no manifest.json"));
        files.insert(kManifest, "{ \"name\": ");
        expectError(pack(files), QStringLiteral("not valid JSON"));
        files.insert(kManifest, "[1, 2, 3]");
        expectError(pack(files), QStringLiteral("must hold an object"));
    }

    void rebuiltGoodFileLoads() {
        // The variants above are built the same way; this one must load.
        QMap<QString, QByteArray> files = frames_;
        files.insert(kManifest, QJsonDocument(manifest_).toJson());
        LoadError error;
        QVERIFY2(CharacterFile::Load(pack(files), &error), qPrintable(error.message()));
    }
};

QTEST_GUILESS_MAIN(CharacterFileTest)
#include "character_file_test.moc"
