// The link tests run on the shared set-up: a scripted port in place, a clean
// frame buffer, receives without a time limit, console output captured.
#pragma once

#include "support/target_fixture.h"

using LinkTest = TargetTest;
