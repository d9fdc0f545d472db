// SPDX-License-Identifier: MIT
#include "helppages.h"

namespace helppages {

namespace {

const char Overview[] = R"html(
<h3>Welcome to Velloc</h3>
<p>Velloc is a game of dominoes for two to six players, played alone against
computer players or with friends across a network. Its rules are a variant of
the well-known game <b>Chicken Foot</b>, played with a <b>double-nine set of 55
bones</b>.</p>
<p>Like Chicken Foot, every round grows from a double in the middle of the
table, the <b>spinner</b>, and three lines of bones, the <b>toes</b>, must be
started off it before any toe may grow longer. Velloc keeps the game quick:</p>
<ul>
<li>Each round has a fixed spinner: 9-9 in the first round, then 8-8, 7-7 and
so on down.</li>
<li>There is no drawing from the boneyard: if you cannot play, you pass.</li>
<li>A double played on the end of a toe becomes the new spinner. The table is
cleared around it and three new toes must be started.</li>
<li>Going out scores <b>-20</b>; everybody else counts the pips left in hand.
The lowest total after the last round wins.</li>
</ul>
<h4>The table</h4>
<p>The board with the spinner and its toes fills the top of the window, your
hand lies below it, the seats with their names, bone counts and scores are at
the lower left, and the chat is at the lower right. The status line above the
seats tells you whose turn it is.</p>
<p>Use the <b>Options</b> menu for sounds, the computer players' speed, chat
colours and text size, <b>View</b> for the tally of your games, the list of
watchers and your phrase buttons, and <b>Help</b> for this window.</p>
)html";

const char Connecting[] = R"html(
<h3>Playing alone</h3>
<p>Start Velloc without any arguments. You sit in seat 1 as <b>You</b> and play
against the computer player <b>Klot</b>. The window "Download The Qorb42 Lobby"
offers the maker's lobby; click <b>Play Solo Game</b> to go on alone, then
<b>File / Start Game</b> (or the start button on the board) to choose the
number of rounds and begin.</p>

<h3>Playing with others</h3>
<p>Choose <b>File / Play with Others...</b> (or <b>Play with Others</b> in the
lobby window when no lobby is installed) and type your name.</p>
<ul>
<li><b>Host a Table</b>: your copy runs the table on the port shown (7772
unless you change it) and lists the addresses of this computer that friends on
your network can use. Tick the router box to ask your router (UPnP) to open the
port for friends outside your network.</li>
<li><b>Join Table</b>: type the host's address, as <code>host</code> or
<code>host:port</code> (an IPv6 address as <code>[address]:port</code>), or pick
one of your last ten tables. The same works for a table run by
<code>velloc-host</code>.</li>
</ul>
<p>If a join fails, the table says why and offers to try again, to play solo
or to choose another table. If your connection is lost during a game, click
<b>Reconnect</b>: within two minutes you get your own seat back, with your
bones and your score; the computer plays it meanwhile.</p>
<h3>Finding a table</h3>
<p><b>Tables on this network</b> in Play with Others lists every table on your
network that takes players, with its players seated of 6, its watchers and its
game; double-click one (or choose it and press <b>Join</b>) to join it. Your
own table is announced while you host. This needs the network discovery
service of your desktop (Avahi); without it the window says so.</p>
<p><b>File / Online Lobby...</b> opens the online lobby: enter a lobby server
and press <b>Enter the Lobby</b>. You see the open tables (and whether the host
can be reached from the internet), the people in the room and their chat
(plain text, 300 characters a line, five lines in ten seconds). <b>Ignore</b>
hides a person's lines and tables until Velloc ends. Double-click a table or
press <b>Join</b> to join it. When the lobby cannot be reached, the window says
so, marks the list as out of date and tries again by itself.</p>
<p>To list your own table there, tick <b>List my table in the online lobby</b>
in Play with Others before you host. The lobby shows the address your router
gave (with the router box ticked); your local addresses only when you also tick
<b>also list my local addresses</b>.</p>

<p>Multi-player games can also be arranged in the <b>Qorb42 Lobby</b>, which
starts Velloc for every player, or from a command line:</p>
<ul>
<li>To host a game: <code>velloc NAME HOSTADDRESS true [--port N]</code><br>
Your copy runs the game and your own table connects to it. The address is not
used when you host, but it must be given.</li>
<li>To join a game: <code>velloc NAME HOSTADDRESS x</code><br>
Any third word other than <code>true</code> (small letters, exactly) joins the
host at HOSTADDRESS, which may end in <code>:port</code>.</li>
</ul>
<p>With only one or two words on the command line Velloc waits and connects to
nobody.</p>

<h4>Port 7772</h4>
<p>The host must accept <b>incoming TCP connections on port 7772</b>. Allow
Velloc through your firewall and, behind a home router, forward port 7772 to
the host's computer. Players who join only need to reach that port.</p>

<h4>Seats and watchers</h4>
<p>Up to nine people can be connected. The first six take the seats at the
table (the host is always seat 1); the next three can only watch. Watchers are
called <b>spies</b> and are listed under <b>View / Spy List</b>. A tenth player
is told that the game is full.</p>
<p>Only the host's player starts a game. He chooses the number of rounds and
what happens to players who arrive during a game. By right-clicking a player's
name he can remove that player or set and clear "just watching" for the seat.
Every player can choose <b>Options / Just Watch</b> during a game: the
computer then plays the seat until the player switches it off again.</p>
<p>When the host leaves, the game ends for everyone.</p>

<h4>A table of its own</h4>
<p>The program <code>velloc-host [--port N] [--quiet]</code> runs a table
without a window, for instance on a server. It listens on port 7772 unless
another port is given, tells its operator what happens, and stops with Ctrl+C.
The first player to join is its host player and starts the games; when he
leaves, the next player takes over. The computer plays empty seats 1 and 2.</p>
<p>Only one copy of Velloc runs on a desktop: starting it again brings the
running copy to the front.</p>
)html";

const char GamePlay[] = R"html(
<h3>The bones</h3>
<p>Velloc uses a double-nine set: 55 bones, from 0-0 to 9-9. At the start of
each round every player in the game gets a hand of bones; the rest stay
face down for the whole round.</p>
<table border="1" cellspacing="0" cellpadding="3">
<tr><td>Players</td><td>2</td><td>3</td><td>4</td><td>5</td><td>6</td></tr>
<tr><td>Bones each</td><td>16</td><td>14</td><td>11</td><td>9</td><td>7</td></tr>
</table>

<h3>The spinner</h3>
<p>The first round starts with the double 9-9 in the middle of the table as the
spinner, the second with 8-8, and each further round with the next lower
double.</p>

<h3>The toes</h3>
<p>Three toes grow off the spinner. A bone starts a toe when one of its ends
matches the spinner. <b>All three toes must be started before any toe can be
extended.</b> After that a bone is played on the open end of any toe, the
matching ends touching.</p>

<h3>Doubles</h3>
<p>A double played on the end of a toe becomes the <b>new spinner</b>. After a
short pause the table is cleared around it and three new toes must be started
off it before any of them grows. The player after the one who played the double
moves first on the new spinner.</p>

<h3>Your turn</h3>
<ul>
<li>Left-click a bone of your hand to raise it, then click one of the toe
targets on the board to play it there. Click the raised bone again to lower
it.</li>
<li>With a bone raised, clicking another bone of your hand swaps the two.</li>
<li>Right-click the hand at any time to sort it.</li>
<li>If you cannot play, or do not want to, click <b>Pass</b>.</li>
</ul>
<p>The host checks every play; a bone that does not fit is refused and you may
try again or pass.</p>

<h3>Playing from the keyboard</h3>
<ul>
<li><b>F6</b> goes between the game and the chat entry; <b>Tab</b> reaches every
control in turn.</li>
<li>In your hand, <b>Left</b> and <b>Right</b> choose a bone (<b>Home</b> and
<b>End</b> go to the ends); <b>Return</b> or <b>Space</b> raises it.</li>
<li><b>1</b>, <b>2</b> or <b>3</b> plays the raised bone (or the chosen one) on
that toe; or choose a toe with <b>Up</b> and <b>Down</b> and press
<b>Return</b>. <b>Escape</b> takes back the choice.</li>
<li><b>P</b> passes, <b>S</b> starts the game when you may, <b>H</b> asks for a
hint, <b>O</b> or the <b>Menu</b> key sorts your hand.</li>
<li><b>Alt</b> with the underlined letter opens a menu (<b>Alt+F</b> for
File).</li>
</ul>
<p>A screen reader hears each bone (“six four”), each toe and its open end, each
seat with its points and bones, and every play as it happens. <b>Options / Game
Log in Chat</b> writes every play, pass and round score into the chat in grey.</p>

<h3>End of a round</h3>
<p>A round ends when a player has played his last bone, or when every player in
the game has passed in a row and nobody can go on. Five seconds later the next
round begins with the next lower spinner.</p>
<p>Seats without a player are played by the computer players Klot, Klock,
Kling, Klick and Krazy. <b>Options / Bot Speed</b> sets how long they think.</p>

<h3>Computer players and hints</h3>
<p>The host player chooses in the game-start dialog how many seats the computer
plays (1 to 5: seat 2 when nobody sits there, then one more empty seat for each
above one) and how strong they are. <b>Normal</b> players lay the first bone
that fits. <b>Strong</b> players plan: they guess the bones they cannot see from
what the table has shown, play each move out many times and pick the best.</p>
<p><b>Options / Hint</b> (key H) raises the bone a strong player would play
on your turn and flashes where it goes. Nothing is played until you click. At a
network table hints are there only when the host player allowed them.</p>
)html";

const char Scoring[] = R"html(
<h3>Scores of a round</h3>
<p>When a round ends, every player in the game adds the pips of the bones left
in his hand to his total. Low is good.</p>
<ul>
<li>The player who went out (played his last bone) scores <b>-20</b> for the
round.</li>
<li>When the round ended because everyone passed, nobody gets -20: each player
counts his pips.</li>
</ul>
<p>Example: you hold 3-5 and 0-2 when another player goes out. You score 10 for
the round; he scores -20.</p>

<h3>Winning</h3>
<p>The host's player chooses between <b>3 and 10 rounds</b> when he starts the
game. After the last round the <b>lowest total wins</b>. If two or more players
share the lowest total, one more round is played with the spinner of the last
round, and the totals are compared again until one player is lowest.</p>

<h3>Players who arrive during a game</h3>
<p>The host chooses what happens to them:</p>
<ul>
<li><b>Cannot Play</b>: they watch until the next game.</li>
<li><b>Starts with Highest</b>: they join at the next round with the highest
total at the table.</li>
<li><b>Starts with Average</b>: they join at the next round with the average
total of the players in the game.</li>
</ul>

<h3>Your tally</h3>
<p><b>View / View Tally</b> keeps your record across games: how many games you
played and won, and, for each opponent you choose to tally, your games
together, his wins and yours, in total and for this session.</p>
)html";

const char History[] = R"html(
<h3>Version history</h3>
<p><b>1.0.1.2</b></p>
<ul>
<li>Runs on Linux and other desktops.</li>
<li>New: <code>velloc-host</code>, the game host without a window.</li>
<li>The lobby installer is only started after a complete download; a broken
download leaves nothing behind.</li>
</ul>
<p><b>1.0.1.1</b></p>
<ul>
<li>Ten phrase buttons beside the chat, with their own editor.</li>
<li>Chat and action colours, text size and the "Scroll Chat Off" switch.</li>
</ul>
<p><b>1.0.1.0</b></p>
<ul>
<li>Network version 1.0.1: the host warns when a player's copy does not match
its own.</li>
<li>Watchers (spies) and "Just Watch".</li>
<li>Choice of what happens to players who arrive during a game.</li>
</ul>
<p><b>1.0.0.0</b></p>
<ul>
<li>First release: solo games against computer players and network games for
up to six players, the tally and the classic and new turn sounds.</li>
</ul>
)html";

const char License[] = R"html(
<h3>License</h3>
<p>Velloc is released under the MIT License.</p>
<p>Copyright (c) the Velloc developers</p>
<p>Permission is hereby granted, free of charge, to any person obtaining a copy
of this software and associated documentation files (the "Software"), to deal
in the Software without restriction, including without limitation the rights
to use, copy, modify, merge, publish, distribute, sublicense, and/or sell
copies of the Software, and to permit persons to whom the Software is
furnished to do so, subject to the following conditions:</p>
<p>The above copyright notice and this permission notice shall be included in
all copies or substantial portions of the Software.</p>
<p>THE SOFTWARE IS PROVIDED "AS IS", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR
IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY,
FITNESS FOR A PARTICULAR PURPOSE AND NONINFRINGEMENT. IN NO EVENT SHALL THE
AUTHORS OR COPYRIGHT HOLDERS BE LIABLE FOR ANY CLAIM, DAMAGES OR OTHER
LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING FROM,
OUT OF OR IN CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER DEALINGS IN THE
SOFTWARE.</p>
<p>The Qorb42 Lobby is a separate program of its maker and is not covered by
this licence.</p>
)html";

} // namespace

QString page(int number)
{
    switch (number) {
    case 1: return QString::fromUtf8(Overview);
    case 2: return QString::fromUtf8(Connecting);
    case 3: return QString::fromUtf8(GamePlay);
    case 4: return QString::fromUtf8(Scoring);
    case 5: return QString::fromUtf8(History);
    case 6: return QString::fromUtf8(License);
    default: return QString();
    }
}

} // namespace helppages
