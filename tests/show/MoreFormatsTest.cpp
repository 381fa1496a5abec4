// Today's formats, which a collection's MoreFormats option adds to the
// show: real files of every kind, made by ImageMagick and ffmpeg, shown and
// played with the option on, left alone with it off; broken ones marked as
// the classic types are; pictures this machine cannot decode passed over.

#include "ShowWindowFixture.h"
#include "catalogue/MediaKind.h"
#include "media/MediaPlayer.h"
#include "show/PictureArea.h"
#include "show/PictureLoader.h"

#include <QtEndian>
#include <array>

namespace vimbrel {
namespace {

using MoreFormats = ShowWindow;

const std::string kMoreFormatsOn = CrLf({"MoreFormats=1"});

// ImageMagick makes the picture; `format` names the encoder where the
// extension does not (HEIF files are HEIC to it).
void Convert(const QStringList& arguments) {
    ASSERT_EQ(QProcess::execute("convert", arguments), 0) << arguments.join(' ').toStdString();
}

void Ffmpeg(const QStringList& arguments) {
    ASSERT_EQ(QProcess::execute("ffmpeg",
                                QStringList{"-nostdin", "-loglevel", "error", "-y"} + arguments),
              0)
        << arguments.join(' ').toStdString();
}

QString Path(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

// Marks the picture as stored turned: to be seen turned a quarter right
// (EXIF orientation 6).
void StoreTurned(const std::filesystem::path& path) {
    ASSERT_EQ(QProcess::execute("exiftool",
                                {"-q", "-q", "-overwrite_original", "-Orientation#=6", Path(path)}),
              0);
}

uint32_t Crc32(const QByteArray& bytes) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[n] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc = table[(crc ^ static_cast<uint8_t>(byte)) & 0xFF] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFu;
}

QByteArray PngChunk(const char* type, const QByteArray& data) {
    QByteArray length(4, 0);
    qToBigEndian<uint32_t>(static_cast<uint32_t>(data.size()), length.data());
    const QByteArray body = QByteArray(type) + data;
    QByteArray crc(4, 0);
    qToBigEndian<uint32_t>(Crc32(body), crc.data());
    return length + body + crc;
}

// A square PNG of `side` pixels, `depth` bits a sample, of the colour type
// given, whose image data are `rows` (filter bytes included) compressed.
QByteArray Png(uint32_t side, char depth, char colourType, const QByteArray& rows) {
    QByteArray header(13, 0);
    qToBigEndian<uint32_t>(side, header.data());
    qToBigEndian<uint32_t>(side, header.data() + 4);
    header[8] = depth;
    header[9] = colourType;
    const QByteArray zlib = qCompress(rows, 9).mid(4); // without Qt's length prefix
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", header) + PngChunk("IDAT", zlib) +
           PngChunk("IEND", {});
}

// A well-formed black PNG of 30000 x 30000 pixels in 115 KB: decoded whole
// it would take 3.6 GB.
QByteArray DecompressionBomb() {
    constexpr int side = 30000;
    return Png(side, 1, 0, QByteArray(static_cast<qsizetype>(side) * (side / 8 + 1), 0));
}

// A HEIC whose every stored size (ispe) is patched to side x side.
void ClaimHugeSize(const std::filesystem::path& path, uint32_t side) {
    QByteArray bytes = QByteArray::fromStdString(ReadBytes(path));
    for (qsizetype at = bytes.indexOf("ispe"); at >= 0; at = bytes.indexOf("ispe", at + 4)) {
        qToBigEndian<uint32_t>(side, bytes.data() + at + 8);
        qToBigEndian<uint32_t>(side, bytes.data() + at + 12);
    }
    test::WriteBytes(path, bytes.toStdString());
}

TEST_F(MoreFormats, PicturesOfEveryNewKindAreShownUprightOnlyWithTheOption) {
    WritePicture(pictures / "a.jpg", 64, 48, Qt::red);
    const std::vector<std::pair<std::string, QString>> kinds = {
        {"b.png", "PNG"},   {"c.jpeg", "JPEG"}, {"d.webp", "WEBP"}, {"e.tif", "TIFF"},
        {"f.tiff", "TIFF"}, {"g.heic", "HEIC"}, {"h.heif", "HEIC"}, {"i.avif", "AVIF"}};
    for (const auto& [name, format] : kinds) {
        Convert({"-size", "200x100", "xc:blue", "-quality", "90",
                 format + ":" + Path(pictures / name)});
    }
    StoreTurned(pictures / "b.png");
    StoreTurned(pictures / "d.webp");
    StoreTurned(pictures / "e.tif");
    // An animation shows its first picture.
    Convert({"-delay", "20", "-size", "64x48", "xc:yellow", "xc:blue", Path(pictures / "j.webp")});
    const std::string everything =
        "a.jpg b.png c.jpeg d.webp e.tif f.tiff g.heic h.heif i.avif j.webp";

    {
        auto form = Start({.interval = 0});
        EXPECT_EQ(state.catalogue.PlayList, std::vector<std::string>{"a.jpg"});
        Ticks(*form, 4);
        EXPECT_EQ(Shown(), "a.jpg");
    }
    EXPECT_EQ(Files(), everything);

    auto form = Start({.captions = 1, .interval = 0, .options = kMoreFormatsOn});
    ASSERT_EQ(state.catalogue.PlayListCount, 10);
    const auto size = [&] { return form->Image1->Picture().size(); };
    const auto colour = [&] { return form->Image1->Picture().pixelColor(size().width() / 2, 1); };
    EXPECT_EQ(Seen(*form), "a.jpg | a | 10 ms");
    for (const auto& [name, format] : kinds) {
        Ticks(*form, 2);
        const bool turned = name == "b.png" || name == "d.webp" || name == "e.tif";
        EXPECT_EQ(Seen(*form), name + " | " + name.substr(0, 1) + " | 10 ms");
        EXPECT_EQ(size(), turned ? QSize(100, 200) : QSize(200, 100)) << name;
        EXPECT_TRUE(Near(colour(), Qt::blue)) << name << " " << colour().name().toStdString();
    }
    Ticks(*form, 2);
    EXPECT_EQ(Shown(), "j.webp");
    EXPECT_TRUE(Near(colour(), Qt::yellow)) << colour().name().toStdString();
    EXPECT_EQ(Files(), everything);
    EXPECT_EQ(LastFileName(), "<none>");
}

// A file that is no picture is marked as a broken JPG is; a picture this
// machine cannot decode (a codec libheif lacks, more pixels than the show
// decodes) keeps its name, and the show goes on.
TEST_F(MoreFormats, BrokenFilesAreMarkedButWhatTheMachineCannotDecodeIsPassedOver) {
    for (const char* name : {"a.png", "b.webp", "c.tiff", "d.heic", "e.avif", "f.jpeg"}) {
        test::WriteBytes(pictures / name, "not a picture at all");
    }
    // The first half of a real picture of each kind whose decoder cannot
    // make anything of it (a truncated JPEG shows its upper part, as a JPG
    // always did).
    for (const char* name : {"g.avif", "g.heic", "g.png", "g.tiff", "g.webp"}) {
        const auto whole = pictures / ("whole" + std::filesystem::path(name).extension().string());
        Convert({"-seed", "1", "-size", "200x150", "plasma:", Path(whole)});
        const std::string bytes = ReadBytes(whole);
        std::filesystem::remove(whole);
        test::WriteBytes(pictures / name, bytes.substr(0, bytes.size() / 2));
    }
    Convert({"-size", "64x48", "xc:blue", "HEIC:" + Path(pictures / "h.heic")});
    ClaimHugeSize(pictures / "h.heic", 40000); // beyond libheif's own limit
    test::WriteBytes(pictures / "i.png", DecompressionBomb().toStdString());
    Convert({"-size", "64x48", "xc:blue", "HEIC:" + Path(pictures / "j.heic")});
    // An image coded as VVC, which this libheif has no decoder for.
    std::string vvc = ReadBytes(pictures / "j.heic");
    vvc.replace(vvc.find("hvc1"), 4, "vvc1");
    test::WriteBytes(pictures / "j.heic", vvc);
    WritePicture(pictures / "k.png", 64, 48, Qt::green);

    auto form = Start({.interval = 0, .options = kMoreFormatsOn});
    EXPECT_EQ(LastFileName(), "a.png");
    for (const char* name : {"b.webp", "c.tiff", "d.heic", "e.avif", "f.jpeg", "g.avif", "g.heic",
                             "g.png", "g.tiff", "g.webp"}) {
        Ticks(*form, 2);
        EXPECT_EQ(LastFileName(), name);
    }
    for (const char* name : {"h.heic", "i.png", "j.heic"}) {
        Ticks(*form, 2);
        EXPECT_EQ(Shown(), name);
    }
    Ticks(*form, 2);
    EXPECT_EQ(Shown(), "k.png");
    EXPECT_TRUE(Near(form->Image1->Picture().pixelColor(1, 1), Qt::green));
    EXPECT_EQ(Files(), "_a.png _b.webp _c.tiff _d.heic _e.avif _f.jpeg _g.avif _g.heic _g.png "
                       "_g.tiff _g.webp h.heic i.png j.heic k.png");
}

// Videos, sounds and a UTF-8 play list of every new kind play in turn with
// the option on; a broken file of every kind, and a truncated one, is
// marked; with the option off none is touched.
TEST_F(MoreFormats, VideosSoundsAndPlayListsOfEveryNewKindPlay) {
    const QString video = "testsrc=size=64x48:rate=25:duration=0.4";
    const QString sound = "sine=frequency=440:duration=0.4";
    const auto make = [&](const char* name, const QString& source, const QStringList& coding) {
        Ffmpeg(QStringList{"-f", "lavfi", "-i", source} + coding +
               QStringList{Path(pictures / name)});
    };
    make("a.mp4", video, {"-c:v", "libx264", "-pix_fmt", "yuv420p"});
    make("b.m4v", video, {"-c:v", "libx264", "-pix_fmt", "yuv420p", "-f", "mp4"});
    make("c.mkv", video, {"-c:v", "libx264", "-pix_fmt", "yuv420p"});
    make("d.webm", video, {"-c:v", "libvpx", "-b:v", "200k"});
    make("e.mts", video, {"-c:v", "libx264", "-pix_fmt", "yuv420p", "-f", "mpegts"});
    make("f.m2ts", video, {"-c:v", "mpeg2video", "-f", "mpegts"});
    make("g.3gp", video, {"-c:v", "h263", "-s", "128x96"});
    make("h.ogv", video, {"-c:v", "libtheora"});
    make("i.flac", sound, {});
    make("j.ogg", sound, {"-c:a", "libvorbis"});
    make("k.opus", sound, {});
    make("l.m4a", sound, {"-c:a", "aac"});
    make("m.aac", sound, {"-c:a", "aac"});
    std::filesystem::create_directory(pictures / "list");
    std::filesystem::copy_file(pictures / "i.flac", pictures / "list" / "\xC3\xA9t\xC3\xA9.flac");
    test::WriteBytes(pictures / "n.m3u8", "#EXTM3U\nlist/\xC3\xA9t\xC3\xA9.flac\nj.ogg\n");
    // In the show's order, which for these names is the bytes' order.
    const std::vector<std::string> broken = {"p.3gp", "p.m2ts", "p.m4v",  "p.mkv", "p.mp4",
                                             "p.mts", "p.ogv",  "p.webm", "q.aac", "q.flac",
                                             "q.m4a", "q.ogg",  "q.opus"};
    for (const std::string& name : broken) {
        test::WriteBytes(pictures / name, "not a medium at all");
    }
    // Its index (moov) is written last: the first half has none.
    const std::string m4a = ReadBytes(pictures / "l.m4a");
    test::WriteBytes(pictures / "r.m4a", m4a.substr(0, m4a.size() / 2));
    const std::vector<std::string> played = {"a.mp4",  "b.m4v", "c.mkv", "d.webm", "e.mts",
                                             "f.m2ts", "g.3gp", "h.ogv", "i.flac", "j.ogg",
                                             "k.opus", "l.m4a", "m.aac", "n.m3u8"};

    const std::string before = Files();
    {
        // Only a picture would be there to show: no supported file at all.
        WritePicture(pictures / "z.jpg", 64, 48, Qt::red);
        auto form = Start({.interval = 0});
        EXPECT_EQ(state.catalogue.PlayList, std::vector<std::string>{"z.jpg"});
    }
    std::filesystem::remove(pictures / "z.jpg");
    EXPECT_EQ(Files(), before);

    auto form = Start({.interval = 0, .options = kMoreFormatsOn});
    for (const std::string& name : played) {
        EXPECT_EQ(Shown(), name);
        if (MediaKindOf(name) == MediaKind::Video) {
            EXPECT_EQ(form->Show.Playing, name) << "did not open";
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return form->Show.Playing.empty(); }, 8000)) << name;
        EXPECT_EQ(LastFileName(), "<none>") << name;
        Ticks(*form, 2);
    }
    std::string marked;
    for (const std::string& name : broken) {
        EXPECT_EQ(Shown() + " " + LastFileName(), name + " " + name);
        marked += "_" + name + " ";
        Ticks(*form, 2);
    }
    EXPECT_EQ(Shown() + " " + LastFileName(), "r.m4a r.m4a");
    EXPECT_EQ(Files().find(marked + "_r.m4a a.mp4"), 0u) << Files();
}

// What the picture reader makes of files that lie about themselves: a kind
// under another kind's name is read by what it holds; a picture whose
// header promises more memory than the show decodes whole (a HEIC grid
// whose canvas disagrees with its stated size, a 16-bit PNG, a WebP, which
// Qt decodes whole) is the machine's limit, refused before it is decoded.
TEST_F(MoreFormats, PicturesAreReadByWhatTheyHoldAndBombsRefusedBeforeDecoding) {
    const auto path = [&](const char* name) { return (pictures / name).string(); };
    Convert({"-size", "64x48", "xc:blue", "HEIC:" + Path(pictures / "heic.jpeg")});
    Convert({"-size", "64x48", "xc:blue", "JPEG:" + Path(pictures / "jpeg.heic")});
    // ImageMagick writes a HEIC as a grid of one tile; its canvas (in the
    // idat box: version, flags, rows - 1, columns - 1, width, height) made
    // 12000 x 12000 while the stated size stays 64 x 48.
    Convert({"-size", "64x48", "xc:blue", "HEIC:" + Path(pictures / "grid.heic")});
    std::string grid = ReadBytes(pictures / "grid.heic");
    const std::size_t idat = grid.find("idat");
    ASSERT_NE(idat, std::string::npos);
    ASSERT_EQ(grid[idat + 5] & 1, 0) << "16-bit sizes expected";
    grid.replace(idat + 8, 4, std::string("\x2E\xE0\x2E\xE0", 4));
    test::WriteBytes(pictures / "grid.heic", grid);
    // 6000 x 6000 pixels of 16-bit RGBA: 288 MB decoded (its data cut short).
    test::WriteBytes(pictures / "deep.png", Png(6000, 16, 6, QByteArray(4096, 0)).toStdString());
    // A lossless WebP whose header (VP8L: 14 bits width - 1, 14 bits height
    // - 1) says 9000 x 9000.
    Convert({"-size", "64x48", "xc:blue", "-define", "webp:lossless=true",
             Path(pictures / "big.webp")});
    std::string webp = ReadBytes(pictures / "big.webp");
    const std::size_t vp8l = webp.find("VP8L");
    ASSERT_NE(vp8l, std::string::npos);
    const uint32_t sizes = (8999u | (8999u << 14)) | (uint32_t(webp[vp8l + 12] & 0xF0) << 24);
    for (int i = 0; i < 4; ++i) {
        webp[vp8l + 9 + i] = static_cast<char>(sizes >> (8 * i));
    }
    test::WriteBytes(pictures / "big.webp", webp);

    const auto read = [&](const char* name) {
        const LoadedPicture picture = ReadPicture(path(name), {});
        if (!picture.image.isNull()) {
            return "shown " + std::to_string(picture.image.width()) + "x" +
                   std::to_string(picture.image.height());
        }
        return picture.notOnThisMachine.empty() ? std::string("the file's fault")
                                                : "passed over: " + picture.notOnThisMachine;
    };
    const std::string refused = "passed over: " + TooManyPixels();
    EXPECT_EQ(read("heic.jpeg"), "shown 64x48");
    EXPECT_EQ(read("jpeg.heic"), "shown 64x48");
    EXPECT_EQ(read("grid.heic"), refused);
    EXPECT_EQ(read("deep.png"), refused);
    EXPECT_EQ(read("big.webp"), refused);
}

} // namespace
} // namespace vimbrel
