// Integrity of the content shipped in data/: the 32 pictures cut into nine
// pieces each (and their larger versions), the picture texts, the
// recordings, the window art and the assistant character.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QString>

#include <sndfile.h>

#include "character_file.h"
#include "image_choice.h"
#include "picture_library.h"
#include "sharp_image.h"
#include "text_codec.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int kPictures = 32;
constexpr int kPieces = 9;
constexpr int kPieceWidth = 109;
constexpr int kPieceHeight = 120;

// A piece whose colours vary less than this (standard deviation over all
// pixels and channels, on a 0..1 scale) shows nothing but a flat area or a
// faint gradient.
constexpr double kMinPieceDeviation = 0.06;
// Two pieces of one picture closer than this (root mean square difference
// of all channels, 0..1) look alike.
constexpr double kMinPieceDistance = 0.12;

QString dataDir() {
    return QStringLiteral(TUKOMI_SOURCE_DATA_DIR);
}

QString piecePath(int picture, int piece) {
    return QStringLiteral("%1/999/%2/%3.gif").arg(dataDir()).arg(picture).arg(piece);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool isHan(char32_t c) {
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF);
}

std::u32string toUcs4(const QString& s) {
    const QList<uint> ucs4 = s.toUcs4();
    return std::u32string(ucs4.begin(), ucs4.end());
}

struct Piece {
    QImage image;
    std::vector<std::array<double, 3>> rgb;  // pixels, channels 0..1
};

double deviation(const Piece& p) {
    std::array<double, 3> mean{};
    for (const auto& px : p.rgb)
        for (int c = 0; c < 3; ++c)
            mean[c] += px[c];
    for (double& m : mean)
        m /= static_cast<double>(p.rgb.size());
    double var = 0;
    for (const auto& px : p.rgb)
        for (int c = 0; c < 3; ++c)
            var += (px[c] - mean[c]) * (px[c] - mean[c]);
    return std::sqrt(var / (3.0 * static_cast<double>(p.rgb.size())));
}

double distance(const Piece& a, const Piece& b) {
    double sum = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i)
        for (int c = 0; c < 3; ++c)
            sum += (a.rgb[i][c] - b.rgb[i][c]) * (a.rgb[i][c] - b.rgb[i][c]);
    return std::sqrt(sum / (3.0 * static_cast<double>(a.rgb.size())));
}

// Mean difference across the seam where piece `a` meets piece `b` on its
// right (horizontal) or below it (vertical): small where the picture runs
// on from one piece into the next.
double seam(const Piece& a, const Piece& b, bool below) {
    const int n = below ? kPieceWidth : kPieceHeight;
    double sum = 0;
    for (int i = 0; i < n; ++i) {
        const size_t ia = below ? static_cast<size_t>((kPieceHeight - 1) * kPieceWidth + i)
                                : static_cast<size_t>(i * kPieceWidth + kPieceWidth - 1);
        const size_t ib = below ? static_cast<size_t>(i) : static_cast<size_t>(i * kPieceWidth);
        for (int c = 0; c < 3; ++c)
            sum += std::fabs(a.rgb[ia][c] - b.rgb[ib][c]);
    }
    return sum / (3.0 * n);
}

// Total seam mismatch of the board when cell k holds piece order[k].
double boardSeams(const std::vector<Piece>& pieces, const std::array<int, kPieces + 1>& order) {
    double sum = 0;
    for (int cell = 1; cell <= kPieces; ++cell) {
        if ((cell - 1) % 3 != 2)
            sum += seam(pieces[order[cell]], pieces[order[cell + 1]], false);
        if (cell <= 6)
            sum += seam(pieces[order[cell]], pieces[order[cell + 3]], true);
    }
    return sum;
}

class Pictures : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        pieces_.assign(kPictures + 1, std::vector<Piece>(kPieces + 1));
        for (int n = 1; n <= kPictures; ++n) {
            for (int k = 1; k <= kPieces; ++k) {
                Piece& p = pieces_[n][k];
                QImageReader reader(piecePath(n, k));
                if (reader.format() != "gif")
                    continue;
                p.image = reader.read();
                if (p.image.size() != QSize(kPieceWidth, kPieceHeight))
                    continue;
                const QImage rgb = p.image.convertToFormat(QImage::Format_RGB32);
                p.rgb.reserve(static_cast<size_t>(kPieceWidth * kPieceHeight));
                for (int y = 0; y < kPieceHeight; ++y)
                    for (int x = 0; x < kPieceWidth; ++x) {
                        const QRgb c = rgb.pixel(x, y);
                        p.rgb.push_back({qRed(c) / 255.0, qGreen(c) / 255.0, qBlue(c) / 255.0});
                    }
            }
        }
    }
    static bool complete(int n) {
        for (int k = 1; k <= kPieces; ++k)
            if (pieces_[n][k].rgb.empty())
                return false;
        return true;
    }
    static std::vector<std::vector<Piece>> pieces_;
};
std::vector<std::vector<Piece>> Pictures::pieces_;

TEST_F(Pictures, FolderHoldsExactly32PicturesOfNineGifPiecesOfTheCellSize) {
    QDir dir(dataDir() + "/999");
    ASSERT_TRUE(dir.exists()) << dir.path().toStdString();
    EXPECT_EQ(dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), kPictures)
        << "the game counts the sub-folders of 999/ as the number of pictures";
    for (int n = 1; n <= kPictures; ++n)
        for (int k = 1; k <= kPieces; ++k) {
            SCOPED_TRACE(piecePath(n, k).toStdString());
            QImageReader reader(piecePath(n, k));
            EXPECT_EQ(reader.format(), QByteArray("gif"));
            EXPECT_EQ(pieces_[n][k].image.size(), QSize(kPieceWidth, kPieceHeight));
        }
}

TEST_F(Pictures, EveryPieceShowsSomethingAndNoTwoPiecesOfAPictureLookAlike) {
    for (int n = 1; n <= kPictures; ++n) {
        if (!complete(n)) {
            ADD_FAILURE() << "picture " << n << " has missing or malformed pieces";
            continue;
        }
        for (int k = 1; k <= kPieces; ++k)
            EXPECT_GE(deviation(pieces_[n][k]), kMinPieceDeviation)
                << "picture " << n << " piece " << k << " is nearly a single colour";
        for (int a = 1; a <= kPieces; ++a)
            for (int b = a + 1; b <= kPieces; ++b)
                EXPECT_GE(distance(pieces_[n][a], pieces_[n][b]), kMinPieceDistance)
                    << "picture " << n << ": pieces " << a << " and " << b << " look alike";
    }
}

TEST_F(Pictures, PiecesAreNumberedRowByRowFromTheTopLeft) {
    // Cut from one picture, the pieces in their cells continue each other
    // across every seam; exchanging any two of them makes the seams worse.
    for (int n = 1; n <= kPictures; ++n) {
        if (!complete(n))
            continue;
        std::array<int, kPieces + 1> order{};
        for (int k = 1; k <= kPieces; ++k)
            order[k] = k;
        const double assembled = boardSeams(pieces_[n], order);
        for (int a = 1; a <= kPieces; ++a)
            for (int b = a + 1; b <= kPieces; ++b) {
                std::swap(order[a], order[b]);
                EXPECT_LT(assembled, boardSeams(pieces_[n], order))
                    << "picture " << n << ": the board joins up better with pieces " << a << " and "
                    << b << " exchanged";
                std::swap(order[a], order[b]);
            }
    }
}

TEST_F(Pictures, LargerVersionsShowEachPieceTwiceAndThreeTimesAsLarge) {
    for (int n = 1; n <= kPictures; ++n) {
        if (!complete(n))
            continue;
        for (int k = 1; k <= kPieces; ++k)
            for (int scale : tukomi::kSharperImageScales) {
                const QString path = tukomi::scaledImagePath(piecePath(n, k), scale);
                SCOPED_TRACE(path.toStdString());
                QImageReader reader(path);
                EXPECT_EQ(reader.format(), QByteArray("png"));
                const QImage larger = reader.read();
                EXPECT_EQ(larger.size(), QSize(kPieceWidth, kPieceHeight) * scale);
                EXPECT_TRUE(tukomi::showsTheSamePicture(pieces_[n][k].image, larger));
                // The game would pass it over beside another piece's GIF.
                EXPECT_FALSE(
                    tukomi::showsTheSamePicture(pieces_[n][k % kPieces + 1].image, larger));
            }
    }
}

TEST_F(Pictures, PicturesDifferFromEachOther) {
    for (int a = 1; a <= kPictures; ++a)
        for (int b = a + 1; b <= kPictures; ++b) {
            if (!complete(a) || !complete(b))
                continue;
            double d = 0;
            for (int k = 1; k <= kPieces; ++k)
                d += distance(pieces_[a][k], pieces_[b][k]);
            EXPECT_GE(d / kPieces, kMinPieceDistance) << "pictures " << a << " and " << b;
        }
}

TEST_F(Pictures, ColoursTheTextsNameShow) {
    // A text that names a colour promises the child that colour: a good part
    // of the picture shows it, the rest being background and details.
    using Colour = std::array<double, 3>;
    const struct {
        int picture;
        const char* colour;
        bool (*matches)(const Colour&);
        double minShare;
    } cases[] = {
        {1, "red (红红的苹果)",
         [](const Colour& c) { return c[0] > 0.7 && c[1] < 0.3 && c[2] < 0.3; }, 0.02},
        {6, "white (小白兔)",
         [](const Colour& c) { return c[0] > 0.9 && c[1] > 0.9 && c[2] > 0.9; }, 0.08},
    };
    for (const auto& c : cases) {
        if (!complete(c.picture))
            continue;
        size_t matching = 0, all = 0;
        for (int k = 1; k <= kPieces; ++k)
            for (const Colour& pixel : pieces_[c.picture][k].rgb) {
                matching += c.matches(pixel) ? 1 : 0;
                ++all;
            }
        EXPECT_GE(static_cast<double>(matching) / static_cast<double>(all), c.minShare)
            << "picture " << c.picture << " shows too little " << c.colour;
    }
}

// Read the way the game reads them, so the content and the game agree.
class PictureTextFile : public ::testing::Test {
protected:
    void SetUp() override {
        bytes_ = readFile(dataDir() + "/pictext.ini");
        ASSERT_FALSE(bytes_.isEmpty()) << "pictext.ini is missing or empty";
        const QString text =
            tukomi::decodeGameText(std::string_view(bytes_.constData(), bytes_.size()));
        ASSERT_FALSE(text.contains(QChar(0xFFFD))) << "pictext.ini is not valid GBK";
        const auto error = tukomi::PictureLibrary(dataDir()).ReadPictureTexts(texts_);
        ASSERT_FALSE(error.has_value()) << error->message().toStdString();
    }
    QByteArray bytes_;
    tukomi::PictureTexts texts_;
};

TEST_F(PictureTextFile, FileIsGbkWithCrLfLineEnds) {
    EXPECT_FALSE(bytes_.startsWith("\xEF\xBB\xBF")) << "a UTF-8 byte order mark";
    for (qsizetype i = 0; i < bytes_.size(); ++i) {
        if (bytes_[i] == '\n') {
            ASSERT_TRUE(i > 0 && bytes_[i - 1] == '\r') << "bare LF at byte " << i;
        }
    }
    EXPECT_TRUE(bytes_.endsWith("\r\n"));
}

TEST_F(PictureTextFile, HoldsOneShortChineseTextForEachOfThe32Pictures) {
    std::set<std::u32string> seen;
    for (int n = 1; n <= kPictures; ++n) {
        const QString text = texts_.text(n);
        const std::u32string t = toUcs4(text);
        SCOPED_TRACE("picture " + std::to_string(n) + ": " + text.toStdString());
        EXPECT_GE(t.size(), 2u);
        EXPECT_LE(t.size(), 10u);
        EXPECT_TRUE(std::all_of(t.begin(), t.end(), isHan)) << "only Chinese characters";
        EXPECT_TRUE(seen.insert(t).second) << "the same text twice";
    }
}

TEST_F(PictureTextFile, EveryCharacterHasAReadingInThePinyinTable) {
    // The table ships in thirteen parts, joined in order.
    QByteArray tableBytes;
    for (int part = 0; part < 13; ++part) {
        const QString partPath =
            dataDir() + QStringLiteral("/pinyin/pinyin%1.txt").arg(part, 2, 10, QLatin1Char('0'));
        const QByteArray partBytes = readFile(partPath);
        ASSERT_FALSE(partBytes.isEmpty()) << partPath.toStdString() << " is missing or empty";
        tableBytes += partBytes;
    }
    const std::u32string table =
        toUcs4(tukomi::decodeGameText(std::string_view(tableBytes.constData(), tableBytes.size())));
    ASSERT_EQ(table.find(U'\uFFFD'), std::u32string::npos) << "the pinyin table is not valid GBK";
    // Lines "字 pin1" with CR LF: the character that starts each line.
    std::set<char32_t> known;
    size_t start = 0;
    while (start < table.size()) {
        size_t end = table.find(U"\r\n", start);
        if (end == std::u32string::npos)
            end = table.size();
        if (end > start + 2 && table[start + 1] == U' ')
            known.insert(table[start]);
        start = end + 2;
    }
    ASSERT_FALSE(known.empty());
    for (int n = 1; n <= kPictures; ++n)
        for (char32_t c : toUcs4(texts_.text(n)))
            EXPECT_TRUE(known.count(c))
                << "picture " << n << ": " << QString::fromUcs4(&c, 1).toStdString()
                << " has no reading";
}

TEST(Recordings, EachPictureHasAClearTrimmedRecording) {
    for (int n = 1; n <= kPictures; ++n) {
        const std::string path = (dataDir() + QStringLiteral("/999/%1.wav").arg(n)).toStdString();
        SCOPED_TRACE(path);
        SF_INFO info{};
        SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
        if (!f) {
            ADD_FAILURE() << sf_strerror(nullptr);
            continue;
        }
        std::vector<double> samples(static_cast<size_t>(info.frames * info.channels));
        const sf_count_t got =
            sf_read_double(f, samples.data(), static_cast<sf_count_t>(samples.size()));
        sf_close(f);
        EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        EXPECT_EQ(info.channels, 1);
        EXPECT_GE(info.samplerate, 22050);
        ASSERT_EQ(got, static_cast<sf_count_t>(samples.size()));
        ASSERT_GT(info.samplerate, 0);

        const double seconds = static_cast<double>(info.frames) / info.samplerate;
        EXPECT_GE(seconds, 0.5);
        EXPECT_LE(seconds, 10.0);

        double peak = 0;
        double energy = 0;
        for (double s : samples) {
            peak = std::max(peak, std::fabs(s));
            energy += s * s;
        }
        const double rms = std::sqrt(energy / std::max<size_t>(1, samples.size()));
        EXPECT_GE(rms, 0.03) << "too quiet";
        EXPECT_LT(peak, 0.99) << "clipped";

        // Silence at the ends: the first and last sample above -34 dBFS.
        const double threshold = 0.02;
        const auto loud = [&](double s) { return std::fabs(s) > threshold; };
        const auto first = std::find_if(samples.begin(), samples.end(), loud);
        const auto last = std::find_if(samples.rbegin(), samples.rend(), loud);
        ASSERT_NE(first, samples.end()) << "silent";
        EXPECT_LT(static_cast<double>(first - samples.begin()) / info.samplerate, 0.2)
            << "leading silence";
        EXPECT_LT(static_cast<double>(last - samples.rbegin()) / info.samplerate, 0.2)
            << "trailing silence";
    }
}

struct ArtFile {
    const char* name;
    int width;
    int height;
    bool transparentCorner;
};

TEST(WindowArt, ButtonsBannersPointerAndIconsHaveTheirSizes) {
    const ArtFile files[] = {
        {"start.png", 114, 47, false},    {"next.png", 114, 47, false},
        {"previous.png", 114, 49, false}, {"banner0.png", 117, 48, false},
        {"banner1.png", 117, 48, false},  {"banner2.png", 117, 48, false},
        {"banner3.png", 117, 48, false},  {"banner4.png", 117, 48, false},
        {"banner5.png", 117, 48, false},  {"hand.png", 16, 16, true},
        {"tukomi-16.png", 16, 16, true},  {"tukomi-32.png", 32, 32, true},
        {"tukomi-48.png", 48, 48, true},  {"tukomi-256.png", 256, 256, true},
        {"recording.png", 56, 48, false}, {"reading.png", 56, 56, false},
    };
    std::vector<QImage> banners;
    for (const ArtFile& a : files) {
        SCOPED_TRACE(a.name);
        QImage img(dataDir() + "/art/" + a.name);
        ASSERT_FALSE(img.isNull());
        EXPECT_EQ(img.size(), QSize(a.width, a.height));
        if (a.transparentCorner) {
            EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0) << "the corner should be transparent";
        }
        if (QByteArray(a.name).startsWith("banner"))
            banners.push_back(img.convertToFormat(QImage::Format_ARGB32));
        // The pictures of the windows come larger too; the icons have sizes of their own.
        if (QByteArray(a.name).startsWith("tukomi"))
            continue;
        for (int scale : tukomi::kSharperImageScales) {
            const QString larger = tukomi::scaledImagePath(dataDir() + "/art/" + a.name, scale);
            SCOPED_TRACE(larger.toStdString());
            EXPECT_EQ(QImageReader(larger).size(), QSize(a.width, a.height) * scale);
        }
    }
    for (size_t i = 0; i < banners.size(); ++i)
        for (size_t j = i + 1; j < banners.size(); ++j)
            EXPECT_NE(banners[i], banners[j])
                << "banners " << i << " and " << j << " are the same picture";
    EXPECT_TRUE(QFile::exists(dataDir() + "/art/tukomi.svg"));
}

TEST(Character, FramesComeTwiceAndThreeTimesAsLarge) {
    tukomi::LoadError error;
    const auto character = tukomi::CharacterFile::Load(dataDir() + "/merlin.acs", &error);
    ASSERT_TRUE(character) << error.message().toStdString();
    EXPECT_EQ(character->scales(), (std::vector<int>{2, 3}));
    for (int a = 0; a < tukomi::kCharacterAnimationCount; ++a) {
        const auto animation = static_cast<tukomi::CharacterAnimation>(a);
        for (int i = 0; i < static_cast<int>(character->frames(animation).size()); ++i)
            for (int scale : {2, 3}) {
                const QImage larger = character->frameImage(animation, i, scale);
                EXPECT_EQ(larger.size(), character->frameSize() * scale);
                EXPECT_TRUE(tukomi::showsTheSamePicture(
                    character->frames(animation)[static_cast<std::size_t>(i)].image, larger));
            }
    }
}

TEST(Credits, NameTheArtworkAndItsLicence) {
    const QString credits = QString::fromUtf8(readFile(dataDir() + "/CREDITS"));
    EXPECT_TRUE(credits.contains("CC-BY 4.0") || credits.contains("CC BY 4.0"));
    EXPECT_TRUE(credits.contains("creativecommons.org/licenses/by/4.0"));
    const QString about = QString::fromUtf8(readFile(dataDir() + "/about-credits.txt"));
    EXPECT_FALSE(about.isEmpty());
}

}  // namespace
