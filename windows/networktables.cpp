// SPDX-License-Identifier: MIT
#include "networktables.h"

#include "dnssd.h"
#include "look.h"
#include "paths.h"
#include "settingsfile.h"
#include "tablelistview.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

namespace {
const QString Section = QStringLiteral("Chickenfoot");
const QString KeyList = QStringLiteral("Lobbylist");
const QString KeyLocal = QStringLiteral("Lobbylocal");

bool readFlag(const QString &key)
{
    SettingsFile ini(settingsFilePath());
    ini.load();
    return ini.readString(Section, key, QString()) == QLatin1String("true");
}

QCheckBox *box(const QString &text, const QString &name, QWidget *parent)
{
    auto *c = new QCheckBox(text, parent);
    c->setObjectName(name);
    c->setFont(look::font(12, true));
    QPalette pal = c->palette();
    pal.setColor(QPalette::WindowText, look::Cream);
    c->setPalette(pal);
    return c;
}

QPushButton *button(const QString &text, const QString &name, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setFont(look::font(12, true));
    b->setAutoDefault(false);
    return b;
}
} // namespace

NetworkTables::NetworkTables(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("networktables"));
    QLabel *title = look::label(QStringLiteral("Tables on this network"), this, 16, true, look::Cream, false);
    list_network = new TableListView(false, this);
    list_network->setObjectName(QStringLiteral("list_network"));
    list_network->setAccessibleName(QStringLiteral("Tables on this network"));
    title->setBuddy(list_network);
    label_network = look::label(QString(), this, 11, false);
    label_network->setObjectName(QStringLiteral("label_network"));
    label_network->setTextFormat(Qt::PlainText);
    button_netjoin = button(QStringLiteral("J&oin"), QStringLiteral("button_netjoin"), this);
    button_lobby = button(QStringLiteral("Online &Lobby..."), QStringLiteral("button_lobby"), this);
    check_lobby = box(QStringLiteral("List my table in the online lobby"), QStringLiteral("check_lobby"), this);
    check_local = box(QStringLiteral("also list my local addresses"), QStringLiteral("check_local"), this);

    title->setGeometry(0, 0, 330, 22);
    list_network->setGeometry(ListRect);
    button_netjoin->setGeometry(JoinButtonRect);
    button_lobby->setGeometry(LobbyButtonRect);
    label_network->setGeometry(0, 130, 448, 18);
    check_lobby->setGeometry(0, 150, 448, 20);
    check_local->setGeometry(20, 171, 428, 20);
    list_network->header()->resizeSection(0, 110);

    connect(list_network, &TableListView::joinRequested, this, [this](const QString &, const TableSummary &t) {
        if (join)
            join(t);
    });
    connect(button_netjoin, &QPushButton::clicked, this, [this] {
        const QString key = list_network->currentKey();
        if (!key.isEmpty() && join)
            join(list_network->table(key));
    });
    connect(button_lobby, &QPushButton::clicked, this, [this] {
        if (openLobby)
            openLobby();
    });
    check_lobby->setChecked(listInLobby());
    check_local->setChecked(listLocalAddresses());
    check_local->setEnabled(check_lobby->isChecked());
    connect(check_lobby, &QCheckBox::toggled, this, [this](bool on) {
        check_local->setEnabled(on);
        saveBoxes();
    });
    connect(check_local, &QCheckBox::toggled, this, &NetworkTables::saveBoxes);
}

NetworkTables::~NetworkTables() { stopBrowsing(); }

bool NetworkTables::listInLobby() { return readFlag(KeyList); }
bool NetworkTables::listLocalAddresses() { return readFlag(KeyLocal); }

void NetworkTables::saveBoxes()
{
    SettingsFile::writeKeys(settingsFilePath(), Section,
                            {{KeyList, check_lobby->isChecked() ? QStringLiteral("true") : QStringLiteral("false")},
                             {KeyLocal, check_local->isChecked() ? QStringLiteral("true") : QStringLiteral("false")}});
}

void NetworkTables::startBrowsing()
{
    if (m_browser)
        return;
    list_network->clearTables();
    m_browser = new dnssd::Browser(this);
    connect(m_browser, &dnssd::Browser::tableChanged, list_network, &TableListView::setTable);
    connect(m_browser, &dnssd::Browser::tableGone, list_network, &TableListView::removeTable);
    connect(m_browser, &dnssd::Browser::problemChanged, this, &NetworkTables::showProblem);
    showProblem();
}

void NetworkTables::stopBrowsing()
{
    delete m_browser;
    m_browser = nullptr;
}

void NetworkTables::showProblem()
{
    label_network->setText(m_browser ? m_browser->problem() : QString());
}

void NetworkTables::showEvent(QShowEvent *e)
{
    if (!e->spontaneous()) {
        check_lobby->setChecked(listInLobby());
        check_local->setChecked(listLocalAddresses());
        startBrowsing();
    }
    QWidget::showEvent(e);
}

void NetworkTables::hideEvent(QHideEvent *e)
{
    if (!e->spontaneous())
        stopBrowsing();
    QWidget::hideEvent(e);
}
