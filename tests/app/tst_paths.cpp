// SPDX-License-Identifier: MIT
// Where the player's files live: beside the program when they are there
// already, else in the user's XDG folders, made on the first save; a
// rebuilt or read-only program folder loses nothing.
#include "paths.h"
#include "settingsfile.h"
#include "tallygrid.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestPaths : public QObject {
    Q_OBJECT
private slots:
    void init();
    void userFoldersWhenNothingIsBesideTheProgram();
    void aFileBesideTheProgramComesFirst();
    void readOnlyProgramFolder();

private:
    QTemporaryDir m_home;
    QString m_config, m_data;
};

void TestPaths::init()
{
    m_config = m_home.filePath(QStringLiteral("config"));
    m_data = m_home.filePath(QStringLiteral("data"));
    qputenv("XDG_CONFIG_HOME", m_config.toLocal8Bit());
    qputenv("XDG_DATA_HOME", m_data.toLocal8Bit());
    setProgramFolder(QString());
}

void TestPaths::userFoldersWhenNothingIsBesideTheProgram()
{
    QTemporaryDir program;
    QCOMPARE(playerFilePath(program.path(), QStringLiteral("qorblobby.ini"), QStandardPaths::GenericConfigLocation),
             m_config + QStringLiteral("/velloc/qorblobby.ini"));
    const QString tally = playerFilePath(program.path(), QStringLiteral("Chickenfoottally.tld"),
                                         QStandardPaths::GenericDataLocation);
    QCOMPARE(tally, m_data + QStringLiteral("/velloc/Chickenfoottally.tld"));
    // The folders do not exist until the first save makes them.
    QVERIFY(!QDir(m_config + QStringLiteral("/velloc")).exists());
    const QString ini = m_config + QStringLiteral("/velloc/qorblobby.ini");
    QVERIFY(SettingsFile::writeKeys(ini, QStringLiteral("Chickenfoot"), {{QStringLiteral("Textsize"), QStringLiteral("10")}}));
    QVERIFY(QFile::exists(ini));
    TallyFile file(tally);
    QVERIFY(file.save(TallyGrid()));
    QVERIFY(QFile::exists(tally));
    QVERIFY(QFileInfo(m_config + QStringLiteral("/velloc")).permissions().testFlag(QFileDevice::WriteOwner));
    // The program's own folder got nothing.
    QCOMPARE(QDir(program.path()).entryList(QDir::Files), QStringList());
    // The program's default: the folder it runs from has no files of ours.
    QVERIFY(settingsFilePath().startsWith(m_config) || QFile::exists(programFolder() + QStringLiteral("qorblobby.ini")));
}

void TestPaths::aFileBesideTheProgramComesFirst()
{
    QTemporaryDir program;
    QFile ini(program.filePath(QStringLiteral("qorblobby.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.close();
    QCOMPARE(playerFilePath(program.path(), QStringLiteral("qorblobby.ini"), QStandardPaths::GenericConfigLocation),
             program.filePath(QStringLiteral("qorblobby.ini")));
    // Each file on its own: the tally is not beside it, so it goes home.
    QCOMPARE(playerFilePath(program.path(), QStringLiteral("Chickenfoottally.tld"), QStandardPaths::GenericDataLocation),
             m_data + QStringLiteral("/velloc/Chickenfoottally.tld"));
    // Tests (and a forced portable copy) keep everything in one folder.
    setProgramFolder(program.path());
    QCOMPARE(settingsFilePath(), program.filePath(QStringLiteral("qorblobby.ini")));
    QCOMPARE(tallyFilePath(), program.filePath(QStringLiteral("Chickenfoottally.tld")));
    setProgramFolder(QString());
}

void TestPaths::readOnlyProgramFolder()
{
    // An installed copy: nothing can be written beside the program, and
    // nothing needs to be.
    QTemporaryDir program;
    QFile::setPermissions(program.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const QString ini = playerFilePath(program.path(), QStringLiteral("qorblobby.ini"), QStandardPaths::GenericConfigLocation);
    QVERIFY(ini.startsWith(m_config));
    QVERIFY(SettingsFile::writeKeys(ini, QStringLiteral("Chickenfoot"), {{QStringLiteral("Top"), QStringLiteral("5")}}));
    QFile::setPermissions(program.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QTEST_GUILESS_MAIN(TestPaths)
#include "tst_paths.moc"
