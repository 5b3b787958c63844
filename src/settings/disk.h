// How many of the wanted bytes the disk takes at one write of a settings
// file: all of them. The tests build the settings library once more with
// KORV_DISK naming a header of theirs whose DiskTakes is a disk that fills
// up; the product carries no switch for it.
#pragma once

#include <cstddef>

#ifdef KORV_DISK
#include KORV_DISK
#else
inline size_t DiskTakes(size_t wanted) { return wanted; }
#endif
