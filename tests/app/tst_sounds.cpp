// SPDX-License-Identifier: MIT
// The sound player: which sounds start, that each cuts off the one before, and
// that nothing waits for the sound device (the tests run without one).
#include "sounds.h"

#include <QFile>
#include <QSignalSpy>
#include "soundoutput.h"
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A short, quiet 16-bit mono WAV file.
bool writeWav(const QString &path)
{
    const quint32 rate = 8000, samples = rate / 4;
    QByteArray pcm;
    for (quint32 i = 0; i < samples; ++i) {
        const qint16 s = qint16((i % 40 < 20) ? 800 : -800);
        pcm.append(char(s & 0xFF)).append(char((s >> 8) & 0xFF));
    }
    auto le32 = [](quint32 v) {
        const char b[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
        return QByteArray(b, 4);
    };
    auto le16 = [](quint16 v) {
        const char b[2] = {char(v & 0xFF), char(v >> 8)};
        return QByteArray(b, 2);
    };
    QByteArray wav = "RIFF" + le32(36 + pcm.size()) + "WAVEfmt " + le32(16) + le16(1) + le16(1)
        + le32(rate) + le32(rate * 2) + le16(2) + le16(16) + "data" + le32(pcm.size()) + pcm;
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(wav) == wav.size();
}

} // namespace

class TestSounds : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void names_data();
    void names();
    void silentWhenDisabled();
    void nextSoundCutsOffThePrevious();
    void missingFileIgnored();
    void manySoundsInARow();
    void embeddedSounds_data();
    void embeddedSounds();

private:
    QTemporaryDir m_dir;
};

void TestSounds::initTestCase()
{
    // No test depends on a sound device: the player is told there is one.
    SoundPlayer::deviceProbe = [] { return true; };
    QVERIFY(m_dir.isValid());
    for (const QString &name : SoundPlayer::soundNames())
        QVERIFY(writeWav(m_dir.filePath(name + QStringLiteral(".wav"))));
}

void TestSounds::names_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("started"); // empty: nothing starts
    QTest::newRow("lower case") << "turn" << "turn";
    QTest::newRow("upper case") << "TURNNEW" << "turnnew";
    QTest::newRow("mixed case") << "PlaceBone" << "placebone";
    QTest::newRow("unknown") << "explosion" << "";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("file name") << "turn.wav" << "";
    QTest::newRow("path") << "../turn" << "";
}

void TestSounds::names()
{
    QFETCH(QString, name);
    QFETCH(QString, started);
    SoundPlayer player;
    player.setSoundFolder(m_dir.path());
    QSignalSpy spy(&player, &SoundPlayer::played);
    player.playsounds(name);
    if (started.isEmpty()) {
        QCOMPARE(spy.count(), 0);
    } else {
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toString(), started);
    }
}

void TestSounds::silentWhenDisabled()
{
    SoundPlayer player;
    player.setSoundFolder(m_dir.path());
    QSignalSpy spy(&player, &SoundPlayer::played);
    player.setEnabled(false);
    for (const QString &name : SoundPlayer::soundNames())
        player.playsounds(name);
    QCOMPARE(spy.count(), 0);
    QVERIFY(!player.effect(QStringLiteral("turn"))); // not even loaded

    player.setEnabled(true);
    player.playsounds(QStringLiteral("turn"));
    QCOMPARE(spy.count(), 1);

    // Switching off stops what is playing.
    player.setEnabled(false);
    QVERIFY(!player.effect(QStringLiteral("turn"))->isPlaying());
}

void TestSounds::nextSoundCutsOffThePrevious()
{
    SoundPlayer player;
    player.setSoundFolder(m_dir.path());
    QSignalSpy spy(&player, &SoundPlayer::played);

    player.playsounds(QStringLiteral("turn"));
    SoundClip *turn = player.effect(QStringLiteral("turn"));
    QVERIFY(turn);
    QVERIFY(turn->isPlaying());

    player.playsounds(QStringLiteral("pass"));
    SoundClip *pass = player.effect(QStringLiteral("pass"));
    QVERIFY(pass);
    QVERIFY(!turn->isPlaying());
    QVERIFY(pass->isPlaying());

    // Let the files load (and, without a device, fail to find one): the cut-off
    // sound stays off.
    QTest::qWait(200);
    QVERIFY(!turn->isPlaying());

    // The same sound again starts over.
    player.playsounds(QStringLiteral("pass"));
    QVERIFY(pass->isPlaying());
    player.playsounds(QStringLiteral("turn"));
    QVERIFY(!pass->isPlaying());
    QVERIFY(turn->isPlaying());
    QCOMPARE(spy.count(), 4);
}

void TestSounds::missingFileIgnored()
{
    QTemporaryDir empty;
    QVERIFY(empty.isValid());
    QVERIFY(writeWav(empty.filePath(QStringLiteral("sort.wav"))));
    SoundPlayer player;
    player.setSoundFolder(empty.path());
    QSignalSpy spy(&player, &SoundPlayer::played);
    player.playsounds(QStringLiteral("sort"));
    player.playsounds(QStringLiteral("winner")); // known, but no file: the sort sound goes on
    QCOMPARE(spy.count(), 1);
    QVERIFY(player.effect(QStringLiteral("sort"))->isPlaying());
    QVERIFY(!player.effect(QStringLiteral("winner")));
}

// Sounds come in bursts (a sorted hand, a flurry of plays); none of it may wait
// on the device. ctest's time limit catches a hang.
void TestSounds::manySoundsInARow()
{
    SoundPlayer player;
    player.setSoundFolder(m_dir.path());
    QSignalSpy spy(&player, &SoundPlayer::played);
    const QStringList names = SoundPlayer::soundNames();
    const int rounds = 500;
    for (int i = 0; i < rounds; ++i)
        player.playsounds(names.at(i % names.size()));
    QCOMPARE(spy.count(), rounds);

    // The event loop keeps running while the effects load.
    bool ticked = false;
    QTimer::singleShot(0, this, [&ticked] { ticked = true; });
    QTRY_VERIFY(ticked);
    QTest::qWait(100);
    int playing = 0;
    for (const QString &name : names)
        playing += player.effect(name)->isPlaying() ? 1 : 0;
    QVERIFY(playing <= 1);
}

void TestSounds::embeddedSounds_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : SoundPlayer::soundNames())
        QTest::newRow(qPrintable(name)) << name;
}

void TestSounds::embeddedSounds()
{
    QFETCH(QString, name);
    SoundPlayer player; // registers the embedded sounds
    QVERIFY(QFile::exists(QStringLiteral(":/sounds/") + name + QStringLiteral(".wav")));
    QSignalSpy spy(&player, &SoundPlayer::played);
    player.playsounds(name.toUpper());
    QCOMPARE(spy.count(), 1);
    // The recording decodes (a broken file would fail silently in the game).
    QTRY_VERIFY(player.effect(name)->ready());
}

QTEST_MAIN(TestSounds)
#include "tst_sounds.moc"
