// Keeps the records library non-empty while its parts are added.
