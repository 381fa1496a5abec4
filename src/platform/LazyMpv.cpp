// The media player's library, opened with the first media.

#include "platform/LazyLibrary.h"

#include <mpv/client.h>
#include <mpv/render.h>
#include <mpv/stream_cb.h>

namespace {

VIMBREL_LAZY_LIBRARY(Mpv, VIMBREL_LIBMPV_SONAME,
                     "videos and sounds cannot play: the media player's library "
                     "(" VIMBREL_LIBMPV_SONAME ", package libmpv2) is missing")

constexpr int kMissing = MPV_ERROR_GENERIC;

} // namespace

VIMBREL_LAZY(Mpv, nullptr, mpv_handle*, mpv_create, (void), ())
VIMBREL_LAZY(Mpv, kMissing, int, mpv_initialize, (mpv_handle * ctx), (ctx))
VIMBREL_LAZY(Mpv, void(), void, mpv_terminate_destroy, (mpv_handle * ctx), (ctx))
VIMBREL_LAZY(Mpv, "the media player's library is missing", const char*, mpv_error_string,
             (int error), (error))
VIMBREL_LAZY(Mpv, void(), void, mpv_free, (void* data), (data))
VIMBREL_LAZY(Mpv, void(), void, mpv_free_node_contents, (mpv_node * node), (node))
VIMBREL_LAZY(Mpv, kMissing, int, mpv_command, (mpv_handle * ctx, const char** args), (ctx, args))
VIMBREL_LAZY(Mpv, kMissing, int, mpv_command_ret,
             (mpv_handle * ctx, const char** args, mpv_node* result), (ctx, args, result))
VIMBREL_LAZY(Mpv, kMissing, int, mpv_get_property,
             (mpv_handle * ctx, const char* name, mpv_format format, void* data),
             (ctx, name, format, data))
VIMBREL_LAZY(Mpv, nullptr, char*, mpv_get_property_string, (mpv_handle * ctx, const char* name),
             (ctx, name))
VIMBREL_LAZY(Mpv, kMissing, int, mpv_set_property,
             (mpv_handle * ctx, const char* name, mpv_format format, void* data),
             (ctx, name, format, data))
VIMBREL_LAZY(Mpv, kMissing, int, mpv_set_option_string,
             (mpv_handle * ctx, const char* name, const char* data), (ctx, name, data))
VIMBREL_LAZY(Mpv, void(), void, mpv_set_wakeup_callback,
             (mpv_handle * ctx, void (*cb)(void* d), void* d), (ctx, cb, d))
VIMBREL_LAZY(Mpv, nullptr, mpv_event*, mpv_wait_event, (mpv_handle * ctx, double timeout),
             (ctx, timeout))
VIMBREL_LAZY(Mpv, kMissing, int, mpv_stream_cb_add_ro,
             (mpv_handle * ctx, const char* protocol, void* user_data,
              mpv_stream_cb_open_ro_fn open_fn),
             (ctx, protocol, user_data, open_fn))
VIMBREL_LAZY(Mpv, kMissing, int, mpv_render_context_create,
             (mpv_render_context * *res, mpv_handle* mpv, mpv_render_param* params),
             (res, mpv, params))
VIMBREL_LAZY(Mpv, void(), void, mpv_render_context_free, (mpv_render_context * ctx), (ctx))
VIMBREL_LAZY(Mpv, kMissing, int, mpv_render_context_render,
             (mpv_render_context * ctx, mpv_render_param* params), (ctx, params))
VIMBREL_LAZY(Mpv, void(), void, mpv_render_context_set_update_callback,
             (mpv_render_context * ctx, mpv_render_update_fn callback, void* callback_ctx),
             (ctx, callback, callback_ctx))
VIMBREL_LAZY(Mpv, 0, uint64_t, mpv_render_context_update, (mpv_render_context * ctx), (ctx))
