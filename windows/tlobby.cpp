// SPDX-License-Identifier: MIT
#include "tlobby.h"

#include "lobbyhub.h"
#include "paths.h"
#include "settingsfile.h"
#include "tablelistview.h"
#include "tablesummary.h"
#include "tplayothers.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

namespace {
const QString Section = QStringLiteral("Chickenfoot");
const QString KeyServer = QStringLiteral("Lobbyserver");
const QString KeyServers = QStringLiteral("Lobbyservers");
const QString KeyName = QStringLiteral("Playername");

QPushButton *button(const QString &text, const QString &name, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QLabel *buddyLabel(const QString &text, QWidget *buddy, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setBuddy(buddy);
    return l;
}
} // namespace

Tlobby::Tlobby(Forms &forms, LobbyHub &hub, QWidget *parent) : QDialog(parent), m_forms(forms), m_hub(hub)
{
    setObjectName(QStringLiteral("lobby"));
    setWindowTitle(QStringLiteral("Velloc - Online Lobby"));
    showMessage = [this](const QString &t) { QMessageBox::information(this, windowTitle(), t); };
    // Through Play with Others' join: its checks, its recent tables, its
    // failure panel.
    join = [this](const TableSummary &t) {
        if (Tplayothers *p = m_forms.playothers) {
            p->edit_name->setText(edit_name->text().trimmed());
            p->combo_address->setEditText(t.addressText());
            p->button_joinClick();
        }
    };
    setFixedSize(WindowSize);

    combo_server = new QComboBox(this);
    combo_server->setObjectName(QStringLiteral("combo_server"));
    combo_server->setEditable(true);
    combo_server->setInsertPolicy(QComboBox::NoInsert);
    combo_server->setAccessibleName(QStringLiteral("Lobby server"));
    combo_server->setMinimumWidth(220);
    edit_name = new QLineEdit(this);
    edit_name->setObjectName(QStringLiteral("edit_name"));
    edit_name->setAccessibleName(QStringLiteral("Your name"));
    edit_name->setMaxLength(64);
    button_connect = button(QStringLiteral("&Enter the Lobby"), QStringLiteral("button_connect"), this);
    button_connect->setDefault(true);
    label_status = new QLabel(this);
    label_status->setObjectName(QStringLiteral("label_status"));
    label_status->setTextFormat(Qt::PlainText);
    label_status->setWordWrap(true);
    label_status->setAccessibleName(QStringLiteral("Lobby status"));

    list_tables = new TableListView(true, this);
    list_tables->setObjectName(QStringLiteral("list_tables"));
    list_tables->setAccessibleName(QStringLiteral("Open tables"));
    button_join = button(QStringLiteral("&Join"), QStringLiteral("button_join"), this);
    list_people = new QListWidget(this);
    list_people->setObjectName(QStringLiteral("list_people"));
    list_people->setAccessibleName(QStringLiteral("People in the room"));
    list_people->setSortingEnabled(true);
    button_ignore = button(QStringLiteral("&Ignore"), QStringLiteral("button_ignore"), this);
    memo_chat = new QPlainTextEdit(this);
    memo_chat->setObjectName(QStringLiteral("memo_chat"));
    memo_chat->setReadOnly(true);
    memo_chat->setAccessibleName(QStringLiteral("Room chat"));
    memo_chat->setMaximumBlockCount(LobbyHub::ChatLogLines);
    edit_chat = new QLineEdit(this);
    edit_chat->setObjectName(QStringLiteral("edit_chat"));
    edit_chat->setAccessibleName(QStringLiteral("Chat line"));
    edit_chat->setMaxLength(LobbyClient::MaxChatLength);
    button_send = button(QStringLiteral("&Send"), QStringLiteral("button_send"), this);
    button_close = button(QStringLiteral("&Close"), QStringLiteral("button_close"), this);

    const auto place = [this](QWidget *w, const QRect &r) { w->setGeometry(r); };
    const auto caption = [this](const QString &text, QWidget *buddy, const QRect &r) {
        buddyLabel(text, buddy, this)->setGeometry(r);
    };
    caption(QStringLiteral("Lobby ser&ver:"), combo_server, {12, 10, 96, 26});
    place(combo_server, ServerBoxRect);
    caption(QStringLiteral("Your &name:"), edit_name, {340, 10, 78, 26});
    place(edit_name, NameEditRect);
    place(button_connect, ConnectButtonRect);
    place(label_status, StatusRect);
    caption(QStringLiteral("Open &tables:"), list_tables, {12, 80, 300, 20});
    place(list_tables, TablesRect);
    place(button_join, JoinButtonRect);
    caption(QStringLiteral("&People:"), list_people, {564, 80, 184, 20});
    place(list_people, PeopleRect);
    place(button_ignore, IgnoreButtonRect);
    caption(QStringLiteral("C&hat:"), edit_chat, {12, 358, 300, 20});
    place(memo_chat, ChatLogRect);
    place(edit_chat, ChatEditRect);
    place(button_send, SendButtonRect);
    place(button_close, CloseButtonRect);
    list_tables->header()->resizeSection(0, 130);
    list_tables->header()->resizeSection(1, 130);

    // Return in the chat line sends it, not the default button.
    edit_chat->installEventFilter(this);

    connect(button_connect, &QPushButton::clicked, this, &Tlobby::button_connectClick);
    connect(button_join, &QPushButton::clicked, this, &Tlobby::button_joinClick);
    connect(button_send, &QPushButton::clicked, this, &Tlobby::button_sendClick);
    connect(button_ignore, &QPushButton::clicked, this, &Tlobby::button_ignoreClick);
    connect(button_close, &QPushButton::clicked, this, &Tlobby::leave);
    connect(list_tables, &TableListView::joinRequested, this, [this](const QString &, const TableSummary &t) {
        if (join)
            join(t);
    });

    LobbyClient &client = m_hub.client();
    connect(&client, &LobbyClient::stateChanged, this, &Tlobby::showState);
    connect(&client, &LobbyClient::tableChanged, this, [this](const QString &nick, const TableSummary &t) {
        if (!m_hub.ignored(nick))
            list_tables->setTable(nick, t);
    });
    connect(&client, &LobbyClient::tableGone, list_tables, &TableListView::removeTable);
    connect(&client, &LobbyClient::personJoined, this, [this](const QString &nick) {
        if (!m_hub.ignored(nick) && list_people->findItems(nick, Qt::MatchExactly).isEmpty())
            list_people->addItem(nick);
    });
    connect(&client, &LobbyClient::personLeft, this, [this](const QString &nick) {
        qDeleteAll(list_people->findItems(nick, Qt::MatchExactly));
    });
    connect(&m_hub, &LobbyHub::chatLine, this, [this](const QString &line) { memo_chat->appendPlainText(line); });
    connect(&m_hub, &LobbyHub::ignoredChanged, this, &Tlobby::refill);

    loadSettings();
    refill();
    // Open in the last table's time: open again with this one.
    if (m_hub.windowWanted())
        QMetaObject::invokeMethod(this, &Tlobby::popup, Qt::QueuedConnection);
}

QStringList Tlobby::addRecentServer(const QStringList &recent, const QString &server)
{
    QStringList out;
    if (!server.trimmed().isEmpty())
        out << server.trimmed();
    for (const QString &r : recent)
        if (out.size() < MaxRecentServers && !r.trimmed().isEmpty() && !out.contains(r.trimmed(), Qt::CaseInsensitive))
            out << r.trimmed();
    return out;
}

void Tlobby::loadSettings()
{
    SettingsFile ini(settingsFilePath());
    ini.load();
    m_recent = addRecentServer(ini.readString(Section, KeyServers, QString()).split(QLatin1Char(','), Qt::SkipEmptyParts),
                               ini.readString(Section, KeyServer, QString()));
    combo_server->clear();
    combo_server->addItems(m_recent);
    combo_server->setEditText(m_recent.value(0));
    const QString name = ini.readString(Section, KeyName, QString()).trimmed();
    edit_name->setText(name.isEmpty() ? Tplayothers::defaultName() : name);
}

// Everything the hub knows, as it is now: after opening, or after the
// player ignored someone.
void Tlobby::refill()
{
    const LobbyClient &client = m_hub.client();
    list_tables->clearTables();
    for (auto it = client.tables().cbegin(); it != client.tables().cend(); ++it)
        if (!m_hub.ignored(it.key()))
            list_tables->setTable(it.key(), it.value());
    list_people->clear();
    for (const QString &p : client.people())
        if (!m_hub.ignored(p))
            list_people->addItem(p);
    memo_chat->setPlainText(m_hub.chatLog().join(QLatin1Char('\n')));
    memo_chat->verticalScrollBar()->setValue(memo_chat->verticalScrollBar()->maximum());
    showState();
}

void Tlobby::showState()
{
    const LobbyClient &client = m_hub.client();
    QString text;
    switch (client.state()) {
    case LobbyClient::Online:
        text = QStringLiteral("In the lobby %1 as \"%2\".").arg(client.server(), client.nick());
        break;
    case LobbyClient::Offline:
        text = client.problem().isEmpty() ? QStringLiteral("Not in a lobby. Enter a lobby server and press Enter the "
                                                           "Lobby.")
                                          : client.problem();
        break;
    default:
        text = client.problem();
        if (list_tables->count() > 0)
            text += QStringLiteral(" The list below may be out of date.");
    }
    label_status->setText(text);
    list_tables->setStale(client.stale() && list_tables->count() > 0);
    button_send->setEnabled(client.state() == LobbyClient::Online);
}

void Tlobby::popup()
{
    show();
    raise();
    activateWindow();
    m_hub.setWindowWanted(true);
    // Back in the room of last time at once; a first visit waits for the
    // player to choose a server.
    if (!m_hub.client().started() && !combo_server->currentText().trimmed().isEmpty())
        button_connectClick();
    refill();
}

void Tlobby::button_connectClick()
{
    QString error;
    if (!Tplayothers::validName(edit_name->text(), &error)) {
        showMessage(error);
        return;
    }
    const QString server = combo_server->currentText().trimmed();
    if (server.isEmpty()) {
        showMessage(QStringLiteral("Please enter the address of a lobby server."));
        return;
    }
    const QString name = edit_name->text().trimmed();
    if (!m_hub.open(server, name, &error)) {
        showMessage(error);
        return;
    }
    m_hub.setWindowWanted(true);
    m_recent = addRecentServer(m_recent, server);
    combo_server->clear();
    combo_server->addItems(m_recent);
    combo_server->setEditText(server);
    SettingsFile::writeKeys(settingsFilePath(), Section,
                            {{KeyServer, server}, {KeyServers, m_recent.join(QLatin1Char(','))}, {KeyName, name}});
    showState();
}

void Tlobby::button_joinClick()
{
    const QString key = list_tables->currentKey();
    if (key.isEmpty()) {
        showMessage(QStringLiteral("Please choose a table in the list first."));
        return;
    }
    if (join)
        join(list_tables->table(key));
}

void Tlobby::button_sendClick()
{
    QString why;
    if (!m_hub.client().sendChat(edit_chat->text(), &why)) {
        m_hub.addNotice(why);
        return;
    }
    edit_chat->clear();
}

void Tlobby::button_ignoreClick()
{
    const QListWidgetItem *item = list_people->currentItem();
    if (!item)
        return;
    const QString nick = item->text();
    if (nick == m_hub.client().nick())
        return;
    m_hub.ignore(nick);
    m_hub.addNotice(QStringLiteral("You no longer see %1's lines and table.").arg(nick));
}

void Tlobby::leave()
{
    m_hub.setWindowWanted(false);
    hide();
}

void Tlobby::closeEvent(QCloseEvent *e)
{
    // Only the player's own closing: a window that goes with its table keeps
    // the lobby for the next one.
    if (e->spontaneous())
        m_hub.setWindowWanted(false);
    QDialog::closeEvent(e);
}

void Tlobby::reject() { leave(); }

bool Tlobby::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == edit_chat && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            button_sendClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}
