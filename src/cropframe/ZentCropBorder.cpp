#include "ZentCropBorder.h"
