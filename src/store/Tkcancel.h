#pragma once

#include <functional>
#include <stdexcept>

// Asked between the steps of a long job; true stops it there.
using TCancelCheck = std::function<bool()>;

// Thrown by a job that its cancel check stopped; what it had written is undone.
class TCanceledError : public std::runtime_error {
public:
  TCanceledError() : std::runtime_error("中断しました。") {}
};

// Throws TCanceledError when there is a check and it says stop.
inline void ThrowIfCanceled(const TCancelCheck& canceled) {
  if (canceled && canceled())
    throw TCanceledError();
}
