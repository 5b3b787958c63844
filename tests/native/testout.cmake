# Tests of the testout subsystem.
