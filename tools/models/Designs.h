// The three models the program embeds, built from parts: landscape, temple and floating cloud.
// Depends on MeshBuilder.h.
#pragma once

#include "MeshBuilder.h"

namespace models {

ModelTables BuildLandscape();
ModelTables BuildTemple();
ModelTables BuildFloatingModel();

} // namespace models
