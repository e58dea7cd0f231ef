#include "korvid/link/link_blocks.h"
