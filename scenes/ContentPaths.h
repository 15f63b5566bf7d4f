// Every content file the scenes open, as the scenes name them: under "Data" in any case, found by
// platform/Paths in the content folder. The operator's check of new content walks the same table.
#pragma once

inline constexpr const char* kStartScreenPicturePaths[] = {
    "data/images/StartScreen.TGA", "data/images/StartScreen2.TGA", "data/images/StartScreen3.TGA"};
inline constexpr const char* kCubesTitlePath = "data/images/cubes.TGA";
inline constexpr const char* kBoothMoviePaths[] = {"Data/movies/Booth1.avi", "Data/movies/Booth2.avi",
                                                   "Data/movies/Booth3.avi", "Data/movies/face2.avi"};
inline constexpr const char* kHorseScrollPath = "data/images/ScrollTrogan.tga";
inline constexpr const char* kHorseTrackPath = "data/music/horse.mp3";
inline constexpr const char* kMountainScrollPath = "data/images/ScrollOlympus.tga";
inline constexpr const char* kMountainTrackPath = "data/music/olympus.mp3";
inline constexpr const char* kParthenonScrollPath = "data/images/ScrollParthenon.tga";
inline constexpr const char* kParthenonTrackPath = "data/music/parthenon.mp3";

enum class ContentKind { Picture, Movie, Track };

struct ContentFile {
    ContentKind kind;
    const char* path;
};

// In the order a visitor meets them.
inline constexpr ContentFile kContentFiles[] = {
    {ContentKind::Picture, kStartScreenPicturePaths[0]},
    {ContentKind::Picture, kStartScreenPicturePaths[1]},
    {ContentKind::Picture, kStartScreenPicturePaths[2]},
    {ContentKind::Picture, kHorseScrollPath},
    {ContentKind::Track, kHorseTrackPath},
    {ContentKind::Picture, kMountainScrollPath},
    {ContentKind::Track, kMountainTrackPath},
    {ContentKind::Picture, kParthenonScrollPath},
    {ContentKind::Track, kParthenonTrackPath},
    {ContentKind::Picture, kCubesTitlePath},
    {ContentKind::Movie, kBoothMoviePaths[0]},
    {ContentKind::Movie, kBoothMoviePaths[1]},
    {ContentKind::Movie, kBoothMoviePaths[2]},
    {ContentKind::Movie, kBoothMoviePaths[3]},
};
