#pragma once
// What this system gives the clip tool: its folder, paths, code pages, and whether the
// program is running.

#include "qvclips/Commands.h"

namespace qv {

TClipsHost SystemHost();

}  // namespace qv
