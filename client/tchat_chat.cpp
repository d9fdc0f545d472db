// SPDX-License-Identifier: MIT
// The chat panel: the coloured log with bold heads and clickable links, the
// entry line, "/me" actions and the ten phrase buttons with their lock.
#include "tchat.h"

#include "colortext.h"
#include "look.h"
#include "phrasebutton.h"
#include "tphrases.h"
#include "velloc_resources.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTextEdit>
#include <QToolButton>

namespace {
const QString EntryPrompt = QStringLiteral("<Enter Chat Here>");
const char *const LinkPrefixes[] = {"http://", "ftp://", "file://", "gopher://",
                                    "telnet://", "news:", "mailto:", "www."};

bool endsALink(QChar c)
{
    return c == QLatin1Char('/') || (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
           || (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
}

bool breaksARun(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\r') || c == QLatin1Char('\n')
           || c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
}

// Keys of the entry line: the prompt goes before the first key, Enter sends.
class EntryKeys : public QObject {
public:
    explicit EntryKeys(Tchat *chat) : QObject(chat), m_chat(chat) {}

protected:
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (e->type() != QEvent::KeyPress)
            return false;
        auto *edit = static_cast<QLineEdit *>(watched);
        if (edit->text() == EntryPrompt)
            edit->clear();
        const auto *ke = static_cast<QKeyEvent *>(e);
        const int key = ke->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_chat->sendit();
            return true;
        }
        // Pasting replaces the whole entry, as the menu's Paste does.
        if (ke->matches(QKeySequence::Paste)) {
            m_chat->Paste1Click();
            return true;
        }
        return false;
    }

private:
    Tchat *m_chat;
};
} // namespace

void Tchat::createChatPanel()
{
    mainchat = new QTextEdit(panel_main);
    mainchat->setObjectName(QStringLiteral("mainchat"));
    mainchat->setGeometry(427, 369, 350, 135);
    mainchat->setReadOnly(true);
    mainchat->setUndoRedoEnabled(false);
    mainchat->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mainchat->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QPalette pal = mainchat->palette();
    pal.setColor(QPalette::Base, look::Cream);
    pal.setColor(QPalette::Text, Qt::black);
    mainchat->setPalette(pal);
    QFont logFont(QStringLiteral("MS Sans Serif"));
    logFont.setStyleHint(QFont::SansSerif);
    logFont.setPointSize(8);
    mainchat->setFont(logFont);
    mainchat->document()->setDocumentMargin(5);
    mainchat->viewport()->setMouseTracking(true);
    mainchat->viewport()->installEventFilter(this);
    mainchat->installEventFilter(this); // Ctrl+C copies plain text only
    mainchat->setContextMenuPolicy(Qt::CustomContextMenu);
    mainchat->setAccessibleName(QStringLiteral("Chat and game log"));
    auto *logMenu = new QMenu(this);
    logMenu->setObjectName(QStringLiteral("popup_mainchat"));
    QAction *copy = logMenu->addAction(QStringLiteral("Copy"), this, &Tchat::Copy1Click);
    copy->setObjectName(QStringLiteral("Copy1"));
    copy->setShortcut(QKeySequence::Copy);
    logMenu->addAction(QStringLiteral("Clear Main Chat"), this, &Tchat::ClearMainChat1Click)
        ->setObjectName(QStringLiteral("ClearMainChat2"));
    ScrollChatOff1 = logMenu->addAction(QStringLiteral("Scroll Chat Off"), this, &Tchat::ScrollChatOff1Click);
    ScrollChatOff1->setObjectName(QStringLiteral("ScrollChatOff1"));
    ScrollChatOff1->setCheckable(true);
    ScrollChatOff1->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    connect(mainchat, &QWidget::customContextMenuRequested, this,
            [this, logMenu](const QPoint &at) { logMenu->popup(mainchat->mapToGlobal(at)); });

    mychat = new QLineEdit(EntryPrompt, panel_main);
    mychat->setObjectName(QStringLiteral("mychat"));
    mychat->setGeometry(427, 505, 351, 22);
    mychat->setFont(look::font(13));
    mychat->setAccessibleName(QStringLiteral("Chat message"));
    mychat->setAccessibleDescription(QStringLiteral("Type a line and press Return to send it; /me for an action"));
    mychat->installEventFilter(new EntryKeys(this));
    mychat->setContextMenuPolicy(Qt::CustomContextMenu);
    auto *entryMenu = new QMenu(this);
    entryMenu->setObjectName(QStringLiteral("popup_mychat"));
    QAction *paste = entryMenu->addAction(QStringLiteral("Paste"), this, &Tchat::Paste1Click);
    paste->setObjectName(QStringLiteral("Paste1"));
    paste->setShortcut(QKeySequence::Paste);
    connect(mychat, &QWidget::customContextMenuRequested, this,
            [this, entryMenu](const QPoint &at) { entryMenu->popup(mychat->mapToGlobal(at)); });

    for (int n = 1; n <= Phrases; ++n) {
        auto *b = new PhraseButton(panel_main);
        b->setObjectName(QStringLiteral("b_phrase%1").arg(n));
        b->setGeometry(292 + 26 * ((n - 1) % 5), n <= 5 ? 488 : 508, 25, 19);
        b->setIcon(QIcon(artPixmap(QStringLiteral(":/images/phrase_%1.png").arg(n))));
        b->setIconSize(QSize(17, 13));
        b->setCursor(Qt::PointingHandCursor);
        connect(b, &QToolButton::clicked, this, [this, n] { b_phrase1Click(n); });
        b_phrase[size_t(n)] = b;
        setPhrase(n, m_phrases[size_t(n)]);
    }
}

void Tchat::setPhrase(int n, const QString &text)
{
    if (n < 1 || n > Phrases)
        return;
    m_phrases[size_t(n)] = text;
    if (b_phrase[size_t(n)]) {
        b_phrase[size_t(n)]->setToolTip(text);
        b_phrase[size_t(n)]->setAccessibleName(QStringLiteral("Say: ") + text);
    }
}

void Tchat::setChatColour(const QColor &c)
{
    m_chatColour = c;
    QPalette pal = mychat->palette();
    pal.setColor(QPalette::Text, c);
    mychat->setPalette(pal);
}

bool Tchat::scrollFrozen() const { return m_scrollFrozen; }

void Tchat::sendit()
{
    if (!m_loggedIn)
        return;
    const QString text = mychat->text();
    if (!text.isEmpty()) {
        const QByteArray seat = QByteArray::number(m_ownSeat);
        if (!text.startsWith(QLatin1Char('/')))
            sendMessage("CMD_chat+" + seat + "+" + wire::fromUser(text) + "|" + colorToString(m_chatColour).toLatin1());
        else if (text.startsWith(QLatin1String("/me")))
            sendMessage("CMD_action+" + seat + "+" + wire::fromUser(text.mid(4)) + "|"
                        + colorToString(m_actionColour).toLatin1());
    }
    mychat->clear();
}

void Tchat::b_phrase1Click(int n)
{
    // Before login the message would go out under seat 0.
    if (!m_phraseReady || !m_loggedIn)
        return;
    const QString phrase = m_phrases[size_t(n)];
    const QByteArray body = phrase.startsWith(QLatin1String("/me ")) ? wire::fromUser(phrase.mid(4))
                                                                       : "says: " + wire::fromUser(phrase);
    sendMessage("CMD_action+" + QByteArray::number(m_ownSeat) + "+" + body + "|"
                + colorToString(m_actionColour).toLatin1());
    m_phraseReady = false;
    m_cooldown = 0;
    cooldownTimer.start();
}

void Tchat::chatrecieved(const QByteArray &text)
{
    const QString t = wire::toDisplay(text);
    const qsizetype bar = t.indexOf(QLatin1Char('|'));
    QColor colour(255, 0, 0);
    QString line = t;
    if (bar >= 0) {
        line = t.left(bar);
        QColor c;
        if (stringToColor(t.mid(bar + 1), c))
            colour = c;
    }
    addlinetochat(ownLine(line), colour, true);
}

void Tchat::addlinetochat(const QString &line, const QColor &colour, bool boldHead)
{
    QScrollBar *bar = mainchat->verticalScrollBar();
    const bool frozen = scrollFrozen();
    const int keptScroll = bar->value();
    const QTextCursor keptCursor = mainchat->textCursor();
    mainchat->setUpdatesEnabled(false);
    QTextCursor c(mainchat->document());
    c.movePosition(QTextCursor::End);
    QTextCharFormat f;
    f.setForeground(colour);
    const qsizetype colon = boldHead ? line.indexOf(QLatin1Char(':')) : -1;
    if (colon >= 0) {
        f.setFontWeight(QFont::Bold);
        c.insertText(line.left(colon + 1), f);
    }
    f.setFontWeight(QFont::Normal);
    c.insertText(line.mid(colon + 1), f);
    c.insertBlock();
    if (frozen) {
        mainchat->setTextCursor(keptCursor);
        bar->setValue(keptScroll);
    } else {
        c.movePosition(QTextCursor::End);
        mainchat->setTextCursor(c);
        bar->setValue(bar->maximum());
    }
    mainchat->setUpdatesEnabled(true);
    mainchat->viewport()->update();
}

QString Tchat::linkAt(const QPoint &viewportPos) const
{
    const QPoint docPos = viewportPos + QPoint(mainchat->horizontalScrollBar()->value(),
                                               mainchat->verticalScrollBar()->value());
    const int at = mainchat->document()->documentLayout()->hitTest(docPos, Qt::ExactHit);
    const QString text = mainchat->document()->toPlainText();
    if (at < 0 || at >= text.size() || breaksARun(text.at(at)))
        return {};
    int from = at, to = at;
    while (from > 0 && !breaksARun(text.at(from - 1)))
        --from;
    while (to + 1 < text.size() && !breaksARun(text.at(to + 1)))
        ++to;
    const QString run = text.mid(from, to - from + 1);
    const QString lower = run.toLower();
    for (const char *prefix : LinkPrefixes) {
        const qsizetype start = lower.indexOf(QLatin1String(prefix));
        if (start < 0)
            continue;
        qsizetype end = lower.size();
        while (end > start && !endsALink(lower.at(end - 1)))
            --end;
        const QString link = run.mid(start, end - start);
        return link.size() > qsizetype(qstrlen(prefix)) ? link : QString();
    }
    return {};
}

void Tchat::ScrollChatOff1Click()
{
    // Either menu item toggles; both show the same state.
    m_scrollFrozen = !m_scrollFrozen;
    ScrollChatOff1->setChecked(m_scrollFrozen);
    ScrollChatOff2->setChecked(m_scrollFrozen);
}

void Tchat::ClearMainChat1Click()
{
    mainchat->clear();
    mychat->setFocus();
}

void Tchat::Copy1Click()
{
    QString selected = mainchat->textCursor().selectedText();
    if (!selected.isEmpty())
        QApplication::clipboard()->setText(selected.replace(QChar::ParagraphSeparator, QLatin1Char('\n')));
}

void Tchat::Paste1Click()
{
    const QString text = QApplication::clipboard()->text();
    if (!text.isEmpty())
        mychat->setText(text);
}

void Tchat::N14Click(int size, bool save)
{
    QFont f = mainchat->font();
    f.setPointSize(size);
    mainchat->setFont(f);
    mainchat->document()->setDefaultFont(f);
    if (save)
        savePreference(QStringLiteral("Textsize"));
}

void Tchat::PrhaseList1Click()
{
    if (!m_forms.phrases)
        return;
    m_forms.phrases->loadPhrases();
    m_forms.phrases->show();
}
