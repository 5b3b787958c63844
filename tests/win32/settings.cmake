# Wine tests of the settings subsystem.
