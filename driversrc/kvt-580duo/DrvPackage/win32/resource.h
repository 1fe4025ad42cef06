// Resource numbers of UI580D.dll. Read by the resource compiler too, so
// plain macros only. The dialogs and their controls are shared with the
// portable page models.
#pragma once

#include "../PageControlIds.h"
