// SPDX-License-Identifier: MIT
// The "Play with Others" window: what it starts the game with, what it keeps
// in the settings file (and that it leaves the rest of the file alone), and
// that bad input starts nothing and writes nothing. Names are looked up
// through a stand-in, never on the network.
#include "forms.h"
#include "paths.h"
#include "settingsfile.h"
#include "tplayothers.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <pwd.h>
#include <unistd.h>

namespace {

const QString Section = QStringLiteral("Chickenfoot");

struct Launch {
    QStringList args;
    bool mapRouterPort = false;
};

struct Lookup {
    QString host;
    std::function<void(bool, const QString &)> done;
};

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

bool writeAll(const QString &path, const QByteArray &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size();
}

QString readKey(const QString &key)
{
    SettingsFile ini(settingsFilePath());
    ini.load();
    return ini.readString(Section, key, QStringLiteral("<missing>"));
}

// Another program's settings around ours, in Windows line endings.
const QByteArray SharedFile = "; written by the lobby\r\n"
                              "[Lobby]\r\n"
                              "Playername=Somebody Else\r\n"
                              "\r\n"
                              "[Chickenfoot]\r\n"
                              "Textsize=14\r\n"
                              "Playername=Old Name\r\n"
                              "; the tables we joined\r\n"
                              "Recenttables=b.example,a.example:7800\r\n"
                              "Playsounds=false\r\n"
                              "\r\n"
                              "[Other]\r\n"
                              "Hostport=1\r\n";

} // namespace

class tst_Playothers : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void recentTables_data();
    void recentTables();
    void recentTablesReadBack();
    void validNames_data();
    void validNames();

    void defaultNameIsLoginName();
    void savedValuesShown();
    void host_data();
    void host();
    void badInput_data();
    void badInput();
    void joinLiteral();
    void joinKeepsRestOfFile();
    void joinLooksUpOnce();
    void hideAbandonsLookup();

    void addressList();
    void copyAddresses();
    void windowLayout();

private:
    std::unique_ptr<Tplayothers> makeWindow();

    Forms m_forms;
    std::unique_ptr<QTemporaryDir> m_dir;
    QList<Launch> m_launches;
    QStringList m_messages;
    QList<Lookup> m_lookups;
    QStringList m_addresses;
};

void tst_Playothers::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    setProgramFolder(m_dir->path());
    m_launches.clear();
    m_messages.clear();
    m_lookups.clear();
    m_addresses = {QStringLiteral("192.0.2.10"), QStringLiteral("198.51.100.7")};
}

void tst_Playothers::cleanup()
{
    setProgramFolder(QString());
    m_dir.reset();
}

std::unique_ptr<Tplayothers> tst_Playothers::makeWindow()
{
    auto w = std::make_unique<Tplayothers>(m_forms);
    w->launch = [this](const QStringList &args, bool map) { m_launches.append({args, map}); };
    w->showMessage = [this](const QString &text) { m_messages.append(text); };
    w->resolve = [this](const QString &host, std::function<void(bool, const QString &)> done) {
        m_lookups.append({host, std::move(done)});
    };
    w->localAddresses = [this] { return m_addresses; };
    w->show();
    return w;
}

void tst_Playothers::recentTables_data()
{
    QTest::addColumn<QStringList>("recent");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("expected");

    QStringList ten;
    for (int i = 0; i < 10; ++i)
        ten << QStringLiteral("t%1.example").arg(i);
    QTest::newRow("first") << QStringList() << "a.example" << QStringList{"a.example"};
    QTest::newRow("newest first") << QStringList{"b", "c"} << "a" << QStringList{"a", "b", "c"};
    QTest::newRow("older one moves up") << QStringList{"b", "a", "c"} << "a" << QStringList{"a", "b", "c"};
    QTest::newRow("letter case aside") << QStringList{"b", "HOST.example", "c"} << "host.example"
                                       << QStringList{"host.example", "b", "c"};
    QTest::newRow("ten at most") << ten << "new" << (QStringList{"new"} + ten.mid(0, 9));
    QTest::newRow("ten, re-joined") << ten << "t9.example" << (QStringList{"t9.example"} + ten.mid(0, 9));
}

void tst_Playothers::recentTables()
{
    QFETCH(QStringList, recent);
    QFETCH(QString, address);
    QFETCH(QStringList, expected);
    QCOMPARE(Tplayothers::addRecentTable(recent, address), expected);
}

void tst_Playothers::recentTablesReadBack()
{
    // Twelve joins in a row: the file keeps the last ten, newest first.
    QStringList joined;
    for (int i = 1; i <= 12; ++i) {
        auto w = makeWindow();
        w->combo_address->setEditText(QStringLiteral("10.0.0.%1").arg(i));
        w->button_joinClick();
        joined.prepend(QStringLiteral("10.0.0.%1").arg(i));
    }
    QCOMPARE(readKey(QStringLiteral("Recenttables")), joined.mid(0, 10).join(QLatin1Char(',')));
    auto w = makeWindow();
    QCOMPARE(w->recentTables(), joined.mid(0, 10));
    QCOMPARE(w->combo_address->count(), 10);
    QCOMPARE(w->combo_address->itemText(0), QStringLiteral("10.0.0.12"));
}

void tst_Playothers::validNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("problem"); // a word of the message, empty when valid

    QTest::newRow("plain") << "Alice" << "";
    QTest::newRow("Latin-1 letters") << QString::fromUtf8("Zoë Ñúñez") << "";
    QTest::newRow("24 characters") << QString(24, QLatin1Char('x')) << "";
    QTest::newRow("blanks around") << "  Bob  " << "";
    QTest::newRow("empty") << "" << "enter your name";
    QTest::newRow("blanks only") << "   " << "enter your name";
    QTest::newRow("y with diaeresis") << QString::fromUtf8("Ann\u00ff") << "\u00ff";
    QTest::newRow("tab") << "Ann\tB" << "control";
    QTest::newRow("DEL") << "Ann\x7f" << "control";
    QTest::newRow("C1 control") << QString::fromUtf8("An\u0090n") << "control";
    QTest::newRow("25 characters") << QString(25, QLatin1Char('x')) << "24 characters";
    QTest::newRow("euro sign (in the code page)") << QString::fromUtf8("Anna\u20ac") << "";
    QTest::newRow("beyond the code page") << QString::fromUtf8("Anna\u0101") << "\u0101";
    QTest::newRow("emoji") << QString::fromUtf8("Anna \U0001F600") << "\U0001F600";
}

void tst_Playothers::validNames()
{
    QFETCH(QString, name);
    QFETCH(QString, problem);
    QString error;
    QCOMPARE(Tplayothers::validName(name, &error), problem.isEmpty());
    if (!problem.isEmpty())
        QVERIFY2(error.contains(problem, Qt::CaseInsensitive), qPrintable(error));
}

void tst_Playothers::defaultNameIsLoginName()
{
    // A user missing from the password database (some containers) falls back
    // to $USER, then to "Player".
    const passwd *pw = getpwuid(getuid());
    QString expected = pw && pw->pw_name ? QString::fromLocal8Bit(pw->pw_name) : QString();
    if (!Tplayothers::validName(expected))
        expected = QString::fromLocal8Bit(qgetenv("USER"));
    if (!Tplayothers::validName(expected))
        expected = QStringLiteral("Player");
    auto w = makeWindow();
    QCOMPARE(w->edit_name->text(), expected);
    QCOMPARE(w->edit_port->text(), QStringLiteral("7772"));
    QVERIFY(w->check_router->isChecked());
    QCOMPARE(w->combo_address->count(), 0);
    QCOMPARE(readAll(settingsFilePath()), QByteArray("<absent>")); // looking writes nothing
}

void tst_Playothers::savedValuesShown()
{
    auto w = makeWindow();
    w->hide();
    QVERIFY(writeAll(settingsFilePath(), "[Chickenfoot]\nPlayername=Alice\nHostport=7800\nMapport=false\n"
                                          "Recenttables=b.example:7801,10.0.0.5,[::1]:7802\n"));
    w->show(); // read again on every showing
    QCOMPARE(w->edit_name->text(), QStringLiteral("Alice"));
    QCOMPARE(w->edit_port->text(), QStringLiteral("7800"));
    QVERIFY(!w->check_router->isChecked());
    const QStringList recent{"b.example:7801", "10.0.0.5", "[::1]:7802"};
    QCOMPARE(w->recentTables(), recent);
    QStringList items;
    for (int i = 0; i < w->combo_address->count(); ++i)
        items << w->combo_address->itemText(i);
    QCOMPARE(items, recent);
    QCOMPARE(w->combo_address->currentText(), recent.first());
}

void tst_Playothers::host_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("map");
    QTest::addColumn<QStringList>("addresses");
    QTest::addColumn<QStringList>("args");

    const QStringList two{"192.0.2.10", "198.51.100.7"};
    QTest::newRow("usual port") << "7772" << true << two << QStringList{"Alice", "192.0.2.10", "true"};
    QTest::newRow("other port") << "7800" << true << two
                                << QStringList{"Alice", "192.0.2.10", "true", "--port", "7800"};
    QTest::newRow("router untouched") << " 7772 " << false << two << QStringList{"Alice", "192.0.2.10", "true"};
    QTest::newRow("no network") << "65535" << false << QStringList()
                                << QStringList{"Alice", "127.0.0.1", "true", "--port", "65535"};
}

void tst_Playothers::host()
{
    QFETCH(QString, port);
    QFETCH(bool, map);
    QFETCH(QStringList, addresses);
    QFETCH(QStringList, args);

    m_addresses = addresses;
    auto w = makeWindow();
    w->edit_name->setText(QStringLiteral(" Alice "));
    w->edit_port->setText(port);
    w->check_router->setChecked(map);
    QTest::mouseClick(w->button_host, Qt::LeftButton);

    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(QLatin1Char('\n'))));
    QCOMPARE(m_launches.size(), 1);
    QCOMPARE(m_launches[0].args, args);
    QCOMPARE(m_launches[0].mapRouterPort, map);
    QCOMPARE(readKey(QStringLiteral("Playername")), QStringLiteral("Alice"));
    QCOMPARE(readKey(QStringLiteral("Hostport")), port.trimmed());
    QCOMPARE(readKey(QStringLiteral("Mapport")), map ? QStringLiteral("true") : QStringLiteral("false"));
    QCOMPARE(readKey(QStringLiteral("Recenttables")), QStringLiteral("<missing>"));
}

void tst_Playothers::badInput_data()
{
    QTest::addColumn<bool>("join");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value"); // the port when hosting, the address when joining
    QTest::addColumn<QString>("problem");

    for (const char *port : {"0", "65536", "abc", "", "-1", "7772x"})
        QTest::addRow("host, port \"%s\"", port) << false << "Alice" << port << "Port box";
    QTest::newRow("host, empty name") << false << "" << "7772" << "enter your name";
    QTest::newRow("host, name with \u00ff") << false << "Ann\u00ff" << "7772" << "\u00ff";
    QTest::newRow("host, control character") << false << "Ann\x01" << "7772" << "control";
    QTest::newRow("join, empty name") << true << " " << "10.0.0.5" << "enter your name";
    QTest::newRow("join, name with \u00ff") << true << "\u00ffAnn" << "10.0.0.5" << "\u00ff";
    QTest::newRow("join, control character") << true << "An\x1bn" << "10.0.0.5" << "control";
    QTest::newRow("join, no address") << true << "Alice" << "" << "address";
    QTest::newRow("join, blank inside") << true << "Alice" << "my host" << "my host";
    QTest::newRow("join, bad port") << true << "Alice" << "table.example:99999" << "port in the table's address";
    QTest::newRow("join, open bracket") << true << "Alice" << "[::1:7800" << "]";
    QTest::newRow("join, not found") << true << "Alice" << "nowhere.example"
                                     << "Cannot find the table address \"nowhere.example\": Host not found.";
}

void tst_Playothers::badInput()
{
    QFETCH(bool, join);
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(QString, problem);

    // Once with the shared file, once without any: neither may change.
    for (const bool withFile : {true, false}) {
        m_messages.clear();
        m_lookups.clear();
        QFile::remove(settingsFilePath());
        if (withFile)
            QVERIFY(writeAll(settingsFilePath(), SharedFile));
        const QByteArray before = readAll(settingsFilePath());

        auto w = makeWindow();
        w->edit_name->setText(name);
        if (join) {
            w->combo_address->setEditText(value);
            QTest::mouseClick(w->button_join, Qt::LeftButton);
            for (const Lookup &l : std::as_const(m_lookups))
                l.done(false, QStringLiteral("Host not found"));
        } else {
            w->edit_port->setText(value);
            QTest::mouseClick(w->button_host, Qt::LeftButton);
        }
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages[0].contains(problem, Qt::CaseInsensitive), qPrintable(m_messages[0]));
        QVERIFY(m_launches.isEmpty());
        QCOMPARE(readAll(settingsFilePath()), before);
        QVERIFY(w->button_join->isEnabled());
    }
}

void tst_Playothers::joinLiteral()
{
    auto w = makeWindow();
    w->edit_name->setText(QStringLiteral("Bob"));
    for (const QString &typed : {QStringLiteral(" 10.0.0.5:7772 "), QStringLiteral("[::1]:7800"),
                                 QStringLiteral("[::1]")}) {
        w->combo_address->setEditText(typed);
        QTest::mouseClick(w->button_join, Qt::LeftButton);
    }
    QVERIFY(m_lookups.isEmpty()); // addresses need no lookup
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(m_launches.size(), 3);
    QCOMPARE(m_launches[0].args, (QStringList{"Bob", "10.0.0.5", "false"}));
    QCOMPARE(m_launches[1].args, (QStringList{"Bob", "[::1]:7800", "false"}));
    QCOMPARE(m_launches[2].args, (QStringList{"Bob", "::1", "false"}));
    QVERIFY(!m_launches[0].mapRouterPort);
    QCOMPARE(readKey(QStringLiteral("Playername")), QStringLiteral("Bob"));
    QCOMPARE(readKey(QStringLiteral("Recenttables")), QStringLiteral("::1,[::1]:7800,10.0.0.5"));
    QCOMPARE(readKey(QStringLiteral("Hostport")), QStringLiteral("<missing>"));

    // Return joins from the address box, and hosts from anywhere else.
    m_launches.clear();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    w->combo_address->lineEdit()->setFocus();
    w->combo_address->setEditText(QStringLiteral("10.0.0.6"));
    QTest::keyClick(w->combo_address->lineEdit(), Qt::Key_Return);
    w->edit_name->setFocus();
    QTest::keyClick(w->edit_name, Qt::Key_Return);
    QCOMPARE(m_launches.size(), 2);
    QCOMPARE(m_launches[0].args, (QStringList{"Bob", "10.0.0.6", "false"}));
    QCOMPARE(m_launches[1].args.value(2), QStringLiteral("true"));
}

void tst_Playothers::joinKeepsRestOfFile()
{
    QVERIFY(writeAll(settingsFilePath(), SharedFile));
    auto w = makeWindow();
    QCOMPARE(w->edit_name->text(), QStringLiteral("Old Name"));
    w->edit_name->setText(QStringLiteral("New Name"));
    w->combo_address->setEditText(QStringLiteral("A.EXAMPLE:7800"));
    QTest::mouseClick(w->button_join, Qt::LeftButton);
    QCOMPARE(m_lookups.size(), 1);
    QCOMPARE(m_lookups[0].host, QStringLiteral("A.EXAMPLE"));
    m_lookups[0].done(true, QString());

    QCOMPARE(m_launches.size(), 1);
    QCOMPARE(m_launches[0].args, (QStringList{"New Name", "A.EXAMPLE:7800", "false"}));
    // Only the two lines change, each in its place with its line ending.
    QByteArray expected = SharedFile;
    expected.replace("Playername=Old Name\r\n", "Playername=New Name\r\n");
    expected.replace("Recenttables=b.example,a.example:7800\r\n", "Recenttables=A.EXAMPLE:7800,b.example\r\n");
    QCOMPARE(readAll(settingsFilePath()), expected);
}

void tst_Playothers::joinLooksUpOnce()
{
    auto w = makeWindow();
    w->edit_name->setText(QStringLiteral("Carol"));
    w->combo_address->setEditText(QStringLiteral("table.example"));
    QTest::mouseClick(w->button_join, Qt::LeftButton);
    QVERIFY(w->resolving());
    QVERIFY(!w->button_join->isEnabled());
    w->button_joinClick(); // a second click, by any way, while the first is pending
    QCOMPARE(m_lookups.size(), 1);
    QCOMPARE(readAll(settingsFilePath()), QByteArray("<absent>"));

    m_lookups[0].done(true, QString());
    m_lookups[0].done(true, QString()); // a stray second answer starts nothing
    QVERIFY(!w->resolving());
    QVERIFY(w->button_join->isEnabled());
    QCOMPARE(m_launches.size(), 1);
    QCOMPARE(m_launches[0].args, (QStringList{"Carol", "table.example", "false"}));
    QCOMPARE(readKey(QStringLiteral("Recenttables")), QStringLiteral("table.example"));
}

void tst_Playothers::hideAbandonsLookup()
{
    auto w = makeWindow();
    w->edit_name->setText(QStringLiteral("Dave"));
    w->combo_address->setEditText(QStringLiteral("table.example"));
    w->button_joinClick();
    QCOMPARE(m_lookups.size(), 1);
    QTest::mouseClick(w->button_close, Qt::LeftButton);
    QVERIFY(w->isHidden());
    QVERIFY(w->button_join->isEnabled());
    m_lookups[0].done(true, QString());
    QVERIFY(m_launches.isEmpty());
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(readAll(settingsFilePath()), QByteArray("<absent>"));
}

void tst_Playothers::addressList()
{
    auto w = makeWindow();
    QCOMPARE(w->memo_addresses->toPlainText(), QStringLiteral("192.0.2.10\n198.51.100.7"));
    QVERIFY(w->label_forward->text().contains(QStringLiteral("port 7772 is opened")));
    w->edit_port->setText(QStringLiteral("7800"));
    QCOMPARE(w->memo_addresses->toPlainText(), QStringLiteral("192.0.2.10:7800\n198.51.100.7:7800"));
    QCOMPARE(w->label_forward->text(), QStringLiteral("Friends outside your local network can only join if port "
                                                      "7800 is opened (forwarded) on your router."));
    QVERIFY(w->memo_addresses->isReadOnly());
    QVERIFY(w->memo_addresses->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));

    QVERIFY(w->label_router->text().isEmpty());
    w->setRouterStatus(QStringLiteral("Port 7800 is open on the router."));
    QCOMPARE(w->label_router->text(), QStringLiteral("Port 7800 is open on the router."));

    w->hide();
    m_addresses.clear();
    w->show(); // looked for again on every showing
    QCOMPARE(w->memo_addresses->toPlainText(),
             QStringLiteral("No network found: only players on this computer can join."));
}

void tst_Playothers::copyAddresses()
{
    auto w = makeWindow();
    QClipboard *clip = QGuiApplication::clipboard();
    clip->clear();
    w->action_copy->trigger(); // nothing selected: the whole list
    QCOMPARE(clip->text(), QStringLiteral("192.0.2.10\n198.51.100.7"));
    QTextCursor c = w->memo_addresses->textCursor();
    c.setPosition(11);
    c.movePosition(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
    w->memo_addresses->setTextCursor(c);
    w->action_copy->trigger();
    QCOMPARE(clip->text(), QStringLiteral("198.51.100.7"));
}

void tst_Playothers::windowLayout()
{
    auto w = makeWindow();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QCOMPARE(w->windowTitle(), QStringLiteral("Velloc - Play with Others"));
    QCOMPARE(w->size(), Tplayothers::WindowSize);
    QCOMPARE(w->minimumSize(), w->maximumSize());

    // The places the end-to-end test clicks are where the controls are.
    const QList<QPair<QWidget *, QRect>> clicked{
        {w->edit_name, Tplayothers::NameEditRect},     {w->edit_port, Tplayothers::PortEditRect},
        {w->check_router, Tplayothers::RouterBoxRect}, {w->button_host, Tplayothers::HostButtonRect},
        {w->combo_address, Tplayothers::AddressBoxRect}, {w->button_join, Tplayothers::JoinButtonRect},
        {w->button_close, Tplayothers::CloseButtonRect}};
    for (const auto &[widget, place] : clicked)
        QCOMPARE(widget->geometry(), place);

    // Every control inside the window, clear of the others, its text whole.
    QList<QWidget *> controls{w->memo_addresses, w->label_forward, w->label_router};
    for (const auto &c : clicked)
        controls << c.first;
    for (QWidget *c : controls) {
        QVERIFY2(w->rect().contains(c->geometry()), qPrintable(c->objectName()));
        if (auto *label = qobject_cast<QLabel *>(c))
            QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(label->text()));
        if (auto *b = qobject_cast<QAbstractButton *>(c))
            QVERIFY2(b->sizeHint().width() <= b->width(), qPrintable(b->text()));
    }
    for (int i = 0; i < controls.size(); ++i)
        for (int j = i + 1; j < controls.size(); ++j)
            QVERIFY2(!controls[i]->geometry().intersects(controls[j]->geometry()),
                     qPrintable(controls[i]->objectName() + QStringLiteral(" / ") + controls[j]->objectName()));
}

QTEST_MAIN(tst_Playothers)
#include "tst_playothers.moc"
