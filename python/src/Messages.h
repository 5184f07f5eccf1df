// The library reports through one-line messages on standard error; the module turns the ones a
// failing call wrote into the text of a Python exception, and the others into warnings.
#pragma once

#include <pybind11/pybind11.h>

#include <string>

namespace kolpy {

// Standard error redirected to a scratch file for the lifetime of the object.
class MessageCapture {
 public:
  MessageCapture();
  ~MessageCapture();
  MessageCapture(const MessageCapture&) = delete;
  MessageCapture& operator=(const MessageCapture&) = delete;

  // Everything written so far (the capture goes on).
  std::string text();
  // The last non-empty line written so far, or the fallback.
  std::string lastLine(const std::string& fallback);
  // Hands what was written to Python as KolWarning warnings and forgets it.
  void warnAndClear();

 private:
  int saved_ = -1;
  int file_ = -1;
  long read_ = 0;  // bytes already handed on
};

// Raises kol.KolError with the last message written, or the fallback when there was none.
[[noreturn]] void raise(MessageCapture& messages, const std::string& fallback);

void bindMessages(pybind11::module_& m);

}  // namespace kolpy
