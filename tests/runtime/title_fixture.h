// Kept until the tests that include it move to the shared fixture.
#include "support/runtime_title.h"
