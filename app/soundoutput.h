// SPDX-License-Identifier: MIT
// The sound back end, a module of its own (libvelloc-sound.so, built from
// sound/): the audio library and its codecs are loaded only when the first
// sound is about to play, and not at all on a computer without sound.
#pragma once

class QUrl;

// One short recording, loaded in the background once made.
class SoundClip
{
public:
    virtual ~SoundClip() = default;
    // Starts from the beginning; while the file still loads, once it has.
    virtual void play() = 0;
    virtual void stop() = 0;
    virtual bool isPlaying() const = 0;
    virtual bool ready() const = 0; // decoded and playable
    virtual bool failed() const = 0; // cannot be played
};

class SoundOutput
{
public:
    virtual ~SoundOutput() = default;
    // Whether the audio library finds a device to play on.
    virtual bool hasDevice() const = 0;
    // The caller owns the clip; nothing here waits for the file or device.
    virtual SoundClip *makeClip(const QUrl &source) = 0;

    // The module's one entry point: extern "C" SoundOutput *velloc_sound_output(),
    // returning an output that lives as long as the program.
    static constexpr const char *EntryPoint = "velloc_sound_output";
    static constexpr const char *ModuleName = "libvelloc-sound.so";

    // Loads the module the first time (next to the program, or in
    // ../lib/velloc or ../lib/games/velloc from it, as installed); null
    // when it is not there.
    static SoundOutput *get();
};
