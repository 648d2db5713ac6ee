#pragma once

#include <unistd.h>

#include <utility>

// A file descriptor closed with its owner.
class TUniqueFd {
public:
  TUniqueFd() = default;
  explicit TUniqueFd(int fd) : Fd(fd) {}
  ~TUniqueFd() { Reset(); }
  TUniqueFd(TUniqueFd&& other) noexcept : Fd(std::exchange(other.Fd, -1)) {}
  TUniqueFd& operator=(TUniqueFd&& other) noexcept {
    if (this != &other) {
      Reset();
      Fd = std::exchange(other.Fd, -1);
    }
    return *this;
  }
  TUniqueFd(const TUniqueFd&) = delete;
  TUniqueFd& operator=(const TUniqueFd&) = delete;

  int Get() const { return Fd; }
  bool Valid() const { return Fd >= 0; }
  void Reset() {
    if (Fd >= 0)
      ::close(Fd);
    Fd = -1;
  }

private:
  int Fd = -1;
};
