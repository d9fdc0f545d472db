// SPDX-License-Identifier: MIT
// Plays the game's thirteen short sounds without ever holding up the game:
// one sound at a time, each new one cutting off the one before.
#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

class QFileSystemWatcher;
class SoundClip;

class SoundPlayer : public QObject
{
    Q_OBJECT

public:
    explicit SoundPlayer(QObject *parent = nullptr);
    ~SoundPlayer() override;

    // The names callers may play (lower case).
    static const QStringList &soundNames();

    // Starts the named sound ("turn", "PlaceBone" ...; case does not matter) and
    // returns at once. Unknown names, missing sounds and a missing sound device
    // are ignored.
    void playsounds(const QString &name);

    // "Play Sounds": while off, playsounds does nothing.
    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }

    // Where the WAV files are looked up, as "<folder><name>.wav"; ":/sounds/"
    // (the embedded ones) unless tests point it elsewhere.
    void setSoundFolder(const QString &folder);
    QString soundFolder() const { return m_folder; }

    // The effect made for a sound once it was first played (nullptr before).
    SoundClip *effect(const QString &name) const;

    // Whether this computer can play sound at all: a sound server or a sound
    // card. Asked when the first sound would play; tests stand in for it.
    static std::function<bool()> deviceProbe;
    static bool systemHasSoundOutput();
    bool deviceMissing() const { return m_missing; }

signals:
    // A sound was started (its lower-case name).
    void played(const QString &name);
    // No sound can play here; told once. Sounds rest until a device appears.
    void deviceLost();
    void deviceFound();

private:
    SoundClip *effectFor(const QString &name);
    void stopCurrent();
    void watchForDevice();

    bool m_enabled = true;
    QString m_folder;
    QHash<QString, SoundClip *> m_effects;
    SoundClip *m_current = nullptr; // one of m_effects
    bool m_probed = false;
    bool m_missing = false;
    QFileSystemWatcher *m_watcher = nullptr;
};
