#pragma once

// Everything the output actions offer, for callers that use several of them.
#include "helpers/output/EditorActions.h"
#include "helpers/output/OverlayActions.h"
#include "helpers/output/SelectionSurface.h"
#include "helpers/output/UploadHandOff.h"
