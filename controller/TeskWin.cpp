#include "controller/TeskWin.h"
