// The three models the program embeds, built from parts: landscape, temple and floating cloud.
#pragma once

#include "MeshBuilder.h"

namespace models {

ModelTables BuildLandscape();
ModelTables BuildTemple();
ModelTables BuildFloatingModel();

} // namespace models
