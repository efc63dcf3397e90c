// The layout engine with all its panel classes: the one header its users include.
#pragma once

#include "layout/panel.h"
#include "layout/split_container.h"
#include "layout/visual_panels.h"
#include "layout/wnd_resizer.h"
