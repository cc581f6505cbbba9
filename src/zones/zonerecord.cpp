// placeholder: filled by the owner of this file
#include "zones/zonerecord.h"
