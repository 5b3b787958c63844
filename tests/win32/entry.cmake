# Wine tests of the entry subsystem.
