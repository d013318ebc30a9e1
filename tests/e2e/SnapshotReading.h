// Reading the monitor's snapshot: E2eSupport.h holds it with the rest.
#include "E2eSupport.h"
