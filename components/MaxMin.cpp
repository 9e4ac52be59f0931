// IntMax and IntMin are inline in the header.
#include "components/MaxMin.h"
