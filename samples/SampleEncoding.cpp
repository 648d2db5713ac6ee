#include "SampleEncoding.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include <memory>
#include <stdexcept>

namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter Open(const char* name) {
  UErrorCode error = U_ZERO_ERROR;
  Converter converter(ucnv_open(name, &error));
  if (U_FAILURE(error))
    throw std::runtime_error(std::string("cannot open the converter ") + name + ": " +
                             u_errorName(error));
  return converter;
}

// The Windows flavour of Shift_JIS is what pages labelled Shift_JIS really use.
const char* IcuName(TSampleCharset charset) {
  return charset == TSampleCharset::ShiftJis ? "windows-31j" : "EUC-JP";
}

} // namespace

std::string EncodeSampleText(const std::string& text, TSampleCharset charset) {
  if (charset == TSampleCharset::Utf8)
    return text;
  Converter source = Open("UTF-8");
  Converter target = Open(IcuName(charset));
  UErrorCode error = U_ZERO_ERROR;
  ucnv_setFromUCallBack(target.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                        &error);
  ucnv_setToUCallBack(source.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
  // One UTF-8 byte never needs more than two bytes in either charset.
  std::string result(text.size() * 2 + 8, '\0');
  char* out = result.data();
  const char* in = text.data();
  ucnv_convertEx(target.get(), source.get(), &out, result.data() + result.size(), &in,
                 text.data() + text.size(), nullptr, nullptr, nullptr, nullptr, true, true,
                 &error);
  if (U_FAILURE(error))
    throw std::runtime_error("the text does not fit " + SampleCharsetName(charset) + " (" +
                             u_errorName(error) + ") near byte " +
                             std::to_string(in - text.data()));
  result.resize(out - result.data());
  return result;
}
