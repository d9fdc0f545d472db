// SPDX-License-Identifier: MIT
#include "sounds.h"

#include "soundoutput.h"
#include "velloc_resources.h"

#include <QDir>
#include <QFile>
#include <QFileSystemWatcher>
#include <QUrl>

std::function<bool()> SoundPlayer::deviceProbe = &SoundPlayer::systemHasSoundOutput;

namespace {
QString runtimeDir() { return QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR")); }
} // namespace

// A sound server's socket or a playback device, looked for without loading
// the audio library; only then is the sound module loaded and asked.
bool SoundPlayer::systemHasSoundOutput()
{
    const QString run = runtimeDir();
    bool candidate = !qEnvironmentVariableIsEmpty("PULSE_SERVER")
                     || (!run.isEmpty()
                         && (QFile::exists(run + QStringLiteral("/pulse/native"))
                             || QFile::exists(run + QStringLiteral("/pipewire-0"))));
    if (!candidate)
        candidate = !QDir(QStringLiteral("/dev/snd")).entryList({QStringLiteral("pcmC*p")}, QDir::System).isEmpty();
    if (!candidate)
        return false;
    const SoundOutput *output = SoundOutput::get();
    return output && output->hasDevice();
}

SoundPlayer::SoundPlayer(QObject *parent) : QObject(parent), m_folder(QStringLiteral(":/sounds/"))
{
    // The embedded sounds must be registered before the first one is looked up.
    initVellocResources();
}

const QStringList &SoundPlayer::soundNames()
{
    static const QStringList names{
        QStringLiteral("blocked"),   QStringLiteral("clearbone"),  QStringLiteral("double"),
        QStringLiteral("entered"),   QStringLiteral("invalid"),    QStringLiteral("pass"),
        QStringLiteral("placebone"), QStringLiteral("roundover"),  QStringLiteral("selectbone"),
        QStringLiteral("sort"),      QStringLiteral("turn"),       QStringLiteral("turnnew"),
        QStringLiteral("winner"),
    };
    return names;
}

void SoundPlayer::playsounds(const QString &name)
{
    if (!m_enabled)
        return;
    const QString key = name.toLower();
    if (!soundNames().contains(key) || m_missing)
        return;
    if (!m_probed) {
        m_probed = true;
        if (deviceProbe && !deviceProbe()) {
            m_missing = true;
            watchForDevice();
            emit deviceLost();
            return;
        }
    }
    SoundClip *sound = effectFor(key);
    if (!sound || sound->failed())
        return;

    // Cut off the sound started before (the same one included). Without a sound
    // device an effect never reports that it finished, so it is always stopped
    // rather than asked whether it still plays.
    stopCurrent();
    m_current = sound;
    // play() only queues the sound: while the file is still loading it starts
    // once loaded, and without a device it does nothing. Nothing here waits.
    sound->play();
    emit played(key);
}

// Woken by the system when a sound server starts or a card appears; nothing
// runs meanwhile.
void SoundPlayer::watchForDevice()
{
    if (m_watcher)
        return;
    m_watcher = new QFileSystemWatcher(this);
    const QString cards = QStringLiteral("/dev/snd");
    for (const QString &dir : {QDir(cards).exists() ? cards : QStringLiteral("/dev"), runtimeDir(),
                               runtimeDir() + QStringLiteral("/pulse")})
        if (dir.startsWith(QLatin1Char('/')) && QDir(dir).exists())
            m_watcher->addPath(dir);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (!m_missing || !deviceProbe || !deviceProbe())
            return;
        m_missing = false;
        m_watcher->deleteLater();
        m_watcher = nullptr;
        emit deviceFound();
    });
}

void SoundPlayer::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (!enabled)
        stopCurrent();
}

void SoundPlayer::setSoundFolder(const QString &folder)
{
    stopCurrent();
    qDeleteAll(m_effects);
    m_effects.clear();
    m_folder = folder;
    if (!m_folder.isEmpty() && !m_folder.endsWith(QLatin1Char('/')))
        m_folder += QLatin1Char('/');
}

SoundPlayer::~SoundPlayer()
{
    qDeleteAll(m_effects);
}

SoundClip *SoundPlayer::effect(const QString &name) const
{
    return m_effects.value(name.toLower(), nullptr);
}

SoundClip *SoundPlayer::effectFor(const QString &name)
{
    if (SoundClip *sound = m_effects.value(name, nullptr))
        return sound;

    // Made on first use: creating an effect and setting its source only starts
    // loading in the background, so neither start-up nor the first sound waits.
    const QString path = m_folder + name + QStringLiteral(".wav");
    if (!QFile::exists(path))
        return nullptr;
    const QUrl url = path.startsWith(QLatin1Char(':')) ? QUrl(QStringLiteral("qrc") + path)
                                                       : QUrl::fromLocalFile(path);
    SoundOutput *output = SoundOutput::get();
    if (!output)
        return nullptr;
    SoundClip *sound = output->makeClip(url);
    m_effects.insert(name, sound);
    return sound;
}

void SoundPlayer::stopCurrent()
{
    if (m_current)
        m_current->stop();
    m_current = nullptr;
}
