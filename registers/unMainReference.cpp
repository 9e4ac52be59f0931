#include "registers/unMainReference.h"
