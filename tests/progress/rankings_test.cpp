#include "progress/rankings.h"
