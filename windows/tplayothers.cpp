// SPDX-License-Identifier: MIT
#include "tplayothers.h"

#include "ipaddress.h"

#include "ansi.h"
#include "hostaddress.h"
#include "look.h"
#include "networktables.h"
#include "paths.h"
#include "settingsfile.h"
#include "tablesummary.h"
#include "tlobby.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTextCursor>

#include <pwd.h>
#include <unistd.h>

namespace {

const QString Section = QStringLiteral("Chickenfoot");
const QString KeyName = QStringLiteral("Playername");
const QString KeyPort = QStringLiteral("Hostport");
const QString KeyMap = QStringLiteral("Mapport");
const QString KeyRecent = QStringLiteral("Recenttables");

// What the table's code page can carry.
bool wireCarries(char32_t c) { return ansi::encodable(c); }

// 0xFF ends a message on the wire; control characters would garble the
// table's lists and chat.
bool forbiddenInName(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xFF; }

QLabel *caption(const QString &t, QWidget *parent, const QRect &place, int pixelSize, bool bold)
{
    QLabel *l = look::label(t, parent, pixelSize, bold);
    l->setGeometry(place);
    return l;
}

QPushButton *button(const QString &t, const QString &name, QWidget *parent, const QRect &place)
{
    auto *b = new QPushButton(t, parent);
    b->setObjectName(name);
    b->setFont(look::font(13, true));
    b->setGeometry(place);
    // Enter in an edit must not press a button the player did not aim at.
    b->setAutoDefault(false);
    return b;
}

QLineEdit *edit(const QString &name, QWidget *parent, const QRect &place)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setFont(look::font(13));
    e->setGeometry(place);
    return e;
}

void rule(QWidget *parent, int y)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    QPalette pal = line->palette();
    pal.setColor(QPalette::WindowText, look::Cream);
    line->setPalette(pal);
    line->setGeometry(16, y, Tplayothers::WindowSize.width() - 32, 1);
}

QString boolText(bool b) { return b ? QStringLiteral("true") : QStringLiteral("false"); }

QStringList recentFromValue(const QString &value)
{
    // Added oldest first, so the file's order stays and the first of two
    // spellings of one table wins.
    const QStringList entries = value.split(QLatin1Char(','), Qt::SkipEmptyParts);
    QStringList recent;
    for (auto it = entries.crbegin(); it != entries.crend(); ++it)
        recent = Tplayothers::addRecentTable(recent, *it);
    return recent;
}

} // namespace

Tplayothers::Tplayothers(Forms &forms, QWidget *parent) : QDialog(parent), m_forms(forms)
{
    setObjectName(QStringLiteral("playothers"));
    setWindowTitle(QStringLiteral("Velloc - Play with Others"));
    setWindowFlags(windowFlags() | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(WindowSize);
    look::applyTiledBackground(this);

    showMessage = [this](const QString &t) { QMessageBox::information(this, windowTitle(), t); };
    localAddresses = &Tplayothers::networkAddresses;
    resolve = [this](const QString &host, std::function<void(bool, const QString &)> done) {
        // The window as context: a window gone before the answer hears nothing.
        ipaddress::lookup(host, this, [done](const QStringList &addresses, const QString &error) {
            if (!addresses.isEmpty())
                done(true, QString());
            else
                done(false, error.isEmpty() ? QStringLiteral("no address was found") : error);
        });
    };

    QLabel *nameCaption = caption(QStringLiteral("Your &name:"), this, {16, 18, 100, 22}, 14, true);
    edit_name = edit(QStringLiteral("edit_name"), this, NameEditRect);
    edit_name->setMaxLength(64); // room to type past the limit and be told, not cut off

    rule(this, 54);
    caption(QStringLiteral("Host a table"), this, {16, 62, 300, 22}, 16, true);
    QLabel *portCaption = caption(QStringLiteral("P&ort:"), this, {32, 92, 84, 22}, 13, true);
    edit_port = edit(QStringLiteral("edit_port"), this, PortEditRect);
    edit_port->setMaxLength(5);
    caption(QStringLiteral("Friends on your network can join at:"), this, {32, 122, 432, 18}, 12, false);

    // Selectable so the player can copy an address into a message to friends.
    memo_addresses = new QPlainTextEdit(this);
    memo_addresses->setObjectName(QStringLiteral("memo_addresses"));
    memo_addresses->setReadOnly(true);
    memo_addresses->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    memo_addresses->setFont(look::font(13, true));
    memo_addresses->setGeometry(32, 142, 300, 58);
    memo_addresses->setLineWrapMode(QPlainTextEdit::NoWrap);
    {
        QPalette pal = memo_addresses->palette();
        pal.setColor(QPalette::Base, look::Cream);
        memo_addresses->setPalette(pal);
    }
    action_copy = new QAction(QStringLiteral("Copy"), memo_addresses);
    action_copy->setObjectName(QStringLiteral("action_copy"));
    action_copy->setShortcut(QKeySequence::Copy);
    connect(action_copy, &QAction::triggered, this, &Tplayothers::action_copyClick);
    memo_addresses->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(memo_addresses, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        QMenu menu(memo_addresses);
        menu.addAction(action_copy);
        menu.addAction(QStringLiteral("Select All"), memo_addresses, &QPlainTextEdit::selectAll);
        menu.exec(memo_addresses->viewport()->mapToGlobal(at));
    });

    label_forward = caption(QString(), this, {32, 206, 432, 36}, 12, false);
    label_forward->setObjectName(QStringLiteral("label_forward"));
    check_router = new QCheckBox(QStringLiteral("Open the port on my router (UPnP)"), this);
    check_router->setObjectName(QStringLiteral("check_router"));
    check_router->setFont(look::font(13, true));
    {
        QPalette pal = check_router->palette();
        pal.setColor(QPalette::WindowText, look::Cream);
        check_router->setPalette(pal);
    }
    check_router->setGeometry(RouterBoxRect);
    check_router->setChecked(true);
    label_router = caption(QString(), this, {32, 274, 432, 34}, 12, false);
    label_router->setObjectName(QStringLiteral("label_router"));
    button_host = button(QStringLiteral("&Host a Table"), QStringLiteral("button_host"), this, HostButtonRect);
    // Return hosts, unless the player is in the address box: there it joins.
    button_host->setDefault(true);

    rule(this, 354);
    caption(QStringLiteral("Join a table"), this, {16, 362, 300, 22}, 16, true);
    QLabel *addressCaption = caption(QStringLiteral("A&ddress:"), this, {32, 392, 84, 22}, 13, true);
    combo_address = new QComboBox(this);
    combo_address->setObjectName(QStringLiteral("combo_address"));
    combo_address->setEditable(true);
    // The list holds the tables joined; typing alone adds nothing to it.
    combo_address->setInsertPolicy(QComboBox::NoInsert);
    combo_address->setMaxVisibleItems(MaxRecentTables);
    combo_address->setFont(look::font(13));
    combo_address->setGeometry(AddressBoxRect);
    button_join = button(QStringLiteral("&Join Table"), QStringLiteral("button_join"), this, JoinButtonRect);
    caption(QStringLiteral("host, host:port or [IPv6 address]:port"), this, {120, 420, 344, 18}, 11, false);

    rule(this, 444);
    networkTables = new NetworkTables(this);
    networkTables->setGeometry(NetworkTablesRect);
    networkTables->join = [this](const TableSummary &t) {
        combo_address->setEditText(t.addressText());
        button_joinClick();
    };
    networkTables->openLobby = [this] {
        if (m_forms.lobby)
            m_forms.lobby->popup();
    };
    rule(this, 652);
    button_close = button(QStringLiteral("&Close"), QStringLiteral("button_close"), this, CloseButtonRect);
    nameCaption->setTextFormat(Qt::AutoText);
    portCaption->setTextFormat(Qt::AutoText);
    addressCaption->setTextFormat(Qt::AutoText);
    nameCaption->setBuddy(edit_name);
    portCaption->setBuddy(edit_port);
    addressCaption->setBuddy(combo_address);
    edit_name->setAccessibleName(QStringLiteral("Your name"));
    edit_port->setAccessibleName(QStringLiteral("Port to host on"));
    combo_address->setAccessibleName(QStringLiteral("Address of the table to join"));
    memo_addresses->setAccessibleName(QStringLiteral("This computer's addresses"));
    check_router->setText(QStringLiteral("Open the port on my &router (UPnP)"));

    connect(edit_port, &QLineEdit::textChanged, this, &Tplayothers::edit_portChange);
    connect(button_host, &QPushButton::clicked, this, &Tplayothers::button_hostClick);
    combo_address->lineEdit()->installEventFilter(this);
    connect(button_join, &QPushButton::clicked, this, &Tplayothers::button_joinClick);
    connect(button_close, &QPushButton::clicked, this, &Tplayothers::button_closeClick);

    loadSettings();
    edit_portChange();

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QStringList Tplayothers::networkAddresses()
{
    return ipaddress::localIPv4();
}

QStringList Tplayothers::addRecentTable(const QStringList &recent, const QString &address)
{
    const QString entry = address.trimmed();
    QStringList out;
    if (!entry.isEmpty())
        out << entry;
    for (const QString &r : recent) {
        if (out.size() >= MaxRecentTables)
            break;
        const QString t = r.trimmed();
        if (t.isEmpty() || out.contains(t, Qt::CaseInsensitive))
            continue;
        out << t;
    }
    return out;
}

bool Tplayothers::validName(const QString &name, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    const QString n = name.trimmed();
    if (n.isEmpty())
        return fail(QStringLiteral("Please enter your name."));
    const QList<uint> chars = n.toUcs4();
    for (uint c : chars)
        if (forbiddenInName(c))
            return fail(QStringLiteral("Your name may not contain control characters or the letter \u00FF."));
    for (uint c : chars) {
        const char32_t ch = c;
        if (!wireCarries(ch))
            return fail(QStringLiteral("Your name may not contain \"%1\": the game can only send Western European "
                                       "letters, digits and signs.")
                            .arg(QString::fromUcs4(&ch, 1)));
    }
    if (chars.size() > MaxNameLength)
        return fail(QStringLiteral("Your name may be at most %1 characters long.").arg(MaxNameLength));
    return true;
}

QString Tplayothers::defaultName()
{
    QStringList candidates;
    if (const passwd *pw = getpwuid(getuid()); pw && pw->pw_name)
        candidates << QString::fromLocal8Bit(pw->pw_name);
    candidates << QString::fromLocal8Bit(qgetenv("USER"));
    for (const QString &c : candidates)
        if (validName(c))
            return c.trimmed();
    return QStringLiteral("Player");
}

void Tplayothers::setRouterStatus(const QString &t) { label_router->setText(t); }

void Tplayothers::loadSettings()
{
    SettingsFile ini(settingsFilePath());
    ini.load(); // an unreadable file reads as defaults
    // An emptied name is no choice: offer the login name again.
    const QString name = ini.readString(Section, KeyName, QString()).trimmed();
    edit_name->setText(name.isEmpty() ? defaultName() : name);
    quint16 port = hostaddress::GamePort;
    if (!hostaddress::parsePort(ini.readString(Section, KeyPort, QString()), &port))
        port = hostaddress::GamePort;
    edit_port->setText(QString::number(port));
    check_router->setChecked(ini.readString(Section, KeyMap, QString()) != QLatin1String("false"));
    m_recent = recentFromValue(ini.readString(Section, KeyRecent, QString()));
    showRecentTables();
}

void Tplayothers::showRecentTables()
{
    combo_address->clear();
    combo_address->addItems(m_recent);
    // The last table joined is the likeliest next one.
    combo_address->setEditText(m_recent.value(0));
}

void Tplayothers::showAddresses()
{
    quint16 port = hostaddress::GamePort;
    const bool portValid = hostaddress::parsePort(edit_port->text(), &port);
    QStringList lines;
    for (const QString &a : m_addresses)
        lines << HostAddress{a, portValid ? port : hostaddress::GamePort}.text(hostaddress::GamePort);
    memo_addresses->setPlainText(lines.isEmpty()
                                     ? QStringLiteral("No network found: only players on this computer can join.")
                                     : lines.join(QLatin1Char('\n')));
}

void Tplayothers::edit_portChange()
{
    quint16 port = 0;
    const QString which = hostaddress::parsePort(edit_port->text(), &port) ? QStringLiteral("port %1").arg(port)
                                                                           : QStringLiteral("the port");
    label_forward->setText(QStringLiteral("Friends outside your local network can only join if %1 is opened "
                                          "(forwarded) on your router.")
                               .arg(which));
    showAddresses();
}

void Tplayothers::action_copyClick()
{
    // Nothing selected copies the whole list: one click for the usual case.
    const QString selected = memo_addresses->textCursor().selectedText();
    const QString t = selected.isEmpty() ? memo_addresses->toPlainText() : selected;
    if (QClipboard *clip = QGuiApplication::clipboard())
        clip->setText(QString(t).replace(QChar::ParagraphSeparator, QLatin1Char('\n')));
}

void Tplayothers::button_hostClick()
{
    QString error;
    if (!validName(edit_name->text(), &error)) {
        showMessage(error);
        return;
    }
    quint16 port = 0;
    if (!hostaddress::parsePort(edit_port->text(), &port)) {
        showMessage(QStringLiteral("The Port box must hold a number from 1 to 65535."));
        edit_port->setFocus();
        return;
    }
    const QString name = edit_name->text().trimmed();
    const bool mapPort = check_router->isChecked();
    // A file we cannot write only loses the preferences; the game still starts.
    SettingsFile::writeKeys(settingsFilePath(), Section,
                            {{KeyName, name}, {KeyPort, QString::number(port)}, {KeyMap, boolText(mapPort)}});

    const QStringList addresses = localAddresses ? localAddresses() : QStringList();
    QStringList args{name, addresses.isEmpty() ? QStringLiteral("127.0.0.1") : addresses.first(),
                     QStringLiteral("true")};
    if (port != hostaddress::GamePort)
        args << QStringLiteral("--port") << QString::number(port);
    if (launch)
        launch(args, mapPort);
}

void Tplayothers::button_joinClick()
{
    if (m_resolving)
        return;
    QString error;
    if (!validName(edit_name->text(), &error)) {
        showMessage(error);
        return;
    }
    HostAddress address;
    if (!hostaddress::parse(combo_address->currentText(), hostaddress::GamePort, &address, &error)) {
        showMessage(error);
        return;
    }
    const QString name = edit_name->text().trimmed();
    const QString text = address.text(hostaddress::GamePort);
    if (ipaddress::isLiteral(address.host) || !resolve) {
        finishJoin(name, text);
        return;
    }

    m_resolving = true;
    button_join->setEnabled(false);
    const int lookup = ++m_lookup;
    QPointer<Tplayothers> self(this);
    const QString host = address.host;
    resolve(host, [self, lookup, name, text, host](bool ok, const QString &reason) {
        if (!self || !self->m_resolving || lookup != self->m_lookup)
            return;
        self->m_resolving = false;
        self->button_join->setEnabled(true);
        if (!ok) {
            QString why = reason.trimmed();
            while (why.endsWith(QLatin1Char('.')))
                why.chop(1);
            self->showMessage(why.isEmpty() ? QStringLiteral("Cannot find the table address \"%1\".").arg(host)
                                            : QStringLiteral("Cannot find the table address \"%1\": %2.").arg(host, why));
            return;
        }
        self->finishJoin(name, text);
    });
}

void Tplayothers::finishJoin(const QString &name, const QString &address)
{
    m_recent = addRecentTable(m_recent, address);
    SettingsFile::writeKeys(settingsFilePath(), Section,
                            {{KeyName, name}, {KeyRecent, m_recent.join(QLatin1Char(','))}});
    showRecentTables();
    if (launch)
        launch({name, address, QStringLiteral("false")}, false);
}

bool Tplayothers::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == combo_address->lineEdit() && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            button_joinClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void Tplayothers::showEvent(QShowEvent *e)
{
    // Another copy or the table window may have changed the file meanwhile.
    if (!e->spontaneous()) {
        loadSettings();
        m_addresses = localAddresses ? localAddresses() : QStringList();
        edit_portChange();
    }
    QDialog::showEvent(e);
}

void Tplayothers::hideEvent(QHideEvent *e)
{
    // Closing the window while a name is looked up gives up that join: the
    // table must not open later out of nowhere.
    if (!e->spontaneous() && m_resolving) {
        m_resolving = false;
        ++m_lookup;
        button_join->setEnabled(true);
    }
    QDialog::hideEvent(e);
}
