// The recording surface is all in its header; this file stays for the executables that list it.
#include "recording_surface.hpp"
