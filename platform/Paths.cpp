#include "platform/Paths.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <vector>

namespace platform {
namespace {

constexpr const char* kDataComponent = "Data";

std::string dataFolder;

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

std::vector<std::string> SplitComponents(const std::string& path) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : path) {
        if (c == '/' || c == '\\') {
            parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    parts.push_back(current);
    return parts;
}

// The entry of directory `dir` whose name equals `name` without regard to case, or "" if none.
std::string FindCaseless(const std::string& dir, const std::string& name) {
    DIR* handle = opendir(dir.empty() ? "." : dir.c_str());
    if (!handle) {
        return {};
    }
    std::string found;
    while (const dirent* entry = readdir(handle)) {
        if (strcasecmp(entry->d_name, name.c_str()) == 0) {
            found = entry->d_name;
            break;
        }
    }
    closedir(handle);
    return found;
}

} // namespace

void SetDataFolder(const std::string& folder) {
    dataFolder = folder;
    while (dataFolder.size() > 1 && dataFolder.back() == '/') {
        dataFolder.pop_back();
    }
}

std::string ResolvePath(const std::string& path) {
    std::vector<std::string> parts = SplitComponents(path);
    if (!dataFolder.empty() && parts.size() > 1 && strcasecmp(parts[0].c_str(), kDataComponent) == 0) {
        std::vector<std::string> inFolder = SplitComponents(dataFolder);
        inFolder.insert(inFolder.end(), parts.begin() + 1, parts.end());
        parts.swap(inFolder);
    }
    std::string plain;
    for (size_t i = 0; i < parts.size(); ++i) {
        plain += (i ? "/" : "") + parts[i];
    }
    if (Exists(plain)) {
        return plain;
    }
    std::string resolved;
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        std::string next = i == 0 ? part : resolved + "/" + part;
        if (part.empty() || part == "." || part == ".." || Exists(next)) {
            resolved = next;
            continue;
        }
        const std::string match = FindCaseless(resolved, part);
        if (match.empty()) {
            return plain;
        }
        resolved = i == 0 ? match : resolved + "/" + match;
    }
    return resolved;
}

} // namespace platform
