#include "platform/GlFeatures.h"

#include "platform/OpenGl.h"

#include <cstdio>
#include <cstring>

namespace platform {

bool GlOffers(int major, int minor, const char* extension) {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int contextMajor = 0;
    int contextMinor = 0;
    if (version != nullptr && std::sscanf(version, "%d.%d", &contextMajor, &contextMinor) == 2 &&
        (contextMajor > major || (contextMajor == major && contextMinor >= minor))) {
        return true;
    }
    const char* extensions = extension ? reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)) : nullptr;
    return extensions != nullptr && std::strstr(extensions, extension) != nullptr;
}

} // namespace platform
