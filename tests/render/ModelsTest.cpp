#include "render/Models.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

struct ExpectedModel {
    const char* name;
    const EmbeddedMesh* mesh;
    int faces, positions, normals, texCoords, sharedNormalFaces;
    std::vector<std::vector<int>> diffuse255; // per material
    std::vector<std::pair<int, int>> groups;
    float extent[3];
};

const std::vector<ExpectedModel>& Expected() {
    static const std::vector<ExpectedModel> models = {
        {"landscape",
         &landscapeModel,
         969,
         545,
         599,
         355,
         854,
         {{42, 39, 39},
          {82, 73, 57},
          {255, 255, 255},
          {111, 34, 34},
          {221, 211, 153},
          {49, 41, 29},
          {227, 224, 191}},
         {{0, 12},
          {1, 424},
          {2, 12},
          {3, 12},
          {2, 12},
          {3, 12},
          {2, 12},
          {3, 24},
          {1, 141},
          {4, 32},
          {3, 24},
          {1, 141},
          {3, 12},
          {1, 12},
          {5, 75},
          {6, 12}},
         {0.4294f, 0.3972f, 0.5f}},
        {"temple",
         &templeModel,
         1556,
         840,
         826,
         0,
         648,
         {{227, 224, 191}, {111, 34, 34}},
         {{0, 536}, {1, 1020}},
         {0.2832f, 0.4928f, 0.5f}},
        {"floating",
         &floatingModel,
         422,
         213,
         419,
         695,
         215,
         {{255, 255, 255}},
         {{0, 422}},
         {0.5f, 0.4074f, 0.2041f}},
    };
    return models;
}

class ModelTables : public testing::TestWithParam<size_t> {
protected:
    const ExpectedModel& expected = Expected()[GetParam()];
    const EmbeddedMesh& mesh = *expected.mesh;
};

TEST_P(ModelTables, HaveTheCountsMaterialsAndGroupsInOrder) {
    EXPECT_EQ(mesh.FaceCount(), expected.faces);
    EXPECT_EQ(mesh.positionCount, expected.positions);
    EXPECT_EQ(mesh.normalCount, expected.normals);
    EXPECT_EQ(mesh.texCoordCount, expected.texCoords);
    EXPECT_EQ(mesh.texCoords == nullptr, expected.texCoords == 0);
    ASSERT_EQ(mesh.materialCount, static_cast<int>(expected.diffuse255.size()));
    for (int m = 0; m < mesh.materialCount; ++m) {
        const MeshMaterial& material = mesh.materials[m];
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(material.diffuse[c], expected.diffuse255[m][c] / 255.0f) << "material " << m;
            EXPECT_EQ(material.ambient[c], material.diffuse[c]);
            EXPECT_EQ(material.specular[c], 0.0f);
            EXPECT_EQ(material.emission[c], 0.0f);
        }
        EXPECT_EQ(material.alpha, 1.0f);
        EXPECT_EQ(material.shininess, 4.0f);
        EXPECT_EQ(material.texture, -1);
    }
    ASSERT_EQ(mesh.groupCount, static_cast<int>(expected.groups.size()));
    int total = 0;
    for (int g = 0; g < mesh.groupCount; ++g) {
        EXPECT_EQ(mesh.groups[g].material, expected.groups[g].first) << "group " << g;
        EXPECT_EQ(mesh.groups[g].faceCount, expected.groups[g].second) << "group " << g;
        total += mesh.groups[g].faceCount;
    }
    EXPECT_EQ(total, mesh.FaceCount());
}

TEST_P(ModelTables, IndicesStayInTheirTables) {
    for (int i = 0; i < mesh.FaceCount(); ++i) {
        for (int c = 0; c < 3; ++c) {
            const MeshFace& face = mesh.faces[i];
            ASSERT_GE(face.position[c], 0);
            ASSERT_LT(face.position[c], mesh.positionCount);
            ASSERT_GE(face.normal[c], 0);
            ASSERT_LT(face.normal[c], mesh.normalCount);
            if (mesh.texCoordCount == 0) {
                ASSERT_EQ(face.texCoord[c], 0) << "a model without texture coordinates uses index 0";
            } else {
                ASSERT_GE(face.texCoord[c], 0);
                ASSERT_LT(face.texCoord[c], mesh.texCoordCount);
            }
        }
    }
}

TEST_P(ModelTables, NormalsAreUnitAndFlatFacesShareOneFacingOut) {
    for (int n = 0; n < mesh.normalCount; ++n) {
        const float* v = mesh.normals[n];
        EXPECT_NEAR(std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]), 1.0, 1e-5) << "normal " << n;
    }
    int shared = 0;
    for (int i = 0; i < mesh.FaceCount(); ++i) {
        const float* p[3] = {mesh.CornerPosition(i, 0), mesh.CornerPosition(i, 1), mesh.CornerPosition(i, 2)};
        const double e1[3] = {p[1][0] - p[0][0], p[1][1] - p[0][1], p[1][2] - p[0][2]};
        const double e2[3] = {p[2][0] - p[0][0], p[2][1] - p[0][1], p[2][2] - p[0][2]};
        const double cross[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                                 e1[0] * e2[1] - e1[1] * e2[0]};
        const double area = std::sqrt(cross[0] * cross[0] + cross[1] * cross[1] + cross[2] * cross[2]);
        ASSERT_GT(area, 0.0) << "face " << i;
        // Every corner normal must face the side the corners turn counter-clockwise about, or the
        // face would be shaded as if turned away.
        for (int c = 0; c < 3; ++c) {
            const float* n = mesh.CornerNormal(i, c);
            const double facing = (cross[0] * n[0] + cross[1] * n[1] + cross[2] * n[2]) / area;
            ASSERT_GT(facing, 0.0) << "face " << i << " corner " << c;
        }
        const MeshFace& face = mesh.faces[i];
        if (face.normal[0] == face.normal[1] && face.normal[1] == face.normal[2]) {
            ++shared;
            const float* n = mesh.CornerNormal(i, 0);
            EXPECT_GT((cross[0] * n[0] + cross[1] * n[1] + cross[2] * n[2]) / area, 0.999) << "face " << i;
        }
    }
    EXPECT_EQ(shared, expected.sharedNormalFaces);
}

TEST_P(ModelTables, AreCentredWithTheGivenExtents) {
    float low[3], high[3];
    for (int axis = 0; axis < 3; ++axis) {
        low[axis] = high[axis] = mesh.positions[0][axis];
        for (int p = 0; p < mesh.positionCount; ++p) {
            low[axis] = std::min(low[axis], mesh.positions[p][axis]);
            high[axis] = std::max(high[axis], mesh.positions[p][axis]);
        }
        EXPECT_NEAR(low[axis], -expected.extent[axis], 5e-5) << "axis " << axis;
        EXPECT_NEAR(high[axis], expected.extent[axis], 5e-5) << "axis " << axis;
    }
    EXPECT_FLOAT_EQ(std::max({high[0] - low[0], high[1] - low[1], high[2] - low[2]}), 1.0f);
}

// Two faces walking one edge the same way means one of them is turned over (it would be culled
// from the side it should show).
TEST_P(ModelTables, FacesAreWoundConsistently) {
    std::map<std::pair<int, int>, int> walked;
    for (int i = 0; i < mesh.FaceCount(); ++i) {
        const MeshFace& face = mesh.faces[i];
        for (int c = 0; c < 3; ++c) {
            const std::pair<int, int> edge(face.position[c], face.position[(c + 1) % 3]);
            ASSERT_EQ(++walked[edge], 1) << "face " << i;
        }
    }
}

TEST_P(ModelTables, AccessorsPointIntoTheTablesAndRefuseOutOfRange) {
    const int last = mesh.FaceCount() - 1;
    EXPECT_EQ(mesh.CornerPosition(last, 2), mesh.positions[mesh.faces[last].position[2]]);
    EXPECT_EQ(mesh.CornerNormal(0, 1), mesh.normals[mesh.faces[0].normal[1]]);
    EXPECT_EQ(mesh.FaceDiffuse(last), mesh.materials[expected.groups.back().first].diffuse);
    for (int face : {-1, mesh.FaceCount()}) {
        EXPECT_EQ(mesh.CornerPosition(face, 0), nullptr);
        EXPECT_EQ(mesh.CornerNormal(face, 0), nullptr);
        EXPECT_EQ(mesh.FaceDiffuse(face), nullptr);
    }
    for (int corner : {-1, 3}) {
        EXPECT_EQ(mesh.CornerPosition(0, corner), nullptr);
        EXPECT_EQ(mesh.CornerNormal(0, corner), nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(EmbeddedModels, ModelTables, testing::Values(0, 1, 2),
                         [](const testing::TestParamInfo<size_t>& info) {
                             return std::string(Expected()[info.param].name);
                         });

TEST(LandscapeColours, FollowTheGroupsAcrossTheirBorders) {
    const float* dark = landscapeModel.materials[0].diffuse;
    const float* rock = landscapeModel.materials[1].diffuse;
    const float* white = landscapeModel.materials[2].diffuse;
    EXPECT_EQ(landscapeModel.FaceDiffuse(0), dark);
    EXPECT_EQ(landscapeModel.FaceDiffuse(11), dark);
    EXPECT_EQ(landscapeModel.FaceDiffuse(12), rock);
    EXPECT_EQ(landscapeModel.FaceDiffuse(435), rock);
    EXPECT_EQ(landscapeModel.FaceDiffuse(436), white);
    EXPECT_EQ(landscapeModel.FaceDiffuse(968), landscapeModel.materials[6].diffuse);
}

} // namespace
