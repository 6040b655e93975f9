#pragma once

// Everything the output actions offer, for callers that use several of them.
#include "output/EditorActions.h"
#include "output/OverlayActions.h"
#include "output/SelectionSurface.h"
#include "output/UploadHandOff.h"
