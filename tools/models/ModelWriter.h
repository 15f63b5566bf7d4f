// Writes a model's tables as a C++ source file that defines one EmbeddedMesh (render/Models.h).
#pragma once

#include "MeshBuilder.h"

#include <string>

namespace models {

// `variable` is the EmbeddedMesh's name; `summary` opens the file's comment.
std::string ModelSource(const ModelTables& tables, const std::string& variable, const std::string& summary);

} // namespace models
