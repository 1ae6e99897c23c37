#pragma once
// The console moved to base/console.h; this name stays only until the
// driver includes the new one.
#include "base/console.h"
