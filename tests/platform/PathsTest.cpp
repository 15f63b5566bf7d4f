#include "platform/DataFile.h"
#include "platform/Paths.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using testing_support::TempDir;

// Windows finds a name in any case by itself, so there the resolver hands on a path that exists as it was
// written: names are compared as Windows compares them.
#ifdef _WIN32
#define EXPECT_SAME_PATH(resolved, expected)                                                                 \
    EXPECT_STRCASEEQ((resolved).c_str(), std::string(expected).c_str())
#else
#define EXPECT_SAME_PATH(resolved, expected) EXPECT_EQ(resolved, expected)
#endif

TEST(ResolvePath, BackslashesAndCaseAreForgivenComponentByComponent) {
    TempDir dir(true);
    dir.Write("Data/shader.txt", "1\n");
    dir.Write("Data/images/StartScreen.TGA", "x");
    dir.Write("Data/movies/Booth1.avi", "x");

    EXPECT_SAME_PATH(platform::ResolvePath("Data\\shader.txt"), "Data/shader.txt");
    EXPECT_SAME_PATH(platform::ResolvePath("data/images/StartScreen.TGA"), "Data/images/StartScreen.TGA");
    EXPECT_SAME_PATH(platform::ResolvePath("DATA\\MOVIES\\booth1.AVI"), "Data/movies/Booth1.avi");
    platform::DataFile file;
    EXPECT_TRUE(file.Open("data\\Shader.TXT"));
}

TEST(ResolvePath, ExactNameWinsOverACaselessOne) {
    TempDir dir(true);
    dir.Write("pics/a.tga", "small");
    dir.Write("pics/A.TGA", "capital");
    EXPECT_EQ(platform::ResolvePath("pics/A.TGA"), "pics/A.TGA");
    EXPECT_EQ(platform::ResolvePath("pics/a.tga"), "pics/a.tga");
}

TEST(ResolvePath, MissingFilesStayMissing) {
    TempDir dir(true);
    dir.Write("Data/shader.txt", "1\n");
    EXPECT_SAME_PATH(platform::ResolvePath("Data\\missing.txt"), "Data/missing.txt");
    EXPECT_SAME_PATH(platform::ResolvePath("nowhere\\shader.txt"), "nowhere/shader.txt");
    platform::DataFile file;
    EXPECT_FALSE(file.Open("Data\\missing.txt"));
}

TEST(ResolvePath, AbsolutePathsResolveToo) {
    TempDir dir;
    dir.Write("Music/Horse.mp3", "x");
    EXPECT_SAME_PATH(platform::ResolvePath(dir.Path() + "\\music\\horse.MP3"),
                     dir.Path() + "/Music/Horse.mp3");
}

// A content folder named on the command line stands for the leading "Data" of every content path, in
// any case and with either separator; other paths are left alone, and an empty folder puts "Data" in
// the working directory back.
TEST(ResolvePath, ContentFolderReplacesTheLeadingDataComponent) {
    TempDir working(true);
    working.Write("Data/shader.txt", "working\n");
    working.Write("datalog/shader.txt", "x");
    TempDir content;
    content.Write("shader.txt", "content\n");
    content.Write("Images/StartScreen.tga", "x");

    platform::SetDataFolder(content.Path() + "/");
    EXPECT_SAME_PATH(platform::ResolvePath("Data\\shader.txt"), content.Path() + "/shader.txt");
    EXPECT_SAME_PATH(platform::ResolvePath("data/images/StartScreen.TGA"),
                     content.Path() + "/Images/StartScreen.tga");
    EXPECT_SAME_PATH(platform::ResolvePath("DATA\\movies\\Booth1.avi"),
                     content.Path() + "/movies/Booth1.avi");
    EXPECT_SAME_PATH(platform::ResolvePath("datalog/shader.txt"), "datalog/shader.txt");
    EXPECT_SAME_PATH(platform::ResolvePath(working.Path() + "/Data/shader.txt"),
                     working.Path() + "/Data/shader.txt");

    platform::SetDataFolder("");
    EXPECT_SAME_PATH(platform::ResolvePath("data\\shader.txt"), "Data/shader.txt");
}
