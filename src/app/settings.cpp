// Placeholder until this module is written.
#include "app/settings.h"
