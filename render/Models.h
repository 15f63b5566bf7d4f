// The three models compiled into the program (landscape, temple, floating cloud) as constant tables, and the
// per-model access to face corners and colours.
#pragma once

#include <cstdint>

// Indices of one triangle's corners: positions, then normals, then texture coordinates.
struct MeshFace {
    int16_t position[3];
    int16_t normal[3];
    int16_t texCoord[3];
};

// Fifteen 32-bit fields; drawing uses only the diffuse colour.
struct MeshMaterial {
    float ambient[3];
    float diffuse[3];
    float specular[3];
    float emission[3];
    float alpha;
    float shininess;
    int32_t texture; // -1: none
};
static_assert(sizeof(MeshMaterial) == 15 * 4, "the material record is fifteen 32-bit fields");

// A run of consecutive faces sharing one material; the runs cover the faces in table order.
struct MaterialGroup {
    int32_t material;
    int32_t faceCount;
};

struct EmbeddedMesh {
    const MeshFace* faces;
    int32_t faceCount;
    const float (*positions)[3];
    int32_t positionCount;
    const float (*normals)[3];
    int32_t normalCount;
    const float (*texCoords)[2]; // null with a count of 0 when the model has none
    int32_t texCoordCount;
    const MeshMaterial* materials;
    int32_t materialCount;
    const MaterialGroup* groups;
    int32_t groupCount;

    int FaceCount() const { return faceCount; }
    // Pointers into the constant tables (x, y, z or r, g, b), or null for a face outside
    // 0..FaceCount()-1 or a corner outside 0..2.
    const float* CornerPosition(int face, int corner) const;
    const float* CornerNormal(int face, int corner) const;
    // The diffuse colour of the material of the group that holds the face.
    const float* FaceDiffuse(int face) const;
};

extern const EmbeddedMesh landscapeModel;
extern const EmbeddedMesh templeModel;
extern const EmbeddedMesh floatingModel;
