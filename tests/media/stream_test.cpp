#include "media/stream.h"
