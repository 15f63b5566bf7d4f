// Builds the three embedded models and writes their tables as C++ sources into the given folder
// (render/models in the source tree). Usage: standview_models OUTPUT_DIR
#include "Designs.h"
#include "ModelWriter.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

bool WriteFile(const std::string& path, const std::string& text) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    const bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    using namespace models;
    const bool ok =
        WriteFile(
            dir + "/LandscapeModel.cpp",
            ModelSource(BuildLandscape(), "landscapeModel",
                        "The landscape: a square plate of sand with a rock mountain, two smaller rocks, a "
                        "gateway, an altar, a shrine, cypresses and the temple's footing.")) &&
        WriteFile(dir + "/TempleModel.cpp",
                  ModelSource(BuildTemple(), "templeModel",
                              "The temple: three steps, a peristyle of four by seven red columns, the "
                              "entablature and a tiled red roof.")) &&
        WriteFile(dir + "/FloatingModel.cpp",
                  ModelSource(BuildFloatingModel(), "floatingModel",
                              "The floating model: a flat-bottomed, lumpy white cloud."));
    return ok ? 0 : 1;
}
