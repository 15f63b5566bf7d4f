// A FIFO under a data file's name. Code that reads data files must refuse it at once; should it wait
// for a writer instead, the guard below ends the wait, so that the test fails rather than hangs.
#pragma once

#include <chrono>
#include <fcntl.h>
#include <future>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace testing_support {

class Fifo {
public:
    explicit Fifo(std::string fifoPath) : path(std::move(fifoPath)) {
        made = ::mkfifo(path.c_str(), 0600) == 0;
    }
    ~Fifo() { ::unlink(path.c_str()); }
    Fifo(const Fifo&) = delete;
    Fifo& operator=(const Fifo&) = delete;

    bool Made() const { return made; }

    // Runs the call on another thread. While it has not returned after `patience`, a writer opens
    // and closes the FIFO, which ends any wait on it; `waited` then tells the test.
    template <typename Call> auto RunGuarded(Call call, bool& waited, std::chrono::seconds patience) {
        auto result = std::async(std::launch::async, call);
        waited = false;
        if (result.wait_for(patience) == std::future_status::ready) {
            return result.get();
        }
        waited = true;
        while (result.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
            const int writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0) {
                ::close(writer);
            }
        }
        return result.get();
    }

private:
    std::string path;
    bool made = false;
};

} // namespace testing_support
