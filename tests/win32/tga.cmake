# Wine tests of the tga subsystem.
