#pragma once

#include <string>

namespace vimbrel::platform {

// What a user chooses through the environment for the machine's sound,
// graphics and music (the manual page lists these variables), and where the
// system keeps its sound fonts.

// VIMBREL_AUDIO_OUTPUT: the audio output by mpv's name for it ("pulse",
// "alsa", "null"); "" leaves the choice to mpv.
std::string ChosenAudioOutput();

// VIMBREL_VIDEO_OUTPUT=software: videos are drawn without OpenGL.
bool SoftwareVideoChosen();
// VIMBREL_VIDEO_OUTPUT=opengl: videos are drawn with OpenGL, even where it
// draws on the processor.
bool OpenGlVideoChosen();

// Whether the machine has a graphics processor this user may draw with (a
// render node under /dev/dri that opens for reading and writing). Without
// one, OpenGL is at best a software rasterizer, and drawing video through
// it costs more than drawing it in software directly.
bool GraphicsProcessorAvailable();

// Whether videos may be drawn with OpenGL at all: asked for, or a graphics
// processor is there and software drawing was not asked for. Where not,
// OpenGL (and the rasterizer's libraries with it) is never loaded.
bool OpenGlVideoPossible();

// The sound font: VIMBREL_SOUNDFONT when set (then it alone counts: a
// missing file, or an empty value, means none), otherwise the first of the
// system's General MIDI sound fonts that exists:
// /usr/share/sounds/sf2/default-GM.sf2, /usr/share/sounds/sf2/FluidR3_GM.sf2,
// /usr/share/soundfonts/default.sf2, /usr/share/soundfonts/FluidR3_GM.sf2.
// "" when there is none.
std::string FindSoundFont();

} // namespace vimbrel::platform
