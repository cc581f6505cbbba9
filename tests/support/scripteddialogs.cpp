#include "scripteddialogs.h"
