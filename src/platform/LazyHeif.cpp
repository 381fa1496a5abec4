// The HEIF decoder's library, opened with the first HEIC, HEIF or AVIF
// picture.

#include "platform/LazyLibrary.h"

#include <libheif/heif.h>

namespace {

VIMBREL_LAZY_LIBRARY(Heif, VIMBREL_LIBHEIF_SONAME,
                     "HEIC, HEIF and AVIF pictures are passed over: libheif "
                     "(" VIMBREL_LIBHEIF_SONAME ", package libheif1) is missing")

// What every call answers without the library: a feature this machine
// lacks, so that no picture is blamed for it.
constexpr heif_error kMissing{heif_error_Unsupported_feature, heif_suberror_Unsupported_codec,
                              "libheif is not installed"};

} // namespace

VIMBREL_LAZY(Heif, kMissing, heif_error, heif_init, (heif_init_params * params), (params))
VIMBREL_LAZY(Heif, nullptr, heif_context*, heif_context_alloc, (void), ())
VIMBREL_LAZY(Heif, void(), void, heif_context_free, (heif_context * context), (context))
VIMBREL_LAZY(Heif, kMissing, heif_error, heif_context_read_from_memory_without_copy,
             (heif_context * context, const void* mem, size_t size,
              const heif_reading_options* options),
             (context, mem, size, options))
VIMBREL_LAZY(Heif, kMissing, heif_error, heif_context_get_primary_image_handle,
             (heif_context * ctx, heif_image_handle** handle), (ctx, handle))
VIMBREL_LAZY(Heif, void(), void, heif_image_handle_release, (const heif_image_handle* handle),
             (handle))
VIMBREL_LAZY(Heif, 0, int, heif_image_handle_get_width, (const heif_image_handle* handle), (handle))
VIMBREL_LAZY(Heif, 0, int, heif_image_handle_get_height, (const heif_image_handle* handle),
             (handle))
VIMBREL_LAZY(Heif, 0, int, heif_image_handle_get_ispe_width, (const heif_image_handle* handle),
             (handle))
VIMBREL_LAZY(Heif, 0, int, heif_image_handle_get_ispe_height, (const heif_image_handle* handle),
             (handle))
VIMBREL_LAZY(Heif, 0, int, heif_image_handle_has_alpha_channel, (const heif_image_handle* handle),
             (handle))
VIMBREL_LAZY(Heif, nullptr, heif_decoding_options*, heif_decoding_options_alloc, (void), ())
VIMBREL_LAZY(Heif, void(), void, heif_decoding_options_free, (heif_decoding_options * options),
             (options))
VIMBREL_LAZY(Heif, kMissing, heif_error, heif_decode_image,
             (const heif_image_handle* in_handle, heif_image** out_img, heif_colorspace colorspace,
              heif_chroma chroma, const heif_decoding_options* options),
             (in_handle, out_img, colorspace, chroma, options))
VIMBREL_LAZY(Heif, void(), void, heif_image_release, (const heif_image* image), (image))
VIMBREL_LAZY(Heif, 0, int, heif_image_get_width, (const heif_image* image, heif_channel channel),
             (image, channel))
VIMBREL_LAZY(Heif, 0, int, heif_image_get_height, (const heif_image* image, heif_channel channel),
             (image, channel))
VIMBREL_LAZY(Heif, nullptr, const uint8_t*, heif_image_get_plane_readonly,
             (const heif_image* image, heif_channel channel, int* out_stride),
             (image, channel, out_stride))
