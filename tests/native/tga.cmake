# Tests of the tga subsystem.
