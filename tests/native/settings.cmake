# Tests of the settings subsystem.
