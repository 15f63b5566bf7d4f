#include "platform/linux/MusicFile.h"

#include "platform/DataFile.h"

#include <SDL.h>

#include <cstdio>
#include <memory>

namespace platform::internal {
namespace {

struct SeekOrigin {
    int sdl;
    int system;
};
constexpr SeekOrigin kSeekOrigins[] = {
    {RW_SEEK_SET, SEEK_SET}, {RW_SEEK_CUR, SEEK_CUR}, {RW_SEEK_END, SEEK_END}};

// Mix_LoadMUS takes the format from these extensions before it looks at the data; without one it
// looks at the data.
struct ExtensionType {
    const char* extension;
    Mix_MusicType type;
};
constexpr ExtensionType kExtensionTypes[] = {
    {"mp3", MUS_MP3}, {"mpg", MUS_MP3},   {"mpeg", MUS_MP3},  {"mad", MUS_MP3},
    {"ogg", MUS_OGG}, {"flac", MUS_FLAC}, {"opus", MUS_OPUS}, {"wav", MUS_WAV},
};

DataFile& FileOf(SDL_RWops* stream) {
    return *static_cast<DataFile*>(stream->hidden.unknown.data1);
}

Sint64 StreamSize(SDL_RWops* stream) {
    return static_cast<Sint64>(FileOf(stream).Size());
}

Sint64 StreamSeek(SDL_RWops* stream, Sint64 offset, int whence) {
    for (const SeekOrigin& origin : kSeekOrigins) {
        if (origin.sdl == whence) {
            const int64_t position = FileOf(stream).Seek(offset, origin.system);
            return position < 0 ? SDL_SetError("cannot seek to %lld", static_cast<long long>(offset))
                                : position;
        }
    }
    return SDL_SetError("unknown seek origin %d", whence);
}

size_t StreamRead(SDL_RWops* stream, void* buffer, size_t size, size_t count) {
    if (size == 0) {
        return 0;
    }
    return FileOf(stream).Read(static_cast<uint8_t*>(buffer), size * count) / size;
}

size_t StreamWrite(SDL_RWops*, const void*, size_t, size_t) {
    SDL_SetError("music files are only read");
    return 0;
}

int StreamClose(SDL_RWops* stream) {
    delete &FileOf(stream);
    SDL_FreeRW(stream);
    return 0;
}

// The file as a stream that SDL_RWclose closes; null, with the reason as SDL's error, when DataFile
// refuses it.
SDL_RWops* OpenStream(const std::string& path) {
    auto file = std::make_unique<DataFile>();
    if (!file->Open(path)) {
        SDL_SetError("%s", file->Problem().c_str());
        return nullptr;
    }
    SDL_RWops* stream = SDL_AllocRW();
    if (!stream) {
        return nullptr;
    }
    stream->type = SDL_RWOPS_UNKNOWN;
    stream->size = StreamSize;
    stream->seek = StreamSeek;
    stream->read = StreamRead;
    stream->write = StreamWrite;
    stream->close = StreamClose;
    stream->hidden.unknown.data1 = file.release();
    return stream;
}

Mix_MusicType TypeOfName(const std::string& path) {
    const size_t dot = path.find_last_of("./\\");
    if (dot == std::string::npos || path[dot] != '.') {
        return MUS_NONE;
    }
    const std::string extension = path.substr(dot + 1);
    for (const ExtensionType& known : kExtensionTypes) {
        if (SDL_strcasecmp(extension.c_str(), known.extension) == 0) {
            return known.type;
        }
    }
    return MUS_NONE;
}

constexpr int kCloseWhenDone = 1;

} // namespace

Mix_Music* LoadMusicFile(const std::string& path) {
    SDL_RWops* stream = OpenStream(path);
    return stream ? Mix_LoadMUSType_RW(stream, TypeOfName(path), kCloseWhenDone) : nullptr;
}

Mix_Chunk* DecodeMusicFile(const std::string& path) {
    SDL_RWops* stream = OpenStream(path);
    return stream ? Mix_LoadWAV_RW(stream, kCloseWhenDone) : nullptr;
}

} // namespace platform::internal
