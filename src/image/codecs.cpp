// placeholder: filled by the owner of this file
#include "image/codecs.h"
