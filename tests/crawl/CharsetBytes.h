#pragma once

#include <unicode/ucnv.h>

#include <memory>
#include <stdexcept>
#include <string>

// UTF-8 text as the bytes ICU's converter of that name writes: real pages in real
// encodings, built for the tests.
inline std::string EncodeAs(const std::string& utf8, const char* charset) {
  UErrorCode error = U_ZERO_ERROR;
  std::unique_ptr<UConverter, void (*)(UConverter*)> target(ucnv_open(charset, &error), ucnv_close);
  std::unique_ptr<UConverter, void (*)(UConverter*)> source(ucnv_open("UTF-8", &error), ucnv_close);
  std::string bytes(utf8.size() * 4 + 16, '\0');
  char* out = bytes.data();
  const char* in = utf8.data();
  ucnv_convertEx(target.get(), source.get(), &out, bytes.data() + bytes.size(), &in,
                 utf8.data() + utf8.size(), nullptr, nullptr, nullptr, nullptr, true, true, &error);
  if (U_FAILURE(error))
    throw std::runtime_error(std::string("cannot encode as ") + charset + ": " + u_errorName(error));
  bytes.resize(out - bytes.data());
  return bytes;
}
