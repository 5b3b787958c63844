# Wine tests of the testout subsystem.
