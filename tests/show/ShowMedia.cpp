#include "ShowMedia.h"

#include "TempDirectory.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <stdexcept>

namespace vimbrel::test {

namespace {

QByteArray JpegBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 90);
    return bytes;
}

} // namespace

void WritePicture(const std::filesystem::path& path, int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    const std::string extension = path.extension().string();
    if (extension == ".gif" || extension == ".GIF") {
        // Qt reads GIF but does not write it.
        const std::filesystem::path png = path.string() + ".png";
        image.save(QString::fromStdString(png.string()), "PNG");
        const int status = QProcess::execute("convert", {QString::fromStdString(png.string()),
                                                         QString::fromStdString(path.string())});
        std::filesystem::remove(png);
        if (status != 0) {
            throw std::runtime_error("convert could not write " + path.string());
        }
        return;
    }
    if (!image.save(QString::fromStdString(path.string()))) {
        throw std::runtime_error("could not write " + path.string());
    }
}

void WriteTurnedJpeg(const std::filesystem::path& path, int storedWidth, int storedHeight) {
    QImage image(storedWidth, storedHeight, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray jpeg = JpegBytes(image);
    // An APP1 segment with a one-entry EXIF directory: Orientation (0x0112)
    // = 6, "turn right".
    const unsigned char exif[] = {0xFF, 0xE1, 0x00, 0x22, 'E',  'x',  'i',  'f',  0x00,
                                  0x00, 'M',  'M',  0x00, 0x2A, 0x00, 0x00, 0x00, 0x08,
                                  0x00, 0x01, 0x01, 0x12, 0x00, 0x03, 0x00, 0x00, 0x00,
                                  0x01, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    jpeg.insert(2, reinterpret_cast<const char*>(exif), sizeof exif);
    WriteBytes(path, std::string_view(jpeg.constData(), static_cast<std::size_t>(jpeg.size())));
}

void WriteHugeHeaderJpeg(const std::filesystem::path& path) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QByteArray jpeg = JpegBytes(image);
    // The frame header (SOF0, FF C0) holds height and width after its
    // length and precision bytes.
    const qsizetype frame = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    if (frame < 0) {
        throw std::runtime_error("no frame header");
    }
    for (qsizetype at : {frame + 5, frame + 7}) {
        jpeg[at] = static_cast<char>(0xFD);
        jpeg[at + 1] = static_cast<char>(0xE8); // 65000
    }
    jpeg.truncate(jpeg.size() / 2);
    WriteBytes(path, std::string_view(jpeg.constData(), static_cast<std::size_t>(jpeg.size())));
}

} // namespace vimbrel::test
