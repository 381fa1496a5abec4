// The MIDI synthesizer's library, opened with the first MIDI file.

#include "platform/LazyLibrary.h"

#include <fluidsynth.h>

namespace {

VIMBREL_LAZY_LIBRARY(FluidSynth, VIMBREL_LIBFLUIDSYNTH_SONAME,
                     "MIDI files cannot play: the synthesizer's library "
                     "(" VIMBREL_LIBFLUIDSYNTH_SONAME ") is missing")

} // namespace

bool vimbrel::platform::SynthesizerLibraryOpens() {
    return FluidSynth().Opened();
}

VIMBREL_LAZY(FluidSynth, nullptr, fluid_settings_t*, new_fluid_settings, (void), ())
VIMBREL_LAZY(FluidSynth, void(), void, delete_fluid_settings, (fluid_settings_t * settings),
             (settings))
VIMBREL_LAZY(FluidSynth, FLUID_FAILED, int, fluid_settings_setint,
             (fluid_settings_t * settings, const char* name, int val), (settings, name, val))
VIMBREL_LAZY(FluidSynth, FLUID_FAILED, int, fluid_settings_setnum,
             (fluid_settings_t * settings, const char* name, double val), (settings, name, val))
VIMBREL_LAZY(FluidSynth, FLUID_FAILED, int, fluid_settings_setstr,
             (fluid_settings_t * settings, const char* name, const char* str),
             (settings, name, str))
VIMBREL_LAZY(FluidSynth, nullptr, fluid_log_function_t, fluid_set_log_function,
             (int level, fluid_log_function_t fun, void* data), (level, fun, data))
VIMBREL_LAZY(FluidSynth, nullptr, fluid_synth_t*, new_fluid_synth, (fluid_settings_t * settings),
             (settings))
VIMBREL_LAZY(FluidSynth, void(), void, delete_fluid_synth, (fluid_synth_t * synth), (synth))
VIMBREL_LAZY(FluidSynth, FLUID_FAILED, int, fluid_synth_sfload,
             (fluid_synth_t * synth, const char* filename, int reset_presets),
             (synth, filename, reset_presets))
VIMBREL_LAZY(FluidSynth, FLUID_FAILED, int, fluid_synth_system_reset, (fluid_synth_t * synth),
             (synth))
VIMBREL_LAZY(FluidSynth, FLUID_FAILED, int, fluid_synth_all_notes_off,
             (fluid_synth_t * synth, int chan), (synth, chan))
VIMBREL_LAZY(FluidSynth, FLUID_FAILED, int, fluid_synth_all_sounds_off,
             (fluid_synth_t * synth, int chan), (synth, chan))
VIMBREL_LAZY(FluidSynth, FLUID_FAILED, int, fluid_synth_cc,
             (fluid_synth_t * synth, int chan, int ctrl, int val), (synth, chan, ctrl, val))
VIMBREL_LAZY(FluidSynth, 0, int, fluid_synth_count_midi_channels, (fluid_synth_t * synth), (synth))
VIMBREL_LAZY(FluidSynth, 0, int, fluid_synth_get_active_voice_count, (fluid_synth_t * synth),
             (synth))
VIMBREL_LAZY(FluidSynth, FLUID_FAILED, int, fluid_synth_write_s16,
             (fluid_synth_t * synth, int len, void* lout, int loff, int lincr, void* rout, int roff,
              int rincr),
             (synth, len, lout, loff, lincr, rout, roff, rincr))
VIMBREL_LAZY(FluidSynth, nullptr, fluid_player_t*, new_fluid_player, (fluid_synth_t * synth),
             (synth))
VIMBREL_LAZY(FluidSynth, void(), void, delete_fluid_player, (fluid_player_t * player), (player))
VIMBREL_LAZY(FluidSynth, FLUID_FAILED, int, fluid_player_add_mem,
             (fluid_player_t * player, const void* buffer, size_t len), (player, buffer, len))
VIMBREL_LAZY(FluidSynth, FLUID_FAILED, int, fluid_player_play, (fluid_player_t * player), (player))
VIMBREL_LAZY(FluidSynth, FLUID_PLAYER_DONE, int, fluid_player_get_status, (fluid_player_t * player),
             (player))
VIMBREL_LAZY(FluidSynth, 0, int, fluid_player_get_current_tick, (fluid_player_t * player), (player))
VIMBREL_LAZY(FluidSynth, 0, int, fluid_player_get_total_ticks, (fluid_player_t * player), (player))
