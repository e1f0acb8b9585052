#pragma once
#include <unistd.h>

namespace varelo {

// A file descriptor closed when it goes out of scope.
class Descritor {
public:
    explicit Descritor(int fd = -1) : fd_(fd) {}
    ~Descritor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descritor(const Descritor&) = delete;
    Descritor& operator=(const Descritor&) = delete;
    // Takes `fd`, closing the one held.
    void troca(int fd) {
        fecha();
        fd_ = fd;
    }
    explicit operator bool() const { return fd_ >= 0; }
    int get() const { return fd_; }
    // Closes now; false when close reported an error (a write that failed late).
    bool fecha() {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

}  // namespace varelo
