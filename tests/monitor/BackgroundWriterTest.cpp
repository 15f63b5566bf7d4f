// The writer thread behind the metrics file and the snapshot, against a reader that reads the file
// as fast as it can, as the exporter's collector may at any moment: every read finds a whole file, old
// or new, never part of one, and the last contents posted before the end are the file's. A folder that
// cannot be written to is one line in the log, and its return another.
#include "monitor/BackgroundWriter.h"
#include "platform/AtomicFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace {

constexpr int kWrites = 150;
// Large enough that a file written in place is caught half-written by a reader again and again.
constexpr int kLinesPerFile = 8000;

// The n-th contents: its number, then lines that say it, then its end.
std::string Contents(int n) {
    const std::string number = std::to_string(n);
    std::string text = "contents " + number + "\n";
    for (int line = 0; line < kLinesPerFile; ++line) {
        text += number + ":" + std::to_string(line) + "\n";
    }
    return text + "end " + number + "\n";
}

// True for one of the contents, whole.
bool IsWhole(const std::string& text) {
    int n = -1;
    return std::sscanf(text.c_str(), "contents %d", &n) == 1 && n >= 0 && n < kWrites && text == Contents(n);
}

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

monitor::BackgroundWriter::Job Writing(int n) {
    return [n](std::string* bytes, std::string*) {
        *bytes = Contents(n);
        return true;
    };
}

TEST(BackgroundWriterTest, AReaderNeverSeesAPartialFileAndTheLastContentsPostedAreWritten) {
    testing_support::TempDir dir;
    const std::string path = dir.Path() + "/standview.prom";
    std::atomic<bool> writing{true};
    int wholeReads = 0;
    int partialReads = 0;
    std::string firstPartial;
    std::thread reader([&] {
        while (writing) {
            if (!std::filesystem::exists(path)) {
                continue;
            }
            const std::string text = Read(path);
            if (IsWhole(text)) {
                ++wholeReads;
            } else if (partialReads++ == 0) {
                firstPartial = text.substr(0, 40) + "... (" + std::to_string(text.size()) + " bytes)";
            }
        }
    });
    {
        monitor::BackgroundWriter writer(path, "metrics");
        for (int n = 0; n + 10 < kWrites; ++n) {
            writer.Post(Writing(n));
            writer.Flush();
        }
        // A burst that the writer cannot keep up with: the last one is what the file holds at the end.
        for (int n = kWrites - 10; n < kWrites; ++n) {
            writer.Post(Writing(n));
        }
    }
    writing = false;
    reader.join();
    EXPECT_EQ(partialReads, 0) << "first: " << firstPartial;
    EXPECT_GT(wholeReads, 0);
    EXPECT_EQ(Read(path), Contents(kWrites - 1));
    EXPECT_FALSE(std::filesystem::exists(path + platform::kAtomicFileSuffix));
}

TEST(BackgroundWriterTest, AFolderThatCannotBeWrittenIsOneLineAndItsReturnAnother) {
    testing_support::TempDir dir;
    const std::string folder = dir.Path() + "/textfile";
    const std::string path = folder + "/standview.prom";
    testing::internal::CaptureStderr();
    {
        monitor::BackgroundWriter writer(path, "metrics");
        for (int n = 0; n < 3; ++n) {
            writer.Post(Writing(n));
            writer.Flush();
        }
        std::filesystem::create_directory(folder);
        writer.Post(Writing(3));
        writer.Flush();
        writer.Post(Writing(4));
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "standview: metrics: cannot write " + path + ": No such file or directory\n" +
                  "standview: metrics: " + path + " is written again\n");
    EXPECT_EQ(Read(path), Contents(4));
}

} // namespace
