#include "render/Models.h"

const float* EmbeddedMesh::CornerPosition(int face, int corner) const {
    if (face < 0 || face >= faceCount || corner < 0 || corner > 2) {
        return nullptr;
    }
    return positions[faces[face].position[corner]];
}

const float* EmbeddedMesh::CornerNormal(int face, int corner) const {
    if (face < 0 || face >= faceCount || corner < 0 || corner > 2) {
        return nullptr;
    }
    return normals[faces[face].normal[corner]];
}

const float* EmbeddedMesh::FaceDiffuse(int face) const {
    if (face < 0 || face >= faceCount) {
        return nullptr;
    }
    int end = 0;
    for (int g = 0; g < groupCount; ++g) {
        end += groups[g].faceCount;
        if (face < end) {
            return materials[groups[g].material].diffuse;
        }
    }
    return nullptr;
}
