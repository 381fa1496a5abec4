#include "show/HeifPicture.h"

#include "show/HeifCanvas.h"

#include <algorithm>
#include <libheif/heif.h>
#include <memory>

namespace vimbrel {

namespace {

template <typename T, void (*Free)(T*)> struct Freer {
    void operator()(T* p) const { Free(p); }
};
using Context = std::unique_ptr<heif_context, Freer<heif_context, heif_context_free>>;
using Handle = std::unique_ptr<const heif_image_handle,
                               Freer<const heif_image_handle, heif_image_handle_release>>;
using Image = std::unique_ptr<const heif_image, Freer<const heif_image, heif_image_release>>;
using Options = std::unique_ptr<heif_decoding_options,
                                Freer<heif_decoding_options, heif_decoding_options_free>>;

// A feature libheif does not have here (a codec it was built without, an
// image type it does not know) is no fault of the file's.
bool MachinesFault(const heif_error& error) {
    return error.code == heif_error_Unsupported_feature;
}

LoadedPicture Failed(const heif_error& error) {
    LoadedPicture picture;
    if (error.subcode == heif_suberror_Security_limit_exceeded) {
        // libheif's own limit on a picture's size: a bomb, refused.
        picture.notOnThisMachine = TooManyPixels();
    } else if (MachinesFault(error)) {
        picture.notOnThisMachine = std::string("libheif cannot decode it here (") +
                                   (error.message != nullptr ? error.message : "") + ")";
    }
    return picture;
}

} // namespace

LoadedPicture ReadHeifPicture(const QByteArray& bytes, const DecodeSizeOf& decodeSize) {
    // Reference-counted by libheif; taken once for the program's life.
    static const bool initialised = [] {
        heif_init(nullptr);
        return true;
    }();
    (void)initialised;

    Context context(heif_context_alloc());
    heif_error error = heif_context_read_from_memory_without_copy(
        context.get(), bytes.constData(), static_cast<size_t>(bytes.size()), nullptr);
    if (error.code != heif_error_Ok) {
        return Failed(error);
    }
    heif_image_handle* primary = nullptr;
    error = heif_context_get_primary_image_handle(context.get(), &primary);
    if (error.code != heif_error_Ok) {
        return Failed(error);
    }
    const Handle handle(primary);
    // The size as it will be seen, after the file's own turning and cropping.
    LoadedPicture picture;
    picture.natural = {heif_image_handle_get_width(primary), heif_image_handle_get_height(primary)};
    if (picture.natural.isEmpty()) {
        return picture;
    }
    // HEIF cannot be decoded at a reduced size: the whole picture is made,
    // several bytes a pixel, whatever size it is shown at.
    // The size the file states for its image, and the one a grid or overlay
    // of tiles declares for the picture put together, which a decoder
    // believes: neither may be more than the show decodes.
    const auto area = [](QSize size) { return qint64{size.width()} * size.height(); };
    const QSize stated(heif_image_handle_get_ispe_width(primary),
                       heif_image_handle_get_ispe_height(primary));
    const QSize canvas = DeclaredCanvasSize(bytes).value_or(QSize());
    if (std::max({area(picture.natural), area(stated), area(canvas)}) > kMaxWholeDecodePixels) {
        picture.notOnThisMachine = TooManyPixels();
        return picture;
    }

    const bool alpha = heif_image_handle_has_alpha_channel(primary) != 0;
    const Options options(heif_decoding_options_alloc());
    options->convert_hdr_to_8bit = 1;
    heif_image* decoded = nullptr;
    // Four bytes a pixel, which Qt scales as they are: one copy of the whole
    // picture, and the scaled one.
    error = heif_decode_image(primary, &decoded, heif_colorspace_RGB, heif_chroma_interleaved_RGBA,
                              options.get());
    if (error.code != heif_error_Ok) {
        return Failed(error);
    }
    const Image image(decoded);
    int stride = 0;
    const uint8_t* pixels =
        heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(decoded, heif_channel_interleaved);
    const int height = heif_image_get_height(decoded, heif_channel_interleaved);
    if (pixels == nullptr || width <= 0 || height <= 0) {
        return picture;
    }
    picture.natural = {width, height};
    const QImage view(pixels, width, height, stride,
                      alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888);
    const QSize target = DecodeTarget(picture.natural, decodeSize);
    const QImage::Format format =
        alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    // Both make a picture of their own: libheif's is let go on return.
    picture.image = target == picture.natural
                        ? view.convertToFormat(format)
                        : view.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                              .convertToFormat(format);
    return picture;
}

} // namespace vimbrel
