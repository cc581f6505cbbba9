// placeholder: filled by the owner of this file
#include "programmer/serialsettings.h"
