// The replay objects keep only their setting; their members are all in the header.
#include "services/replay/CGameReplay.h"
