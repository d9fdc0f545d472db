-- SPDX-License-Identifier: MIT
-- Velloc's online lobby on Prosody: anonymous logins, one chat room where
-- players meet and tables list themselves, no links to other servers.
--
-- Install as /etc/prosody/prosody.cfg.lua, replace lobby.example.org with
-- your server's name (three places), put its certificate where the ssl
-- lines say, and restart prosody. Players then enter lobby.example.org as
-- the lobby server; tables join velloc@rooms.lobby.example.org.

pidfile = "/run/prosody/prosody.pid"

-- Only what a lobby needs: logins, TLS, keepalives and rate limits.
modules_enabled = {
	"saslauth"; "tls"; "disco"; "ping"; "limits"; "time"; "version";
}
-- No server-to-server links: the lobby is one place, not part of the network.
modules_disabled = { "s2s"; "offline"; "c2s_bidi" }

-- Clients must use TLS; Velloc checks the certificate against the system's
-- trust store.
c2s_require_encryption = true
allow_registration = false

-- Per connection: a steady 2 kB/s with a short burst is plenty for presence
-- and chat; floods are slowed down on the server before anyone sees them.
limits = {
	c2s = { rate = "2kb/s"; burst = "3s"; };
}
c2s_stanza_size_limit = 16 * 1024
c2s_timeout = 60

log = {
	info = "/var/log/prosody/prosody.log";
	error = "/var/log/prosody/prosody.err";
}

VirtualHost "lobby.example.org"
	-- Every login is a fresh anonymous account that ends with its connection.
	authentication = "anonymous"
	ssl = {
		certificate = "/etc/prosody/certs/lobby.example.org.crt";
		key = "/etc/prosody/certs/lobby.example.org.key";
	}

Component "rooms.lobby.example.org" "muc"
	-- The room velloc@rooms.lobby.example.org opens unlocked for whoever comes
	-- first and stays; it needs no owner to configure it.
	muc_room_locking = false
	muc_room_default_persistent = true
	muc_room_default_public = true
	muc_room_default_history_length = 0
	max_history_messages = 20
	muc_room_default_change_subject = false
