// SPDX-License-Identifier: MIT
// The sound module: clips played with Qt Multimedia.
#include "soundoutput.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace {

class EffectClip final : public SoundClip
{
public:
    explicit EffectClip(const QUrl &source) { m_effect.setSource(source); }
    void play() override { m_effect.play(); }
    void stop() override { m_effect.stop(); }
    bool isPlaying() const override { return m_effect.isPlaying(); }
    bool ready() const override { return m_effect.status() == QSoundEffect::Ready; }
    bool failed() const override { return m_effect.status() == QSoundEffect::Error; }

private:
    QSoundEffect m_effect;
};

class MultimediaOutput final : public SoundOutput
{
public:
    bool hasDevice() const override { return !QMediaDevices::audioOutputs().isEmpty(); }
    SoundClip *makeClip(const QUrl &source) override { return new EffectClip(source); }
};

} // namespace

extern "C" Q_DECL_EXPORT SoundOutput *velloc_sound_output()
{
    static MultimediaOutput output;
    return &output;
}
