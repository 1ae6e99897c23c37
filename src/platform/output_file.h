#pragma once
// Output files moved to base/output_file.h; this name stays only until the
// driver includes the new one.
#include "base/output_file.h"
