#include "ModelWriter.h"

#include <cstdio>
#include <cstring>

namespace models {
namespace {

// Shortest text that reads back as the same float.
std::string FloatText(float value) {
    if (value == 0.0f) {
        return "0.0f";
    }
    char text[32];
    for (int digits = 6; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
        if (std::strtof(text, nullptr) == value) {
            break;
        }
    }
    std::string out = text;
    if (out.find_first_of(".e") == std::string::npos) {
        out += ".0";
    }
    return out + "f";
}

std::string ChannelText(int channel) {
    return channel == 255 ? "1.0f" : channel == 0 ? "0.0f" : std::to_string(channel) + " / 255.0f";
}

} // namespace

std::string ModelSource(const ModelTables& t, const std::string& variable, const std::string& summary) {
    std::string s;
    s += "// " + summary + "\n";
    s += "// Written by the model generator (tools/models): change the generator and run it again instead "
         "of\n";
    s += "// editing this file; the test suite checks that the two agree.\n";
    s += "// clang-format off\n";
    s += "#include \"render/Models.h\"\n\nnamespace {\n\n";

    s += "const float kPositions[" + std::to_string(t.positions.size()) + "][3] = {\n";
    for (const auto& p : t.positions) {
        s += "    {" + FloatText(p[0]) + ", " + FloatText(p[1]) + ", " + FloatText(p[2]) + "},\n";
    }
    s += "};\n\n";
    s += "const float kNormals[" + std::to_string(t.normals.size()) + "][3] = {\n";
    for (const auto& n : t.normals) {
        s += "    {" + FloatText(n[0]) + ", " + FloatText(n[1]) + ", " + FloatText(n[2]) + "},\n";
    }
    s += "};\n\n";
    if (!t.texCoords.empty()) {
        s += "const float kTexCoords[" + std::to_string(t.texCoords.size()) + "][2] = {\n";
        for (const auto& c : t.texCoords) {
            s += "    {" + FloatText(c[0]) + ", " + FloatText(c[1]) + "},\n";
        }
        s += "};\n\n";
    }
    s += "const MeshFace kFaces[" + std::to_string(t.faces.size()) + "] = {\n";
    for (const ModelTables::Face& f : t.faces) {
        char line[128];
        std::snprintf(line, sizeof line, "    {{%d, %d, %d}, {%d, %d, %d}, {%d, %d, %d}},\n", f.position[0],
                      f.position[1], f.position[2], f.normal[0], f.normal[1], f.normal[2], f.texCoord[0],
                      f.texCoord[1], f.texCoord[2]);
        s += line;
    }
    s += "};\n\n";
    s += "const MeshMaterial kMaterials[" + std::to_string(t.materials.size()) + "] = {\n";
    for (const Rgb8& m : t.materials) {
        const std::string rgb =
            "{" + ChannelText(m.r) + ", " + ChannelText(m.g) + ", " + ChannelText(m.b) + "}";
        s += "    {" + rgb + ", " + rgb + ", {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, 1.0f, 4.0f, -1},\n";
    }
    s += "};\n\n";
    s += "const MaterialGroup kGroups[" + std::to_string(t.groups.size()) + "] = {\n";
    for (const auto& g : t.groups) {
        s += "    {" + std::to_string(g[0]) + ", " + std::to_string(g[1]) + "},\n";
    }
    s += "};\n\n} // namespace\n\n";
    s += "const EmbeddedMesh " + variable + " = {\n";
    s += "    kFaces, " + std::to_string(t.faces.size()) + ",\n";
    s += "    kPositions, " + std::to_string(t.positions.size()) + ",\n";
    s += "    kNormals, " + std::to_string(t.normals.size()) + ",\n";
    if (t.texCoords.empty()) {
        s += "    nullptr, 0,\n";
    } else {
        s += "    kTexCoords, " + std::to_string(t.texCoords.size()) + ",\n";
    }
    s += "    kMaterials, " + std::to_string(t.materials.size()) + ",\n";
    s += "    kGroups, " + std::to_string(t.groups.size()) + ",\n";
    s += "};\n";
    return s;
}

} // namespace models
